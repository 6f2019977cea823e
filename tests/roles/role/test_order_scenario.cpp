// Orders in the running fixture game, given as the client gives them: the
// 18-byte command packet 240 handed to the scene's ReceiveMsg with the
// scene current (as the client's update hands it over), then the game
// ticked. Action texts go to a recording trigger hook.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "core/txt_table.h"
#include "platform/random.h"
#include "roles/items/prop_rec.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/ai/quiet_roles.h"
#include "scenario/scenario.h"
#include "world/objects/obj_mng.h"
#include "world/objects/proximity.h"
#include "world/scene/scn_mng.h"
#include "world/scene/view_tracker.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/sky/game_clock.h"
#include "world/things/map_prop.h"

namespace test_order_scenario {

using scenario::ScenarioTest;

std::vector<std::string>& Actions() {
    static std::vector<std::string> v;
    return v;
}
std::vector<std::string>& Notices() {
    static std::vector<std::string> v;
    return v;
}

constexpr int kTalkX = 11, kTalkY = 8;
constexpr int kLetter = 4;

class OrderScenarioTest : public ScenarioTest {
protected:
    bool Begin() {
        datagen::FixtureGame g = datagen::DefaultFixtureGame();
        g.texts.push_back(datagen::TextRow().Id(125).Text("Enemies are near"));
        g.objects.cha = {datagen::ObjRecord(12, 1, kTalkX, kTalkY, 0, "auto")};
        // The hero knows the strike's group.
        g.roleSkillLists.push_back(datagen::RoleSkillListRow().Id(1).Skills({1}));
        // The hero in a player camp (its pick-ups go into the record).
        g.roles[0].RoleCamp(10000);
        // A letter to pick up (not money).
        g.props.push_back(datagen::PropMdlRow().Name("Letter").Id(kLetter).Kind(50).Picture(0).Stacks(0));
        // Alerted speed 16, running speed 24.
        for (auto& row : g.rolePrivates) row.Set(3, 16).Set(4, 24);
        // The hero runs at its record's speed.
        datagen::PlayerInitSpec hero;
        hero.classId = 0;  // the class a scenario's new game takes
        hero.sp = 24;
        g.classes.push_back(hero);
        if (!run.Start(g)) return false;
        quiet_roles::SilenceAi();
        run.Seed(1);
        run.Tick(1);
        ServerSide();
        m_Hero = AsRole(run.Hero());
        if (!m_Hero) return false;
        // Role set-up gives no path buffer yet; the walkers get one here.
        m_Hero->SetPathCapacity(200);
        SetGameTickCount(GetGameTickCount() + 100);
        Actions().clear();
        Notices().clear();
        g_WorldHooks.executeActions = [](CScene*, const char* text, CGameObj*) {
            Actions().push_back(text ? text : "");
            return 1;
        };
        g_WorldHooks.showNotice = [](const char* text) { Notices().push_back(text ? text : ""); };
        return true;
    }
    void ServerSide() {
        CScene* scene = run.Scene();
        ASSERT_NE(scene, nullptr);
        scene->m_pWorld->MakeCurrent();
        SetCurrentScene(scene);
    }
    CRole* FindAuto() {
        for (CObjNode* n = g_CurObjMng->m_Roles.Head(); n; n = n->Next())
            if (CRole* r = AsRole(static_cast<CGameObj*>(n)); r && r->m_Scripted) return r;
        return nullptr;
    }
    CRole* AddRole(int model, int x, int y) {
        CRole* r = AsRole(g_CurObjMng->AddRole(static_cast<uint16_t>(model), x, y, 0, 0, 0, -1, -1));
        if (r) r->SetPathCapacity(200);
        return r;
    }
    void Send(const CGameObj* role, int code, int32_t a, int32_t b = 0, int32_t c = 0) {
        run.SendOrder(role, code, a, b, c);
    }
    // Ticks until done() or `limit` ticks; the ticks run.
    template <class F>
    int TickUntil(F done, int limit) {
        int n = 0;
        while (n < limit && !done()) {
            run.Tick(1);
            ServerSide();
            ++n;
        }
        return n;
    }
    static int Cheb(const CGamePoint& a, const CGamePoint& b) { return std::max(std::abs(a.x - b.x), std::abs(a.y - b.y)); }

    CRole* m_Hero = nullptr;
};

TEST_F(OrderScenarioTest, CommandPacketsWalkAndRunTheHero) {
    ASSERT_TRUE(Begin());
    const CGamePoint start = m_Hero->GetCell();
    const CGamePoint goal{start.x - 4, start.y + 3};
    Send(m_Hero, 1, goal.x, goal.y, 0);
    EXPECT_EQ(m_Hero->m_Motion, kMotionWalk);
    EXPECT_FALSE(m_Hero->TestFlag(kRoleBitRunning));
    EXPECT_LT(TickUntil([&] { return m_Hero->m_Motion == kMotionStand; }, 300), 300);
    EXPECT_LE(Cheb(m_Hero->GetCell(), goal), 1);

    // Running on, then a walk back: the hero keeps running to the goal.
    Send(m_Hero, 3, 1);
    EXPECT_TRUE(m_Hero->TestFlag(kRoleBitRunning));
    Send(m_Hero, 1, start.x, start.y, 0);
    EXPECT_EQ(m_Hero->m_Motion, kMotionWalk);
    EXPECT_TRUE(m_Hero->TestFlag(kRoleBitRunning)) << "the player's role keeps running near the goal";
    EXPECT_LT(TickUntil([&] { return m_Hero->m_Motion == kMotionStand; }, 300), 300);
    EXPECT_LE(Cheb(m_Hero->GetCell(), start), 1);
    Send(m_Hero, 3, 0);
    EXPECT_FALSE(m_Hero->TestFlag(kRoleBitRunning));
}

// A role that is neither the player's nor a client's own: running goes
// off within 6 cells (distance minus the approach range) of the goal and
// on farther off when alerted.
TEST_F(OrderScenarioTest, OtherRolesRunOnlyFarFromTheGoal) {
    ASSERT_TRUE(Begin());
    CRole* m = AddRole(datagen::kFixtureMeleeModel, 3, 3);
    ASSERT_NE(m, nullptr);
    struct Case {
        int code;
        int gx, gy, range;
        bool alerted;
        bool running;
    } cases[] = {
        {2, 3, 7, 0, false, false},   // 4 cells: off although asked to run
        {2, 3, 12, 0, false, true},   // 9 cells
        {2, 3, 12, 4, false, false},  // 9 - 4 = 5 cells
        {1, 3, 12, 0, false, false},  // a walk far off, not alerted
        {1, 3, 12, 0, true, true},    // alerted: runs
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gy * 100 + c.range * 10 + c.code);
        m->SetMotion(kMotionStand, 0, 0, 0);
        m->SetFlag(kRoleBitRunning, 0);
        m->SetState(kStateAlerted, c.alerted ? 1 : 0, 0, nullptr);
        SetGameTickCount(GetGameTickCount() + 100);
        Send(m, c.code, c.gx, c.gy, c.range);
        EXPECT_EQ(m->m_Motion, kMotionWalk);
        EXPECT_EQ(m->TestFlag(kRoleBitRunning) != 0, c.running);
    }
}

TEST_F(OrderScenarioTest, ATalkOrderWalksToTheScriptedRoleAndHandsTalkToTheTriggers) {
    ASSERT_TRUE(Begin());
    CRole* other = FindAuto();
    ASSERT_NE(other, nullptr);
    Send(m_Hero, 19, static_cast<int32_t>(other->m_Handle));
    EXPECT_EQ(m_Hero->m_CurrentOrder[0], 19);
    EXPECT_EQ(other->m_Overrides[7].value, m_Hero->m_Handle) << "it turns to the speaker";
    EXPECT_LT(TickUntil([&] { return !Actions().empty(); }, 300), 300);
    EXPECT_EQ(Actions(), std::vector<std::string>{"talk auto"});
    EXPECT_LE(Cheb(m_Hero->GetCell(), other->GetCell()), 2);
    EXPECT_EQ(m_Hero->HasNoOrder(), 1);
    EXPECT_TRUE(Notices().empty());
}

TEST_F(OrderScenarioTest, NearEnemiesThePlayersTalkIsRefusedWithText125) {
    ASSERT_TRUE(Begin());
    CRole* other = FindAuto();
    ASSERT_NE(other, nullptr);
    CRole* foe = AddRole(datagen::kFixtureMeleeModel, kTalkX + 2, kTalkY + 3);
    ASSERT_NE(foe, nullptr);
    Send(m_Hero, 19, static_cast<int32_t>(other->m_Handle));
    EXPECT_LT(TickUntil([&] { return m_Hero->HasNoOrder(); }, 300), 300);
    EXPECT_TRUE(Actions().empty());
    const char* text = g_TextTable.GetCell(125, 1);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Notices(), std::vector<std::string>{text});
    EXPECT_EQ(m_Hero->m_Motion, kMotionStand);
}

TEST_F(OrderScenarioTest, APickUpOrderWalksToThePropAndPutsItIntoTheRecord) {
    ASSERT_TRUE(Begin());
    CRoleData* record = m_Hero->GetRecord();
    ASSERT_NE(record, nullptr);
    const CGamePoint h = m_Hero->GetCell();
    auto* prop = static_cast<CMapProp*>(g_CurObjMng->AddProp(kLetter, h.x - 5, h.y + 4, 0, 1));
    ASSERT_NE(prop, nullptr);
    const int before = record->m_ItemPool.GetCount();
    Send(m_Hero, 21, static_cast<int32_t>(prop->m_Handle));
    EXPECT_EQ(m_Hero->m_CurrentOrder[0], 21);
    EXPECT_LT(TickUntil([&] { return m_Hero->HasNoOrder(); }, 300), 300);
    EXPECT_TRUE(prop->m_Removed);
    ASSERT_EQ(record->m_ItemPool.GetCount(), before + 1);
    bool held = false;
    for (int i = 0; i < record->m_ItemPool.GetSize(); ++i)
        if (const PropRec* item = record->GetItem(i); item && item->m_pModelRow && item->m_pModelRow->GetInt(1) == kLetter) held = true;
    EXPECT_TRUE(held);
    EXPECT_LE(Cheb(m_Hero->GetCell(), {h.x - 5, h.y + 4}), 1);
}

TEST_F(OrderScenarioTest, AChaseOnAFleeingTargetEndsInOneSkillUse) {
    ASSERT_TRUE(Begin());
    const CGamePoint h = m_Hero->GetCell();
    CRole* foe = AddRole(datagen::kFixtureMeleeModel, h.x - 4, h.y);
    ASSERT_NE(foe, nullptr);
    foe->GiveOrder(1, 2, h.y + 5, 0, 1, 0);  // it walks off
    ASSERT_EQ(foe->m_Motion, kMotionWalk);
    Send(m_Hero, 11, datagen::kFixtureStrikeSkill, static_cast<int32_t>(foe->m_Handle));
    EXPECT_EQ(m_Hero->m_CurrentOrder[0], 11);
    std::set<int> goals;
    const int ticks = TickUntil(
        [&] {
            if (m_Hero->m_Motion == kMotionWalk) goals.insert(m_Hero->m_MotionP1 * 100 + m_Hero->m_MotionP2);
            return m_Hero->HasNoOrder();
        },
        400);
    EXPECT_LT(ticks, 400);
    EXPECT_GT(goals.size(), 1u) << "the walk followed the target's cell";
    EXPECT_TRUE(m_Hero->IsInSkillReach(datagen::kFixtureStrikeSkill, ObjectDistance(m_Hero, foe)));
    EXPECT_EQ(m_Hero->m_Motion, kMotionStand);
    EXPECT_EQ(m_Hero->GetFacing8(), m_Hero->DirectionTo({foe->m_X, foe->m_Y}, {m_Hero->m_X, m_Hero->m_Y}) /
                                        (m_Hero->m_DirCount == 16 ? 2 : 1));
    // Used once: no order comes back.
    run.Tick(5);
    ServerSide();
    EXPECT_EQ(m_Hero->HasNoOrder(), 1);
}

} // namespace test_order_scenario
