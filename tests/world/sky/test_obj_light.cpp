// Object lights: blinking, shrinking after their object, drawing by display
// option, building light kinds.
#include "../weather_fixture.h"
#include "../world_obj_fixture.h"
#include "world/map/iso_grid.h"
#include "world/sky/obj_light.h"
#include "../world_fixture.h"

using namespace wxtest;

namespace {

class ObjLightTest : public WorldObjTest {
protected:
    void SetUp() override {
        WeatherTest::SetUp();
        EnterWorld(0);
        g_CurLightList = &lights_;
        g_WorldHooks.hostHasClient = [] { return HasClient(); };
        g_WorldHooks.getDisplayOption = [] { return DisplayOptionValue(); };
        HasClient() = 1;
        g_IsoGrid.SetView(0, 0, 0, 0);
        g_LightGrid.Init(8, 128, 96);
    }
    void TearDown() override {
        lights_.Clear();
        LeaveWorld();
        WeatherTest::TearDown();
    }
    static int& HasClient() {
        static int v = 1;
        return v;
    }
    CObjLight* Light(int i) {
        CObjNode* n = lights_.Head();
        while (n && i-- > 0) n = n->Next();
        return static_cast<CObjLight*>(n);
    }

    CObjLightList lights_;
};

class CLitObj : public CMapObj {
public:
    CLitObj(int x, int y) {
        m_X = x;
        m_Y = y;
        m_Kind = 27;
        Register(-1);
    }
};

} // namespace

TEST_F(ObjLightTest, BlinksFollowsAndShrinksAway) {
    auto obj = std::make_unique<CLitObj>(100, 60);
    ASSERT_EQ(lights_.Add(obj->m_Handle, 0, 90, 0xC8C8C8u, 0x101010), 1);
    CObjLight* l = Light(0);
    ASSERT_NE(l, nullptr);
    EXPECT_NE(l->m_pSpot1, l->m_pSpot2);
    EXPECT_EQ(l->m_pCurrent, l->m_pSpot1);
    // The spot switches on every counter value 1, 7, 13, ...
    std::vector<int> switches;
    CLightMap* last = l->m_pCurrent;
    for (int t = 1; t <= 14; ++t) {
        if (t == 5) obj->m_X = 300;
        lights_.Update();
        if (l->m_pCurrent != last) switches.push_back(t);
        last = l->m_pCurrent;
    }
    EXPECT_EQ(switches, (std::vector<int>{1, 7, 13}));
    EXPECT_EQ(l->m_X, 300) << "follows its object";

    // Its object gone: dying from the next tick, 10 pixels a tick, gone once
    // the radius would fall below 61.
    world_->table->Free(obj->m_Handle, obj.get());
    lights_.Update();
    EXPECT_EQ(l->m_Dying, 1);
    std::vector<int32_t> radii;
    while (lights_.Head()) {
        lights_.Update();
        if (lights_.Head()) radii.push_back(l->m_pCurrent->m_Radius);
    }
    EXPECT_EQ(radii, (std::vector<int32_t>{80, 70, 60}));

    // colour2 -1 blinks between two equal spots; a radius below 61 goes on
    // the second tick after its object.
    auto small = std::make_unique<CLitObj>(10, 10);
    lights_.Add(small->m_Handle, 1, 40, 0xFFFFFFu, -1);
    EXPECT_EQ(Light(0)->m_pSpot1, Light(0)->m_pSpot2);
    world_->table->Free(small->m_Handle, small.get());
    lights_.Update();
    EXPECT_NE(lights_.Head(), nullptr);
    lights_.Update();
    EXPECT_EQ(lights_.Head(), nullptr);

    HasClient() = 0;
    EXPECT_EQ(lights_.Add(small->m_Handle, 0, 90, 1, 1), 0) << "no client part, no light";
    EXPECT_EQ(lights_.Head(), nullptr);
}

TEST_F(ObjLightTest, DrawStampsByDisplayOption) {
    auto a = std::make_unique<CLitObj>(32, 32);
    auto b = std::make_unique<CLitObj>(200, 64);
    lights_.Add(a->m_Handle, 0, 64, 0xFFFFFFu, 0x808080);
    lights_.Add(b->m_Handle, 3, 64, 0xFFFFFFu, -1);
    lights_.Update();
    lights_.Update();  // spot 2 current on the first light
    CWeather w;
    g_Weather = &w;
    w.m_Light = 2;
    auto grid = [] { return g_LightGrid.Map().m_Levels; };
    // Models: the grid filled with the weather's level, then stamped.
    auto model = [&](std::initializer_list<std::pair<const CLightMap*, CGamePoint>> stamps) {
        g_LightGrid.Fill(2);
        for (const auto& [spot, at] : stamps) g_LightGrid.Stamp(spot, at.x, at.y);
        return grid();
    };
    const CGamePoint sa = g_IsoGrid.WorldToScreen(32, 32), sb = g_IsoGrid.WorldToScreen(200, 64);
    CObjLight* la = Light(0);
    CObjLight* lb = Light(1);
    ASSERT_EQ(la->m_pCurrent, la->m_pSpot2) << "switched at counter 1";
    const struct {
        int option;
        std::vector<uint8_t> want;
    } cases[] = {
        {0, model({})},
        {1, model({{la->m_pSpot1, sa}})},
        {2, model({{la->m_pCurrent, sa}, {lb->m_pCurrent, sb}})},
        {3, model({})},
    };
    for (const auto& c : cases) {
        DisplayOptionValue() = c.option;
        g_LightGrid.Fill(15);
        lights_.Draw();
        EXPECT_EQ(grid(), c.want) << c.option;
    }
    EXPECT_NE(cases[2].want, cases[0].want) << "the stamps show";
    g_Weather = nullptr;
}

TEST_F(ObjLightTest, BuildingLightKinds) {
    const struct {
        int kind;
        int radius;
        uint32_t c1, c2;
    } cases[] = {{1, 320, 0xFFFFFF, 0xDCDCDC}, {2, 320, 0xFFFFFF, 0xFFFFFF}, {3, 800, 0xFFFFFF, 0xE6E6E6},
                 {4, 800, 0xFFFFFF, 0xFFFFFF}};
    auto obj = std::make_unique<CLitObj>(0, 0);
    for (const auto& c : cases) {
        ASSERT_EQ(AddBldLight(obj->m_Handle, c.kind), 1);
        CObjLight* l = static_cast<CObjLight*>(lights_.Tail());
        EXPECT_EQ(l->m_Kind, c.kind);
        EXPECT_EQ(l->m_pSpot1->m_Radius, c.radius);
        EXPECT_EQ(l->m_pSpot1->m_Color, c.c1);
        EXPECT_EQ(l->m_pSpot2->m_Color, c.c2);
    }
    EXPECT_EQ(AddBldLight(obj->m_Handle, 0), 0);
    EXPECT_EQ(AddBldLight(obj->m_Handle, 5), 0);
}
