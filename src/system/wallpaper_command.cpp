// The main window's wallpaper command: the hidden preview window renders the pane's picture in the
// current style, and its own command converts that rendering.
#include "app/form_select.h"
#include "picture/form_preview.h"

namespace mx {

void TFormSelect::Setascurrentwallpaper1Click() {
    TFormPreview& preview = FormPreview();
    preview.RenderPreview();
    preview.SetascurrentWallpaper1Click();
}

}  // namespace mx
