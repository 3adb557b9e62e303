#pragma once
// The program's settings in the current user's registry: the key Software\Kelbrant\Mosalux with one
// subkey per section, every value a string.
#include <optional>
#include <string>

#include "platform/registry.h"

namespace mx {

inline constexpr const char* kSettingsKey = "Software\\Kelbrant\\Mosalux";
inline constexpr const char* kSelectorSection = "Mosalux Selector";
inline constexpr const char* kOriginalInfoSection = "Original Info";
inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "Mosalux";
inline constexpr const char* kDesktopKey = "Control Panel\\desktop";
// The way the wallpaper covers several monitors (MonitorCover's number), written when it is chosen.
inline constexpr const char* kMonitorCoverValue = "Wallpaper Monitors";

// The record of the first start names each saved boot screen, or holds this when none was saved.
inline constexpr const char* kNotSaved = "(none)";

struct ScreenRecord {
    int category;
    const char* recordValue;  // the value of the original-screen record that names its backup
};
inline constexpr ScreenRecord kScreenRecords[] = {{10, "StartScreen"}, {20, "WaitScreen"}, {30, "ShutScreen"}};

class SettingsStore {
public:
    // Opens the settings key, making it when it is missing. When it can be neither opened nor made,
    // every read gives its default and every write raises the error of a value not written.
    explicit SettingsStore(Environment& env);

    bool IsOpen() const { return bool(key_); }

    std::optional<std::string> Read(const char* section, const std::string& name) const;
    std::string ReadString(const char* section, const std::string& name, const std::string& defaultValue) const;
    int ReadInteger(const char* section, const std::string& name, int defaultValue) const;
    bool ReadBool(const char* section, const std::string& name, bool defaultValue) const;

    // Writing makes the section when it is missing.
    void WriteString(const char* section, const std::string& name, const std::string& value);
    void WriteInteger(const char* section, const std::string& name, int value);
    void WriteBool(const char* section, const std::string& name, bool value);

private:
    Environment& env_;
    RegistryKey key_;
};

}  // namespace mx
