// Settings kept in the registry between runs.
#include "app/form_select.h"

namespace mx {

// Until the settings store is built, a run starts from the window's values at creation.
void TFormSelect::LoadSettings() {}

void TFormSelect::SaveSettings() {}

}  // namespace mx
