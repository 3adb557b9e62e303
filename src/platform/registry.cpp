#include "platform/registry.h"

#include "platform/user_error.h"

namespace mx {

RegistryKey::RegistryKey(Environment& env, HKEY parent, const std::string& path, Mode mode) : env_(&env) {
    HKEY key = nullptr;
    LSTATUS status =
        mode == Mode::Create
            ? ::RegCreateKeyExA(parent, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr)
            : ::RegOpenKeyExA(parent, path.c_str(), 0, mode == Mode::Read ? KEY_READ : KEY_READ | KEY_WRITE, &key);
    if (status == ERROR_SUCCESS) key_.reset(key);
}

RegistryKey RegistryKey::ExistingForWriting(Environment& env, HKEY parent, const std::string& path,
                                            const std::string& firstValue) {
    if (!RegistryKey(env, parent, path, Mode::Read)) return {};
    RegistryKey key(env, parent, path, Mode::ReadWrite);
    if (!key) throw UserError("Failed to set data for '" + firstValue + "'");
    return key;
}

std::optional<std::string> RegistryKey::ReadString(const std::string& name) const {
    if (!key_) return std::nullopt;
    std::string text;
    for (;;) {
        DWORD type = 0;
        DWORD size = DWORD(text.size());
        LSTATUS status = ::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type,
                                            reinterpret_cast<BYTE*>(text.data()), &size);
        if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && text.empty() && size > 0)) {
            text.resize(size);
            continue;
        }
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
        text.resize(size);
        // The stored text may or may not carry its terminating zeros.
        while (!text.empty() && text.back() == '\0') text.pop_back();
        return text;
    }
}

bool RegistryKey::ValueExists(const std::string& name) const {
    return key_ && ::RegQueryValueExA(key_.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void RegistryKey::WriteString(const std::string& name, const std::string& value) const {
    if (!key_ || !env_->WriteRegistryString(key_.get(), name, value))
        throw UserError("Failed to set data for '" + name + "'");
}

void RegistryKey::DeleteValue(const std::string& name) const {
    if (key_) ::RegDeleteValueA(key_.get(), name.c_str());
}

void RegistryKey::DeleteTree(const std::string& subkey) const {
    if (key_) ::RegDeleteTreeA(key_.get(), subkey.c_str());
}

}  // namespace mx
