#pragma once
// The game in a real window on a virtual X display: a demo folder of its
// own, its log and stderr, and waits on what it writes. For test programs
// that define VANTREL_EXE.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/process.h"
#include "support/test_env.h"
#include "support/xdisplay.h"

namespace vtest {

// Polls `done` every 50 ms for up to `timeoutMs`.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

class XGameTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        std::string error;
        ASSERT_TRUE(WriteDemoFolder(Dir(), &error)) << error;
    }
    std::string Log() { return ReadFile(Dir() + "BugLog.ini"); }
    std::string Err() { return ReadFile(Dir() + "stderr.txt"); }
    // Starts the game on `x` and returns its window ("" on failure).
    std::string StartGame(VirtualDisplay& x, ChildProcess& game, std::vector<std::string> env = {}) {
        env.insert(env.end(), {x.DisplayEnv(), "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy", "VANTREL_AUDIO=null",
                               "VANTREL_DEBUG=1", "VANTREL_HOME=" + Dir()});
        if (!game.Start({VANTREL_EXE}, ChildEnvironment(env), "/dev/null", Dir() + "stderr.txt")) return "";
        return x.WaitForWindow("^vantrel$", 30000);
    }
    bool WaitForTitle() {
        return WaitFor([&] { return Log().find("End JM_BeginOut()\n") != std::string::npos; }, 30000);
    }
    void ExpectEndsInOrder(ChildProcess& game) {
        EXPECT_EQ(game.Wait(30000), 0) << Err();
        const std::string log = Log();
        ASSERT_GE(log.size(), 11u);
        EXPECT_EQ(log.substr(log.size() - 11), "tamiro end\n") << log;
    }
};

}  // namespace vtest
