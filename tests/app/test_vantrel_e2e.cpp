// Runs the real executable headless with a scripted timeline.
#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "datagen/demo_ui.h"
#include "support/run_program.h"
#include "support/test_env.h"

namespace {

class VantrelRun : public vtest::TempDirTest {
protected:
    // Runs vantrel with VANTREL_HOME = the scratch folder and the script;
    // returns the exit status (-1 when it did not exit normally).
    int Run(const std::string& script) {
        WriteFile(Dir() + "script.txt", script);
        // The panel tables every start needs.
        EXPECT_TRUE(datagen::WriteDemoUiTables(Dir()));
        return vtest::RunProgram(VANTREL_EXE, {"VANTREL_HOME=" + Dir(), "VANTREL_SCRIPT=" + Dir() + "script.txt"});
    }
};

TEST_F(VantrelRun, ScriptedCloseEndsCleanlyWithTheStateSequenceInTheLog) {
    ASSERT_EQ(Run("step 2\nlimit 600000\nat 400 move 100 100\nat 500 key 0x41\nat 3000 close\n"), 0);
    const std::string log = ReadFile(Dir() + "BugLog.ini");
    ASSERT_EQ(log.rfind("tamiro begin\n", 0), 0u) << log;
    ASSERT_GE(log.size(), 11u);
    EXPECT_EQ(log.substr(log.size() - 11), "tamiro end\n") << log;
    // Start-up, the title screen after the (missing) intro movie, and the
    // shutdown, in order.
    const char* order[] = {"InitGameFileProperty() ", "System:", "EndInitInstance\n", "Begin InitJM()\n",
                           "End InitJM()\n", "  StartAppEnd()\n", "LogAVI\n", "End JM_EndOut()\n",
                           "Begin JM_BeginOut()\n", "End JM_BeginOut()\n", "End JM_EndOut()\n",
                           "  Other.ClearUp\n", "tamiro end\n"};
    size_t at = 0;
    for (const char* line : order) {
        at = log.find(line, at);
        ASSERT_NE(at, std::string::npos) << "missing in order: " << line << "\n" << log;
        ++at;
    }
    EXPECT_EQ(log.find("Set display mode error."), std::string::npos);
}

TEST_F(VantrelRun, BadScriptShutsDownInOrderAndFails) {
    ASSERT_EQ(Run("at 10 dance\n"), 64);
    const std::string log = ReadFile(Dir() + "BugLog.ini");
    EXPECT_EQ(log.rfind("tamiro begin\n", 0), 0u);
    EXPECT_NE(log.find("  Other.ClearUp\n"), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 11), "tamiro end\n");
    // A script that cannot be read fails the same way.
    EXPECT_EQ(vtest::RunProgram(VANTREL_EXE, {"VANTREL_HOME=" + Dir(), "VANTREL_SCRIPT=" + Dir() + "missing.txt"}), 64);
}

// A program folder where the log cannot be written (read-only for a normal
// user; for root, whom permissions do not stop, a folder in the log's
// place): the run goes on and says why once on stderr.
TEST_F(VantrelRun, UnwritableLogIsSaidOnceOnStderrAndTheRunGoesOn) {
    WriteFile(Dir() + "script.txt", "step 2\nat 2000 close\n");
    const std::string home = Dir() + "home/";
    ASSERT_EQ(mkdir(home.c_str(), 0755), 0);
    if (geteuid() == 0) ASSERT_EQ(mkdir((home + "BugLog.ini").c_str(), 0755), 0);
    else ASSERT_EQ(chmod(home.c_str(), 0555), 0);
    const int code = vtest::RunProgram(VANTREL_EXE, {"VANTREL_HOME=" + home, "VANTREL_SCRIPT=" + Dir() + "script.txt"},
                                       Dir() + "stderr.txt");
    chmod(home.c_str(), 0755);
    // Ends normally (with the code the game gives a folder without data).
    EXPECT_GE(code, 0);
    EXPECT_NE(code, 64);
    const std::string err = ReadFile(Dir() + "stderr.txt");
    const std::string line = "vantrel: cannot write the log \"" + home + "BugLog.ini\": ";
    const size_t at = err.find(line);
    ASSERT_NE(at, std::string::npos) << err;
    EXPECT_EQ(err.find(line, at + 1), std::string::npos) << "said once: " << err;
    EXPECT_NE(err.find(geteuid() == 0 ? "Is a directory" : "Permission denied", at), std::string::npos) << err;
}

} // namespace
