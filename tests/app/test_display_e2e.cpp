// Runs the real executable headless and has it dump its last frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/demo_ui.h"
#include "platform/png.h"
#include "support/run_program.h"
#include "support/test_env.h"

namespace {

class VantrelFrameDump : public vtest::TempDirTest {
protected:
    // Runs vantrel headless on a script with the given extra environment;
    // returns the exit status (negative when it did not exit normally).
    int Run(const std::string& script, const std::vector<std::string>& extraEnv) {
        WriteFile(Dir() + "script.txt", script);
        // The panel tables every start needs; no pictures, so nothing is drawn.
        EXPECT_TRUE(datagen::WriteDemoUiTables(Dir()));
        std::vector<std::string> env = {"VANTREL_HOME=" + Dir(), "VANTREL_SCRIPT=" + Dir() + "script.txt"};
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        return vtest::RunProgram(VANTREL_EXE, env);
    }
};

TEST_F(VantrelFrameDump, HeadlessRunWritesItsLastFrameAsA640x480Png) {
    const std::string png = Dir() + "frame.png";
    ASSERT_EQ(Run("step 2\nlimit 600000\nat 2000 move 10 10\nat 3000 close\n", {"VANTREL_FRAME_PNG=" + png}), 0);
    int32_t w = 0, h = 0;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(plat::ReadPngRgb(png, &w, &h, &rgb)) << ReadFile(Dir() + "BugLog.ini");
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    ASSERT_EQ(rgb.size(), 640u * 480u * 3u);
    // No pictures: the frame is black but for the title menu's version
    // text in the upper right corner.
    size_t lit = 0, corner = 0;
    for (size_t i = 0; i < rgb.size(); ++i) {
        const size_t px = i / 3, x = px % 640, y = px / 640;
        (x >= 580 && y < 20 ? corner : lit) += rgb[i] != 0;
    }
    EXPECT_EQ(lit, 0u) << "nothing else is drawn: the frame is black";
    EXPECT_GT(corner, 0u);
    const std::string log = ReadFile(Dir() + "BugLog.ini");
    EXPECT_NE(log.find("SetDisplayMode:DD_OK \n"), std::string::npos) << log;
}

TEST_F(VantrelFrameDump, WithoutThePathNothingIsWritten) {
    ASSERT_EQ(Run("step 2\nlimit 600000\nat 1000 close\n", {}), 0);
    EXPECT_EQ(ReadFile(Dir() + "frame.png"), "");
}

} // namespace
