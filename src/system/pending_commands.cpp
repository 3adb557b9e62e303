// Commands that change the system's pictures and start-up entries.
#include "app/form_select.h"

namespace mx {

// Not built yet: these commands do nothing.
void TFormSelect::SetascurrentScreen1Click() {}
void TFormSelect::Setascurrentwallpaper1Click() {}
void TFormSelect::OriginalScreens1Click() {}
void TFormSelect::Runrandomizeratstartup1Click() {}

}  // namespace mx
