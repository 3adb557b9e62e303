#include "state/settings_store.h"

#include "platform/user_error.h"
#include "state/settings_values.h"

namespace mx {

SettingsStore::SettingsStore(Environment& env)
    : env_(env), key_(env, HKEY_CURRENT_USER, kSettingsKey, RegistryKey::Mode::Create) {}

std::optional<std::string> SettingsStore::Read(const char* section, const std::string& name) const {
    if (!key_) return std::nullopt;
    return RegistryKey(env_, key_.get(), section, RegistryKey::Mode::Read).ReadString(name);
}

std::string SettingsStore::ReadString(const char* section, const std::string& name,
                                      const std::string& defaultValue) const {
    return Read(section, name).value_or(defaultValue);
}

int SettingsStore::ReadInteger(const char* section, const std::string& name, int defaultValue) const {
    return ReadIntegerValue(Read(section, name), defaultValue);
}

bool SettingsStore::ReadBool(const char* section, const std::string& name, bool defaultValue) const {
    return ReadBooleanValue(Read(section, name), defaultValue);
}

void SettingsStore::WriteString(const char* section, const std::string& name, const std::string& value) {
    if (!key_) throw UserError("Failed to set data for '" + name + "'");
    RegistryKey(env_, key_.get(), section, RegistryKey::Mode::Create).WriteString(name, value);
}

void SettingsStore::WriteInteger(const char* section, const std::string& name, int value) {
    WriteString(section, name, IntegerText(value));
}

void SettingsStore::WriteBool(const char* section, const std::string& name, bool value) {
    WriteString(section, name, BooleanText(value));
}

}  // namespace mx
