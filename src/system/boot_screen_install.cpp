// Installing the picture the preview pane shows as the current boot screen of the active category.
#include "app/form_select.h"
#include "system/boot_screens.h"

namespace mx {

// A picture that fails the checks is only warned about: answered No, it is copied unchanged. Whether
// the copy worked is not reported.
void TFormSelect::SetascurrentScreen1Click() {
    WaitForPreview();
    std::string target = BootScreenPath(CurrentCategory);
    // The file's own size, which a wallpaper decoded as a thumbnail keeps beside its pixels.
    const DecodedPicture& picture = PreviewPicture;
    bool goOn = true;
    if (!HasBootScreenSize(picture.width, picture.height)) {
        goOn = env_.ShowMessage(BoxOwner(), BoxKind::Warning,
                                "This screen has an invallid size\n\rSize is : " + std::to_string(picture.width) +
                                    " x " + std::to_string(picture.height) +
                                    ",\n\rSize must be 320 x 400.\n\rDo you want to cancel copying?",
                                MB_YESNO) == IDNO;
    }
    if (goOn && picture.picture.format != PixelFormat::Bits8) {
        goOn = env_.ShowMessage(BoxOwner(), BoxKind::Warning,
                                "This screens has a incorrect bitmap color depth!\n\rColor depth : " +
                                    std::string(PixelFormatName(picture.picture.format)) +
                                    " bits per pixel. This should be 8 bpp.\n\rDo you want to cancel copying?",
                                MB_YESNO) == IDNO;
    }
    std::string shown = WindowText(PnlPreviewName);
    if (goOn && shown != "No File Selected") InstallBootScreen(shown, target);
}

}  // namespace mx
