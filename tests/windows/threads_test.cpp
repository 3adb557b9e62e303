// Threads that outlive whoever started them, started in thousands while every core is busy, as a
// randomizer at a busy log-on starts them: none may crash the process.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/detached_thread.h"
#include "platform/environment.h"
#include "randomizer/folder_probes.h"

namespace mx::test {
namespace {

// Keeps every core busy for as long as it lives.
class Load {
public:
    Load() {
        for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); ++i)
            spinners_.emplace_back([this] {
                while (!stop_.load(std::memory_order_relaxed)) {
                }
            });
    }
    ~Load() {
        stop_ = true;
        for (std::thread& t : spinners_) t.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> spinners_;
};

// Once a detached std::thread per item crashed one run in six here; its replacement, in the same loop.
TEST(DetachedThreads, ThousandsStartedInALoopUnderLoadAllRun) {
    Load load;
    auto done = std::make_shared<std::atomic<int>>(0);
    for (int i = 0; i < 3000; ++i) ASSERT_TRUE(StartDetachedThread([done] { ++*done; }));
    for (int waited = 0; *done < 3000 && waited < 60000; waited += 10) ::Sleep(10);
    EXPECT_EQ(*done, 3000);
}

TEST(FolderProbes, ThousandsOfRootsUnderLoadAnswerOnceEachAndOutliveTheRun) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string present = std::string(temp).substr(0, 3);
    Load load;
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        FolderProbes probes(2000, 8, SystemEnvironment().AskFolder());
        for (int i = 0; i < 3000; ++i) probes.Start("\\\\absent" + std::to_string(i % 1500) + "\\share\\");
        EXPECT_EQ(probes.Ask(present), FolderProbes::Answer::Present);
        // Half the runs ask every root; the others end while most are still being asked.
        for (int i = 0; i < (run % 2 ? 3000 : 20); ++i)
            EXPECT_NE(probes.Ask("\\\\absent" + std::to_string(i % 1500) + "\\share\\"), FolderProbes::Answer::Present);
    }
}

}  // namespace
}  // namespace mx::test
