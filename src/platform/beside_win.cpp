#include "platform/beside.h"
#include "platform/joined_thread.h"

namespace mx {

void RunBeside(const std::function<void()>& beside, const std::function<void()>& here) {
    JoinedThread thread(beside);
    here();
    thread.Join();
}

bool SeveralProcessors() {
    SYSTEM_INFO info{};
    ::GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 1;
}

}  // namespace mx
