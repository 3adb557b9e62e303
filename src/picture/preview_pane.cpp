// The preview pane of the main window and its pop-up menu.
#include "app/form_select.h"
#include "app/resource.h"

namespace mx {

// Not built yet: these commands do nothing.
void TFormSelect::ViewChooseBox() {}
void TFormSelect::ViewSelected() {}
void TFormSelect::ImgPreviewDblClick() {}
void TFormSelect::pnlPreviewDblClick() {}
void TFormSelect::SizeClick() {}
void TFormSelect::PopMFileInfoPopup() {}

// The pane keeps what it shows until the next refresh that the new mode allows.
void TFormSelect::ChangePreviewOn(int menuId) {
    static constexpr std::pair<int, int> kModes[] = {
        {IDM_PREVIEWNONE, 0}, {IDM_PREVIEWCHOOSE, 10}, {IDM_PREVIEWSELECTED, 20}, {IDM_PREVIEWBOTH, 30}};
    for (auto [id, mode] : kModes) {
        SetMenuChecked(id, id == menuId);
        if (id == menuId) PreviewMode = mode;
    }
}

}  // namespace mx
