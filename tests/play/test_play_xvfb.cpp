// The real window under a virtual X display, driven like a player drives
// it: the window covers the screen, a click at the screen's centre reaches
// the frame's centre, the game's own cursor is drawn there and the
// system's is not, SIGTERM, a window manager's close, a destroyed window
// and a killed X client all end the run in order, and an error box is a
// real modal box that a key dismisses.
#include <gtest/gtest.h>

#include <csignal>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "support/image_check.h"
#include "support/play.h"
#include "support/process.h"
#include "support/test_env.h"
#include "support/xdisplay.h"
#include "support/xgame.h"

namespace {

using vtest::WaitFor;

class XPlay : public vtest::XGameTest {};

TEST_F(XPlay, ScreenSizedWindowTakesAClickAtTheFrameCentreAndEndsOnSigterm) {
    VTEST_VIRTUAL_DISPLAY(x, 1024, 768);
    vtest::ChildProcess game;
    const std::string window = StartGame(*x, game, {"VANTREL_RECORD=" + Dir() + "rec.txt"});
    ASSERT_FALSE(window.empty()) << Err();
    ASSERT_TRUE(WaitForTitle()) << Log();

    std::string geometry;
    ASSERT_TRUE(x->Xdotool({"getwindowgeometry", window}, &geometry));
    int wx = 0, wy = 0, ww = 0, wh = 0;
    ASSERT_EQ(std::sscanf(geometry.c_str() + geometry.find("Position:"), "Position: %d,%d", &wx, &wy), 2) << geometry;
    ASSERT_EQ(std::sscanf(geometry.c_str() + geometry.find("Geometry:"), "Geometry: %dx%d", &ww, &wh), 2) << geometry;
    // The window covers the screen; the 640 x 480 title frame fills it with
    // its aspect kept (1.6 times, no bars at 1024 x 768).
    EXPECT_EQ(ww, 1024);
    EXPECT_EQ(wh, 768);
    // The screen point of the frame point, from the window as it is.
    const double scale = std::min(ww / 640.0, wh / 480.0);
    const int left = wx + static_cast<int>((ww - 640 * scale) / 2), top = wy + static_cast<int>((wh - 480 * scale) / 2);
    const int fx = static_cast<int>((512 - left) / scale), fy = static_cast<int>((384 - top) / scale);
    const std::string point = std::to_string(fx) + " " + std::to_string(fy);

    // Held until the input pass has seen it: it polls the button once per
    // logic tick, and a busy machine may run none for a while.
    ASSERT_TRUE(x->Xdotool({"mousemove", "512", "384"}));
    ASSERT_TRUE(x->Xdotool({"mousedown", "1"}));
    EXPECT_TRUE(WaitFor([&] { return Err().find("input: ldown " + point + "\n") != std::string::npos; }, 20000))
        << Err();
    ASSERT_TRUE(x->Xdotool({"mouseup", "1"}));
    EXPECT_TRUE(WaitFor([&] { return Err().find("input: lup " + point + "\n") != std::string::npos; }, 20000))
        << Err();

    // The game's cursor (a yellow triangle below and right of its point),
    // scaled with the frame, alone: the server's cursor over the window is
    // blank.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    vtest::RgbImage screen;
    std::string why;
    int systemCursorPixels = -1;
    ASSERT_TRUE(x->ScreenshotWithCursor(&screen, &systemCursorPixels, &why)) << why;
    ASSERT_EQ(screen.width, 1024);
    ASSERT_EQ(screen.height, 768);
    EXPECT_EQ(systemCursorPixels, 0) << "the system cursor shows beside the game's";
    for (auto [dx, dy] : {std::pair{2, 9}, {4, 11}, {6, 13}}) {
        vtest::ExpectPixelNear(screen, left + static_cast<int>((fx + dx + 0.5) * scale),
                               top + static_cast<int>((fy + dy + 0.5) * scale), vtest::Rgb{255, 200, 0}, 40);
    }

    game.Signal(SIGTERM);
    ExpectEndsInOrder(game);

    // What was played by hand replays headless: the click lands on the
    // same point and the close (the signal) ends the replay.
    const std::string rec = ReadFile(Dir() + "rec.txt");
    EXPECT_TRUE(vtest::LinesInOrder(rec, {"seed ", "screen 1024 768\n", " ldown " + point + "\n",
                                          " lup " + point + "\n", " close\n"}));
    const vtest::GameRun replay = vtest::RunGame(VANTREL_EXE, Dir(), rec);
    EXPECT_EQ(replay.exitCode, 0) << replay.err;
    EXPECT_EQ(replay.ErrLines("input: "),
              (std::vector<std::string>{"input: ldown " + point, "input: lup " + point}));
}

TEST_F(XPlay, AMissingTextTableShowsAModalBoxThatAKeyDismissesThenAWindowManagerCloseEnds) {
    VTEST_VIRTUAL_DISPLAY(x, 1024, 768);
    std::filesystem::remove(Dir() + "mb/Text.txt");
    vtest::ChildProcess game;
    const std::string window = StartGame(*x, game);
    ASSERT_FALSE(window.empty()) << Err();
    const std::string box = x->WaitForTransient(window, 30000);
    ASSERT_FALSE(box.empty()) << Err();
    // The box holds the start-up until it is answered.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(Log().find("StartAppEnd"), std::string::npos) << Log();
    EXPECT_NE(Err().find("\\MB\\Text.txt\n"), std::string::npos) << Err();
    ASSERT_TRUE(x->Xdotool({"windowfocus", box, "key", "Return"}));
    ASSERT_TRUE(WaitForTitle()) << Log();

    ASSERT_TRUE(x->CloseLikeWindowManager(window));
    ExpectEndsInOrder(game);
    EXPECT_TRUE(vtest::LinesInOrder(Log(), {"  StartAppEnd()\n", "End JM_BeginOut()\n", "  Other.ClearUp\n"}));
}

TEST_F(XPlay, AWindowDestroyedOrAClientKilledFromOutsideEndsInOrder) {
    VTEST_VIRTUAL_DISPLAY(x, 1024, 768);
    // windowclose destroys the window; windowkill cuts the game's X
    // connection, as xkill does.
    const struct {
        const char* command;
        const char* says;
    } cases[] = {{"windowclose", "the window was destroyed from outside; closing\n"},
                 {"windowkill", "vantrel: the connection to the X display was lost; closing\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        vtest::ChildProcess game;
        const std::string window = StartGame(*x, game);
        ASSERT_FALSE(window.empty()) << Err();
        ASSERT_TRUE(WaitForTitle()) << Log();
        ASSERT_TRUE(x->Xdotool({c.command, window}));
        ExpectEndsInOrder(game);
        EXPECT_NE(Err().find(c.says), std::string::npos) << Err();
        EXPECT_EQ(Err().find("XIO"), std::string::npos) << Err();
        std::filesystem::remove(Dir() + "BugLog.ini");
    }
}

} // namespace
