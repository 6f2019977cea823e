#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/overlay.h"
#include "client/painter.h"
#include "client/recording_client.h"
#include "client/selection.h"
#include "host/game_host.h"
#include "roles/role.h"
#include "roles/save_mgr.h"
#include "world/scene/world.h"
#include "app_fixture.h"
#include "gfx/pixel_format.h"
#include "gfx/surface.h"
#include "platform/display.h"

namespace {

TEST(DevOverlay, FpsChangesAtMostOncePerSecond) {
    CFpsCounter f;
    for (int t = 0; t <= 1000; t += 10) f.Count(t);
    EXPECT_EQ(f.fps, 0) << "not yet past the first second";
    f.Count(1001);
    EXPECT_EQ(f.fps, 102);
    EXPECT_EQ(f.frames, 0);
    for (int t = 1002; t <= 2001; ++t) f.Count(t);
    EXPECT_EQ(f.fps, 102);
    f.Count(2002);
    EXPECT_EQ(f.fps, 1001);
}

TEST(DevOverlay, GestureDirections) {
    const float pi2 = 1.5707963f;
    EXPECT_FLOAT_EQ(OverlayStepDirection({10, 0}, {0, 0}), pi2);
    EXPECT_FLOAT_EQ(OverlayStepDirection({0, 0}, {10, 0}), -pi2);
    EXPECT_FLOAT_EQ(OverlayStepDirection({10, 10}, {0, 0}), static_cast<float>(1.5707963 - std::atan(1.0)));
    EXPECT_FLOAT_EQ(OverlayStepDirection({0, 0}, {0, 5}), -3.1415925f);
    EXPECT_FLOAT_EQ(OverlayStepDirection({0, 0}, {0, 0}), -3.1415925f);
    EXPECT_EQ(OverlayStepDirection({0, 5}, {0, 0}), 0.0f);

    std::string dir, xy;
    BuildGestureLines({{1, 2}, {11, 2}}, &dir, &xy);
    EXPECT_EQ(xy, "1,2 11,2 ");
    EXPECT_EQ(dir, "Mouse: -1.570796");
    BuildGestureLines({}, &dir, &xy);
    EXPECT_EQ(dir, "Mouse:");
    EXPECT_EQ(xy, "");
}

class OverlayDrawTest : public GameMainTest {
protected:
    void SetUp() override {
        GameMainTest::SetUp();
        plat::SetDisplayLayout(plat::PixelLayout::k565);
        g_PixelFormat.m_Format = 16;
    }
    void TearDown() override {
        g_DevOverlayOn = 0;
        GameMainTest::TearDown();
    }
    static int CountNonZero(CSurface& s) {
        int n = 0;
        uint8_t* p = s.Lock(nullptr);
        if (!p) return -1;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 320; ++x) n += reinterpret_cast<uint16_t*>(p + y * s.m_Pitch)[x] != 0;
        s.Unlock();
        return n;
    }
};

TEST_F(OverlayDrawTest, OffDrawsNothingOnDrawsTheLines) {
    CSurface device;  // the display object brings the device up
    CSurface s(320, 40, 1);
    s.FillAll(0);
    const int fpsFrames = g_Fps.frames;
    g_DevOverlayOn = 0;
    DrawDevOverlay(&s);
    EXPECT_EQ(CountNonZero(s), 0);
    EXPECT_EQ(g_Fps.frames, fpsFrames + 1) << "counted while off";
    g_DevOverlayOn = 1;
    DrawDevOverlay(&s);
    EXPECT_GT(CountNonZero(s), 0);
}

} // namespace

namespace overlay_lines {

// The overlay's figures come from the running game: the client's role,
// its view port, the calendar and the save manager.
class OverlayLinesTest : public GameMainTest {
protected:
    void TearDown() override {
        if (g_GameHost.m_pClient) g_GameHost.m_pClient->m_pWorld = nullptr;
        m_World.m_pHandles->Free(m_Hero.m_Handle, &m_Hero);
        g_GameHost.Shutdown();
        g_SaveMgr.m_DeathCount = 0;
        GameMainTest::TearDown();
    }
    CWorld m_World;
    CRole m_Hero;
};

TEST_F(OverlayLinesTest, TheLinesShowTheRoleTheViewAndTheDeathCount) {
    g_GameHost.CreateClient(0);
    CClient* c = g_GameHost.m_pClient;
    m_Hero.m_Kind = 60;
    m_Hero.m_X = 1000;
    m_Hero.m_Y = 700;
    m_Hero.m_Handle = m_World.m_pHandles->Attach(&m_Hero, 9);
    c->m_pWorld = &m_World;
    c->m_pSelection->m_Own = 9;
    c->m_pViewPort->m_View.x = 123;
    c->m_pViewPort->m_View.y = 45;
    c->m_pViewPort->m_OriginCell = {2, 4};
    c->m_pViewPort->m_BuildingCount = 3;
    g_SaveMgr.m_DeathCount = 6;
    g_GameMain.m_TickCount = 77;
    const std::vector<std::string> lines = DevOverlayLines(10, 20);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("77  10/20//player:1000/700,", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(",bld:3,"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("DeadCount: 6"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("  2,  4 123, 45   0/0"), std::string::npos) << lines[1];
}

} // namespace overlay_lines
