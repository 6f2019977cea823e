// The real executable, headless, on the demo data set: the game's cursor
// follows the injected mouse moves on the dumped frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/demo_data.h"
#include "platform/png.h"
#include "support/run_program.h"
#include "support/test_env.h"

namespace {

class CursorRun : public vtest::TempDirTest {
protected:
    int Run(const std::string& script, const std::string& png) {
        WriteFile(Dir() + "script.txt", script);
        return vtest::RunProgram(VANTREL_EXE,
                                 {"VANTREL_HOME=" + Dir(), "VANTREL_SCRIPT=" + Dir() + "script.txt",
                                  "VANTREL_HEADLESS=1", "VANTREL_FRAME_PNG=" + png, "SDL_AUDIODRIVER=dummy"},
                                 Dir() + "stderr.txt");
    }
};

struct Rgb {
    int r, g, b;
};

Rgb At(const std::vector<uint8_t>& rgb, int32_t w, int32_t x, int32_t y) {
    const size_t i = (static_cast<size_t>(y) * w + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

// The demo cursor's shape 1 is a 16 x 16 right triangle of orange-yellow
// (255, 220, 0) or (255, 180, 0), outlined in black, its hot-spot at the
// corner: inside it red is full, blue none, green between.
bool IsCursorFill(Rgb c) { return c.r >= 248 && c.b == 0 && c.g >= 176 && c.g <= 224; }

TEST_F(CursorRun, CursorFollowsTheMouseOnTheDumpedFrame) {
    std::string error;
    ASSERT_TRUE(datagen::WriteDemoDataSet(Dir(), datagen::DemoOptions{}, &error)) << error;
    struct Case {
        int32_t x, y;
    } cases[] = {{200, 150}, {421, 307}};
    for (int i = 0; i < 2; ++i) {
        const Case& c = cases[i];
        const Case& other = cases[1 - i];
        SCOPED_TRACE(c.x);
        const std::string png = Dir() + "frame" + std::to_string(c.x) + ".png";
        const std::string script = "step 2\nlimit 600000\nat 2000 move " + std::to_string(c.x) +
                                   " " + std::to_string(c.y) + "\nat 3000 close\n";
        ASSERT_EQ(Run(script, png), 0) << ReadFile(Dir() + "stderr.txt");
        int32_t w = 0, h = 0;
        std::vector<uint8_t> rgb;
        ASSERT_TRUE(plat::ReadPngRgb(png, &w, &h, &rgb)) << ReadFile(Dir() + "BugLog.ini");
        ASSERT_EQ(w, 640);
        ASSERT_EQ(h, 480);
        // Inside the triangle (x < y) below and right of the mouse point.
        for (auto [dx, dy] : {std::pair{1, 5}, {3, 10}, {7, 12}, {1, 14}}) {
            const Rgb p = At(rgb, w, c.x + dx, c.y + dy);
            EXPECT_TRUE(IsCursorFill(p)) << dx << "," << dy << ": " << p.r << " " << p.g << " " << p.b;
        }
        // Its outline, and transparent pixels above the diagonal.
        const Rgb edge = At(rgb, w, c.x, c.y + 8);
        EXPECT_EQ(edge.r + edge.g + edge.b, 0);
        EXPECT_FALSE(IsCursorFill(At(rgb, w, c.x + 10, c.y + 2)));
        // Nothing where the other run put it.
        EXPECT_FALSE(IsCursorFill(At(rgb, w, other.x + 3, other.y + 10)));
    }
}

} // namespace
