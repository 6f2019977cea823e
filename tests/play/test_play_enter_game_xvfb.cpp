// Entering a game in the real window under a virtual X display: the new
// game's scene shows with the hero at its centre, the HUD below and the
// cursor over it.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include "datagen/demo_title.h"
#include "support/image_check.h"
#include "support/play.h"
#include "support/process.h"
#include "support/test_env.h"
#include "support/xdisplay.h"
#include "support/xgame.h"

namespace play_enter_x {

using vtest::WaitFor;

class XEnterGame : public vtest::XGameTest {};

TEST_F(XEnterGame, ANewGameShowsItsSceneWithTheHeroAndTheCursor) {
    // 1280 x 1024: the 640 x 480 frame twice, bars of 32 above and below.
    VTEST_VIRTUAL_DISPLAY(x, 1280, 1024);
    vtest::ChildProcess game;
    ASSERT_FALSE(StartGame(*x, game).empty()) << Err();
    ASSERT_TRUE(WaitForTitle()) << Log();
    const auto sx = [](int v) { return 2 * v + 1; };
    const auto sy = [](int v) { return 32 + 2 * v + 1; };
    const auto yellowAt = [&](const vtest::RgbImage& s, int fx, int fy) {
        return vtest::PixelNear(s, sx(fx + 4), sy(fy + 11), vtest::Rgb{255, 200, 0}, 40);
    };

    vtest::RgbImage screen;
    std::string why;

    // Title, class, form, start, each held until the input pass saw it.
    const int tx = datagen::kDemoTitleButtonX + datagen::kDemoTitleButtonW / 2;
    const struct {
        int x, y;
    } clicks[] = {{tx, datagen::kDemoTitleButtons[0].y + datagen::kDemoTitleButtonH / 2},
                  {datagen::DemoPortraitX(1) + 48, datagen::kDemoPortraitY + 64},
                  {datagen::kDemoStartButton[0] + 40, datagen::kDemoStartButton[1] + 12}};
    size_t seen = 0;
    for (const auto& c : clicks) {
        ASSERT_TRUE(x->Xdotool({"mousemove", std::to_string(sx(c.x)), std::to_string(sy(c.y))}));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ASSERT_TRUE(x->Xdotool({"mousedown", "1"}));
        ASSERT_TRUE(WaitFor([&] { return Err().find("input: ldown", seen) != std::string::npos; }, 20000)) << Err();
        seen = Err().find("input: ldown", seen) + 1;
        ASSERT_TRUE(x->Xdotool({"mouseup", "1"}));
        ASSERT_TRUE(WaitFor([&] { return Err().find("input: lup", seen) != std::string::npos; }, 20000)) << Err();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    ASSERT_TRUE(WaitFor([&] { return Log().find("BeforeStrategy() End\n") != std::string::npos; }, 30000)) << Log();

    // The scene: grass, the hero's blue body above the centre, the cursor
    // at the start button's point.
    const int cx = clicks[2].x, cy = clicks[2].y;
    const auto sceneShown = [&] {
        if (!x->Screenshot(&screen, &why)) return false;
        const vtest::Rgb grass = screen.At(sx(40), sy(40)), hero = screen.At(sx(320), sy(200));
        return grass.g > grass.r + 30 && grass.g > grass.b + 30 && hero.b > 150 && hero.r < 100 &&
               yellowAt(screen, cx, cy);
    };
    EXPECT_TRUE(WaitFor(sceneShown, 30000)) << why << Err();
    ASSERT_TRUE(screen.Save(Dir() + "in-game.png"));
    // The HUD's bar along the bottom, not the form: the client joined.
    for (int fx : {20, 320, 620}) vtest::ExpectPixelNear(screen, sx(fx), sy(450), vtest::Rgb{56, 40, 16}, 24);
    EXPECT_NE(Log().find("Client :Packet_Create_Client\n"), std::string::npos) << Log();

    game.Signal(SIGTERM);
    ExpectEndsInOrder(game);
}

} // namespace play_enter_x
