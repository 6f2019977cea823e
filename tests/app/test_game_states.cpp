// Game states, the movie state, display-mode failures, the window hook and
// the game object's small services.
#include <gtest/gtest.h>

#include "platform/msgbox.h"

#include <cmath>

#include "app_fixture.h"
#include "datagen/media_writer.h"

namespace {

class GameStateTest : public GameMainTest {
protected:
    // Steps until the requested state has been carried out.
    void Settle() {
        for (int i = 0; i < 4 && g_GameMain.m_ReqState != g_GameMain.m_CurState; ++i) g_GameMain.Step();
    }
    // Plays a movie file from the current state and steps until it is open.
    void StartMovie() {
        ASSERT_TRUE(datagen::WriteTestClip(Dir() + "movie.dhp", datagen::ClipSpec{}));
        g_GameMain.PlayMovie((Dir() + "movie.dhp").c_str());
        ASSERT_EQ(g_GameMain.m_ReqState, GS_MOVIE);
        g_GameMain.Step();  // enter 6
        ASSERT_EQ(g_GameMain.m_CurState, GS_MOVIE);
        g_GameMain.Step();  // open and play
        ASSERT_EQ(g_MediaMng.IsPlaying(), 1);
    }
    // Runs movie passes; returns the pass (1-based) on which it finished,
    // 0 when it still plays after n.
    int MoviePasses(int n, int pressEscapeOnPass = 0, int releaseEscapeOnPass = 0) {
        for (int i = 1; i <= n; ++i) {
            if (i == pressEscapeOnPass) plat::SetKeyDown(plat::VK_ESCAPE, true);
            if (i == releaseEscapeOnPass) plat::SetKeyDown(plat::VK_ESCAPE, false);
            g_GameMain.Step();
            if (g_GameMain.m_CurState != GS_MOVIE || g_GameMain.m_ReqState != GS_MOVIE) return i;
        }
        return 0;
    }
    // In game, as after the title screen started a new game.
    void EnterGame() {
        StandIn(GS_TITLE);
        g_GameMain.m_ReqState = GS_INGAME;
        Settle();
        ASSERT_EQ(g_GameMain.m_CurState, GS_INGAME);
        ASSERT_EQ(g_GameHost.m_Running, 1);
    }
};

TEST_F(GameStateTest, StartupLeadsToTitleWithIntroMovieThenShutdownEnds) {
    g_IntroMoviePending = 1;
    EXPECT_EQ(g_GameMain.Step(), 1);  // -1 -> 0
    EXPECT_EQ(g_GameMain.m_CurState, GS_STARTUP);
    EXPECT_EQ(g_GameMain.Step(), 1);  // start-up loading
    EXPECT_EQ(g_GameMain.m_ReqState, GS_TITLE);
    EXPECT_EQ(g_GameMain.m_CurDisplayMode, DM_640);
    EXPECT_EQ(g_GameMain.m_ScreenWidth, 640);
    g_GameMain.Step();  // enter 2: the intro movie is requested
    EXPECT_EQ(g_GameMain.m_ReqState, GS_MOVIE);
    g_GameMain.Step();  // enter 6
    g_GameMain.Step();  // no movie file: finished at once
    EXPECT_EQ(g_GameMain.m_ReqState, GS_TITLE);
    g_GameMain.Step();
    EXPECT_EQ(g_GameMain.m_CurState, GS_TITLE);
    g_GameMain.m_ReqState = GS_SHUTDOWN;
    EXPECT_EQ(g_GameMain.Step(), 1);
    EXPECT_EQ(g_GameMain.Step(), 0);
    EXPECT_EQ(g_GameMain.Step(), 0) << "stays ended";
    const std::string log = Log();
    const char* order[] = {"  StartAppEnd()\n", "LogAVI\n", "End JM_EndOut()\n", "Begin JM_BeginOut()\n",
                           "End JM_BeginOut()\n", "End JM_EndOut()\n", "  Other.ClearUp\n"};
    size_t at = 0;
    for (const char* line : order) {
        at = log.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << " in\n" << log;
        ++at;
    }
    EXPECT_EQ(g_GameMain.m_ErrorCode, 0);
}

TEST_F(GameStateTest, MovieSkipRules) {
    struct Case {
        const char* what;
        int press;    // pass on which Escape goes down (0: never)
        int release;  // pass on which it goes up (0: never)
        int finishedOn;
    };
    // 11 passes latch the keys; a new Escape press after them skips.
    const Case cases[] = {
        {"pressed during the first 11 passes and held", 3, 0, 0},
        {"pressed on pass 11 and held", 11, 0, 0},
        {"held, released, pressed again", 1, 14, 0},
        {"newly pressed on pass 12", 12, 0, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        plat::ResetInput();
        g_KeyState = CKeyState{};
        StandIn(GS_TITLE);
        StartMovie();
        EXPECT_EQ(MoviePasses(15, c.press, c.release), c.finishedOn);
        if (c.finishedOn == 0 && c.release) {
            plat::SetKeyDown(plat::VK_ESCAPE, true);
            EXPECT_EQ(MoviePasses(1), 1) << "a fresh press skips";
        }
        g_GameMain.FinishMovie();
        Settle();
        EXPECT_EQ(g_GameMain.m_CurState, GS_TITLE);
        EXPECT_EQ(g_MediaMng.IsPlaying(), 0);
    }
}

TEST_F(GameStateTest, MovieThatStopsPlayingEndsAfterTheLatchPasses) {
    StandIn(GS_TITLE);
    StartMovie();
    g_MediaMng.Stop();
    const uint32_t t0 = Clock().NowMs();
    EXPECT_EQ(MoviePasses(20), 12);
    EXPECT_EQ(Clock().NowMs() - t0, 12u * 50u) << "each pass sleeps 50 ms";
}

TEST_F(GameStateTest, GameToMovieAndBackKeepsTheGame) {
    EnterGame();
    StartMovie();
    EXPECT_EQ(g_GameHost.m_Running, 1);
    EXPECT_EQ(MoviePasses(12, 12), 12);
    EXPECT_EQ(g_GameMain.m_CurState, GS_INGAME);
    EXPECT_EQ(g_GameMain.m_ReqState, GS_INGAME);
    g_GameMain.Step();
    EXPECT_EQ(g_GameHost.m_Running, 1);
    EXPECT_EQ(g_MediaMng.IsPlaying(), 0);
    const std::string log = Log();
    EXPECT_EQ(Count(log, "BeforeStrategy() Begin\n"), 1);
    EXPECT_EQ(Count(log, "End JM_BeginIn()\n"), 1);
    EXPECT_EQ(Count(log, "AfterStrategy()  End\n"), 0);
    EXPECT_EQ(Count(log, "End JM_EndIn()\n"), 0);
}

TEST_F(GameStateTest, LosingActivationDuringMovieReturnsToGameWithoutRestartingIt) {
    EnterGame();
    StartMovie();
    CMainWnd wnd;
    intptr_t r = 0;
    wnd.OnWndMsg(plat::WM_ACTIVATEAPP, 0, 0, &r);
    EXPECT_EQ(g_AppActive, 0);
    EXPECT_EQ(g_GameMain.m_CurState, GS_INGAME);
    EXPECT_EQ(g_GameMain.m_ReqState, GS_INGAME);
    EXPECT_EQ(g_MediaMng.IsPlaying(), 0);
    const std::string log = Log();
    EXPECT_EQ(Count(log, "BeforeStrategy() Begin\n"), 1) << "no new game over the running one";
    EXPECT_EQ(Count(log, "AfterStrategy()  End\n"), 0);
    EXPECT_EQ(g_GameHost.m_Running, 1);
}

TEST_F(GameStateTest, LosingActivationDuringTitleMovieGoesBackToTitle) {
    StandIn(GS_TITLE);
    StartMovie();
    CMainWnd wnd;
    intptr_t r = 0;
    wnd.OnWndMsg(plat::WM_ACTIVATE, plat::WA_INACTIVE, 0, &r);
    EXPECT_EQ(g_GameMain.m_CurState, GS_TITLE) << "the step ran at once";
    EXPECT_EQ(Count(Log(), "Begin JM_BeginOut()\n"), 1);
}

TEST_F(GameStateTest, LeavingTheGameTearsItDown) {
    EnterGame();
    g_GameMain.m_ReqState = GS_TITLE;
    Settle();
    EXPECT_EQ(g_GameHost.m_Running, 0);
    const std::string log = Log();
    EXPECT_LT(log.find("End JM_EndIn()\n"), log.find("AfterStrategy()  End\n"));
}

TEST_F(GameStateTest, DisplayModeFailureEndsInOrderWithCode3) {
    StandIn(GS_TITLE);
    g_GameMain.m_ReqDisplayMode = DM_800;
    DisplayForceModeFailures(1);
    EXPECT_EQ(g_GameMain.Step(), 0);
    EXPECT_EQ(g_GameMain.m_ErrorCode, 3);
    EXPECT_STREQ(g_GameMain.m_ErrorText, "Set display mode error.");
    EXPECT_EQ(g_GameMain.m_CurDisplayMode, DM_640) << "the failed mode is not recorded";
    EXPECT_EQ(g_GameMain.m_ScreenWidth, 640);
    const std::string log = Log();
    EXPECT_LT(log.find("  Other.ClearUp\n"), log.find("Set display mode error.\n"));
}

TEST_F(GameStateTest, DisplayModeFailureAtStartupIsNotIgnored) {
    g_GameMain.Step();  // enter 0
    DisplayForceModeFailures(2);
    EXPECT_EQ(g_GameMain.Step(), 1);  // start-up: its mode change fails
    EXPECT_EQ(g_GameMain.m_CurDisplayMode, DM_NONE);
    EXPECT_EQ(g_GameMain.Step(), 0);  // the pending request fails again
    EXPECT_EQ(g_GameMain.m_ErrorCode, 3);
}

TEST_F(GameStateTest, ApplicationExitsWithTheErrorCode) {
    plat::UseHeadlessBackend("step 5\nlimit 900000\n", true);  // absolute fake-clock time
    DisplayForceModeFailures(2);
    ASSERT_EQ(g_GameApp.InitInstance(), 1);
    EXPECT_EQ(g_GameApp.Run(), 3);
    const std::string log = Log();
    EXPECT_EQ(log.rfind("tamiro end\n"), log.size() - 11);
    EXPECT_NE(log.find("Set display mode error.\n"), std::string::npos) << log;
}

TEST_F(GameStateTest, CloseSavesThenRequestsShutdownAndLogsAFailedSave) {
    struct Case {
        int saveResult;
        bool logged;
    };
    const Case cases[] = {{-1, false}, {1, false}, {0, true}};
    for (const Case& c : cases) {
        static int result;
        static int calls;
        result = c.saveResult;
        calls = 0;
        g_SaveRunningGame = [] {
            ++calls;
            return result;
        };
        StandIn(GS_INGAME);
        plat::DeleteFile(Dir() + "BugLog.ini");
        plat::ClearRecordedMessageBoxes();
        CMainWnd wnd;
        intptr_t r = 1;
        EXPECT_EQ(wnd.OnWndMsg(plat::WM_CLOSE, 0, 0, &r), 1);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(g_GameMain.m_ReqState, GS_SHUTDOWN);
        EXPECT_EQ(Log().find("Save on close failed.\n") != std::string::npos, c.logged) << c.saveResult;
        // A failed save is never silent: the player sees why.
        EXPECT_EQ(plat::RecordedMessageBoxes().size(), c.logged ? 1u : 0u) << c.saveResult;
        if (c.logged && !plat::RecordedMessageBoxes().empty()) {
            EXPECT_EQ(plat::RecordedMessageBoxes()[0].text.rfind("Save failed: ", 0), 0u);
        }
    }
}

TEST_F(GameStateTest, WindowHookSwallowsCommandsAndTracksActivation) {
    CMainWnd wnd;
    intptr_t r = 5;
    EXPECT_EQ(wnd.OnWndMsg(plat::WM_COMMAND, 1, 0, &r), 1);
    EXPECT_EQ(r, 0);
    wnd.OnWndMsg(plat::WM_NCACTIVATE, 0, 0, &r);
    EXPECT_EQ(g_AppActive, 0);
    wnd.OnWndMsg(plat::WM_ACTIVATE, plat::MakeLParam(plat::WA_ACTIVE, 1), 0, &r);
    EXPECT_EQ(g_AppActive, 1);
    wnd.OnWndMsg(plat::WM_MOUSEACTIVATE, 1, 0, &r);
    EXPECT_EQ(g_AppActive, 1);
    EXPECT_EQ(wnd.OnWndMsg(plat::WM_KEYDOWN, 'A', 0, &r), 0) << "keys also take the default path";
}

TEST_F(GameStateTest, ZoomEasesInSteps) {
    StandIn(GS_INGAME);
    g_GameMain.SetZoomTarget(0.0375f);
    g_GameMain.StrategyTick();
    EXPECT_FLOAT_EQ(g_GameMain.m_Zoom, 0.015f);
    g_GameMain.StrategyTick();
    EXPECT_FLOAT_EQ(g_GameMain.m_Zoom, 0.030f);
    g_GameMain.StrategyTick();
    EXPECT_EQ(g_GameMain.m_Zoom, 0.0375f);

    g_GameMain.AddZoom(1.0f);
    EXPECT_EQ(g_GameMain.m_Zoom, 0.15f);
    g_GameMain.AddZoom(-1.0f);
    EXPECT_EQ(g_GameMain.m_Zoom, 0.0f);
    g_GameMain.m_Zoom = 0.1f;
    g_GameMain.AdjustZoomTarget(0.2f, 1);
    EXPECT_EQ(g_GameMain.m_ZoomTarget, 0.15f);
    EXPECT_EQ(g_GameMain.m_SavedZoom, 0.1f);
    g_GameMain.AdjustZoomTarget(-1.0f, 0);
    EXPECT_EQ(g_GameMain.m_ZoomTarget, 0.0f);
    g_GameMain.RestoreZoomTarget();
    EXPECT_EQ(g_GameMain.m_ZoomTarget, 0.1f);
}

TEST_F(GameStateTest, UnzoomPointMapsScreenToBackBuffer) {
    StandIn(GS_INGAME);
    plat::Point p{100, 50};
    g_GameMain.UnzoomPoint(&p);
    EXPECT_EQ(p.x, 100);  // zoom 0: unchanged
    g_GameMain.m_Zoom = 0.1f;
    g_GameMain.UnzoomPoint(&p);
    EXPECT_EQ(p.x, 80 + 64);
    EXPECT_EQ(p.y, 40 + 48);
}

TEST_F(GameStateTest, BrightnessMovesToTargetAndResetKeepsStepOnMissingValue) {
    StandIn(GS_INGAME);
    g_GameMain.SetBrightnessTarget(0.75f, 0.1f);
    g_GameMain.StrategyTick();
    g_GameMain.StrategyTick();
    EXPECT_FLOAT_EQ(g_GameMain.GetBrightness(), 0.8f);
    g_GameMain.StrategyTick();
    EXPECT_EQ(g_GameMain.GetBrightness(), 0.75f) << "clamped at the target";
    g_GameMain.ResetBrightness(65535.0f);
    EXPECT_EQ(g_GameMain.m_BrightnessTarget, 1.0f);
    EXPECT_EQ(g_GameMain.m_BrightnessStep, 0.1f);
    g_GameMain.ResetBrightness(0.05f);
    EXPECT_EQ(g_GameMain.m_BrightnessStep, 0.05f);
}

TEST_F(GameStateTest, HitCountOncePerTickAndResetAfterQuietTicks) {
    StandIn(GS_INGAME);
    g_GameMain.m_TickCount = 1;
    g_GameMain.CountHit(0);
    g_GameMain.CountHit(0);
    EXPECT_EQ(g_GameMain.m_HitCount, 1) << "one per tick";
    g_GameMain.m_HitCount = 21;
    g_GameMain.m_TickCount = 2;
    g_GameMain.CountHit(0);
    EXPECT_EQ(g_GameMain.m_HitCount, 21);
    g_GameMain.m_TickCount = 3;
    g_GameMain.CountHit(1);
    EXPECT_EQ(g_GameMain.m_HitCount, 22);
    g_GameMain.StrategyTick();  // count seen
    for (int i = 0; i < 14; ++i) g_GameMain.StrategyTick();
    EXPECT_EQ(g_GameMain.m_HitCount, 22);
    g_GameMain.StrategyTick();
    EXPECT_EQ(g_GameMain.m_HitCount, 0);
}

TEST_F(GameStateTest, DisplayModeChangeIsAnnouncedBeforeAndAfter) {
    struct Listener : CMsgHandler {
        std::vector<uint32_t> codes;
        int OnMessage(uint32_t code, uint32_t, uint32_t) override {
            codes.push_back(code);
            return 1;
        }
    } listener;
    listener.Activate();
    StandIn(GS_TITLE);
    EXPECT_EQ(g_GameMain.SetDisplayMode(DM_640, 0), 1);
    EXPECT_TRUE(listener.codes.empty()) << "same mode, no force: nothing to do";
    EXPECT_EQ(g_GameMain.SetDisplayMode(DM_1024, 0), 1);
    EXPECT_EQ(g_GameMain.m_ScreenWidth, 1024);
    EXPECT_EQ(g_GameMain.m_ScreenHeight, 768);
    EXPECT_EQ(listener.codes, (std::vector<uint32_t>{1, 0}));
    g_GameMain.SetDisplayOption(1);
    EXPECT_EQ(g_GameMain.m_DisplayOption, 1);
    EXPECT_EQ(listener.codes.size(), 4u) << "re-applied with force";
    EXPECT_EQ(g_GameMain.SetDisplayMode(DM_DESKTOP, 0), 1);
    EXPECT_EQ(listener.codes.size(), 4u);
    EXPECT_EQ(g_GameMain.m_CurDisplayMode, DM_DESKTOP);
}

} // namespace
