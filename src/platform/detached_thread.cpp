#include "platform/detached_thread.h"

#include <windows.h>

#include <memory>

namespace mx {

namespace {

DWORD WINAPI RunWork(void* parameter) {
    std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    try {
        (*work)();
    } catch (...) {
        // Nobody waits for this thread's result: an error ends only the thread.
    }
    return 0;
}

}  // namespace

bool StartDetachedThread(std::function<void()> work) {
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    HANDLE thread = ::CreateThread(nullptr, 64 * 1024, RunWork, owned.get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread) return false;
    owned.release();
    ::CloseHandle(thread);
    return true;
}

}  // namespace mx
