// When the randomizer changes the wallpaper besides at log-on: now, every so often, at unlock. The
// settings are kept as soon as they are chosen, and the randomizer that stays running for them is
// started, told or ended at once.
#include "app/form_select.h"
#include "app/resource.h"
#include "platform/file_reading.h"
#include "platform/user_error.h"
#include "randomizer/resident_link.h"
#include "state/change_settings.h"
#include "state/settings_store.h"
#include "state/settings_values.h"

namespace mx {

namespace {

void StartRandomizer(Environment& env, const std::string& programDir, const std::string& arguments) {
    const std::string path = programDir + std::string(kRandomizerFile);
    DWORD error = 0;
    if (!env.StartProgram(path, arguments, error))
        throw UserError("The randomizer cannot be started:\n\r" + path + ": " + SystemErrorText(error));
}

}  // namespace

void TFormSelect::NextWallpaperNow1Click() { StartRandomizer(env_, ProgramDir, "--next"); }

void TFormSelect::ChangeWallpaperEvery(int menuId) {
    SettingsStore(env_).WriteInteger(kSelectorSection, kChangeIntervalValue, kIntervalChoices[menuId - IDM_CHANGE_LOGON]);
    ShowChangeSettings();
    FollowRandomizerSettings();
}

void TFormSelect::AlsoWhenUnlocked1Click() {
    SettingsStore(env_).WriteBool(kSelectorSection, kChangeWhenUnlockedValue, !ReadChangeSettings(env_).whenUnlocked);
    ShowChangeSettings();
    FollowRandomizerSettings();
}

// An interval the menu does not offer (one kept by hand) checks none of its items.
void TFormSelect::ShowChangeSettings() {
    const ChangeSettings settings = ReadChangeSettings(env_);
    for (int id = IDM_CHANGE_LOGON; id <= IDM_CHANGE_DAY; ++id) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE;
        info.fType = MFT_RADIOCHECK;
        info.fState = kIntervalChoices[id - IDM_CHANGE_LOGON] == settings.intervalMinutes ? MFS_CHECKED : MFS_UNCHECKED;
        ::SetMenuItemInfoA(MainMenu1, UINT(id), FALSE, &info);
    }
    SetMenuChecked(IDM_CHANGE_UNLOCKED, settings.whenUnlocked);
}

// Only a randomizer that starts at log-on stays running: started now, it changes nothing until its
// first interval has passed or the session is unlocked.
void TFormSelect::FollowRandomizerSettings() {
    if (!MenuChecked(IDM_RUNRANDOMIZER)) {
        EndResident(kResidentEndWaitMs);
        return;
    }
    if (TellResident(ResidentRequest::SettingsChanged)) return;
    if (ReadChangeSettings(env_).KeepsRunning()) StartRandomizer(env_, ProgramDir, "--resident");
}

}  // namespace mx
