// The settings window in the real window under a virtual X display: a
// click on the title menu's settings button opens it, Escape closes it.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <thread>

#include "datagen/demo_settings.h"
#include "datagen/demo_title.h"
#include "datagen/demo_ui.h"
#include "support/image_check.h"
#include "support/play.h"
#include "support/process.h"
#include "support/test_env.h"
#include "support/xdisplay.h"
#include "support/xgame.h"

namespace play_settings_x {

using vtest::WaitFor;

class XSettings : public vtest::XGameTest {};

TEST_F(XSettings, TheSettingsButtonOpensTheWindowAndEscapeClosesIt) {
    // 1280 x 960: the 640 x 480 frame is scaled exactly twice.
    VTEST_VIRTUAL_DISPLAY(x, 1280, 960);
    vtest::ChildProcess game;
    ASSERT_FALSE(StartGame(*x, game).empty()) << Err();
    ASSERT_TRUE(WaitForTitle()) << Log();

    const auto screenOf = [](int v) { return std::to_string(2 * v + 1); };
    int bx = datagen::kDemoTitleButtonX + datagen::kDemoTitleButtonW / 2, by = 0;
    for (const datagen::DemoTitleButton& b : datagen::kDemoTitleButtons)
        if (b.id == 32) by = b.y + datagen::kDemoTitleButtonH / 2;
    ASSERT_GT(by, 0);
    ASSERT_TRUE(x->Xdotool({"mousemove", screenOf(bx), screenOf(by)}));
    vtest::RgbImage screen;
    std::string why;
    // The settings button lights once the game has seen the cursor on it.
    const auto lit = [&] {
        return x->Screenshot(&screen, &why) &&
               vtest::PixelNear(screen, 2 * (datagen::kDemoTitleButtonX + 4), 2 * (by - datagen::kDemoTitleButtonH / 2 + 4),
                                {datagen::kDemoButtonLitRgb[0], datagen::kDemoButtonLitRgb[1],
                                 datagen::kDemoButtonLitRgb[2]},
                                8);
    };
    ASSERT_TRUE(WaitFor(lit, 20000)) << why << Err();
    ASSERT_TRUE(x->Xdotool({"mousedown", "1"}));
    EXPECT_TRUE(WaitFor([&] { return Err().find("input: ldown") != std::string::npos; }, 20000)) << Err();
    ASSERT_TRUE(x->Xdotool({"mouseup", "1"}));
    ASSERT_TRUE(WaitFor([&] { return Err().find("JM show 170\n") != std::string::npos; }, 20000)) << Err();

    // The window on the screen: its body, the close button, a slider thumb.
    const vtest::Rgb body{datagen::kDemoSettingsRgb[0], datagen::kDemoSettingsRgb[1], datagen::kDemoSettingsRgb[2]};
    const auto shown = [&] { return x->Screenshot(&screen, &why) && vtest::PixelNear(screen, 200, 880, body, 8); };
    ASSERT_TRUE(WaitFor(shown, 20000)) << why;
    ASSERT_TRUE(screen.Save(Dir() + "settings-window.png"));
    const int free = datagen::kDemoTrackWidth - datagen::kDemoThumbWidth;
    vtest::ExpectPixelNear(screen, 2 * (datagen::kDemoSliderX + free + 6), 2 * (datagen::kDemoSliderY + 8),
                           {230, 230, 230}, 8);

    // Held until the game has read the keyboard (once per tick).
    ASSERT_TRUE(x->Xdotool({"keydown", "Escape"}));
    ASSERT_TRUE(WaitFor([&] { return Err().find("JM hide 170\n") != std::string::npos; }, 20000)) << Err();
    ASSERT_TRUE(x->Xdotool({"keyup", "Escape"}));
    const vtest::Rgb title{datagen::kDemoTitleRgb[0], datagen::kDemoTitleRgb[1], datagen::kDemoTitleRgb[2]};
    const auto back = [&] { return x->Screenshot(&screen, &why) && vtest::PixelNear(screen, 200, 480, title, 8); };
    ASSERT_TRUE(WaitFor(back, 20000)) << why;
    ASSERT_TRUE(screen.Save(Dir() + "title-again.png"));

    // Ended from outside, the game shuts down in order and keeps the
    // settings.
    game.Signal(SIGTERM);
    EXPECT_EQ(game.Wait(30000), 0) << Err();
    const std::string log = Log();
    ASSERT_GE(log.size(), 11u);
    EXPECT_EQ(log.substr(log.size() - 11), "tamiro end\n") << log;
    EXPECT_EQ(ReadFile(Dir() + "set.ini").substr(0, 5), "?=4\r\n");
}

} // namespace play_settings_x
