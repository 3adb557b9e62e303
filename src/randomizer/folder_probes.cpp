#include "randomizer/folder_probes.h"

#include <algorithm>
#include <deque>
#include <string_view>
#include <unordered_map>

#include "platform/detached_thread.h"

namespace mx {

namespace {

// The asking threads count as stuck when none has answered for this long.
constexpr ULONGLONG kStuckMs = 50;

bool IsDrive(const std::string& root) { return root.size() == 3 && root[1] == ':' && root[2] == '\\'; }

// The machine's own fixed disks answer at once. The drive's device is looked up first, which never
// touches the drive, because asking a network drive for its type may wait for the network.
bool IsFixedLocalDrive(const std::string& root) {
    if (!IsDrive(root)) return false;
    const char name[3] = {root[0], ':', '\0'};
    char device[MAX_PATH] = {};
    if (!::QueryDosDeviceA(name, device, MAX_PATH)) return false;
    return std::string_view(device).starts_with("\\Device\\HarddiskVolume") && ::GetDriveTypeA(root.c_str()) == DRIVE_FIXED;
}

}  // namespace

// What the asking threads share with the run; the last of them, or the run, frees it.
struct FolderProbes::Shared {
    enum class State { Queued, Asking, Present, Missing };

    explicit Shared(Question q) : question(std::move(q)) {}

    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE answered = CONDITION_VARIABLE_INIT;
    const Question question;
    std::unordered_map<std::string, State> states;
    std::deque<std::string> queue;  // roots waiting for a thread; some may have been taken since
    size_t asking = 0;              // threads at work
    ULONGLONG lastAnswer = ::GetTickCount64();  // or the last thread started
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

    // The next waiting root, now marked as being asked; false when none waits. Called with the lock.
    bool TakeWaiting(std::string& root) {
        while (!closed && !queue.empty()) {
            State& state = states[queue.front()];
            root = std::move(queue.front());
            queue.pop_front();
            if (state == State::Queued) {
                state = State::Asking;
                return true;
            }
        }
        return false;
    }

    // One asking thread: asks about `root`, then takes waiting roots until there are none.
    void Work(std::string root) {
        for (;;) {
            const DWORD attributes = question(root);
            Lock hold(lock);
            states[root] = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                               ? State::Present
                               : State::Missing;
            lastAnswer = ::GetTickCount64();
            ::WakeAllConditionVariable(&answered);
            if (!TakeWaiting(root)) {
                --asking;
                return;
            }
        }
    }
};

FolderProbes::FolderProbes(DWORD waitMs, size_t threads, Question question)
    : shared_(std::make_shared<Shared>(std::move(question))), deadline_(::GetTickCount64() + waitMs), threads_(threads) {}

FolderProbes::~FolderProbes() {
    Shared::Lock hold(shared_->lock);
    shared_->closed = true;
    shared_->queue.clear();
}

void FolderProbes::Start(const std::string& root) {
    if (root.empty()) return;
    {
        Shared::Lock hold(shared_->lock);
        if (shared_->states.count(root)) return;
    }
    const bool fixed = IsFixedLocalDrive(root);
    Shared::Lock hold(shared_->lock);
    shared_->states[root] = fixed ? Shared::State::Present : Shared::State::Queued;
    if (fixed) return;
    // A drive (removable media, a network drive: 26 at most) is asked at once, never behind shares.
    if (IsDrive(root) || shared_->asking < threads_) Launch(root);
    else shared_->queue.push_back(root);
}

void FolderProbes::Launch(const std::string& root) {
    shared_->states[root] = Shared::State::Asking;
    ++shared_->asking;
    if (StartDetachedThread([shared = shared_, root] { shared->Work(root); })) return;
    // No thread to spare: the root counts as present, and each entry's own reading finds out; so do
    // the waiting roots when no thread is left to take them.
    shared_->states[root] = Shared::State::Present;
    if (--shared_->asking == 0) {
        for (const std::string& waiting : shared_->queue)
            if (Shared::State& state = shared_->states[waiting]; state == Shared::State::Queued)
                state = Shared::State::Present;
        shared_->queue.clear();
    }
    ::WakeAllConditionVariable(&shared_->answered);
}

FolderProbes::Answer FolderProbes::Ask(const std::string& root) {
    if (root.empty()) return Answer::Present;
    Start(root);
    Shared::Lock hold(shared_->lock);
    // The root waited for goes first. While the run waits, the threads are stuck when none has
    // answered for a while (they ask shares that do not answer): a thread is then added for the next
    // waiting root, one each while, so that every root is asked well before the deadline.
    if (shared_->states.at(root) == Shared::State::Queued) shared_->queue.push_front(root);
    for (;;) {
        const Shared::State state = shared_->states.at(root);
        if (state == Shared::State::Present) return Answer::Present;
        if (state == Shared::State::Missing) return Answer::Missing;
        ULONGLONG now = ::GetTickCount64();
        if (now >= deadline_) return Answer::Silent;
        std::string waiting;
        if (now >= shared_->lastAnswer + kStuckMs && shared_->TakeWaiting(waiting)) {
            shared_->lastAnswer = now;
            Launch(waiting);
            continue;
        }
        const ULONGLONG until = shared_->queue.empty() ? deadline_ : std::min(deadline_, shared_->lastAnswer + kStuckMs);
        ::SleepConditionVariableSRW(&shared_->answered, &shared_->lock, DWORD(std::max(until, now + 1) - now), 0);
    }
}

}  // namespace mx
