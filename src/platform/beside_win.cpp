#include "platform/beside.h"
#include "platform/joined_thread.h"

namespace mx {

void RunBeside(const std::function<void()>& beside, const std::function<void()>& here) {
    RunBeside(beside, [&](bool) { here(); });
}

void RunBeside(const std::function<void()>& beside, const std::function<void(bool together)>& here) {
    JoinedThread thread(beside);
    here(thread.Started());
    thread.Join();
}

// The system's own lock and condition: the C++ library's wait under Wine was seen to miss its wake-up.
struct SharedCount::State {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
    size_t value = 0;
    bool stopped = false;
};

SharedCount::SharedCount() : state_(std::make_unique<State>()) {}
SharedCount::~SharedCount() = default;

void SharedCount::Set(size_t value) {
    ::AcquireSRWLockExclusive(&state_->lock);
    state_->value = value;
    ::ReleaseSRWLockExclusive(&state_->lock);
    ::WakeAllConditionVariable(&state_->changed);
}

void SharedCount::Stop() {
    ::AcquireSRWLockExclusive(&state_->lock);
    state_->stopped = true;
    ::ReleaseSRWLockExclusive(&state_->lock);
    ::WakeAllConditionVariable(&state_->changed);
}

bool SharedCount::WaitFor(size_t value) {
    ::AcquireSRWLockExclusive(&state_->lock);
    while (state_->value < value && !state_->stopped)
        ::SleepConditionVariableSRW(&state_->changed, &state_->lock, INFINITE, 0);
    const bool reached = state_->value >= value;
    ::ReleaseSRWLockExclusive(&state_->lock);
    return reached;
}

bool SeveralProcessors() {
    SYSTEM_INFO info{};
    ::GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 1;
}

}  // namespace mx
