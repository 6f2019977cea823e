// Proximity queries: list walks by distance and direction, spiral walks of
// the map cells, and the helpers beside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "world/map/map_grid.h"
#include "world/objects/proximity.h"
#include "../world_fixture.h"

namespace {

using wtest::CTestObj;
using wtest::Log;

class ProximityTest : public wtest::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        grid_.Create(20, 20);
        g_CurMapGrid = &grid_;
        // Body radius: the test objects keep it in m_Height.
        g_WorldHooks.getBodyRadius = [](const CGameObj* o) { return o->m_Height; };
    }
    void TearDown() override {
        m_World.reset();
        g_CurMapGrid = nullptr;
        WorldTest::TearDown();
    }
    CTestObj* Role(const char* name, int x, int y, int radius) {
        auto* o = new CTestObj(31, name);
        o->Register(-1);
        o->m_X = x, o->m_Y = y, o->m_Height = radius;
        Mng().Register(o->m_Handle);
        return o;
    }
    CMapGrid grid_;
};

TEST_F(ProximityTest, RolesNearBySquareAndRootAndTheListCursorComesBack) {
    CTestObj* a = Role("a", 100, 100, 0);
    Role("far", 200, 100, 10);
    CTestObj* c = Role("c", 100 + 60, 100 + 60, 30);  // root 84 < 50 + 1 + 30? no: 84 > 81
    CTestObj* d = Role("d", 100 + 55, 100 + 55, 30);  // root 77 < 81
    Mng().m_Roles.SetCursor(Mng().m_Roles.Head()->Next());
    CObjNode* cursor = Mng().m_Roles.Cursor();
    EXPECT_EQ(Mng().FindFirstRoleNear(100, 100, 50), a);
    EXPECT_EQ(Mng().FindNextRoleNear(), d);
    EXPECT_EQ(Mng().FindNextRoleNear(), nullptr);
    EXPECT_EQ(Mng().m_Roles.Cursor(), cursor);
    (void)c;
    // Cone: the direction from each role to the centre; a stands on it (7).
    const int fromD = GetDir8({100, 100}, {155, 155});
    ASSERT_NE(fromD, 7);
    EXPECT_EQ(Mng().FindFirstRoleInCone(100, 100, fromD, 50, 0), d);
    EXPECT_EQ(Mng().FindNextRoleInCone(), nullptr);
    EXPECT_EQ(Mng().FindFirstRoleInCone(100, 100, 7, 50, 0), a);
    EXPECT_EQ(Mng().FindNextRoleInCone(), nullptr);
    // Differences are measured both ways round: 7 and 1 are 2 steps apart.
    EXPECT_EQ(Mng().FindFirstRoleInCone(100, 100, 1, 50, 2), a);
}

TEST_F(ProximityTest, ObjectDistanceSubtractsRoleRadii) {
    CTestObj* a = Role("a", 300, 300, 16);
    CTestObj* b = Role("b", 300, 300, 20);
    EXPECT_EQ(ObjectDistance(a, b), -36);
    CTestObj prop(23);
    prop.m_Height = 50;  // not a role: no radius
    prop.m_X = 330, prop.m_Y = 340;
    EXPECT_EQ(ObjectDistance(a, &prop), 50 - 16);
}

TEST_F(ProximityTest, MagicNearNeedsTheActiveFlag) {
    auto* m = new CTestObj(6, "m");
    m->Register(-1);
    m->m_X = 100, m->m_Y = 130;
    Mng().Register(m->m_Handle);
    EXPECT_EQ(Mng().FindFirstMagicNear(100, 100, 0), m);  // 30 < 0 + 1 + 32
    EXPECT_EQ(Mng().FindNextMagicNear(), nullptr);
    m->m_Active = 0;
    EXPECT_EQ(Mng().FindFirstMagicNear(100, 100, 0), nullptr);
}

TEST_F(ProximityTest, MarkedCellsNextToBuildingsAndSpecialCells) {
    auto* bld = new CTestObj(11, "b");
    bld->Register(0);
    Mng().Register(bld->m_Handle);
    const uint16_t mark = static_cast<uint16_t>(bld->m_Handle);
    grid_.GetCell(6, 5)->m_ObjMark = mark;
    grid_.GetCell(6, 5)->m_Walkable = 0;
    EXPECT_EQ(Mng().FindFirstMarkedNear(5 * 64 + 32, 5 * 64 + 32, 40), bld);
    EXPECT_EQ(Mng().FindNextMarkedNear(), nullptr);
    EXPECT_EQ(Mng().FindFirstMarkedNear(5 * 64 + 32, 5 * 64 + 32, 20), nullptr);  // centre 64 away: not < 53
    CTestObj walker(31);
    walker.m_X = 5 * 64 + 10, walker.m_Y = 5 * 64 + 10;
    EXPECT_TRUE(IsNextToBld(&walker, bld->m_Handle));
    grid_.GetCell(6, 5)->m_Walkable = 1;
    EXPECT_FALSE(IsNextToBld(&walker, bld->m_Handle));

    EXPECT_EQ(FindSpecialCellNear({10, 10}), (CGamePoint{-1, -1}));
    grid_.GetCell(15, 12)->m_Surface = 4;  // walkable: not special yet
    EXPECT_EQ(FindSpecialCellNear({10, 10}), (CGamePoint{-1, -1}));
    grid_.GetCell(15, 12)->m_Walkable = 0;
    EXPECT_EQ(FindSpecialCellNear({10, 10}), (CGamePoint{15, 12}));
    EXPECT_EQ(FindSpecialCellNear({1, 1}), (CGamePoint{-1, -1}));  // 14 cells away
}

TEST_F(ProximityTest, PropsTalkPairsAndSkills) {
    auto* prop = new CTestObj(23, "p");
    prop->Register(-1);
    Mng().Register(prop->m_Handle);
    EXPECT_EQ(GetPropByHandle(prop->m_Handle), prop);
    EXPECT_EQ(GetPropByHandle(prop->m_Handle ^ (1u << 15)), nullptr);  // other generation
    CTestObj* a = Role("a", 0, 0, 0);
    EXPECT_EQ(GetPropByHandle(a->m_Handle), nullptr);

    g_WorldHooks.setRoleFlag = [](CGameObj* o, int32_t f, int on) {
        Log().Add("flag " + o->m_Name + " " + std::to_string(f) + " " + std::to_string(on));
    };
    g_WorldHooks.faceTo = [](CGameObj* o, CGameObj* t) { Log().Add("face " + o->m_Name + " " + t->m_Name); };
    CTestObj* b = Role("b", 0, 0, 0);
    Log().calls.clear();
    SetTalkPair(a, b, 1);
    SetTalkPair(a, nullptr, 0);
    EXPECT_EQ(Log().calls, (std::vector<std::string>{"flag a 16 1", "flag b 16 1", "face a b", "face b a", "flag a 16 0"}));

    static int skills[3];
    g_WorldHooks.getModelSkill = [](int32_t id, int32_t i) -> const void* { return id == 7 && i < 2 ? &skills[i] : nullptr; };
    g_WorldHooks.getItemSkill = [](int32_t item) -> const void* { return item == 3 ? &skills[2] : nullptr; };
    EXPECT_EQ(GetRoleSkill(7, 1), &skills[1]);
    EXPECT_EQ(GetRoleSkill(7, 2), nullptr);
    EXPECT_EQ(GetRoleSkill(10003, 0), &skills[2]);
    EXPECT_EQ(GetRoleSkill(10004, 0), nullptr);
}

} // namespace

namespace {

class ProximityWalkTest : public ProximityTest {
protected:
    CTestObj* Magic(const char* name, int x, int y) {
        auto* m = new CTestObj(6, name);
        m->Register(-1);
        m->m_X = x, m->m_Y = y;
        Mng().Register(m->m_Handle);
        return m;
    }
};

TEST_F(ProximityWalkTest, RoleAndMagicWalksKeepTheirOwnPlaces) {
    CTestObj* a = Role("a", 100, 100, 0);
    CTestObj* b = Role("b", 110, 100, 0);
    CTestObj* m = Magic("m", 100, 100);
    CObjNode* roleCursor = Mng().m_Roles.Cursor();
    CObjNode* magicCursor = Mng().m_Magic.Cursor();
    EXPECT_EQ(Mng().FindFirstRoleNear(100, 100, 50), a);
    // A magic walk in between, in a cone that leaves b out.
    const int away = (GetDir8({110, 100}, {100, 100}) + 4) % 8;
    EXPECT_EQ(Mng().FindFirstMagicNear(100, 100, 50), m);
    EXPECT_EQ(Mng().FindFirstMagicInCone(100, 100, away, 50, 0), nullptr);
    EXPECT_EQ(Mng().FindNextRoleNear(), b) << "the role walk goes on where it stood, with no cone";
    EXPECT_EQ(Mng().FindNextRoleNear(), nullptr);
    EXPECT_EQ(Mng().m_Roles.Cursor(), roleCursor) << "never a magic object";
    EXPECT_EQ(Mng().m_Magic.Cursor(), magicCursor);
}

TEST_F(ProximityWalkTest, AWalkGoesOnPastObjectsDeletedMeanwhile) {
    CTestObj* a = Role("a", 100, 100, 0);
    CTestObj* b = Role("b", 105, 100, 0);
    CTestObj* c = Role("c", 110, 100, 0);
    CTestObj* m1 = Magic("m1", 100, 100);
    CTestObj* m2 = Magic("m2", 100, 100);
    CTestObj* m3 = Magic("m3", 100, 100);
    // The lists' cursors stand on the objects about to go.
    Mng().m_Roles.SetCursor(b);
    Mng().m_Magic.SetCursor(m2);
    EXPECT_EQ(Mng().FindFirstRoleNear(100, 100, 50), a);
    EXPECT_EQ(Mng().FindFirstMagicNear(100, 100, 50), m1);
    b->Remove();
    m2->Remove();
    Mng().Update();  // deletes b and m2, the next ones of both walks
    EXPECT_EQ(Mng().FindNextRoleNear(), c);
    EXPECT_EQ(Mng().FindNextMagicNear(), m3);
    EXPECT_EQ(Mng().FindNextMagicNear(), nullptr);
    EXPECT_EQ(Mng().m_Magic.Cursor(), m3) << "the saved cursor moved on from the deleted one";
    EXPECT_EQ(Mng().FindNextRoleNear(), nullptr);
    EXPECT_EQ(Mng().m_Roles.Cursor(), c);
}

} // namespace

namespace test_proximity {

class GroundAndFlyingTest : public ProximityTest {
protected:
    CTestObj* Ground(const char* name, int cx, int cy) {
        auto* o = new CTestObj(23, name);
        o->Register(-1);
        Mng().Register(o->m_Handle);
        grid_.GetCell(cx, cy)->m_GroundObj = static_cast<uint16_t>(o->m_Handle);
        return o;
    }
    CTestObj* Flying(const char* name) {
        auto* m = new CTestObj(6, name);
        m->Register(-1);
        m->m_X = 1000, m->m_Y = 1000;
        Mng().Register(m->m_Handle);
        return m;
    }
};

TEST_F(GroundAndFlyingTest, GroundObjectsOfTheCellsWithinTheRings) {
    CTestObj* here = Ground("here", 5, 5);
    CTestObj* ring1 = Ground("ring1", 6, 5);
    CTestObj* ring2 = Ground("ring2", 7, 5);
    const int x = 5 * 64 + 32, y = 5 * 64 + 32;
    struct Case {
        int r;
        std::vector<CGameObj*> want;
    } cases[] = {{0, {here, ring1}}, {95, {here, ring1}}, {96, {here, ring1, ring2}}};
    for (const Case& c : cases) {
        std::vector<CGameObj*> got;
        for (CGameObj* o = Mng().FindFirstPropNear(x, y, c.r); o; o = Mng().FindNextPropNear()) got.push_back(o);
        std::sort(got.begin(), got.end());
        std::vector<CGameObj*> want = c.want;
        std::sort(want.begin(), want.end());
        EXPECT_EQ(got, want) << c.r;
    }
}

TEST_F(GroundAndFlyingTest, EachWalkKeepsItsOwnPosition) {
    // Every flying object, active or not and wherever it is; the walk goes
    // on whatever other finders start meanwhile.
    CTestObj* a = Flying("a");
    CTestObj* b = Flying("b");
    b->m_Active = 0;
    CTestObj* c = Flying("c");
    CTestObj* here = Ground("here", 5, 5);
    CTestObj* there = Ground("there", 6, 5);
    EXPECT_EQ(Mng().FindFirstFlyingMagic(), a);
    CGameObj* firstProp = Mng().FindFirstPropNear(5 * 64 + 32, 5 * 64 + 32, 0);
    EXPECT_EQ(Mng().FindFirstMagicNear(1000, 1000, 10), a);
    EXPECT_EQ(Mng().FindFirstMarkedNear(0, 0, 500), nullptr);
    EXPECT_EQ(Mng().FindNextFlyingMagic(), b);
    CGameObj* secondProp = Mng().FindNextPropNear();
    EXPECT_EQ(Mng().FindNextFlyingMagic(), c);
    EXPECT_EQ(Mng().FindNextFlyingMagic(), nullptr);
    EXPECT_TRUE((firstProp == here && secondProp == there) || (firstProp == there && secondProp == here));
    EXPECT_EQ(Mng().FindNextPropNear(), nullptr);
}

} // namespace test_proximity
