#include "randomizer/folder_probes.h"

#include <deque>
#include <unordered_map>

#include "platform/detached_thread.h"

namespace mx {

// What the asking threads share with the run; the last of them, or the run, frees it.
struct FolderProbes::Shared {
    enum class State { Waiting, Present, Missing };

    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE answered = CONDITION_VARIABLE_INIT;
    std::unordered_map<std::string, State> states;
    std::deque<std::string> queue;  // roots not yet taken by a thread
    size_t asking = 0;              // threads at work
    bool closed = false;            // the run needs no more answers

    class Lock {
    public:
        explicit Lock(SRWLOCK& lock) : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
        ~Lock() { ::ReleaseSRWLockExclusive(&lock_); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        SRWLOCK& lock_;
    };

    // One asking thread: takes roots from the queue until it is empty.
    void Work() {
        std::string root;
        DWORD attributes = 0;
        for (;;) {
            {
                Lock hold(lock);
                if (!root.empty()) {
                    states[root] = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                                       ? State::Present
                                       : State::Missing;
                    ::WakeAllConditionVariable(&answered);
                }
                if (closed || queue.empty()) {
                    --asking;
                    return;
                }
                root = std::move(queue.front());
                queue.pop_front();
            }
            attributes = ::GetFileAttributesA(root.c_str());
        }
    }
};

FolderProbes::FolderProbes(DWORD waitMs, size_t threads)
    : shared_(std::make_shared<Shared>()), deadline_(::GetTickCount64() + waitMs), threads_(threads) {}

FolderProbes::~FolderProbes() {
    Shared::Lock hold(shared_->lock);
    shared_->closed = true;
    shared_->queue.clear();
}

void FolderProbes::Start(const std::string& root) {
    if (root.empty()) return;
    {
        Shared::Lock hold(shared_->lock);
        if (!shared_->states.emplace(root, Shared::State::Waiting).second) return;
        shared_->queue.push_back(root);
        if (shared_->asking >= threads_) return;
        ++shared_->asking;
    }
    if (StartDetachedThread([shared = shared_] { shared->Work(); })) return;
    // No thread to spare: the roots nobody asks count as present, and each entry's own reading
    // finds out.
    Shared::Lock hold(shared_->lock);
    if (--shared_->asking > 0) return;
    for (const std::string& waiting : shared_->queue) shared_->states[waiting] = Shared::State::Present;
    shared_->queue.clear();
    ::WakeAllConditionVariable(&shared_->answered);
}

FolderProbes::Answer FolderProbes::Ask(const std::string& root) {
    if (root.empty()) return Answer::Present;
    Start(root);
    Shared::Lock hold(shared_->lock);
    for (;;) {
        switch (shared_->states.at(root)) {
        case Shared::State::Present: return Answer::Present;
        case Shared::State::Missing: return Answer::Missing;
        case Shared::State::Waiting: break;
        }
        ULONGLONG now = ::GetTickCount64();
        if (now >= deadline_) return Answer::Silent;
        ::SleepConditionVariableSRW(&shared_->answered, &shared_->lock, DWORD(deadline_ - now), 0);
    }
}

}  // namespace mx
