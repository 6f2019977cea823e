// The view port's camera on the fixture world: clamping, the follow step
// with its focus modes, the shake, the centre cell and the sound restart.
#include "client/client_fixture.h"

#include "client/painter.h"
#include "gfx/surface.h"
#include "platform/display.h"
#include "client/selection.h"

namespace clienttest {

class PainterTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        p = Client()->m_pViewPort;
        ASSERT_NE(p, nullptr);
        p->SetViewRect(0, 0, 320, 200);
        p->PrepareScene();
        hero = g_Selection->GetRole();
        ASSERT_NE(hero, nullptr);
    }
    // The hero's point in view pixels.
    CGamePoint HeroOnView() const {
        const CGamePoint at = LayoutPoint(hero);
        return {at.x - p->m_View.x, at.y - p->m_View.y};
    }
    CPainter* p = nullptr;
    CRole* hero = nullptr;
};

TEST_F(PainterTest, TheViewStaysInsideTheWorldAtEveryEdge) {
    const CGameRect b = p->m_Bounds;
    ASSERT_GT(b.width, 320);
    ASSERT_GT(b.height, 200);
    for (const auto& [x, y] : {std::pair{1000000, 1000000}, {-1000000, -1000000}, {1000000, -1000000}}) {
        p->MoveTo(x, y);
        EXPECT_GE(p->m_View.x, b.x);
        EXPECT_GE(p->m_View.y, b.y);
        EXPECT_LT(p->m_View.x + p->m_View.width, b.x + b.width) << "lower right inside";
        EXPECT_LT(p->m_View.y + p->m_View.height, b.y + b.height);
    }
}

TEST_F(PainterTest, FollowingHoldsTheHeroAtTheFocusOfEachMode) {
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        p->SetFocusMode(mode);
        p->SetFollow(1);
        for (int i = 0; i < 300; ++i) p->Update();
        const int wantX = mode == 1 ? 80 : mode == 2 ? 240 : 160;
        EXPECT_EQ(HeroOnView().x, wantX);
        EXPECT_EQ(HeroOnView().y, 100);
    }
}

TEST_F(PainterTest, AShakeRunsTwentyFramesAndEndsWhereItBegan) {
    p->SetFollow(0);
    p->MoveTo(p->m_Bounds.x + 100, p->m_Bounds.y + 100);
    const CGameRect before = p->m_View;
    p->StartShake();
    p->Update();
    p->StartShake();  // one at a time
    int frames = 1;
    while (p->m_Shake > 0) {
        p->Update();
        ++frames;
    }
    EXPECT_EQ(frames, 20);
    EXPECT_EQ(p->m_View.x, before.x);
    EXPECT_EQ(p->m_View.y, before.y);
}

TEST_F(PainterTest, TheCentreCellIsTheCellUnderTheViewsCentre) {
    p->SetFocusMode(0);
    p->CenterOn(hero);
    EXPECT_EQ(p->GetCenterCell(), (CGamePoint{hero->m_X / 64, hero->m_Y / 64}));
}

TEST_F(PainterTest, PositionalSoundsRestartOnlyAfterThreeCells) {
    p->MoveTo(p->m_Bounds.x + 64, p->m_Bounds.y + 64);
    const CGamePoint start = p->m_SoundCell;
    p->m_ScrollStep = 2 * 64;
    p->ScrollView(7);
    EXPECT_EQ(p->m_SoundCell, start) << "two columns on";
    p->m_ScrollStep = 64;
    p->ScrollView(7);
    EXPECT_EQ(p->m_SoundCell, p->m_OriginCell) << "the third column restarts them";
    EXPECT_NE(p->m_SoundCell, start);
}

} // namespace clienttest

namespace clienttest {

TEST_F(PainterTest, ADisplayChangeDropsTheSurfacesAndRebuildsThemAtTheNewSize) {
    ASSERT_NE(p->GetScratchSurface(), nullptr);
    p->OnDisplayChange(1);
    EXPECT_EQ(p->GetScratchSurface(), nullptr) << "released before the mode changes";
    p->m_Invalidated = 0;
    p->OnDisplayChange(0);
    ASSERT_NE(p->GetScratchSurface(), nullptr);
    EXPECT_EQ(p->m_Invalidated, 1) << "the whole view is painted again";
    EXPECT_TRUE(p->m_View.width == 640 || p->m_View.width == 800 || p->m_View.width == 1024);
    EXPECT_EQ(p->GetScratchSurface()->m_Width, p->m_View.width);
}

} // namespace clienttest

namespace clienttest {

// The client's view port and a display change size the view alike in the
// three display modes; another width has no view at start but is treated
// as 800 on a display change.
TEST_F(ClientTest, TheViewSizeFollowsTheDisplayMode) {
    plat::DisplayDevice* dd = nullptr;
    ASSERT_EQ(plat::DirectDrawCreate(&dd), plat::DD_OK);
    struct Case {
        uint32_t w, h;
        int32_t vw, vh;    // CreateVP
        int32_t rw, rh;    // ResizeToScreen
    };
    for (const Case& c : {Case{640, 480, 640, 431, 640, 431}, Case{800, 600, 800, 600, 800, 600},
                          Case{1024, 768, 1024, 768, 1024, 768}, Case{1280, 720, 0, 0, 800, 600}}) {
        ASSERT_EQ(dd->SetDisplayMode(c.w, c.h, 16, 0, 0), plat::DD_OK) << c.w;
        Client()->CreateVP();
        CPainter* p = Client()->m_pViewPort;
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->m_View.width, c.vw) << c.w;
        EXPECT_EQ(p->m_View.height, c.vh) << c.w;
        p->ResizeToScreen();
        EXPECT_EQ(p->m_View.width, c.rw) << c.w;
        EXPECT_EQ(p->m_View.height, c.rh) << c.w;
    }
    dd->RestoreDisplayMode();
    dd->Release();
    Client()->CreateVP();
}

} // namespace clienttest
