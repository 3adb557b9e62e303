// The main window's wallpaper command: the hidden preview window renders the pane's picture in the
// current style (decoding the file again for the screen when the pane holds a thumbnail), and its own
// command converts that rendering.
#include "app/form_select.h"
#include "picture/form_preview.h"

namespace mx {

void TFormSelect::Setascurrentwallpaper1Click() {
    WaitForPreview();
    TFormPreview& preview = FormPreview();
    preview.RenderPreview();
    // The rendering is all the command needs; a hidden window keeps nothing else.
    if (!::IsWindowVisible(preview.Handle())) preview.ReleaseSource();
    preview.SetascurrentWallpaper1Click();
}

}  // namespace mx
