#include "platform/registry.h"
#include "state/change_settings.h"
#include "state/settings_store.h"

namespace mx {

ChangeSettings ReadChangeSettings(Environment& env) {
    RegistryKey section(env, HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\" + kSelectorSection,
                        RegistryKey::Mode::Read);
    return ChangeSettingsOf(section.ReadString(kChangeIntervalValue), section.ReadString(kChangeWhenUnlockedValue));
}

}  // namespace mx
