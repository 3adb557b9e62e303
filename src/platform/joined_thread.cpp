#include "platform/joined_thread.h"

namespace mx {

JoinedThread::JoinedThread(std::function<void()> work) : work_(std::move(work)) {
    thread_.reset(::CreateThread(nullptr, 256 * 1024, Run, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
}

JoinedThread::~JoinedThread() {
    if (thread_) ::WaitForSingleObject(thread_.get(), INFINITE);
}

void JoinedThread::Join() {
    if (joined_) return;
    joined_ = true;
    if (thread_) ::WaitForSingleObject(thread_.get(), INFINITE);
    else Work();
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
}

DWORD WINAPI JoinedThread::Run(void* parameter) {
    static_cast<JoinedThread*>(parameter)->Work();
    return 0;
}

void JoinedThread::Work() {
    try {
        work_();
    } catch (...) {
        error_ = std::current_exception();
    }
}

}  // namespace mx
