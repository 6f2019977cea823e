// The client's view port over the demo world at night: the lamp post's
// light pool lies under the lamp as it is drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app_fixture.h"
#include "client/painter.h"
#include "datagen/demo_bld.h"
#include "datagen/demo_data.h"
#include "gfx/light_grid.h"
#include "gfx/surface.h"
#include "platform/present.h"
#include "world/buildings/bld.h"
#include "world/buildings/bld_mdl.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/sky/game_clock.h"
#include "world/sky/weather.h"

namespace painter_light {

constexpr int32_t kW = 800, kH = 600;


class PainterLight : public GameMainTest {
protected:
    void SetUp() override {
        GameMainTest::SetUp();
        SetProgramDirectory(0);
        plat::SetDisplayPresenter(&presenter_);
        saved_ = g_WorldHooks;
    }
    void TearDown() override {
        g_WorldHooks = saved_;
        g_Weather = nullptr;
        SetCurrentScene(nullptr);
        g_GameMain.Shutdown();
        plat::SetDisplayPresenter(nullptr);
        GameMainTest::TearDown();
    }
    plat::HeadlessPresenter presenter_{""};
    CWorldHooks saved_;
};

// Within 48 px of the frame's centre: the lamp's cell, clear of the
// other lights' pools and the other buildings.
constexpr int32_t kNear = 48;
bool Near(int32_t x, int32_t y) { return std::abs(x - kW / 2) < kNear && std::abs(y - kH / 2) < kNear; }

// The centroid of the pixels near the frame's centre that `pick` selects;
// false when there are none.
template <class Pick>
bool Centroid(CSurface& s, Pick pick, double* x, double* y) {
    const uint8_t* p = s.Lock(nullptr);
    if (!p) return false;
    double sx = 0, sy = 0;
    int n = 0;
    for (int32_t row = kH / 2 - kNear; row < kH / 2 + kNear; ++row)
        for (int32_t col = kW / 2 - kNear; col < kW / 2 + kNear; ++col) {
            uint16_t v;
            std::memcpy(&v, p + size_t(row) * s.m_Pitch + 2 * col, 2);
            if (!pick(((v >> 11) & 31) * 255 / 31, ((v >> 5) & 63) * 255 / 63, (v & 31) * 255 / 31)) continue;
            sx += col;
            sy += row;
            ++n;
        }
    s.Unlock();
    if (n == 0) return false;
    *x = sx / n;
    *y = sy / n;
    return true;
}

TEST_F(PainterLight, TheLampsLightPoolLiesUnderItsDrawnPostAndFlame) {
    datagen::DemoOptions o;
    o.music = o.sounds = false;
    std::string error;
    ASSERT_TRUE(datagen::WriteDemoDataSet(Dir(), o, &error)) << error;
    ASSERT_EQ(g_GameMain.StartApp(), 2);
    // Midnight, as a client of this process sees it (worldview's way).
    ResetGameClock();
    SetGameClock(0, 0, 0, 0, 0);
    g_WorldHooks.hostHasClient = [] { return 1; };
    g_WorldHooks.isLightingOn = [] { return 0; };
    g_WorldHooks.getDisplayOption = [] { return 2; };
    CWeather weather;
    g_Weather = &weather;
    CScene scene("Start");
    SetCurrentScene(&scene);
    CWorld world;
    ASSERT_EQ(BuildMap(&world, "Start"), 1);
    ASSERT_EQ(BuildObj(&world), 1);
    world.ApplySceneEnv();

    const CBld* lamp = nullptr;
    for (CObjNode* node = world.m_ObjMng.m_SceneObjs.Head(); node; node = node->Next())
        if (auto* b = dynamic_cast<CBld*>(static_cast<CGameObj*>(node)); b && b->GetPart() &&
                                                                         b->GetPart()->m_PartId == datagen::kDemoLampPart)
            lamp = b;
    ASSERT_NE(lamp, nullptr);
    ASSERT_NE(lamp->GetDesc(), nullptr);
    CPainter view;
    ServeViewOrigin(&view);
    view.SetViewRect(0, 0, kW, kH);
    view.PrepareScene(&world);
    const CGamePoint tl = CellTopLeft(lamp->GetDesc()->m_X, lamp->GetDesc()->m_Y);
    view.m_View.x = tl.x + 32 - kW / 2;
    view.m_View.y = tl.y + 16 - kH / 2;
    view.ScrollView(0);
    for (int t = 0; t < 10; ++t) {
        world.MakeCurrent();
        world.m_ObjMng.Update();
        world.m_LightList.Update();
        world.m_ObjMng.PostUpdate();
        weather.Tick();
    }
    weather.ApplyDaylight();
    weather.ApplyAmbientMode();
    CSurface frame(kW, kH, 1);
    frame.FillAll(0);
    view.Paint(&frame, &world, &weather);

    // The pool: the brightest cells of the light grid near the lamp.
    const CLightMap& grid = g_LightGrid.Map();
    const int32_t cell = kW / grid.m_Width;
    ASSERT_GT(cell, 0);
    int best = -1;
    for (int32_t r = 0; r < grid.m_Height; ++r)
        for (int32_t c = 0; c < grid.m_Width; ++c)
            if (Near(c * cell + cell / 2, r * cell + cell / 2)) best = std::max<int>(best, grid.At(c, r));
    double poolX = 0, poolY = 0;
    int n = 0;
    for (int32_t r = 0; r < grid.m_Height; ++r)
        for (int32_t c = 0; c < grid.m_Width; ++c)
            if (Near(c * cell + cell / 2, r * cell + cell / 2) && grid.At(c, r) == best) {
                poolX += c * cell + cell / 2.0;
                poolY += r * cell + cell / 2.0;
                ++n;
            }
    ASSERT_GT(n, 0);
    poolX /= n;
    poolY /= n;
    EXPECT_GT(best, g_LightGrid.Map().At(0, 0)) << "a pool brighter than the night around it";
    // The lamp's cell is the view's centre.
    EXPECT_NEAR(poolX, kW / 2, 8);
    EXPECT_NEAR(poolY, kH / 2, 8);

    // The flame: its bright yellow pixels, 8 x 10 with its middle 45 px
    // above the cell's centre; the post: its brown body, 16 x 32 with its
    // middle 24 px above it.
    double flameX = 0, flameY = 0, postX = 0, postY = 0;
    ASSERT_TRUE(Centroid(frame, [](int r, int g, int b) { return r > 200 && g > 120 && b < 160 && r > b + 80; }, &flameX,
                         &flameY))
        << "no flame near the lamp's cell";
    ASSERT_TRUE(Centroid(frame, [](int r, int g, int b) { return r > 60 && r < 140 && g > 30 && g < 90 && b < 45 && r > g + 25; },
                         &postX, &postY))
        << "no post near the lamp's cell";
    EXPECT_NEAR(flameX, poolX, 6);
    EXPECT_NEAR(postX, poolX, 6);
    EXPECT_NEAR(poolY - flameY, 45, 8);
    EXPECT_NEAR(poolY - postY, 24, 8);
}

} // namespace painter_light
