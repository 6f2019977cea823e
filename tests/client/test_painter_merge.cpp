// The painter's object pass on a bare target: a test building of solid
// frames (ground, standing, top) and solid moving objects, merged in depth
// order; what is redrawn over the objects and what shows through.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "client/painter.h"
#include "core/directories.h"
#include "gfx/color_tables.h"
#include "gfx/drawable.h"
#include "gfx/pixel_format.h"
#include "gfx/surface.h"
#include "platform/window.h"
#include "support/display565.h"
#include "world/buildings/bld.h"
#include "world/buildings/bld_mdl.h"
#include "world/scene/world.h"
#include "world/scene/world_hooks.h"
#include "world/things/anim_map_obj.h"

namespace paintermerge {

constexpr int32_t kW = 160, kH = 120;
constexpr uint16_t kBack = 0x0000, kGround = 0x07E0, kStanding = 0xF800, kTop = 0x001F, kObj = 0xFFE0;

// A solid box at its offset.
class Box : public CDrawable {
public:
    Box(CGameRect r, uint16_t c) : r_(r), c_(c) {}
    int Draw(CSurface* dst, int32_t x, int32_t y, int32_t, int32_t, const CGameRect* clip) override {
        const CGameRect all{0, 0, dst->m_Width, dst->m_Height};
        dst->FillRectClipped(c_, x, y, r_.width, r_.height, clip ? clip : &all);
        return 1;
    }
    void GetRect(CGameRect* r) override { r->width = r_.width, r->height = r_.height; }

private:
    CGameRect r_;
    uint16_t c_;
};

// A building at screen (40, 40): top frame y 30-40, standing frame 40-80,
// ground frame 60-80, all x 40-80.
class TestBld : public CBld {
public:
    explicit TestBld(int32_t key) {
        m_X = key / 2;
        m_Y = key - key / 2;
        part_.m_Items.resize(3);
        const CGameRect boxes[3] = {{0, 20, 40, 20}, {0, 0, 40, 40}, {0, -10, 40, 10}};
        const uint16_t colours[3] = {kGround, kStanding, kTop};
        for (int i = 0; i < 3; ++i) {
            part_.m_Items[size_t(i)].m_X = boxes[i].x;
            part_.m_Items[size_t(i)].m_Y = boxes[i].y;
            m_Frames.push_back(new Box(boxes[i], colours[i]));
        }
        m_pPart = &part_;
        m_FrameCount = 3;
        m_MiddleStart = 1;
        m_TopCount = 1;
        m_ScreenX = 40;
        m_ScreenY = 40;
        m_ScreenRect = {40, 30, 40, 50};
    }
    CBldPart part_;
};

// A solid object that keeps the screen rectangle it is given.
class TestObj : public CAnimMapObj {
public:
    TestObj(int32_t key, CGameRect r, int32_t kind) {
        m_X = key / 2;
        m_Y = key - key / 2;
        m_ScreenRect = r;
        m_Kind = kind;
    }
    int Draw(CSurface* s) override {
        s->FillRectClipped(kObj, m_ScreenRect.x, m_ScreenRect.y, m_ScreenRect.width, m_ScreenRect.height, nullptr);
        return 1;
    }
    void UpdateScreenRect() override {}
};

class PainterMerge : public testing::Test {
protected:
    void SetUp() override { SetUpIn(kFormat565); }
    // A fresh display, view and target in that pixel format.
    void SetUpIn(int32_t format) {
        target.reset();
        m_Display.reset();
        m_Keeper.reset();
        vtest::Start565Display(m_Display, m_Keeper);
        if (format == kFormat555) {
            plat::SetDisplayLayout(plat::PixelLayout::k555);
            g_PixelFormat.m_Format = kFormat555;
            FreeColorTables();
            BuildColorTables(kFormat555);
        }
        m_Hooks = g_WorldHooks;
        g_WorldHooks.getDisplayOption = [] { return 0; };
        ViewRect v;
        v.width = kW;
        v.height = kH;
        SetViewRect(v);
        p.SetViewRect(0, 0, kW, kH);
        target = std::make_unique<CSurface>(kW, kH, 1);
        target->FillAll(kBack);
    }
    void TearDown() override {
        g_WorldHooks = m_Hooks;
        p.OnDisplayChange(1);
        target.reset();
        m_Keeper.reset();
        m_Display.reset();
        plat::SetDisplayLayout(plat::PixelLayout::k565);
        g_PixelFormat.m_Format = kFormat565;
        FreeColorTables();
        BuildColorTables(kFormat565);
    }
    // The building (key 1000) in list B and its layers, the objects in list
    // A, then the object pass.
    void Run(TestBld& b, const std::vector<TestObj*>& moving) {
        p.m_ListB.InsertSorted(&b, p.ScreenView());
        p.RebuildLayers();
        for (TestObj* o : moving) p.m_ListA.InsertSorted(o, p.ScreenView());
        p.DrawObjects(target.get(), &world);
    }
    uint16_t At(int32_t x, int32_t y) {
        const uint8_t* px = target->Lock(nullptr);
        const uint16_t v = static_cast<uint16_t>(px[size_t(y) * target->m_Pitch + 2 * x] | px[size_t(y) * target->m_Pitch + 2 * x + 1] << 8);
        target->Unlock();
        return v;
    }
    // Level 8 of what was there under half of the object.
    static uint16_t HalfOver(uint16_t under, uint16_t obj) {
        return static_cast<uint16_t>(GetBlendTable(8)[under] + GetBlendTable(7)[obj]);
    }

    CPainter p;
    CWorld world;
    std::unique_ptr<CSurface> target;
    CWorldHooks m_Hooks;
    std::unique_ptr<CSurface> m_Display, m_Keeper;
};

TEST_F(PainterMerge, DepthDecidesWhatStandsInFrontAndTiesGoToTheObject) {
    struct Case {
        const char* what;
        int32_t key;
        uint16_t want;
    };
    // A prop-kind object (no see-through) over the standing frame.
    for (const Case& c : {Case{"behind: the standing frame redrawn over it", 900, kStanding},
                          Case{"equal key: drawn first, then covered", 1000, kStanding},
                          Case{"in front: drawn over the building", 1100, kObj}}) {
        SCOPED_TRACE(c.what);
        g_WorldHooks = m_Hooks;
        SetUp();
        TestBld b(1000);
        TestObj o(c.key, {50, 50, 10, 10}, 22);
        Run(b, {&o});
        EXPECT_EQ(At(55, 55), c.want);
        EXPECT_EQ(At(45, 45), kBack) << "only the overlap is redrawn";
        EXPECT_EQ(At(65, 55), kBack);
    }
}

TEST_F(PainterMerge, TheTopFramesAreRedrawnOverAnObjectInFrontOfTheBuilding) {
    TestBld b(1000);
    TestObj o(1100, {50, 25, 10, 20}, 22);
    Run(b, {&o});
    EXPECT_EQ(At(55, 26), kObj) << "above the top frame";
    EXPECT_EQ(At(55, 35), kTop) << "the top frame over the object";
    EXPECT_EQ(At(55, 42), kObj) << "in front of the standing frame";
}

TEST_F(PainterMerge, ARestrictedObjectIsNotDrawnAndAddsNoRectangle) {
    TestBld b(1000);
    TestObj o(900, {50, 50, 10, 10}, 22);
    o.m_WalkClass = 10;
    Run(b, {&o});
    EXPECT_EQ(At(55, 55), kBack) << "neither the object nor the building's redraw";
}

TEST_F(PainterMerge, AHiddenRoleShowsThroughHalfTranslucentButNotAlongAOnePixelStrip) {
    for (int32_t format : {kFormat565, kFormat555}) {
        SCOPED_TRACE(format);
        struct Case {
            int32_t x, width;
            bool through;
        };
        // Behind the building (key 900): the standing frame covers it.
        for (const Case& c : {Case{50, 10, true}, Case{79, 10, false}, Case{78, 10, true}}) {
            SCOPED_TRACE(c.x);
            g_WorldHooks = m_Hooks;
            SetUpIn(format);
            TestBld b(1000);
            TestObj o(900, {c.x, 50, c.width, 10}, 31);
            Run(b, {&o});
            const int32_t in = c.x == 50 ? 55 : 79;
            EXPECT_EQ(At(in, 55), c.through ? HalfOver(kStanding, kObj) : kStanding);
            EXPECT_EQ(p.m_SeeThrough, c.through ? 1 : 0);
            if (c.x != 50) {
                EXPECT_EQ(At(85, 55), kObj) << "outside the building it stands plain";
            }
        }
    }
}

TEST_F(PainterMerge, ALayerThreeObjectSortsAsIf192PixelsFurtherOn) {
    for (int32_t layer : {1, 3}) {
        SCOPED_TRACE(layer);
        g_WorldHooks = m_Hooks;
        SetUp();
        TestBld b(1000);
        // Key 700: behind the building on layer 1; 700 + 384 in front on 3.
        TestObj o(700, {50, 50, 10, 10}, 22);
        o.SetMng(&world.m_ObjMng);
        o.SetDrawLayer(layer);
        Run(b, {});
        EXPECT_EQ(At(55, 55), layer == 3 ? kObj : kStanding);
        EXPECT_EQ(DepthKey(&o), 700) << "moved back after the insertion";
        o.LeaveDrawList();
    }
}

} // namespace paintermerge
