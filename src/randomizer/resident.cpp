#include "randomizer/resident.h"

#include <windowsx.h>
#include <wtsapi32.h>

#include <algorithm>

#include "app/command_line.h"
#include "platform/file_reading.h"
#include "platform/registry.h"
#include "platform/user_error.h"
#include "platform/window.h"
#include "randomizer/resident_resource.h"
#include "state/settings_store.h"

namespace mx {

namespace {

constexpr UINT kIconId = 1;
// The selector's main window, which "Open Mosalux Selector" brings to the front when it is open.
constexpr const char* kSelectorWindowClass = "TFormSelect";
constexpr const char* kSelectorFile = "MXSelect.exe";
// A notification-area tooltip holds 127 bytes.
constexpr size_t kTipBytes = 127;

// The tooltip: the product's name over the wallpaper's file names, cut at a character's start.
std::string TipText(const std::vector<SelectionEntry>& wallpaper) {
    std::string tip = "Mosalux";
    for (size_t i = 0; i < wallpaper.size(); ++i) tip += (i == 0 ? "\n" : ", ") + wallpaper[i].fileName;
    if (tip.size() <= kTipBytes) return tip;
    size_t cut = kTipBytes - 3;
    while (cut > 0 && (uint8_t(tip[cut]) & 0xC0) == 0x80) --cut;
    return tip.substr(0, cut) + "...";
}

// When the wallpaper changes, as the log says it: "every hour and at unlock".
std::string Plan(const ChangeSettings& settings) {
    if (settings.intervalMinutes == 0) return settings.whenUnlocked ? "at unlock" : "at log-on only";
    return IntervalName(settings.intervalMinutes) + (settings.whenUnlocked ? " and at unlock" : "");
}

}  // namespace

ClockReading ResidentClock::Read() {
    ULONGLONG unbiased = 0;  // in units of 100 ns
    ::QueryUnbiasedInterruptTime(&unbiased);
    return {::GetTickCount64(), unbiased / 10000};
}

ResidentRandomizer::ResidentRandomizer(Environment& env, ResidentClock& clock, ResidentTimes times,
                                       RandomizerOptions options, LogEcho echo)
    : env_(env), clock_(clock), times_(times), options_(std::move(options)), echo_(std::move(echo)),
      programDir_(ProgramDirOf(env.ModuleFileName())) {}

ResidentRandomizer::~ResidentRandomizer() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

bool ResidentRandomizer::Create() {
    place_.reset(::CreateMutexA(nullptr, FALSE, kResidentMutex));
    if (!place_ || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        place_.reset();
        return false;
    }
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    RegisterWindowClass(kResidentWindowClass, WindowProcedure<ResidentRandomizer>, nullptr, nullptr);
    // A top-level window that is never shown: a message-only window would miss the broadcasts of a
    // new taskbar, a new display and the power state.
    if (!::CreateWindowExA(WS_EX_TOOLWINDOW, kResidentWindowClass, "Mosalux Randomizer", WS_POPUP, 0, 0, 0, 0, nullptr,
                           nullptr, instance, this)) {
        place_.reset();
        return false;
    }
    taskbarCreated_ = ::RegisterWindowMessageA("TaskbarCreated");
    menu_.Load(IDR_RESIDENTMENU, {IDM_RES_SEPARATOR1, IDM_RES_SEPARATOR2, IDM_RES_SEPARATOR3});
    menu_.Find(IDM_RES_NEXT)->isDefault = true;
    for (UINT id = IDM_RES_LOGON; id <= IDM_RES_DAY; ++id) menu_.Find(id)->radio = true;
    icon_.reset(static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_RANDOMIZER), IMAGE_ICON,
                                                ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0)));
    sessionNotices_ = ::WTSRegisterSessionNotification(hwnd_, NOTIFY_FOR_THIS_SESSION);
    settings_ = ReadChangeSettings(env_);
    schedule_.SetInterval(uint64_t(settings_.intervalMinutes) * times_.minuteMs, Now());
    if (settings_.KeepsRunning()) Log("Stays running to change the wallpaper " + Plan(settings_));
    tip_ = TipText(current_);
    AddIcon();
    ArmTimer();
    return true;
}

int ResidentRandomizer::Run() {
    MSG msg{};
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}

void ResidentRandomizer::Log(const std::string& line) { AddToLog(env_, {line}, echo_); }

LRESULT ResidentRandomizer::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == ResidentRequestMessage()) return OnRequest(ResidentRequest(wp));
    if (msg == taskbarCreated_ && taskbarCreated_) {
        AddIcon();
        return 0;
    }
    switch (msg) {
    case kIconMessage: OnIcon(LOWORD(lp), POINT{GET_X_LPARAM(wp), GET_Y_LPARAM(wp)}); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wp)); return 0;
    case WM_TIMER: OnTimer(wp); return 0;
    case WM_POWERBROADCAST:
        if (wp == PBT_APMRESUMEAUTOMATIC || wp == PBT_APMRESUMESUSPEND) OnWake();
        return TRUE;
    case WM_WTSSESSION_CHANGE:
        if (wp == WTS_SESSION_UNLOCK) OnUnlock();
        return 0;
    case WM_DISPLAYCHANGE:
    case WM_DPICHANGED:
        // Made again once the display has settled: a new resolution comes as several messages.
        ::SetTimer(hwnd_, kSettleTimer, times_.settleMs, nullptr);
        return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    }
    return ::DefWindowProcA(hwnd_, msg, wp, lp);
}

LRESULT ResidentRandomizer::OnRequest(ResidentRequest request) {
    switch (request) {
    case ResidentRequest::Next: Change(ChangeTrigger::Next); return 1;
    case ResidentRequest::LogOn: Change(ChangeTrigger::LogOn); return 1;
    case ResidentRequest::Exit: End("Ended, as asked"); return 1;
    case ResidentRequest::SettingsChanged: FollowSettings(); return 1;
    case ResidentRequest::WallpaperReplaced:
        current_.clear();
        UpdateTip();
        return 1;
    }
    return 0;
}

void ResidentRandomizer::OnCommand(UINT id) {
    switch (id) {
    case IDM_RES_NEXT: Change(ChangeTrigger::Next); return;
    case IDM_RES_PAUSE: SetPaused(true); return;
    case IDM_RES_RESUME: SetPaused(false); return;
    case IDM_RES_OPEN: OpenSelector(); return;
    case IDM_RES_EXIT: End("Ended from its icon"); return;
    }
    if (id >= IDM_RES_LOGON && id <= IDM_RES_DAY) ChooseInterval(kIntervalChoices[id - IDM_RES_LOGON]);
}

// With the icon's version 4 the event comes with the point the menu belongs at (the icon's, when the
// keyboard opened it); the older version sends the mouse's messages only.
void ResidentRandomizer::OnIcon(UINT event, POINT anchor) {
    switch (event) {
    case WM_LBUTTONDBLCLK: Change(ChangeTrigger::Next); return;
    case WM_CONTEXTMENU:
    case NIN_KEYSELECT:
        if (iconVersion4_) OpenMenu(anchor);
        return;
    case WM_RBUTTONUP:
        if (!iconVersion4_) {
            POINT cursor{};
            ::GetCursorPos(&cursor);
            OpenMenu(cursor);
        }
        return;
    }
}

void ResidentRandomizer::OnTimer(UINT_PTR id) {
    ::KillTimer(hwnd_, id);
    if (id == kSettleTimer) {
        OnDisplayChanged();
        return;
    }
    if (busy_ || !FollowSettings()) return;
    switch (schedule_.Check(Now())) {
    case ChangeSchedule::Due::Timer: Change(ChangeTrigger::Timer); return;
    case ChangeSchedule::Due::Wake: Change(ChangeTrigger::Wake); return;
    case ChangeSchedule::Due::No: ArmTimer(); return;  // early, or the interval counts afresh
    }
}

// The timer's own count may stand still while the machine sleeps: it is set again from the clock
// that went on, and a change the sleep made due is made now.
void ResidentRandomizer::OnWake() {
    if (busy_ || !FollowSettings()) return;
    switch (schedule_.Check(Now())) {
    case ChangeSchedule::Due::No: ArmTimer(); return;
    case ChangeSchedule::Due::Timer: Change(ChangeTrigger::Timer); return;
    case ChangeSchedule::Due::Wake: Change(ChangeTrigger::Wake); return;
    }
}

void ResidentRandomizer::OnUnlock() {
    if (busy_ || !FollowSettings()) return;
    if (settings_.whenUnlocked && !schedule_.Paused()) Change(ChangeTrigger::Unlock);
}

// Nothing is dealt: the pictures of the last change are made again for the monitors as they are.
void ResidentRandomizer::OnDisplayChanged() {
    if (busy_) return;
    busy_ = true;
    MakeAgain(env_, options_, current_, madeFor_, echo_);
    busy_ = false;
    ::HeapCompact(::GetProcessHeap(), 0);
}

void ResidentRandomizer::Change(ChangeTrigger trigger) {
    if (busy_) return;
    busy_ = true;
    ChangeOutcome outcome = RunChange(env_, options_, trigger, echo_, settings_.intervalMinutes);
    // A program that handed its request over waits for the wallpaper, not for what follows here.
    if (::InSendMessage()) ::ReplyMessage(1);
    if (!outcome.wallpaper.empty()) {
        current_ = std::move(outcome.wallpaper);
        madeFor_ = std::move(outcome.layout);
        UpdateTip();
    }
    busy_ = false;
    // The pictures of the change are gone; the heap gives their room back to the system.
    ::HeapCompact(::GetProcessHeap(), 0);
    if (!hwnd_) return;
    schedule_.Changed(Now());
    if (FollowSettings()) ArmTimer();
}

bool ResidentRandomizer::FollowSettings() {
    const ChangeSettings before = settings_;
    settings_ = ReadChangeSettings(env_);
    if (!settings_.KeepsRunning()) {
        End("Ended: the wallpaper changes at log-on only now");
        return false;
    }
    if (settings_.intervalMinutes != before.intervalMinutes || settings_.whenUnlocked != before.whenUnlocked)
        Log("The wallpaper changes " + Plan(settings_) + " now");
    const uint64_t interval = uint64_t(settings_.intervalMinutes) * times_.minuteMs;
    if (interval != schedule_.Interval()) {
        schedule_.SetInterval(interval, Now());
        ArmTimer();
    }
    return true;
}

void ResidentRandomizer::ArmTimer() {
    if (!hwnd_) return;
    ::KillTimer(hwnd_, kIntervalTimer);
    if (std::optional<uint64_t> ms = schedule_.TimerMs(Now()))
        ::SetTimer(hwnd_, kIntervalTimer, UINT(std::clamp<uint64_t>(*ms, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM)),
                   nullptr);
}

void ResidentRandomizer::ChooseInterval(int minutes) {
    try {
        SettingsStore(env_).WriteInteger(kSelectorSection, kChangeIntervalValue, minutes);
    } catch (const UserError& e) {
        Log(std::string("The interval could not be kept: ") + e.what());
        return;
    }
    FollowSettings();
}

void ResidentRandomizer::SetPaused(bool paused) {
    if (paused == schedule_.Paused()) return;
    if (paused) schedule_.Pause();
    else schedule_.Resume(Now());
    Log(paused ? "Paused: the wallpaper changes only when asked" : "Resumed");
    ArmTimer();
}

void ResidentRandomizer::OpenMenu(POINT at) {
    menu_.SetVisible(IDM_RES_PAUSE, !schedule_.Paused());
    menu_.SetVisible(IDM_RES_RESUME, schedule_.Paused());
    for (UINT id = IDM_RES_LOGON; id <= IDM_RES_DAY; ++id)
        menu_.SetChecked(id, kIntervalChoices[id - IDM_RES_LOGON] == settings_.intervalMinutes);
    // The menu of a window in the background closes only when this window is in front while it is
    // open, and the message after it lets it close at once.
    ::SetForegroundWindow(hwnd_);
    env_.TrackPopup(hwnd_, menu_, at);
    ::PostMessageA(hwnd_, WM_NULL, 0, 0);
}

void ResidentRandomizer::OpenSelector() {
    if (HWND selector = ::FindWindowA(kSelectorWindowClass, nullptr)) {
        if (::IsIconic(selector)) ::ShowWindow(selector, SW_RESTORE);
        ::SetForegroundWindow(selector);
        return;
    }
    const std::string path = programDir_ + kSelectorFile;
    DWORD error = 0;
    if (!env_.StartProgram(path, "", error))
        env_.ShowMessage(hwnd_, BoxKind::Error, "Mosalux Selector cannot be started:\n\r" + path + ": " + SystemErrorText(error),
                         MB_OK);
}

void ResidentRandomizer::End(const std::string& why) {
    if (!hwnd_) return;
    Log(why);
    ::DestroyWindow(hwnd_);
}

void ResidentRandomizer::OnDestroy() {
    ::KillTimer(hwnd_, kIntervalTimer);
    ::KillTimer(hwnd_, kSettleTimer);
    NOTIFYICONDATAA data = IconData(0);
    env_.NotifyIcon(NIM_DELETE, data);
    if (sessionNotices_) ::WTSUnRegisterSessionNotification(hwnd_);
    place_.reset();
    if (QuitOnDestroy) ::PostQuitMessage(0);
}

NOTIFYICONDATAA ResidentRandomizer::IconData(UINT flags) const {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = hwnd_;
    data.uID = kIconId;
    data.uFlags = flags;
    data.uCallbackMessage = kIconMessage;
    data.hIcon = icon_.get();
    tip_.copy(data.szTip, sizeof data.szTip - 1);
    return data;
}

// At start, and again when the taskbar comes back (Explorer restarted, or not yet there at log-on).
void ResidentRandomizer::AddIcon() {
    NOTIFYICONDATAA data = IconData(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP);
    env_.NotifyIcon(NIM_ADD, data);
    data.uVersion = NOTIFYICON_VERSION_4;
    iconVersion4_ = env_.NotifyIcon(NIM_SETVERSION, data);
}

void ResidentRandomizer::UpdateTip() {
    tip_ = TipText(current_);
    NOTIFYICONDATAA data = IconData(NIF_TIP | NIF_SHOWTIP);
    env_.NotifyIcon(NIM_MODIFY, data);
}

int RunResident(Environment& env, const RandomizerOptions& options, bool logOnRun, const LogEcho& echo) {
    ResidentClock clock;
    ResidentRandomizer resident(env, clock, {}, options, echo);
    resident.QuitOnDestroy = true;
    if (!resident.Create()) {
        // Another start took the place a moment before: the log-on run is handed to it.
        if (logOnRun && !HandToResident(ResidentRequest::LogOn, kHandOverWaitMs))
            RunChange(env, options, ChangeTrigger::LogOn, echo);
        return 0;
    }
    if (logOnRun) resident.Change(ChangeTrigger::LogOn);
    else resident.FollowSettings();
    return resident.Handle() ? resident.Run() : 0;
}

}  // namespace mx
