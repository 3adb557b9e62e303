// Commands that belong to the window itself: help, the about box, the tall window, pop-up menus.
#include "app/form_select.h"

namespace mx {

void TFormSelect::Help2Click() {}
void TFormSelect::About1Click() {}
void TFormSelect::PnlExtendClick() {}
void TFormSelect::FormResize() {}
void TFormSelect::OpenContextMenu(HWND, POINT) {}

}  // namespace mx
