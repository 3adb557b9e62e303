#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/beside.h"

namespace mx {

void RunBeside(const std::function<void()>& beside, const std::function<void()>& here) {
    RunBeside(beside, [&](bool) { here(); });
}

void RunBeside(const std::function<void()>& beside, const std::function<void(bool together)>& here) {
    std::exception_ptr error;
    std::thread thread;
    try {
        thread = std::thread([&] {
            try {
                beside();
            } catch (...) {
                error = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        here(false);
        beside();
        return;
    }
    try {
        here(true);
    } catch (...) {
        thread.join();
        throw;
    }
    thread.join();
    if (error) std::rethrow_exception(error);
}

bool SeveralProcessors() { return std::thread::hardware_concurrency() > 1; }

}  // namespace mx

namespace mx {

struct SharedCount::State {
    std::mutex lock;
    std::condition_variable changed;
    size_t value = 0;
    bool stopped = false;
};

SharedCount::SharedCount() : state_(std::make_unique<State>()) {}
SharedCount::~SharedCount() = default;

void SharedCount::Set(size_t value) {
    {
        std::lock_guard<std::mutex> hold(state_->lock);
        state_->value = value;
    }
    state_->changed.notify_all();
}

void SharedCount::Stop() {
    {
        std::lock_guard<std::mutex> hold(state_->lock);
        state_->stopped = true;
    }
    state_->changed.notify_all();
}

bool SharedCount::WaitFor(size_t value) {
    std::unique_lock<std::mutex> hold(state_->lock);
    state_->changed.wait(hold, [&] { return state_->value >= value || state_->stopped; });
    return state_->value >= value;
}

}  // namespace mx
