// Settings kept in the registry between runs, and the record of the system's own screens and
// wallpaper that the first start makes.
#include <utility>

#include "app/form_select.h"
#include "app/resource.h"
#include "lists/categories.h"
#include "state/settings_store.h"
#include "state/settings_values.h"
#include "system/boot_screens.h"

namespace mx {

std::string TFormSelect::GetWindowsDir() const { return env_.WindowsDirectory(); }
std::string TFormSelect::WindowsDir() const { return WindowsDirOf(GetWindowsDir()); }
std::string TFormSelect::BootScreenPath(int category) const { return BootScreenPathOf(GetWindowsDir(), category); }

bool TFormSelect::MenuChecked(int id) const {
    return ::GetMenuState(MainMenu1, UINT(id), MF_BYCOMMAND) & MF_CHECKED;
}

void TFormSelect::SetMenuChecked(int id, bool checked) {
    ::CheckMenuItem(MainMenu1, UINT(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void TFormSelect::LoadSettings() {
    SettingsStore store(env_);
    // Without a settings key the first start could not be recorded, and so could never be undone.
    if (store.IsOpen() && !store.ReadBool(kOriginalInfoSection, "FilesBackedUp", false))
        ReportingErrors([&] { MakeFirstRunBackup(store); });

    PreviewMode = PreviewModeOf(store.ReadInteger(kSelectorSection, "PreviewShow", 30));
    switch (PreviewMode) {
    case 0: ChangePreviewOn(IDM_PREVIEWNONE); break;
    case 10: ChangePreviewOn(IDM_PREVIEWCHOOSE); break;
    case 20: ChangePreviewOn(IDM_PREVIEWSELECTED); break;
    case 30: ChangePreviewOn(IDM_PREVIEWBOTH); break;
    }

    const std::string command =
        RegistryKey(env_, HKEY_CURRENT_USER, kRunKey, RegistryKey::Mode::Read).ReadString(kRunValue).value_or("");
    bool registered = NamesRandomizer(command);
    // Earlier versions named the randomizer without quotes: the same randomizer is named again, quoted.
    if (registered && command.front() != '"')
        ReportingErrors([&] {
            RegistryKey(env_, HKEY_CURRENT_USER, kRunKey, RegistryKey::Mode::Create)
                .WriteString(kRunValue, QuotedCommand(command));
        });
    ReportingErrors([&] { SetStartUpRunChecked(registered); });
    SetMenuChecked(IDM_RUNRANDOMIZER, registered);

    SetMenuChecked(IDM_REPORTERRORS, store.ReadBool(kSelectorSection, "Report Add Errors", true));
    WallpaperMonitors = MonitorCoverOf(store.ReadInteger(kSelectorSection, kMonitorCoverValue, 0));
    ::CheckMenuRadioItem(MainMenu1, IDM_MONITORSSAME, IDM_MONITORSACROSS, IDM_MONITORSSAME + int(WallpaperMonitors),
                         MF_BYCOMMAND);
    ShowChangeSettings();

    // A directory the settings do not hold, or hold as text no directory can have, is the program's
    // own, on every start; closing then keeps that one.
    for (auto [dir, name] : {std::pair{&StartDir, "StartDir"}, {&WaitDir, "WaitDir"}, {&ShutDir, "ShutDir"},
                             {&WallDir, "WallDir"}}) {
        *dir = store.ReadString(kSelectorSection, name, ProgramDir);
        if (!CanBeDirectory(*dir)) *dir = ProgramDir;
    }

    CurrentCategory = CategoryFromText(store.ReadString(kSelectorSection, "Selected Screen Button", "10"));

    // A remembered directory that has gone (a removed folder, a drive no longer there) is passed over
    // without a word: the browser opens in the program directory, or stays where it is.
    if (!ApplyFilePath(StartDir, false)) ApplyFilePath(ProgramDir, false);
}

void TFormSelect::MakeFirstRunBackup(SettingsStore& store) {
    RegistryKey desktop(env_, HKEY_CURRENT_USER, kDesktopKey, RegistryKey::Mode::Create);
    std::string wallPaper = desktop.ReadString("WallPaper").value_or("");
    std::string tileWallpaper = desktop.ReadString("TileWallpaper").value_or("");
    std::string wallpaperStyle = desktop.ReadString("WallpaperStyle").value_or(kNotSaved);

    RegistryKey(env_, HKEY_CURRENT_USER, kRunKey, RegistryKey::Mode::Create)
        .WriteString(kRunValue, RandomizerCommand(ProgramDir));

    // An existing backup is never overwritten: its copy fails and that screen is recorded as not saved.
    std::string saved[std::size(kScreenRecords)];
    for (size_t i = 0; i < std::size(kScreenRecords); ++i) {
        std::string system = BootScreenPath(kScreenRecords[i].category);
        std::string backup = ProgramDir + std::string(BackupFileName(kScreenRecords[i].category));
        bool copied = !system.empty() && ::CopyFileA(system.c_str(), backup.c_str(), TRUE);
        saved[i] = copied ? backup : kNotSaved;
    }

    store.WriteBool(kOriginalInfoSection, "FilesBackedUp", true);
    for (size_t i = 0; i < std::size(kScreenRecords); ++i)
        store.WriteString(kOriginalInfoSection, kScreenRecords[i].recordValue, saved[i]);
    store.WriteString(kOriginalInfoSection, "WallPaper", wallPaper);
    store.WriteString(kOriginalInfoSection, "TileWallpaper", tileWallpaper);
    store.WriteString(kOriginalInfoSection, "WallpaperStyle", wallpaperStyle);
}

void TFormSelect::SaveSettings() {
    SettingsStore store(env_);
    store.WriteInteger(kSelectorSection, "PreviewShow", PreviewMode);
    store.WriteString(kSelectorSection, "StartDir", StartDir);
    store.WriteString(kSelectorSection, "WaitDir", WaitDir);
    store.WriteString(kSelectorSection, "ShutDir", ShutDir);
    store.WriteString(kSelectorSection, "WallDir", WallDir);
    store.WriteString(kSelectorSection, "Selected Screen Button", IntegerText(CurrentCategory));
    store.WriteBool(kSelectorSection, "Report Add Errors", MenuChecked(IDM_REPORTERRORS));
}

}  // namespace mx
