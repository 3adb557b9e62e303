#pragma once
// The randomizer that stays running after its log-on run, when the wallpaper is to change every so
// often or at unlock: one hidden window and one notification-area icon, and nothing else. It waits
// in the message loop and does nothing until a message comes: its timer, the session's unlock, the
// machine's waking, a change of the display, the icon's menu, or a request of another program.
// Every change goes through the same run as at log-on, which reads the lists and the settings anew.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/environment.h"
#include "platform/handles.h"
#include "platform/menu.h"
#include "randomizer/change_schedule.h"
#include "randomizer/randomizer.h"
#include "randomizer/resident_link.h"
#include "state/change_settings.h"

namespace mx {

// The schedule's two clocks: the system's tick count, which goes on during sleep, and its unbiased
// interrupt time, which does not. The tests move them.
class ResidentClock {
public:
    virtual ~ResidentClock() = default;
    virtual ClockReading Read();
};

// How long a minute of the intervals is, and how long the display is let settle after a change
// before the wallpaper is made again for it (a change of resolution comes as several messages).
// The tests shorten both.
struct ResidentTimes {
    UINT minuteMs = 60000;
    UINT settleMs = 1000;
};

class ResidentRandomizer {
public:
    // `options` are those of its runs (a seed or a screen size for tests and measurements).
    ResidentRandomizer(Environment& env, ResidentClock& clock, ResidentTimes times = {},
                       RandomizerOptions options = {}, LogEcho echo = {});
    ~ResidentRandomizer();
    ResidentRandomizer(const ResidentRandomizer&) = delete;
    ResidentRandomizer& operator=(const ResidentRandomizer&) = delete;

    // Takes the session's place of the randomizer that stays running and makes the hidden window
    // and the icon; false when another one has the place, or the window cannot be made.
    bool Create();
    // A change, as the window makes it on its messages.
    void Change(ChangeTrigger trigger);
    // Reads the change settings and follows them: the timer for a new interval, or the end when
    // nothing keeps the randomizer running any more. False when it has ended.
    bool FollowSettings();
    // The message loop, until the randomizer ends.
    int Run();

    HWND Handle() const { return hwnd_; }
    bool QuitOnDestroy = false;  // the process's randomizer ends the message loop
    bool Paused() const { return schedule_.Paused(); }
    // The icon's tooltip: "Mosalux" and the current wallpaper's file name.
    const std::string& Tip() const { return tip_; }
    // The wallpaper's entries last shown, which a change of the display makes again.
    const std::vector<SelectionEntry>& Current() const { return current_; }

    static constexpr UINT kIconMessage = WM_APP + 1;
    static constexpr UINT_PTR kIntervalTimer = 1;
    static constexpr UINT_PTR kSettleTimer = 2;

private:
    template <class T>
    friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);

    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnRequest(ResidentRequest request);
    void OnCommand(UINT id);
    void OnIcon(UINT event, POINT anchor);
    void OnTimer(UINT_PTR id);
    void OnWake();
    void OnUnlock();
    void OnDisplayChanged();
    void OnDestroy();

    ClockReading Now() { return clock_.Read(); }
    void ArmTimer();
    void ChooseInterval(int minutes);
    void SetPaused(bool paused);
    void OpenMenu(POINT at);
    void OpenSelector();
    void End(const std::string& why);
    void Log(const std::string& line);

    void AddIcon();
    void UpdateTip();
    NOTIFYICONDATAA IconData(UINT flags) const;

    Environment& env_;
    ResidentClock& clock_;
    const ResidentTimes times_;
    const RandomizerOptions options_;
    const LogEcho echo_;
    const std::string programDir_;
    HWND hwnd_ = nullptr;
    KernelHandle place_;  // the session's mutex, held for the randomizer's life
    IconHandle icon_;
    PopupMenu menu_;
    UINT taskbarCreated_ = 0;
    bool iconVersion4_ = false;
    bool sessionNotices_ = false;
    bool busy_ = false;  // a change is being made
    ChangeSchedule schedule_;
    ChangeSettings settings_;
    std::vector<SelectionEntry> current_;
    MonitorLayout madeFor_;  // the monitors the current pictures were made for
    std::string tip_;
};

// The process's randomizer that stays running: made, with the log-on run first unless it was started
// to stay only (--resident), and run until it ends. Hands the request over when another one has
// just taken the session's place.
int RunResident(Environment& env, const RandomizerOptions& options, bool logOnRun, const LogEcho& echo);

}  // namespace mx
