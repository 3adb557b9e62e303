#include "randomizer/resident_link.h"

#include "platform/handles.h"

namespace mx {

namespace {

// A randomizer that holds the mutex makes its window at once; this is how long a request waits for it.
constexpr DWORD kWindowWaitMs = 5000;

HWND ResidentWindow(DWORD waitMs) {
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        if (HWND window = ::FindWindowA(kResidentWindowClass, nullptr)) return window;
        if (!ResidentRuns() || ::GetTickCount64() - start >= waitMs) return nullptr;
        ::Sleep(20);
    }
}

}  // namespace

UINT ResidentRequestMessage() {
    static const UINT message = ::RegisterWindowMessageA("Mosalux Randomizer Request");
    return message;
}

bool ResidentRuns() { return KernelHandle(::OpenMutexA(SYNCHRONIZE, FALSE, kResidentMutex)) ? true : false; }

std::optional<LRESULT> HandToResident(ResidentRequest request, DWORD timeoutMs) {
    HWND window = ResidentWindow(kWindowWaitMs);
    if (!window) return std::nullopt;
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(window, ResidentRequestMessage(), WPARAM(request), 0, SMTO_NORMAL, timeoutMs, &answer))
        return std::nullopt;
    return LRESULT(answer);
}

bool TellResident(ResidentRequest request) {
    HWND window = ResidentWindow(0);
    return window && ::PostMessageA(window, ResidentRequestMessage(), WPARAM(request), 0);
}

bool EndResident(DWORD timeoutMs) {
    HWND window = ResidentWindow(kWindowWaitMs);
    if (!window) return false;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    // In the same process (the tests), the window ends as the request is handled.
    if (processId == ::GetCurrentProcessId()) {
        ::SendMessageA(window, ResidentRequestMessage(), WPARAM(ResidentRequest::Exit), 0);
        return true;
    }
    KernelHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
    ::PostMessageA(window, ResidentRequestMessage(), WPARAM(ResidentRequest::Exit), 0);
    if (process && ::WaitForSingleObject(process.get(), timeoutMs) == WAIT_TIMEOUT) {
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), 5000);
    }
    return true;
}

}  // namespace mx
