// The preview pane of the main window and its pop-up menu.
#include "app/form_select.h"

namespace mx {

// Not built yet: these commands do nothing.
void TFormSelect::ViewChooseBox() {}
void TFormSelect::ViewSelected() {}
void TFormSelect::ImgPreviewDblClick() {}
void TFormSelect::pnlPreviewDblClick() {}
void TFormSelect::SizeClick() {}
void TFormSelect::PopMFileInfoPopup() {}
void TFormSelect::ChangePreviewOn(int) {}

}  // namespace mx
