// Adding chosen files to the current list, removing entries, and selecting in both lists.
#include "app/form_select.h"
#include "app/resource.h"

namespace mx {

// Not built yet: these commands do nothing.
void TFormSelect::BtnAddClick() {}
void TFormSelect::btnRemoveClick() {}
void TFormSelect::btnAllFilesClick() {}
void TFormSelect::BtnInvFilesClick() {}
void TFormSelect::btnAllSelectClick() {}
void TFormSelect::btnInvSelectClick() {}
void TFormSelect::Findfile1Click() {}
void TFormSelect::PopMSelectedPopup() {}

void TFormSelect::ChangeErrorReport() { SetMenuChecked(IDM_REPORTERRORS, !MenuChecked(IDM_REPORTERRORS)); }

}  // namespace mx
