#pragma once
// Keys of the registry, opened for one piece of work and closed when it is done. Every value the
// program writes is a string; a value that cannot be written ends the command with the error the
// user is shown.
#include <windows.h>

#include <optional>
#include <string>

#include "platform/environment.h"
#include "platform/handles.h"

namespace mx {

class RegistryKey {
public:
    enum class Mode { Read, ReadWrite, Create };

    RegistryKey() = default;
    // Opens `path` below `parent`; Create also makes it, and the keys above it, when missing.
    // The key is empty when it cannot be opened.
    RegistryKey(Environment& env, HKEY parent, const std::string& path, Mode mode);
    // Opens a key that exists for writing: empty when it does not exist; when it exists but cannot be
    // written to, raises the error of `firstValue` not written, as writing it would.
    static RegistryKey ExistingForWriting(Environment& env, HKEY parent, const std::string& path,
                                          const std::string& firstValue);

    explicit operator bool() const { return bool(key_); }
    HKEY get() const { return key_.get(); }

    // The text of a string value; nothing when the key or the value is missing or holds no string.
    std::optional<std::string> ReadString(const std::string& name) const;
    bool ValueExists(const std::string& name) const;
    // Raises "Failed to set data for '<name>'" when the value cannot be written.
    void WriteString(const std::string& name, const std::string& value) const;
    void DeleteValue(const std::string& name) const;
    // Deletes a subkey with everything beneath it.
    void DeleteTree(const std::string& subkey) const;

private:
    Environment* env_ = nullptr;
    RegKeyHandle key_;
};

}  // namespace mx
