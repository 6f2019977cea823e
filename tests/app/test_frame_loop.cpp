// The fixed-step frame loop: ticks due by the clock, catch-up limits,
// drawing, frame capture, inactivity and the screen-effect countdown.
#include <gtest/gtest.h>

#include "app_fixture.h"

namespace {

class FrameLoopTest : public GameMainTest {
protected:
    void SetUp() override {
        GameMainTest::SetUp();
        StandIn(GS_TITLE);
        g_GameMain.TickAndDraw();  // first call: the logic time starts now
    }
    // Advances the clock and runs one pass; returns the ticks it ran.
    int Pass(uint32_t ms) {
        Clock().Advance(ms);
        const int before = g_GameMain.m_TickCount;
        g_GameMain.TickAndDraw();
        return g_GameMain.m_TickCount - before;
    }
};

TEST_F(FrameLoopTest, TicksDueByTheClockThenOneDraw) {
    struct Case {
        uint32_t ms;
        int ticks;
    };
    // Lags carry over: 34 runs none, 1 more makes the 35th ms, 71 makes two
    // with 1 left, 69 more makes two more (70).
    const Case cases[] = {{34, 0}, {1, 1}, {71, 2}, {69, 2}, {1500, 42}};
    for (const Case& c : cases) {
        const int drawn = g_GameMain.m_FramesDrawn;
        EXPECT_EQ(Pass(c.ms), c.ticks) << c.ms;
        EXPECT_EQ(g_GameMain.m_FramesDrawn, drawn + 1) << "one frame per pass, whatever the ticks";
    }
}

TEST_F(FrameLoopTest, LongLagResynchronisesWithoutTickOrDraw) {
    const int drawn = g_GameMain.m_FramesDrawn;
    Clock().Advance(1501);
    EXPECT_EQ(g_GameMain.TickAndDraw(), 0);
    EXPECT_EQ(g_GameMain.m_TickCount, 0);
    EXPECT_EQ(g_FrameDirty, 0);
    EXPECT_EQ(g_GameMain.m_FramesDrawn, drawn);
    // Nothing is drawn again until a tick ran.
    EXPECT_EQ(Pass(34), 0);
    EXPECT_EQ(g_GameMain.m_FramesDrawn, drawn);
    EXPECT_EQ(Pass(1), 1);
    EXPECT_EQ(g_GameMain.m_FramesDrawn, drawn + 1);
}

TEST_F(FrameLoopTest, MapBuildShortensTheLimitForTwentyCalls) {
    // Before any map build the long limit holds from the first pass on.
    EXPECT_EQ(Pass(201), 5);
    g_GameMain.MarkMapBuilt();
    EXPECT_EQ(Pass(201), 0) << "caught by the 200 ms limit";
    EXPECT_EQ(Pass(200), 5);
    for (int i = 0; i < 18; ++i) Pass(0);  // calls 3..20 after the mark
    // 25 ms were left over: a lag of 201 again.
    EXPECT_EQ(Pass(176), 5) << "the 21st call uses 1500 ms again";
}

TEST_F(FrameLoopTest, FrameCaptureRunsOneTickPerPassUntilInactive) {
    g_GameMain.m_FrameCapture = 1;
    EXPECT_EQ(Pass(105), 1);
    EXPECT_EQ(Pass(0), 1);
    EXPECT_EQ(Pass(0), 1);
    EXPECT_EQ(Pass(0), 0);
    g_AppActive = 0;
    Pass(0);
    EXPECT_EQ(g_GameMain.m_FrameCapture, 0);
}

TEST_F(FrameLoopTest, InactiveWindowOnlyCountsTicks) {
    StandIn(GS_INGAME);
    g_GameMain.m_ZoomTarget = 0.1f;
    g_GameMain.m_Brightness = 0.5f;
    plat::SetKeyDown('A', true);
    g_AppActive = 0;
    const int drawn = g_GameMain.m_FramesDrawn;
    EXPECT_EQ(Pass(70), 2);
    EXPECT_EQ(g_GameMain.m_FramesDrawn, drawn);
    EXPECT_FALSE(g_KeyState.IsDown('A')) << "no input pass";
    EXPECT_EQ(g_GameMain.m_Zoom, 0.0f) << "no in-game tick";
    EXPECT_EQ(g_GameMain.m_Brightness, 0.5f);
    EXPECT_EQ(g_GameHost.m_FrameSteps, 0);
    g_AppActive = 1;
    EXPECT_EQ(Pass(35), 1);
    EXPECT_TRUE(g_KeyState.IsDown('A'));
    EXPECT_EQ(g_GameHost.m_FrameSteps, 1);
    EXPECT_EQ(g_GameMain.m_FramesDrawn, drawn + 1);
}

TEST_F(FrameLoopTest, ScreenEffectFiveHoldsInputFor56Ticks) {
    g_GameMain.StartScreenEffect(5);
    EXPECT_EQ(g_GameMain.m_EffectCountdown, 56);
    EXPECT_EQ(g_GameMain.m_Transition.m_Mode, 2);
    plat::SetKeyDown('B', true);
    for (int i = 0; i < 55; ++i) ASSERT_EQ(Pass(35), 1);
    EXPECT_FALSE(g_KeyState.IsDown('B'));
    EXPECT_EQ(g_GameMain.m_Transition.m_Mode, 2);
    EXPECT_EQ(Pass(35), 1);  // the 56th: countdown ends, the fade starts
    EXPECT_EQ(g_GameMain.m_EffectCountdown, 0);
    EXPECT_EQ(g_GameMain.m_Transition.m_Mode, 1);
    EXPECT_FALSE(g_KeyState.IsDown('B'));
    EXPECT_EQ(Pass(35), 1);
    EXPECT_TRUE(g_KeyState.IsDown('B')) << "input runs again";
}

TEST_F(FrameLoopTest, InputPassReportsHeldLeftButtonEveryTickAndReleaseOnce) {
    plat::SetCursorPos(10, 20);
    plat::SetKeyDown(plat::VK_LBUTTON, true);
    Pass(35);
    EXPECT_EQ(g_MouseRecord.leftDown, 1);
    EXPECT_EQ(g_LButtonHeld, 1);
    EXPECT_EQ(g_MouseRecord.moved, 1);
    EXPECT_EQ(g_MouseRecord.x, 10);
    Pass(35);
    EXPECT_EQ(g_MouseRecord.moved, 0);
    plat::SetKeyDown(plat::VK_LBUTTON, false);
    Pass(35);
    EXPECT_EQ(g_MouseRecord.leftDown, 0);
    EXPECT_EQ(g_LButtonHeld, 0);
}

} // namespace
