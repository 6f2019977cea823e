// The player controller in the real game, headless on the demo: a click on
// the ground sends the walk to that cell and the hero shows there later; a
// held button keeps walking under the cursor; a Ctrl stroke drawn as the
// strike's pattern casts it, and its trail shows.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "play/play_timeline.h"
#include "support/image_check.h"
#include "support/play.h"
#include "support/test_env.h"

namespace play_controller {

using ControllerPlay = playtl::DemoFolderTest;

using playtl::At;
using playtl::Click;
using playtl::StartFromTitle;

TEST_F(ControllerPlay, AClickOnTheGroundWalksTheHeroThere) {
    std::string t = "step 2\nlimit 600000\n" + StartFromTitle(2000);
    t += At(6200, "frame before.png") + Click(6300, 480, 150) + At(9500, "frame after.png") + At(9700, "close");
    vtest::GameRunOptions options;
    options.env.push_back("VANTREL_DEBUG=1");
    const vtest::GameRun run = vtest::RunGame(VANTREL_EXE, Dir(), t, options);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto walks = run.ErrLines("CMD 1 ");
    ASSERT_FALSE(walks.empty()) << run.err;
    vtest::RgbImage before, after;
    ASSERT_TRUE(before.Load(Dir() + "before.png"));
    ASSERT_TRUE(after.Load(Dir() + "after.png"));
    // The frames differ around the clicked point: the hero has come.
    int changed = 0;
    for (int y = 100; y < 200; y += 2)
        for (int x = 430; x < 530; x += 2)
            {
                const vtest::Rgb a = before.At(x, y), b = after.At(x, y);
                if (a.r != b.r || a.g != b.g || a.b != b.b) ++changed;
            }
    EXPECT_GT(changed, 50);
}

TEST_F(ControllerPlay, AHeldButtonKeepsWalkingUnderTheCursor) {
    std::string t = "step 2\nlimit 600000\n" + StartFromTitle(2000);
    t += At(6300, "move 480 300") + At(6350, "ldown") + At(6700, "move 200 300") + At(7200, "lup") +
         At(7300, "close");
    vtest::GameRunOptions options;
    options.env.push_back("VANTREL_DEBUG=1");
    const vtest::GameRun run = vtest::RunGame(VANTREL_EXE, Dir(), t, options);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto walks = run.ErrLines("CMD 1 ");
    ASSERT_GE(walks.size(), 10u) << "one walk every tick of the hold";
    EXPECT_NE(walks.front(), walks.back()) << "the cell follows the cursor";
}

// From the title into the game, then a Ctrl stroke rightward along y 300
// (the strike's pattern is a rightward line), frames before, while drawing
// and just after release.
std::string CtrlStrokeTimeline() {
    std::string t = "step 2\nlimit 600000\n" + StartFromTitle(2000);
    t += At(6200, "frame before.png") + At(6250, "move 200 300") + At(6300, "keydown ctrl") + At(6350, "ldown");
    std::string stroke = "stroke 30";
    for (int x = 200; x <= 440; x += 20) stroke += " " + std::to_string(x) + "," + std::to_string(300 + (x - 200) / 80);
    t += At(6400, stroke) + At(6800, "frame drawing.png") + At(6850, "lup") + At(6900, "frame cast.png") +
         At(7000, "keyup ctrl") + At(7100, "close");
    return t;
}

TEST_F(ControllerPlay, ACtrlStrokeOfTheStrikesPatternCastsItAndLeavesATrail) {
    const std::string t = CtrlStrokeTimeline();
    vtest::GameRunOptions options;
    options.env.push_back("VANTREL_DEBUG=1");
    const vtest::GameRun run = vtest::RunGame(VANTREL_EXE, Dir(), t, options);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.ErrLines("gesture "), (std::vector<std::string>{"gesture 1"})) << run.err;
    vtest::RgbImage before, drawing;
    ASSERT_TRUE(before.Load(Dir() + "before.png"));
    ASSERT_TRUE(drawing.Load(Dir() + "drawing.png"));
    // The trail's grey blocks lie along the stroke, not in the frame before.
    const auto grey = [](const vtest::Rgb& c) {
        return c.r > 150 && c.g > 150 && c.b > 150 && std::abs(c.r - c.b) < 16 && std::abs(c.g - c.b) < 16;
    };
    int trail = 0, earlier = 0;
    for (int y = 290; y < 315; ++y)
        for (int x = 200; x < 440; ++x) {
            trail += grey(drawing.At(x, y));
            earlier += grey(before.At(x, y));
        }
    EXPECT_GT(trail, earlier + 8) << "trail pixels " << trail << ", before " << earlier;
}

TEST_F(ControllerPlay, WithoutMethodPointTheGameRunsAndNoStrokeCasts) {
    ASSERT_EQ(std::remove((Dir() + "mb/MethodPoint.txt").c_str()), 0);
    vtest::GameRunOptions options;
    options.env.push_back("VANTREL_DEBUG=1");
    const vtest::GameRun run = vtest::RunGame(VANTREL_EXE, Dir(), CtrlStrokeTimeline(), options);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.ErrLines("gesture "), (std::vector<std::string>{"gesture -1"})) << run.err;
}

} // namespace play_controller
