#pragma once
// Work run on a Win32 thread of its own beside the caller, who waits for it before using what it made.
// (The program's threads are Win32 threads: MinGW-w64's POSIX thread layer misbehaves under Wine.)
#include <windows.h>

#include <exception>
#include <functional>

#include "platform/handles.h"

namespace mx {

class JoinedThread {
public:
    // Starts `work`; when no thread can be made, it runs in Join instead.
    explicit JoinedThread(std::function<void()> work);
    // Waits for the work, whose error is then lost: Join is the place to learn of it.
    ~JoinedThread();
    JoinedThread(const JoinedThread&) = delete;
    JoinedThread& operator=(const JoinedThread&) = delete;

    // Waits until the work has ended; the exception that ended it is thrown here. Once only.
    void Join();
    // Whether the work runs on a thread of its own, rather than in Join.
    bool Started() const { return bool(thread_); }

private:
    static DWORD WINAPI Run(void* parameter);
    void Work();

    std::function<void()> work_;
    std::exception_ptr error_;
    KernelHandle thread_;
    bool joined_ = false;
};

}  // namespace mx
