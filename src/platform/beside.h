#pragma once
// Work shared out to a second thread for as long as a call takes: the Windows program runs it on a
// Win32 thread (see joined_thread.h), the portable core's tests on a joined std::thread.
#include <cstddef>
#include <functional>
#include <memory>

namespace mx {

// Runs `beside` on a second thread while the caller runs `here`, and returns once both have ended;
// an exception that ended either is thrown here (the caller's first). Where no thread can be made,
// `beside` runs on the caller's thread after `here`.
void RunBeside(const std::function<void()>& beside, const std::function<void()>& here);
// The same, `here` told whether `beside` runs at the same time: where no thread could be made it runs
// after `here`, which must then not wait for it.
void RunBeside(const std::function<void()>& beside, const std::function<void(bool together)>& here);

// Whether the machine has more than one processor: work split in two only gains where both halves run
// at once.
bool SeveralProcessors();

// A count one of RunBeside's two threads raises and the other waits for, asleep.
class SharedCount {
public:
    SharedCount();
    ~SharedCount();
    SharedCount(const SharedCount&) = delete;
    SharedCount& operator=(const SharedCount&) = delete;

    void Set(size_t value);
    // Wakes every wait for good: what was waited for will not come.
    void Stop();
    // Waits until the count is at least `value`; false when it was stopped below it.
    bool WaitFor(size_t value);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace mx
