// The painter's drawing on the fixture world: scroll reuse against a full
// redraw, the final blit's failure report, a display change while running;
// and its draw lists and their merge on their own.
#include "client/client_fixture.h"

#include <cstring>
#include <vector>

#include "client/draw_list.h"
#include "client/painter.h"
#include "client/selection.h"
#include "gfx/pixel_format.h"
#include "gfx/surface.h"
#include "platform/display.h"
#include "platform/msgbox.h"
#include "world/objects/game_obj.h"
#include "world/scene/world_hooks.h"

namespace clienttest {

namespace {

int g_Option = 0;

std::vector<uint8_t> Bytes(CSurface& s) {
    std::vector<uint8_t> out;
    const uint8_t* p = s.Lock(nullptr);
    if (!p) return out;
    for (int32_t y = 0; y < s.m_Height; ++y) out.insert(out.end(), p + size_t(y) * s.m_Pitch, p + size_t(y) * s.m_Pitch + 2 * s.m_Width);
    s.Unlock();
    return out;
}

int PaintErrors() {
    int n = 0;
    for (const auto& m : plat::RecordedMessageBoxes()) n += m.text == "Paint Error";
    return n;
}

} // namespace

class PainterDrawTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        m_World = g_WorldHooks;
        m_Format = g_PixelFormat.m_Format;
        g_WorldHooks.getDisplayOption = [] { return g_Option; };
        p = Client()->m_pViewPort;
        ASSERT_NE(p, nullptr);
    }
    void TearDown() override {
        plat::ClearDisplayFaults();
        g_PixelFormat.m_Format = m_Format;
        g_WorldHooks = m_World;
        ClientTest::TearDown();
    }
    // A view of w x h in display option `option`, on the world's middle.
    void Start(int option, int32_t w = 320, int32_t h = 240) {
        g_Option = option;
        p->SetFollow(0);
        p->SetViewRect(0, 0, w, h);
        p->PrepareScene();
        p->MoveTo(p->m_Bounds.x + p->m_Bounds.width / 2 - w / 2, p->m_Bounds.y + p->m_Bounds.height / 2 - h / 2);
        frame = std::make_unique<CSurface>(w, h, 1);
    }
    void PaintFrame() { p->Paint(frame.get(), Client()->m_pWorld, nullptr); }

    CPainter* p = nullptr;
    std::unique_ptr<CSurface> frame;
    CWorldHooks m_World;
    int32_t m_Format = 0;
};

TEST_F(PainterDrawTest, AScrolledFrameIsByteIdenticalToAFullRedraw) {
    struct Step {
        int dir, step;
    };
    // All eight directions (diagonals as two moves in one frame) and mixed
    // steps, the last larger than the view.
    const std::vector<std::vector<Step>> frames = {
        {{7, 5}}, {{3, 17}}, {{1, 9}}, {{5, 33}}, {{7, 12}, {1, 7}}, {{3, 64}, {5, 3}},
        {{3, 1}, {1, 1}}, {{7, 40}, {5, 40}}, {{5, 2}}, {{7, 400}}, {{1, 250}},
    };
    for (int32_t format : {kFormat565, kFormat555})
        for (int option : {0, 2}) {
            SCOPED_TRACE(testing::Message() << "format " << format << " option " << option);
            g_PixelFormat.m_Format = format;
            Start(option);
            PaintFrame();
            for (size_t f = 0; f < frames.size(); ++f) {
                for (const Step& s : frames[f]) {
                    p->m_ScrollStep = s.step;
                    p->ScrollView(s.dir);
                }
                PaintFrame();
                const std::vector<uint8_t> reused = Bytes(*frame);
                ASSERT_GT(p->m_GroundRects, 0) << "the uncovered strips were redrawn, frame " << f;
                p->InvalidateRect(nullptr);
                PaintFrame();
                ASSERT_EQ(reused, Bytes(*frame)) << "frame " << f;
            }
        }
}

TEST_F(PainterDrawTest, AStillViewRedrawsNoGround) {
    Start(0);
    PaintFrame();
    EXPECT_EQ(p->m_GroundRects, 1) << "the whole view once";
    PaintFrame();
    EXPECT_EQ(p->m_GroundRects, 0);
    const CGameRect r{10, 10, 20, 20};
    p->InvalidateRect(&r);
    PaintFrame();
    EXPECT_EQ(p->m_GroundRects, 1) << "only the dirty rectangle";
}

TEST_F(PainterDrawTest, PaintErrorIsShownOncePerRunOfFailingFrames) {
    Start(0);
    PaintFrame();
    plat::ClearRecordedMessageBoxes();
    plat::ForceDisplayResult(plat::DisplayOp::BltFast, plat::DDERR_GENERIC, -1);
    for (int i = 0; i < 5; ++i) PaintFrame();
    EXPECT_EQ(PaintErrors(), 1) << "one box for five failing frames";
    plat::ClearDisplayFaults();
    PaintFrame();
    EXPECT_EQ(PaintErrors(), 1) << "a good frame shows nothing";
    plat::ForceDisplayResult(plat::DisplayOp::BltFast, plat::DDERR_GENERIC, -1);
    PaintFrame();
    PaintFrame();
    EXPECT_EQ(PaintErrors(), 2) << "a new run after a success reports again";
}

TEST_F(PainterDrawTest, ADisplayChangeInARunningGameRebuildsAndRepaints) {
    Start(2);
    PaintFrame();
    const std::vector<uint8_t> before = Bytes(*frame);
    p->OnDisplayChange(1);
    EXPECT_EQ(p->Ground(0), nullptr);
    PaintFrame();  // between the events: nothing to paint with, no crash
    p->OnDisplayChange(0);
    ASSERT_NE(p->Ground(0), nullptr);
    ASSERT_NE(p->Ground(1), nullptr);
    frame = std::make_unique<CSurface>(p->m_View.width, p->m_View.height, 1);
    PaintFrame();
    EXPECT_EQ(p->m_GroundRects, 1) << "the whole view painted again";
    const std::vector<uint8_t> after = Bytes(*frame);
    EXPECT_NE(std::count(after.begin(), after.end(), 0), static_cast<long>(after.size())) << "not a black frame";
}

// ---------------------------------------------------------------- lists

namespace {

struct Obj {
    std::unique_ptr<CGameObj> o = std::make_unique<CGameObj>();
    Obj(int32_t x, int32_t y, CGameRect r = {0, 0, 10, 10}) {
        o->m_X = x;
        o->m_Y = y;
        o->m_ScreenRect = r;
    }
};

std::vector<CGameObj*> Walk(const CDrawList& l) {
    std::vector<CGameObj*> out;
    for (int32_t i = l.Head(); i != -1; i = l.Next(i)) out.push_back(l.At(i));
    return out;
}

} // namespace

TEST(DrawList, SortsByDepthKeepsTiesInOrderAndSkipsWhatIsOutOfViewOrListed) {
    const CGameRect view{0, 0, 100, 100};
    Obj a(50, 50), b(10, 10), c(60, 40), d(0, 0, {100, 0, 10, 10}), e(5, 5, {-10, -10, 10, 10});
    CDrawList l;
    EXPECT_EQ(l.InsertSorted(a.o.get(), view), 1);
    EXPECT_EQ(l.InsertSorted(b.o.get(), view), 1);
    EXPECT_EQ(l.InsertSorted(c.o.get(), view), 1);
    EXPECT_EQ(l.InsertSorted(a.o.get(), view), 0) << "already listed";
    EXPECT_EQ(l.InsertSorted(d.o.get(), view), 0) << "right of the view";
    EXPECT_EQ(l.InsertSorted(e.o.get(), view), 0) << "touching the corner only";
    EXPECT_EQ(Walk(l), (std::vector<CGameObj*>{b.o.get(), a.o.get(), c.o.get()}));
    l.Clear();
    EXPECT_EQ(l.Count(), 0);
    std::vector<Obj> many;
    for (int i = 0; i < 1001; ++i) many.emplace_back(i, 0);
    int taken = 0;
    for (Obj& o : many) taken += l.InsertSorted(o.o.get(), view);
    EXPECT_EQ(taken, 1000) << "a full list takes nothing";
}

TEST(DrawList, TheMergeEndsEachListOnItsOwnEvenPastKey65535) {
    const CGameRect view{0, 0, 100, 100};
    // Keys 60000 + 5535 and beyond: a marker of 65535 would read these as
    // an exhausted list.
    Obj a1(30000, 30000), a2(40000, 40000), b1(30000, 30000), b2(60000, 5535), b3(60000, 9000);
    CDrawList a, b;
    for (Obj* o : {&a1, &a2}) a.InsertSorted(o->o.get(), view);
    for (Obj* o : {&b1, &b2, &b3}) b.InsertSorted(o->o.get(), view);
    std::vector<CGameObj*> order;
    int fromB = 0;
    MergeDrawLists(
        a, b, [&](CGameObj* o) { order.push_back(o); },
        [&](CGameObj* o) {
            order.push_back(o);
            ++fromB;
        });
    EXPECT_EQ(order, (std::vector<CGameObj*>{a1.o.get(), b1.o.get(), b2.o.get(), b3.o.get(), a2.o.get()}))
        << "ties to the moving object; the building at 65535 and past it taken once each";
    EXPECT_EQ(fromB, 3);
    CDrawList empty;
    order.clear();
    MergeDrawLists(empty, b, [&](CGameObj* o) { order.push_back(o); }, [&](CGameObj* o) { order.push_back(o); });
    EXPECT_EQ(order.size(), 3u) << "an empty list A";
}

} // namespace clienttest
