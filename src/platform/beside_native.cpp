#include <exception>
#include <thread>

#include "platform/beside.h"

namespace mx {

void RunBeside(const std::function<void()>& beside, const std::function<void()>& here) {
    std::exception_ptr error;
    std::thread thread([&] {
        try {
            beside();
        } catch (...) {
            error = std::current_exception();
        }
    });
    try {
        here();
    } catch (...) {
        thread.join();
        throw;
    }
    thread.join();
    if (error) std::rethrow_exception(error);
}

bool SeveralProcessors() { return std::thread::hardware_concurrency() > 1; }

}  // namespace mx
