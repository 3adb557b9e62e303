// Putting back the system's own screens and wallpaper values, and uninstalling.
#include "app/form_select.h"
#include "randomizer/resident_link.h"
#include "state/settings_store.h"

namespace mx {

void TFormSelect::OriginalScreens1Click() {
    SettingsStore store(env_);
    if (!store.ReadBool(kOriginalInfoSection, "FilesBackedUp", false)) return;

    // The desktop values go back first: one that cannot be written ends the restore before any
    // screen is touched. The system is then told to show the original wallpaper (or none) at once,
    // as the values now say, instead of keeping the program's until the next log-on.
    RegistryKey desktop = RegistryKey::ExistingForWriting(env_, HKEY_CURRENT_USER, kDesktopKey, "WallPaper");
    if (desktop) {
        const std::string wallPaper = store.ReadString(kOriginalInfoSection, "WallPaper", "");
        desktop.WriteString("WallPaper", wallPaper);
        desktop.WriteString("TileWallpaper", store.ReadString(kOriginalInfoSection, "TileWallpaper", ""));
        std::string style = store.ReadString(kOriginalInfoSection, "WallpaperStyle", "");
        if (style != kNotSaved) desktop.WriteString("WallpaperStyle", style);
        env_.SetDesktopWallpaper(wallPaper);
        TellResident(ResidentRequest::WallpaperReplaced);
    }

    // A saved screen is put back and its backup consumed; a screen the first start did not find is
    // removed again. A copy that fails leaves both files as they are, without a word.
    for (const ScreenRecord& screen : kScreenRecords) {
        std::string target = BootScreenPath(screen.category);
        if (target.empty()) continue;
        std::string saved = store.ReadString(kOriginalInfoSection, screen.recordValue, kNotSaved);
        if (saved == kNotSaved)
            ::DeleteFileA(target.c_str());
        else if (::CopyFileA(saved.c_str(), target.c_str(), FALSE))
            ::DeleteFileA(saved.c_str());
    }
}

void TFormSelect::Uninstall2Click() {
    int answer = env_.ShowMessage(hwnd_, BoxKind::Warning,
                                  "This will uninstall MXSR.\n\r\n\rIt will place your original screens back\n\r"
                                  "and remove all registry entries of MXSR.\n\r\n\rAre you sure you want to continue?",
                                  MB_YESNO);
    // A randomizer that stays running would change the wallpaper again after the restore, and keeps
    // its program file from being removed: it ends first.
    if (answer == IDYES) EndResident(kResidentEndWaitMs);
    // A desktop value that cannot be written ends the uninstall before anything is removed.
    if (answer == IDYES && ReportingErrors([&] { OriginalScreens1Click(); })) {
        try {
            RegistryKey(env_, HKEY_CURRENT_USER, "Software\\Kelbrant", RegistryKey::Mode::ReadWrite).DeleteTree("Mosalux");
            RegistryKey(env_, HKEY_CURRENT_USER, kRunKey, RegistryKey::Mode::ReadWrite).DeleteValue(kRunValue);
            env_.ShowMessage(hwnd_, BoxKind::Information,
                             "MXSR was uninstalled succesfully.\n\r\n\rYou can now safely remove the remaning "
                             "\n\rMXSR files and direcotries.",
                             MB_OK);
            Uninstalled = true;
        } catch (const std::exception&) {
            env_.ShowMessage(hwnd_, BoxKind::Error, "Mosalux is NOT succesfully cleared from the registry", MB_OK);
            Uninstalled = false;
        }
    }
    // An uninstall run ends here, whatever the answer and whatever failed.
    if (UninstallMode) ::SendMessageA(hwnd_, WM_CLOSE, 0, 0);
}

}  // namespace mx
