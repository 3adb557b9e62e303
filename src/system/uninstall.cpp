// Restoring the system's own screens and uninstalling.
#include "app/form_select.h"

namespace mx {

void TFormSelect::Uninstall2Click() {
    // An uninstall run ends by closing the program, whatever the answer.
    if (UninstallMode) ::SendMessageA(hwnd_, WM_CLOSE, 0, 0);
}

}  // namespace mx
