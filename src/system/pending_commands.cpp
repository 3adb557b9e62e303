// Commands that change the system's pictures.
#include "app/form_select.h"

namespace mx {

// Not built yet: these commands do nothing.
void TFormSelect::SetascurrentScreen1Click() {}
void TFormSelect::Setascurrentwallpaper1Click() {}

}  // namespace mx
