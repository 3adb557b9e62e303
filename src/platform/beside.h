#pragma once
// Work shared out to a second thread for as long as a call takes: the Windows program runs it on a
// Win32 thread (see joined_thread.h), the portable core's tests on a joined std::thread.
#include <functional>

namespace mx {

// Runs `beside` on a second thread while the caller runs `here`, and returns once both have ended;
// an exception that ended either is thrown here (the caller's first). Where no thread can be made,
// `beside` runs on the caller's thread after `here`.
void RunBeside(const std::function<void()>& beside, const std::function<void()>& here);

// Whether the machine has more than one processor: work split in two only gains where both halves run
// at once.
bool SeveralProcessors();

}  // namespace mx
