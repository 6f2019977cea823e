// A role drawn on a small surface: raised by its height, faded, hidden,
// and with the translucent halo of state 43 on the lit display.
#include "datagen/pli_writer.h"
#include "gfx/role_sprite.h"
#include "gfx/surface.h"
#include "support/display565.h"
#include "role_fixture.h"
#include "roles/magic/magic.h"
#include "roles/swarm/point_swarm.h"
#include "world/map/iso_grid.h"

namespace test_role_draw {

using role_fixture::BoxRow;
using role_fixture::kBoxColour;

constexpr uint16_t kBack = 0x001F;

class RoleDrawTest : public role_fixture::RoleFixture {
protected:
    void SetUp() override {
        RoleFixture::SetUp();
        vtest::Start565Display(m_Display, m_Keeper);
        m_View = *GetViewRect();
        m_Iso = g_IsoGrid;
        SetViewRect({0, 0, 64, 64, 0});
        LoadRoles({BoxRow("M", 2)});
        m_Role = Add(2, 2, 2);
        ASSERT_NE(m_Role, nullptr);
        // Cell (2, 2) at the view's origin: the role's foot at (32, 16).
        g_IsoGrid.SetView(2, 2, 0, 0);
        ASSERT_EQ(g_IsoGrid.WorldToScreen(m_Role->m_X, m_Role->m_Y), (CGamePoint{32, 16}));
        m_Surface = std::make_unique<CSurface>(64, 64, 1);
        m_Surface->FillAll(kBack);
    }
    void TearDown() override {
        m_Surface.reset();
        m_Keeper.reset();
        m_Display.reset();
        SetViewRect(m_View);
        g_IsoGrid = m_Iso;
        RoleFixture::TearDown();
    }
    uint16_t Pixel(int x, int y) { return vtest::ReadSurface(*m_Surface)[static_cast<size_t>(y * 64 + x)]; }
    // The rows of column x that hold the box colour: first and one past last.
    std::pair<int, int> BoxRows(int x) {
        int first = -1, last = -1;
        for (int y = 0; y < 64; ++y)
            if (Pixel(x, y) == kBoxColour) {
                if (first < 0) first = y;
                last = y + 1;
            }
        return {first, last};
    }

    ViewRect m_View;
    CIsoGrid m_Iso;
    CRole* m_Role = nullptr;
    std::unique_ptr<CSurface> m_Display, m_Keeper, m_Surface;
};

TEST_F(RoleDrawTest, TheSpriteStandsOnItsFootRaisedByItsHeight) {
    ASSERT_EQ(m_Role->DrawTo(m_Surface.get()), 1);
    EXPECT_EQ(BoxRows(32), (std::pair<int, int>{6, 16}));
    EXPECT_EQ(Pixel(28, 10), kBack);
    EXPECT_EQ(Pixel(29, 10), kBoxColour);
    m_Surface->FillAll(kBack);
    m_Role->m_Height = 4;
    m_Role->DrawTo(m_Surface.get());
    EXPECT_EQ(BoxRows(32), (std::pair<int, int>{2, 12}));
}

TEST_F(RoleDrawTest, AFadeLevelInsetsTheDrawnRectangle) {
    m_Role->m_FadeLevel = 2;
    m_Role->DrawTo(m_Surface.get());
    EXPECT_EQ(BoxRows(32), (std::pair<int, int>{8, 14}));
    EXPECT_EQ(Pixel(30, 10), kBack);
    EXPECT_EQ(Pixel(31, 10), kBoxColour);
    EXPECT_EQ(Pixel(33, 10), kBack);
}

TEST_F(RoleDrawTest, HiddenRolesAndClassFiftyDrawNothing) {
    m_Role->SetState(13, 1, 0, nullptr);
    EXPECT_EQ(m_Role->DrawTo(m_Surface.get()), 0);
    m_Role->SetState(13, 0, 0, nullptr);
    m_Role->m_ClassOverride = 50;
    EXPECT_EQ(m_Role->DrawTo(m_Surface.get()), 1) << "only its afterimage trail, which it has not";
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(Pixel(x, y), kBack) << x << "," << y;
}

TEST_F(RoleDrawTest, StateFortyThreeAddsFourTranslucentCopiesOnTheLitDisplay) {
    g_WorldHooks.getDisplayOption = [] { return 1; };
    // Beside the box (x 29-34, y 6-15): inside the copy 3 left only.
    const int hx = 27, hy = 10;
    m_Role->DrawTo(m_Surface.get());
    EXPECT_EQ(Pixel(hx, hy), kBack);
    m_Role->SetState(43, 1, 0, nullptr);
    m_Surface->FillAll(kBack);
    m_Role->DrawTo(m_Surface.get());
    const uint16_t halo = Pixel(hx, hy);
    EXPECT_NE(halo, kBack);
    EXPECT_NE(halo, kBoxColour);
    // Each copy is 3 pixels off on both axes: left above, right below.
    EXPECT_NE(Pixel(36, 4), kBack);
    EXPECT_NE(Pixel(37, 17), kBack);
    EXPECT_EQ(Pixel(38, 17), kBack);
    EXPECT_EQ(Pixel(25, 10), kBack);
    // The plain display draws no halo.
    g_WorldHooks.getDisplayOption = [] { return 0; };
    m_Surface->FillAll(kBack);
    m_Role->DrawTo(m_Surface.get());
    EXPECT_EQ(Pixel(hx, hy), kBack);
}

// A sprite whose one part is the right hand: a swing (RoleBits 0x40000)
// with a cast object leaves a ghost of the hand 32 pixels along the facing.
TEST_F(RoleDrawTest, ASwingLeavesAGhostOfTheRightHandOnlyWithACastObject) {
    ASSERT_TRUE(datagen::WriteSprRoleHeader(Dir() + "slr/SprRole.h", {{"BOX", "BD", "001", m_BoxAnimId, "X"}, {"SW", "RH", "001", m_BoxAnimId, "X"}}));
    ASSERT_TRUE(datagen::WritePli(datagen::PliNativePath(Dir(), "SW"), {"SW", "RH", {"RH"}, {{{0}}}}));
    ASSERT_EQ(LoadSprRoleHeader((Dir() + "slr/SprRole.h").c_str()), 1);
    LoadRoles({BoxRow("M", 2), BoxRow("H", 3).SpriteName("SW")});
    CRole* r = Add(3, 3, 3);
    ASSERT_NE(r, nullptr);
    ASSERT_NE(GetRoleSpritePartAnim(r->m_pSprite, "RH"), nullptr);
    g_IsoGrid.SetView(3, 3, 0, 0);
    g_WorldHooks.getDisplayOption = [] { return 1; };
    r->SetDirection8(2);
    auto drawn = [&] {
        m_Surface->FillAll(kBack);
        r->DrawTo(m_Surface.get());
        return vtest::ReadSurface(*m_Surface);
    };
    const std::vector<uint16_t> plain = drawn();
    r->m_RoleBits |= kRoleBitSwing;
    EXPECT_EQ(drawn(), plain) << "no cast object: no ghost";
    CMagic cast;
    r->m_pBoundMagic = &cast;
    const std::vector<uint16_t> swing = drawn();
    r->m_pBoundMagic = nullptr;
    int ghost = 0;
    for (size_t i = 0; i < swing.size(); ++i)
        if (swing[i] != plain[i]) {
            ++ghost;
            EXPECT_EQ(plain[i], kBack) << "the ghost lies beside the hand, not over it";
        }
    EXPECT_EQ(ghost, role_fixture::kBoxW * role_fixture::kBoxH) << "one ghost: no skill, no reach for more";
}

TEST_F(RoleDrawTest, ASwarmOfTheSpritesPiecesDrawsWithTheSwarmFlag) {
    // Pieces of 2 x 2 cut from the 6 x 10 box, moved up to 6 pixels off.
    m_Role->m_pSwarm = new CPointSwarm;
    m_Role->m_pSwarm->Cut(role_fixture::kBoxW, role_fixture::kBoxH, 2);
    m_Role->m_pSwarm->Scatter(16);
    m_Role->m_pSwarm->Scatter(12);
    auto outside = [&] {
        int n = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                n += Pixel(x, y) == kBoxColour && (x < 29 || x >= 35 || y < 6 || y >= 16);
        return n;
    };
    m_Role->DrawTo(m_Surface.get());
    EXPECT_EQ(outside(), 0) << "no swarm without its flag";
    m_Role->m_SwarmFlag = 1;
    m_Surface->FillAll(kBack);
    m_Role->DrawTo(m_Surface.get());
    EXPECT_GT(outside(), 0);
    // Fading hides the swarm.
    m_Role->m_FadeLevel = 1;
    m_Surface->FillAll(kBack);
    m_Role->DrawTo(m_Surface.get());
    EXPECT_EQ(outside(), 0);
}

} // namespace test_role_draw
