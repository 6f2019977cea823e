// The title menu in the real window under a virtual X display: it shows,
// its buttons light under the cursor, and its quit button ends the game.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <thread>

#include "datagen/demo_title.h"
#include "datagen/demo_ui.h"
#include "support/image_check.h"
#include "support/play.h"
#include "support/process.h"
#include "support/test_env.h"
#include "support/xdisplay.h"
#include "support/xgame.h"

namespace play_title_x {

using vtest::WaitFor;

class XTitle : public vtest::XGameTest {};

TEST_F(XTitle, TheTitleMenuShowsAndItsQuitButtonEndsTheGame) {
    // 1280 x 960: the 640 x 480 frame is scaled exactly twice.
    VTEST_VIRTUAL_DISPLAY(x, 1280, 960);
    vtest::ChildProcess game;
    ASSERT_FALSE(StartGame(*x, game).empty()) << Err();
    ASSERT_TRUE(WaitForTitle()) << Log();

    const auto screenOf = [](int v) { return std::to_string(2 * v + 1); };
    const auto& quit = datagen::kDemoTitleButtons[4];
    ASSERT_EQ(quit.id, 33);
    const int qx = datagen::kDemoTitleButtonX + datagen::kDemoTitleButtonW / 2;
    const int qy = quit.y + datagen::kDemoTitleButtonH / 2;
    ASSERT_TRUE(x->Xdotool({"mousemove", screenOf(qx), screenOf(qy)}));

    // The quit button lights once the game has seen the cursor over it.
    vtest::RgbImage screen;
    std::string why;
    const auto lit = [&] {
        return x->Screenshot(&screen, &why) &&
               vtest::PixelNear(screen, 2 * (datagen::kDemoTitleButtonX + 4), 2 * (quit.y + 4),
                                {datagen::kDemoButtonLitRgb[0], datagen::kDemoButtonLitRgb[1],
                                 datagen::kDemoButtonLitRgb[2]},
                                8);
    };
    ASSERT_TRUE(WaitFor(lit, 20000)) << why << Err();
    // The title's body, another button unlit, the name plate, once the
    // pointer's free-draw trail (which may cross them) has faded.
    const auto settled = [&] {
        return lit() &&
               vtest::PixelNear(screen, 2 * 100, 2 * 240,
                                {datagen::kDemoTitleRgb[0], datagen::kDemoTitleRgb[1], datagen::kDemoTitleRgb[2]}, 8) &&
               vtest::PixelNear(screen, 2 * (datagen::kDemoTitleButtonX + 4), 2 * (180 + 4), {30, 45, 110}, 8) &&
               vtest::PixelNear(screen, 2 * 125, 2 * 50, {200, 160, 60}, 8);
    };
    EXPECT_TRUE(WaitFor(settled, 20000)) << why << Err();
    ASSERT_TRUE(screen.Save(Dir() + "title-window.png"));
    vtest::ExpectPixelNear(screen, 2 * (datagen::kDemoTitleButtonX + 4), 2 * (180 + 4), {30, 45, 110}, 8);

    // Held until the input pass has seen it.
    ASSERT_TRUE(x->Xdotool({"mousedown", "1"}));
    EXPECT_TRUE(WaitFor([&] { return Err().find("input: ldown") != std::string::npos; }, 20000)) << Err();
    ASSERT_TRUE(x->Xdotool({"mouseup", "1"}));
    EXPECT_EQ(game.Wait(30000), 0) << Err();
    const std::string log = Log();
    ASSERT_GE(log.size(), 11u);
    EXPECT_EQ(log.substr(log.size() - 11), "tamiro end\n") << log;
    EXPECT_TRUE(vtest::LinesInOrder(log, {"End JM_BeginOut()\n", "End JM_EndOut()\n", "  Other.ClearUp\n"}));
}

TEST_F(XTitle, TheCursorShowsAtTheRestingPointerBeforeAnyMove) {
    // 1280 x 1024: the 640 x 480 frame twice, bars of 32 above and below.
    // The pointer rests over frame point (100, 400) before the window
    // exists and never moves: the system reports it only when the window
    // appears, mapped with the desktop-sized window of that moment.
    VTEST_VIRTUAL_DISPLAY(x, 1280, 1024);
    const auto sx = [](int v) { return 2 * v + 1; };
    const auto sy = [](int v) { return 32 + 2 * v + 1; };
    ASSERT_TRUE(x->Xdotool({"mousemove", std::to_string(sx(100)), std::to_string(sy(400))}));
    vtest::ChildProcess game;
    ASSERT_FALSE(StartGame(*x, game).empty()) << Err();
    ASSERT_TRUE(WaitForTitle()) << Log();

    // The demo cursor: black left edge, light fill to its right.
    vtest::RgbImage screen;
    std::string why;
    const auto cursorShown = [&] {
        if (!x->Screenshot(&screen, &why)) return false;
        const vtest::Rgb edge = screen.At(sx(100), sy(412)), fill = screen.At(sx(103), sy(410));
        return edge.r < 40 && edge.g < 40 && edge.b < 40 && fill.r > 180 && fill.g > 150;
    };
    EXPECT_TRUE(WaitFor(cursorShown, 20000)) << why << Err();
    ASSERT_TRUE(screen.Save(Dir() + "title-cursor.png"));
    // Nowhere near the frame's corner either.
    const vtest::Rgb corner = screen.At(sx(3), sy(10));
    EXPECT_FALSE(corner.r > 180 && corner.g > 150);

    game.Signal(SIGTERM);
    ExpectEndsInOrder(game);
}

} // namespace play_title_x
