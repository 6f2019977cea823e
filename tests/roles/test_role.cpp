#include <gtest/gtest.h>

#include <memory>

#include "core/txt_table.h"
#include "platform/random.h"
#include "datagen/table_writer.h"
#include "roles/ai/ai_role.h"
#include "roles/role.h"
#include "support/test_env.h"
#include "world/objects/handle_table.h"
#include "world/map/map_grid.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace {

class RoleTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        m_Hooks = g_WorldHooks;
        m_SceneHooks = g_SceneHooks;
        InstallRoleHooks();
        // Column 8: the idle fidgets, the first item the plain stand.
        ASSERT_TRUE(datagen::WriteTable(Dir() + "Role.txt", {{"Name", "Id"},
                                         {"Hero", "1", "", "", "", "", "", "", "0*40*80"},
                                         {"Solo", "2", "", "", "", "", "", "", "40"},
                                         // Column 27: a role that can be thrown leaves the world when it dies.
                                         {"Guard", "7", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
                                          "", "", "", "", "", "", "", "", "", "", "1"}}));
        ASSERT_EQ(g_RoleMdlTable.Load("Role.txt", 1, 1, 1), 1);
        m_Table = std::make_unique<CHandleTable>();
        m_Grid = std::make_unique<CMapGrid>();
        ASSERT_EQ(m_Grid->Create(6, 6), 1);
        g_CurHandleTable = m_Table.get();
        g_CurMapGrid = m_Grid.get();
        m_Mng = std::make_unique<CObjMng>();
        g_CurObjMng = m_Mng.get();
    }
    void TearDown() override {
        m_Mng.reset();
        m_Grid.reset();
        m_Table.reset();
        ClearCurrentWorld();
        g_RoleMdlTable.Clear();
        g_WorldHooks = m_Hooks;
        g_SceneHooks = m_SceneHooks;
        TempDirTest::TearDown();
    }
    uint16_t Occupant(int x, int y) { return m_Grid->GetCell(x, y)->m_Occupant; }

    CWorldHooks m_Hooks;
    CSceneHooks m_SceneHooks;
    std::unique_ptr<CHandleTable> m_Table;
    std::unique_ptr<CMapGrid> m_Grid;
    std::unique_ptr<CObjMng> m_Mng;
};

TEST_F(RoleTest, ClassesTakeTheirCellAndStand) {
    CGameObj* hero = m_Mng->AddRole(1, 2, 3, 1, 0, 0, -1, -1);
    CGameObj* guard = m_Mng->AddRole(7, 4, 4, 0, 0, 0, -1, -1);
    ASSERT_NE(hero, nullptr);
    ASSERT_NE(guard, nullptr);
    EXPECT_NE(dynamic_cast<CRole60*>(hero), nullptr);
    EXPECT_EQ(hero->m_Kind, 60);
    EXPECT_EQ(hero->m_DataId, 1);
    EXPECT_NE(dynamic_cast<CAiRole*>(guard), nullptr);
    EXPECT_EQ(guard->m_Kind, 40);
    EXPECT_EQ(std::string(guard->GetName()), "Guard");
    // Both can walk paths: the player's long ones, the others' short.
    EXPECT_EQ(static_cast<CRole60*>(hero)->m_PathCapacityWanted, 500);
    EXPECT_NE(static_cast<CRole60*>(hero)->GetPathPoint(300), nullptr);
    EXPECT_EQ(static_cast<CAiRole*>(guard)->m_PathCapacityWanted, 50);
    EXPECT_NE(static_cast<CAiRole*>(guard)->GetPathPoint(30), nullptr);
    EXPECT_EQ(hero->m_X, 2 * 64 + 32);
    EXPECT_EQ(hero->m_Y, 3 * 64 + 32);
    EXPECT_EQ(Occupant(2, 3), hero->m_Handle & 0xFFFF);
    EXPECT_EQ(Occupant(4, 4), guard->m_Handle & 0xFFFF);
    EXPECT_EQ(m_Mng->m_Roles.GetCount(), 2);
    m_Mng->Update();
    m_Mng->UpdateActions();
    EXPECT_EQ(hero->m_X, 2 * 64 + 32) << "a role stands";
    EXPECT_EQ(m_Mng->AddRole(99, 1, 1, 0, 0, 0, -1, -1), nullptr) << "no model row";
}

TEST_F(RoleTest, PlaceNearTurnDieAndOrders) {
    CGameObj* hero = m_Mng->AddRole(1, 2, 3, 1, 0, 0, -1, -1);
    CGameObj* guard = m_Mng->AddRole(7, 4, 4, 0, 0, 0, -1, -1);
    ASSERT_TRUE(hero && guard);
    // Onto the guard's cell: the nearest free cell instead, the old cell let go.
    ASSERT_EQ(g_SceneHooks.placeNear(hero, 4, 4, 0), 1);
    EXPECT_NE(hero->m_X / 64 * 100 + hero->m_Y / 64, 404);
    EXPECT_EQ(Occupant(hero->m_X / 64, hero->m_Y / 64), hero->m_Handle & 0xFFFF);
    EXPECT_EQ(Occupant(2, 3), kNoObj);
    EXPECT_EQ(Occupant(4, 4), guard->m_Handle & 0xFFFF);
    // Far off the map: clamped into it.
    ASSERT_EQ(g_SceneHooks.placeNear(hero, 100, 100, 0), 1);
    EXPECT_EQ(hero->m_X / 64, 5);
    EXPECT_EQ(hero->m_Y / 64, 5);

    g_SceneHooks.setDirection(hero, 9);
    EXPECT_EQ(static_cast<CRole*>(hero)->GetFacing8(), 1);

    static_cast<CRole*>(guard)->m_QueuedOrder[0] = 3;
    g_SceneHooks.order(guard, 13, 1, 2, 3);
    auto* g = static_cast<CRole*>(guard);
    EXPECT_EQ(g->m_QueuedOrder[0], -1);
    EXPECT_EQ(g->HasState(kStateAlerted), 0) << "no scene is current: the client side refuses orders";

    const ObjHandle h = guard->m_Handle;
    g_SceneHooks.die(guard, 1, 0);
    EXPECT_EQ(g_WorldHooks.isRoleDead(guard), 1);
    EXPECT_EQ(Occupant(4, 4), kNoObj);
    g_SceneHooks.die(guard, 2, 0);
    EXPECT_EQ(g->m_DeathMode, 1) << "a dead role dies once";
    m_Mng->Update();
    EXPECT_EQ(m_Table->Resolve(h), nullptr) << "the removed role is deleted by the next pass";
    EXPECT_EQ(m_Mng->m_Roles.GetCount(), 1);
}

// Standing updates until the player's role first fidgets; -1 when it does
// not within the limit.
int TicksToFidget(CRole60* r, int limit) {
    for (int t = 1; t <= limit; ++t) {
        r->Update();
        if (r->m_SpecialAnim != -1) return t;
    }
    return -1;
}

TEST_F(RoleTest, ThePlayersRoleFidgetsOnlyWithAChoiceOfAnimations) {
    int x = 0;
    for (uint32_t seed : {1u, 7u, 99u, 12345u}) {
        plat::SRand(seed);
        auto* hero = dynamic_cast<CRole60*>(m_Mng->AddRole(1, ++x, 1, 1, 0, 0, -1, -1));
        ASSERT_NE(hero, nullptr);
        EXPECT_GE(hero->m_FidgetCountdown, 280);
        EXPECT_LT(hero->m_FidgetCountdown, 560);
        const int first = hero->m_FidgetCountdown;
        EXPECT_EQ(TicksToFidget(hero, 600), first) << "seed " << seed;
        // Item 0 is the plain stand: a fidget is item 1 or 2, plus the facing.
        const int32_t a = hero->m_SpecialAnim;
        EXPECT_TRUE((a >= 40 && a < 56) || (a >= 80 && a < 96)) << a;
        EXPECT_GE(hero->m_FidgetCountdown, 168);
        EXPECT_LT(hero->m_FidgetCountdown, 448);
    }
    auto* solo = dynamic_cast<CRole60*>(m_Mng->AddRole(2, 3, 3, 1, 0, 0, -1, -1));
    ASSERT_NE(solo, nullptr);
    EXPECT_EQ(TicksToFidget(solo, 2000), -1);
}

TEST_F(RoleTest, ABusyPlayersRoleRewindsItsFidgetCountdown) {
    auto* hero = dynamic_cast<CRole60*>(m_Mng->AddRole(1, 1, 1, 1, 0, 0, -1, -1));
    ASSERT_NE(hero, nullptr);
    hero->m_FidgetCountdown = 290;
    for (int t = 0; t < 20; ++t) hero->Update();
    EXPECT_EQ(hero->m_FidgetCountdown, 270);
    hero->m_RoleBits |= kRoleBitStand;
    plat::ScriptRand({100});
    hero->Update();
    EXPECT_EQ(hero->m_FidgetCountdown, 380) << "redrawn below 280";
    hero->Update();
    EXPECT_EQ(hero->m_FidgetCountdown, 380) << "kept at 280 or more";
    plat::ScriptRand({});
}

// The class-bit casts answer as dynamic_cast does, for objects that are
// no actor, an actor that is no role, roles, and a role in its own
// class's destructor.
TEST_F(RoleTest, ClassBitCastsAnswerAsDynamicCast) {
    struct Plain : CMapObj {
        Plain() { m_Kind = 60; }  // a role's kind, but no actor
    };
    struct Watched : CAiRole {
        ~Watched() override { seenAsRole = AsRole(this) != nullptr && AsActor(this) != nullptr; }
        bool& seenAsRole;
        explicit Watched(bool& seen) : seenAsRole(seen) {}
    };
    Plain plain;
    CActor actor;
    CRole role;
    CAiRole ai;
    for (CGameObj* o : std::initializer_list<CGameObj*>{&plain, &actor, &role, &ai, nullptr}) {
        EXPECT_EQ(AsRole(o), dynamic_cast<CRole*>(o));
        EXPECT_EQ(AsActor(o), dynamic_cast<CActor*>(o));
        const CGameObj* c = o;
        EXPECT_EQ(AsRole(c), dynamic_cast<const CRole*>(c));
    }
    bool seen = false;
    delete new Watched(seen);
    EXPECT_TRUE(seen);
}

} // namespace
