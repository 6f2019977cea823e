// Entering a game from the title, headless: the new-game form's start
// leaves the loading window for the scene around the hero, with the
// cursor over it, and a screen size chosen in the settings is the game's.
#include <gtest/gtest.h>

#include <string>

#include "datagen/demo_title.h"
#include "play/play_timeline.h"
#include "support/image_check.h"
#include "support/play.h"
#include "support/test_env.h"

namespace play_enter_game {

class EnterGame : public vtest::TempDirTest {
protected:
    void SetUp() override {
        vtest::TempDirTest::SetUp();
        std::string error;
        ASSERT_TRUE(vtest::WriteDemoFolder(Dir(), &error)) << error;
    }
    vtest::RgbImage Frame(const std::string& name) {
        vtest::RgbImage image;
        EXPECT_TRUE(image.Load(Dir() + name)) << name;
        return image;
    }
};

using playtl::At;
using playtl::Click;
using playtl::TitleButtonY;
using playtl::StartFromTitle;

// Pixels of the hero's blue body in the box above the view's focus point,
// where the view keeps the hero's feet: the centre of the view, which is
// 640 x 431 in the 640 x 480 mode (the HUD below it) and the whole frame
// otherwise.
int HeroPixels(const vtest::RgbImage& im) {
    const int viewH = im.width == 640 ? 431 : im.height;
    int n = 0;
    for (int y = viewH / 2 - 30; y < viewH / 2 - 2; ++y)
        for (int x = im.width / 2 - 10; x < im.width / 2 + 10; ++x) {
            const vtest::Rgb p = im.At(x, y);
            if (p.b > 150 && p.r < 100 && p.g < 120) ++n;
        }
    return n;
}
// Share of grass-green pixels in the top-left 100 x 100.
double GrassShare(const vtest::RgbImage& im) {
    int n = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const vtest::Rgb p = im.At(x, y);
            if (p.g > p.r + 30 && p.g > p.b + 30) ++n;
        }
    return n / 10000.0;
}
void ExpectCursorAt(const vtest::RgbImage& im, int x, int y) {
    for (auto [dx, dy] : {std::pair{2, 9}, {4, 11}, {6, 13}})
        EXPECT_TRUE(vtest::PixelNear(im, x + dx, y + dy, vtest::Rgb{255, 200, 0}, 40)) << dx;
}

TEST_F(EnterGame, TheSceneAroundTheHeroFollowsTheLoadingWindowWithTheCursorOverIt) {
    std::string t = "step 2\nlimit 600000\n" + StartFromTitle(2000);
    t += At(3650, "frame g05.png") + At(6150, "frame g3.png") + At(11150, "frame g8.png") + At(11500, "close");
    const vtest::GameRun run = vtest::RunGame(VANTREL_EXE, Dir(), t);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(vtest::LinesInOrder(run.log, {"BeforeStrategy() End\n", "End JM_EndIn()\n"})) << run.log;
    // The second portrait's class has its row in the demo's class table:
    // the hero starts with that class's attributes, not zeros.
    EXPECT_NE(run.err.find("host new character class " + std::to_string(datagen::kDemoClassChoices[1].classId) + "\n"),
              std::string::npos);
    EXPECT_EQ(run.err.find("no class row"), std::string::npos) << run.err;
    for (const char* name : {"g05.png", "g3.png", "g8.png"}) {
        SCOPED_TRACE(name);
        const vtest::RgbImage im = Frame(name);
        ASSERT_EQ(im.width, 640);
        ASSERT_EQ(im.height, 480);
        EXPECT_GT(GrassShare(im), 0.8) << "the scene's ground, not the form";
        EXPECT_GT(HeroPixels(im), 100) << "the hero at the centre";
        ExpectCursorAt(im, 340, 312);
    }
}

TEST_F(EnterGame, TheSettingsScreenSizeIsTheGamesOnceItStarts) {
    std::string t = "step 2\nlimit 600000\n";
    // Settings, 800 x 600, close; then a new game.
    t += Click(1500, datagen::kDemoTitleButtonX + datagen::kDemoTitleButtonW / 2, TitleButtonY(32));
    t += Click(2000, 380, 290) + Click(2500, 300, 410);
    t += StartFromTitle(3000) + At(7150, "frame g.png") + At(7500, "close");
    const vtest::GameRun run = vtest::RunGame(VANTREL_EXE, Dir(), t);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const vtest::RgbImage im = Frame("g.png");
    ASSERT_EQ(im.width, 800);
    ASSERT_EQ(im.height, 600);
    EXPECT_GT(HeroPixels(im), 100) << "the hero at the centre of the larger frame";
    EXPECT_GT(GrassShare(im), 0.8);
    ExpectCursorAt(im, 340, 312);
}

} // namespace play_enter_game
