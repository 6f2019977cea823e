// The real executable, headless, on the demo data set, with a scripted
// timeline: title, then the window is closed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/demo_data.h"
#include "support/process.h"
#include "support/run_program.h"
#include "support/test_env.h"

namespace {

class DemoRun : public vtest::TempDirTest {
protected:
    void Demo(const std::string& dxVersion) {
        datagen::DemoOptions o;
        o.dxVersion = dxVersion;
        std::string error;
        ASSERT_TRUE(datagen::WriteDemoDataSet(Dir(), o, &error)) << error;
    }
    // Exit status (-1 when it did not exit normally); stderr into stderr_.
    int Run(const std::string& script) {
        WriteFile(Dir() + "script.txt", script);
        const std::string errPath = Dir() + "stderr.txt";
        const int rc = vtest::RunProgram(VANTREL_EXE,
                                         {"VANTREL_HOME=" + Dir(), "VANTREL_SCRIPT=" + Dir() + "script.txt",
                                          "VANTREL_HEADLESS=1", "SDL_AUDIODRIVER=dummy"},
                                         errPath);
        stderr_ = ReadFile(errPath);
        log_ = ReadFile(Dir() + "BugLog.ini");
        return rc;
    }
    // The lines appear in this order (other lines may lie between).
    void ExpectInOrder(const std::vector<std::string>& lines) {
        size_t at = 0;
        for (const std::string& line : lines) {
            const size_t found = log_.find(line, at);
            ASSERT_NE(found, std::string::npos) << "missing in order: " << line << "\n" << log_;
            at = found + line.size();
        }
    }
    void ExpectEndsCleanly() {
        ASSERT_EQ(log_.rfind("tamiro begin\n", 0), 0u) << log_;
        ASSERT_GE(log_.size(), 11u);
        EXPECT_EQ(log_.substr(log_.size() - 11), "tamiro end\n") << log_;
    }
    // Timed lines: digits right before the label.
    void ExpectTimed(const std::string& label) {
        const size_t at = log_.find(label);
        ASSERT_NE(at, std::string::npos) << label;
        ASSERT_GT(at, 0u);
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(log_[at - 1]))) << label;
    }
    std::string log_;
    std::string stderr_;
};

const char* kTitleThenClose = "step 2\nlimit 600000\nat 3000 close\n";

TEST_F(DemoRun, StartTitleAndShutdownInOrder) {
    Demo("8.1");
    ASSERT_EQ(Run(kTitleThenClose), 0) << stderr_;
    ExpectEndsCleanly();
    ExpectInOrder({"tamiro begin\n", "InitGameFileProperty() 0\n", "EndInitInstance\n",
                   "  Set DirectDraw SetDisplayEnd\n", "  Init CombineLibEnd\n", "  SoundInitEnd\n", "  MdlInitEnd\n",
                   "  Slr Init End\n", "  3DEffect Init End\n", "Begin InitJM()\n", "End InitJM()\n",
                   "  StartAppEnd()\n", "LogAVI\n", "End JM_EndOut()\n", "Begin JM_BeginOut()\n",
                   "End JM_BeginOut()\n", "End JM_EndOut()\n", "   AllLib Mem(K)\n", "  Other.ClearUp\n",
                   "tamiro end\n"});
    for (const char* label : {"  Set DirectDraw SetDisplayEnd\n", "  Init CombineLibEnd\n", "  SoundInitEnd\n",
                              "  MdlInitEnd\n", "  Slr Init End\n", "  3DEffect Init End\n", "  StartAppEnd()\n",
                              "   AllLib Mem(K)\n", "  Other.ClearUp\n"})
        ExpectTimed(label);
    EXPECT_EQ(log_.find("SoundInit Fail"), std::string::npos) << "the demo has its sounds";
    EXPECT_EQ(log_.find("Set display mode error."), std::string::npos);
    EXPECT_EQ(stderr_.find("DirectX"), std::string::npos) << "no warning box for 8.1";
}

TEST_F(DemoRun, OldDirectXShowsTheBoxAndShutsDownInOrder) {
    Demo("7.0");
    // A refusal to start is not a success.
    ASSERT_EQ(Run(kTitleThenClose), 2) << stderr_;
    ExpectEndsCleanly();
    ExpectInOrder({"EndInitInstance\n", "   AllLib Mem(K)\n", "  Other.ClearUp\n", "tamiro end\n"});
    EXPECT_EQ(log_.find("SetDisplayEnd"), std::string::npos) << log_;
    EXPECT_EQ(log_.find("JM_BeginOut"), std::string::npos) << "no title screen";
    // The row-321 text, as UTF-8 on stderr.
    EXPECT_NE(stderr_.find("DirectX"), std::string::npos) << stderr_;
}

TEST_F(DemoRun, MissingCapabilityFileShowsItsPathAndStarts) {
    Demo("");
    ASSERT_EQ(Run(kTitleThenClose), 0) << stderr_;
    ExpectEndsCleanly();
    EXPECT_NE(stderr_.find("DisplayCapability.INI"), std::string::npos) << stderr_;
    ExpectInOrder({"  StartAppEnd()\n", "Begin JM_BeginOut()\n", "  Other.ClearUp\n"});
}

TEST_F(DemoRun, ClockJumpAtTheTitleIsSurvived) {
    // A five-second stall of the clock: the loop resynchronises (the
    // in-process frame-loop tests count the passes) and the run ends as usual.
    Demo("8.1");
    ASSERT_EQ(Run("step 2\nlimit 600000\nat 1500 jump 5000\nat 8000 close\n"), 0) << stderr_;
    ExpectEndsCleanly();
    ExpectInOrder({"  StartAppEnd()\n", "Begin JM_BeginOut()\n", "End JM_BeginOut()\n", "  Other.ClearUp\n",
                   "tamiro end\n"});
}

// The scene viewer starts the application, draws a frame and ends cleanly
// (under the sanitizers too: nothing at exit reads a static already gone,
// nothing it made is left behind).
TEST_F(DemoRun, WorldviewDrawsAFrameAndExitsCleanly) {
    Demo("8.1");
    vtest::ChildProcess child;
    const std::string errPath = Dir() + "stderr.txt";
    ASSERT_TRUE(child.Start({WORLDVIEW_EXE, Dir(), Dir() + "w.png"}, vtest::ChildEnvironment({"SDL_AUDIODRIVER=dummy"}),
                            "/dev/null", errPath));
    EXPECT_EQ(child.Wait(), 0) << ReadFile(errPath);
    EXPECT_FALSE(ReadFile(Dir() + "w.png").empty());
}

} // namespace
