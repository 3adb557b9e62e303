#pragma once
// How other programs reach the randomizer that stays running in the log-on session: it holds a named
// mutex for as long as it runs, and its hidden window takes requests as a registered message whose
// wParam names the request. The selector, the uninstall and a second start of the randomizer use it.
#include <windows.h>

#include <optional>

namespace mx {

inline constexpr const char* kResidentMutex = "Local\\Mosalux Resident Randomizer";
inline constexpr const char* kResidentWindowClass = "Mosalux Randomizer";

// A request handed over waits this long for the randomizer to be done with it: longer than a change
// waits for its turn, a share and a picture together.
inline constexpr DWORD kHandOverWaitMs = 120000;

// The uninstall and the selector give a randomizer that stays running this long to end by itself.
inline constexpr DWORD kResidentEndWaitMs = 10000;

enum class ResidentRequest : WPARAM {
    Next = 1,             // the next wallpaper, as --next
    LogOn = 2,            // a log-on run, for a second start at log-on
    Exit = 3,             // end, as the icon menu's Exit
    SettingsChanged = 4,  // read the change settings again now
    WallpaperReplaced = 5,  // the selector set the wallpaper itself: a display change keeps its picture
};

// The registered message that carries a request; the answer is 1 when it was done.
UINT ResidentRequestMessage();

// Whether a randomizer stays running in this session (it may still be starting).
bool ResidentRuns();

// Hands a request to the randomizer that stays running and waits up to `timeoutMs` for it to be
// done: its answer, or nothing when none runs or it did not answer in time. One that is still
// starting is waited for a few seconds.
std::optional<LRESULT> HandToResident(ResidentRequest request, DWORD timeoutMs);

// Tells the randomizer that stays running, without waiting; false when none runs.
bool TellResident(ResidentRequest request);

// Ends the randomizer that stays running: asks it to end, and ends its process when it has not ended
// within `timeoutMs` (a run of it waiting on a share or a picture). True when one ran.
bool EndResident(DWORD timeoutMs);

}  // namespace mx
