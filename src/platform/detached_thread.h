#pragma once
// Work that may outlive whoever started it runs on a Win32 thread that owns everything it uses: the
// work is moved onto the heap and the thread frees it when it ends. (A std::thread detached right
// after it is made crashes now and then in MinGW-w64's POSIX thread layer under Wine.)
#include <functional>

namespace mx {

// Starts `work` on a thread of its own with a small stack; false when no thread can be made, in
// which case `work` never runs.
bool StartDetachedThread(std::function<void()> work);

}  // namespace mx
