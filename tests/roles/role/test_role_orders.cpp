// Orders given straight to roles on the small world with a server scene
// current: refusals, the queued order, item skills, the skill choice and
// the paths that wait on it.
#include <gtest/gtest.h>

#include <memory>

#include "core/txt_table.h"
#include "platform/random.h"
#include "roles/combat/combat_fixture.h"
#include "roles/items/prop_rec.h"
#include "roles/role.h"
#include "roles/tables/model_tables.h"
#include "world/scene/scn_mng.h"
#include "world/sky/game_clock.h"
#include "world/bld_fixture.h"
#include "world/buildings/bld.h"
#include "world/buildings/bld_mdl.h"
#include "world/scene/world_hooks.h"
#include "world/map/line_walk.h"
#include "world/map/map_grid.h"

namespace test_role_orders {

using combat_fixture::CombatFixture;
using role_fixture::BoxRow;

// Skills by use kind (their own group each, first value of the group):
// 1 plain (kind 0, range 64), 2 far (kind 0, range 640, minimum 128),
// 3 breakable answer (kind 3), 4 cast at cell (kind 9), 5-7 kind 5,
// 8 low-HP kind 10, 9 cast time 1500, 10 item skill.
constexpr int kLong = 11;  // range 400: 6 cells
constexpr int kMove = 12;  // kind 1: the movement skill
constexpr int kPlain = 1, kFar = 2, kAnswer = 3, kCast = 4, kFive = 5, kHeal = 8, kSlow = 9, kItemSkill = 10;

std::vector<std::string>& Actions() {
    static std::vector<std::string> v;
    return v;
}
std::vector<std::string>& Notices() {
    static std::vector<std::string> v;
    return v;
}

class OrdersTest : public CombatFixture {
protected:
    void SetUp() override {
        CombatFixture::SetUp();
        CreateActorPathSearch();
        SetGameTickCount(1000);
        std::vector<datagen::SkillRow> skills;
        std::vector<datagen::SkillGopRow> groups;
        auto add = [&](int id, int kind, int range, int minimum = 0, int timeMs = 0) {
            skills.push_back(datagen::SkillRow().Name("S").Id(id).Kind(kind).Group(id).Range(range).Distance2(minimum)
                                 .Scales("1.0", "1.0", "1.0"));
            groups.push_back(datagen::SkillGopRow().Name("G").Id(id).TimeMs(timeMs).Values({id}));
        };
        add(kPlain, 0, 64);
        add(kFar, 0, 640, 128);
        add(kAnswer, 3, 64);
        add(kCast, 9, 640);
        add(kFive, 5, 64);
        add(6, 5, 64);
        add(7, 5, 64);
        add(kHeal, 10, 64);
        add(kSlow, 0, 64, 0, 1500);
        add(kItemSkill, 0, 64);
        add(kLong, 0, 400);
        add(kMove, 1, 640);
        LoadSkills(skills, groups);
        // Model 2: column 2 above 0 (skill orders allowed); 3: column 2 empty;
        // 4: a breakable thing (column 31 = 20).
        LoadRoles({BoxRow("Fighter", 2).Set(2, 1).RoleCamp(2), BoxRow("Plain", 3).Set(2, 0).RoleCamp(2),
                   BoxRow("Jar", 4).Set(2, 1).Set(31, 20).RoleCamp(1), BoxRow("Foe", 5).RoleCamp(1)},
                  {datagen::RolePrivateRow().Name("F").Id(2).Set(3, 8).Set(9, 100),
                   datagen::RolePrivateRow().Name("P").Id(3).Set(9, 100),
                   datagen::RolePrivateRow().Name("J").Id(4).Set(9, 100),
                   datagen::RolePrivateRow().Name("E").Id(5).Set(3, 8).Set(9, 100).Set(10, 10).Set(13, 100)});
        SkillLists({{2, {kPlain, kFar, kCast, kSlow, kItemSkill}}, {3, {kPlain}}, {4, {kAnswer}}, {5, {kPlain}}});
        m_Scene = std::make_unique<CScene>("t");
        g_CurScene = m_Scene.get();
        m_Mdl.m_PartTable.SetSize(kBldMdlMaxRecords);
        m_Mng->m_pBldMdl = &m_Mdl;
        Actions().clear();
        Notices().clear();
        g_WorldHooks.executeActions = [](CScene*, const char* text, CGameObj*) {
            Actions().push_back(text ? text : "");
            return 1;
        };
        g_WorldHooks.showNotice = [](const char* text) { Notices().push_back(text ? text : ""); };
    }
    // A building of the sample part (3 x 2 footprint from one cell up and
    // left of (x, y): a pick cell there, the entrance at (x, y)), filed
    // under part `id` with model id `model`.
    CBld* Building(uint16_t id, uint16_t model, int x, int y, const char* script) {
        const std::string bytes = datagen::BuildPartRecord(bldtest::SamplePart(id, model));
        auto part = std::make_unique<CBldPart>();
        size_t pos = 2;
        EXPECT_EQ(ReadBldPart(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &pos, part.get()), 1);
        m_Mdl.m_PartTable.SetAt(id, part.get());
        m_Mdl.m_Parts[m_NextPart++] = part.release();
        auto* b = dynamic_cast<CBld*>(m_Mng->AddBld(x, y, id, script));
        if (b) b->StampFootprint();
        return b;
    }
    void TearDown() override {
        plat::SetRandOverrunHandler(nullptr);
        g_CurScene = nullptr;
        m_Scene.reset();
        SetGameTickCount(0);
        CombatFixture::TearDown();
    }
    void SkillLists(const std::vector<std::pair<int, std::vector<int>>>& lists) {
        datagen::Table t{{"Key", "Count"}};
        for (const auto& [key, ids] : lists) {
            std::vector<std::string> row{std::to_string(key), std::to_string(ids.size())};
            for (int id : ids) row.push_back(std::to_string(id));
            t.push_back(row);
        }
        ASSERT_TRUE(datagen::WriteTable(Dir() + "Role.rmd", t));
        ASSERT_EQ(g_RoleSkillListTable.Load("Role.rmd", 0, 1, 1), 1);
    }
    CRole* Fighter(int x = 1, int y = 1) {
        CRole* r = Add(2, x, y);
        r->SetPathCapacity(60);
        r->SetState(kStateAlerted, 1, 0, nullptr);
        return r;
    }
    std::unique_ptr<CScene> m_Scene;
    CBldMdl m_Mdl;
    size_t m_NextPart = 0;
};

TEST_F(OrdersTest, OnTheClientSideEveryOrderIsRefusedAndChangesNothing) {
    CRole* r = Fighter();
    CRole* other = Add(5, 4, 4);
    r->SetCurrentOrder(21, 7, 0, 0);
    g_CurScene = nullptr;
    for (int code = 1; code <= 26; ++code) {
        if (code == 4) continue;
        SCOPED_TRACE(code);
        EXPECT_EQ(r->GiveOrder(code, code == 9 || code == 11 ? kPlain : 1, static_cast<int32_t>(other->m_Handle), 1, 1, 1), 0);
        EXPECT_EQ(r->m_CurrentOrder[0], 21);
        EXPECT_EQ(r->m_QueuedOrder[0], -1);
        EXPECT_EQ(r->m_Motion, kMotionStand);
        EXPECT_FALSE(r->HasState(kStateGuard));
        EXPECT_EQ(r->m_TargetHandle, 0u);
    }
}

TEST_F(OrdersTest, TheSameSkillOrderIsRefusedWhileItIsCurrent) {
    CRole* r = Fighter(0, 0);
    CRole* far = Add(5, 7, 7);
    const auto h = static_cast<int32_t>(far->m_Handle);
    ASSERT_EQ(r->GiveOrder(11, kPlain, h, 0, 1, 1), 1);
    EXPECT_EQ(r->m_CurrentOrder[0], 11) << "out of reach: kept as the current order";
    EXPECT_EQ(r->GiveOrder(11, kPlain, h, 0, 0, 1), 0) << "the same order again, not clearing the current one";
    EXPECT_EQ(r->GiveOrder(11, kFar, h, 0, 0, 1), 1) << "another skill replaces it";
    EXPECT_EQ(r->m_CurrentOrder[1], kFar);
}

// Orders 9-11 are allowed for a skill of kind 7, without a scene, or with
// model column 2 above 0.
TEST_F(OrdersTest, SkillOrdersNeedKindSevenOrModelColumnTwo) {
    struct Case {
        int model;
        bool kindSeven;
        int expected;
    } cases[] = {{2, false, 1}, {3, false, 0}, {3, true, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model * 10 + c.kindSeven);
        const_cast<CSkillDef*>(g_SkillTable.GetAt(kPlain))->kind = c.kindSeven ? 7 : 0;
        CRole* r = Add(static_cast<uint16_t>(c.model), 1, 1);
        CRole* far = Add(5, 6, 6);
        EXPECT_EQ(r->GiveOrder(11, kPlain, static_cast<int32_t>(far->m_Handle), 0, 1, 1), c.expected);
        EXPECT_EQ(r->m_CurrentOrder[0], c.expected ? 11 : -1);
        r->Remove();
        far->Remove();
        m_Mng->Update();
    }
}

TEST_F(OrdersTest, AQueuedDodgeIsRetriedEveryTickAndDroppedOnTheFifteenth) {
    CRole* r = Fighter(3, 3);
    ASSERT_EQ(r->GiveOrder(17, 0, 0, 0, 1, 1), 1) << "no target: the dodge waits";
    ASSERT_EQ(r->m_QueuedOrder[0], 17);
    for (int tick = 1; tick <= 14; ++tick) {
        r->ProcessOrder();
        ASSERT_EQ(r->m_QueuedOrder[0], 17) << tick;
        EXPECT_EQ(r->m_QueuedOrderAge, tick);
    }
    r->ProcessOrder();
    EXPECT_EQ(r->m_QueuedOrder[0], -1);
    EXPECT_EQ(r->m_QueuedOrderAge, 0);

    // Queued again; a target comes within reach on the fourth tick: that
    // retry starts the dodge around it.
    ASSERT_EQ(r->GiveOrder(17, 0, 0, 0, 1, 1), 1);
    for (int tick = 1; tick <= 3; ++tick) r->ProcessOrder();
    CRole* foe = Add(5, 4, 3);
    r->SetTarget(foe, 1);
    r->ProcessOrder();
    EXPECT_EQ(r->m_Motion, kMotionArc);
    EXPECT_TRUE(r->HasState(kStateDodging));
    EXPECT_EQ(r->m_QueuedOrder[0], -1);
    EXPECT_EQ(r->m_LastDodgeTick, 1000u);
    // Within nine ticks of it no other dodge starts.
    r->SetMotion(kMotionStand, 0, 0, 0);
    SetGameTickCount(1009);
    EXPECT_EQ(r->TryDodge(), 0);
}

TEST_F(OrdersTest, AnItemSkillTakesItsSkillFromColumnTenAndItsReachFromTheClass) {
    struct Case {
        int32_t classId;
        int32_t reach;
    } cases[] = {{1, 320}, {223, 304}, {4, 224}, {-1, 224}};
    std::vector<std::string> cells(11, "0");
    cells[0] = "Wand";
    cells[1] = "1";
    cells[10] = std::to_string(kItemSkill);
    ASSERT_TRUE(datagen::WriteTable(Dir() + "Wand.txt", {{"Name", "Id"}, cells}));
    CTxtTable items;
    ASSERT_EQ(items.Load("Wand.txt", 1, 1, 1), 1);
    auto* item = new PropRec;
    item->m_pModelRow = items.GetRow(1);
    ASSERT_NE(item->m_pModelRow, nullptr);
    m_Record->m_ItemPool.SetSize(16);
    m_Record->m_ItemPool.SetAt(5, item);
    CRole* r = Fighter(0, 0);
    GiveRecord(r, {});
    CRole* far = Add(5, 7, 7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.classId);
        m_Record->m_ClassId = c.classId;
        r->ClearCurrentOrder();
        ASSERT_EQ(r->GiveOrder(11, 10005, static_cast<int32_t>(far->m_Handle), 0, 1, 1), 1);
        EXPECT_EQ(r->m_CurrentOrder[1], kItemSkill);
        EXPECT_EQ(r->m_ItemSkill, 5);
        EXPECT_EQ(g_SkillTable.GetAt(kItemSkill)->range, c.reach);
    }
    m_Record->m_ItemPool.SetAt(5, nullptr);
    delete item;
}

TEST_F(OrdersTest, AnItemSkillOfAnItemTheRecordLacksIsRefused) {
    CRole* r = Fighter(0, 0);
    GiveRecord(r, {});
    CRole* far = Add(5, 7, 7);
    r->SetCurrentOrder(24, 1, 2, 3);
    r->SetState(kStateGuard, 1, 0, nullptr);
    EXPECT_EQ(r->GiveOrder(11, 10003, static_cast<int32_t>(far->m_Handle), 0, 1, 1), 0);
    EXPECT_EQ(r->m_CurrentOrder[0], 24) << "nothing changed";
    EXPECT_EQ(r->GiveOrder(9, 19999, static_cast<int32_t>(far->m_Handle), 0, 1, 1), 0);
    EXPECT_EQ(r->GiveOrder(10, 10000, 64, 64, 1, 1), 0);
    EXPECT_EQ(r->m_CurrentOrder[0], 24);
    EXPECT_TRUE(r->HasState(kStateGuard)) << "the guard stance stays";
    EXPECT_EQ(r->m_ItemSkill, -1);
}

TEST_F(OrdersTest, ATargetTooCloseForTheSkillMakesTheRoleStepBack) {
    CRole* r = Fighter(3, 3);
    CRole* foe = Add(5, 4, 3);
    // The far skill: minimum 128 pixels, range 640; no skill of kind 8, so
    // the role is sent running to a spot away from the target (and, that
    // near the goal, walks).
    plat::ScriptRand({3});
    ASSERT_EQ(r->GiveOrder(11, kFar, static_cast<int32_t>(foe->m_Handle), 0, 1, 1), 1);
    r->ProcessOrder();
    EXPECT_EQ(r->m_Motion, kMotionWalk);
    // r = 2 + 3 % 8 = 5, then 4: four cells minus the one between them.
    EXPECT_EQ(r->m_MotionP1, 0);
    EXPECT_EQ(r->m_MotionP2, 3);
    EXPECT_EQ(r->m_CurrentOrder[0], 11);
}

// Out of reach the role walks toward the target's cell with half the
// skill's cells as approach range, or 2 when the line toward the target is
// blocked within that many cells.
TEST_F(OrdersTest, TheChaseWalksCloserWhenTheLineIsBlocked) {
    SkillLists({{2, {kLong}}});
    for (bool wall : {false, true}) {
        SCOPED_TRACE(wall);
        CRole* r = Fighter(0, 3);
        CRole* foe = Add(5, 7, 3);
        if (wall)
            for (int y : {2, 3}) {
                m_Grid->GetCell(3, y)->m_Terrain = 2;  // a low wall: stops the line
                m_Grid->GetCell(3, y)->m_Walkable = 0;
            }
        ASSERT_EQ(IsCellLineClear({0, 3}, {6, 3}, 3), !wall);
        ASSERT_EQ(r->GiveOrder(11, kLong, static_cast<int32_t>(foe->m_Handle), 0, 1, 1), 1);
        r->ProcessOrder();
        EXPECT_EQ(r->m_Motion, kMotionWalk);
        EXPECT_EQ(r->m_MotionP1, 7);
        EXPECT_EQ(r->m_MotionP2, 3);
        EXPECT_EQ(r->m_MotionP3, wall ? 2 : 3);
        r->Remove();
        foe->Remove();
        m_Mng->Update();
    }
}

// A hidden role outside the player camps moves by its movement skill when
// the goal lies more than 5 cells off; nearer it walks.
TEST_F(OrdersTest, AHiddenRoleMovesBySkillInsteadOfWalkingFar) {
    SkillLists({{2, {kPlain, kMove}}});
    CRole* r = Fighter(0, 0);
    r->SetState(kStateHidden, 1, 0, nullptr);
    r->SetDirection8(0);
    ASSERT_EQ(r->GiveOrder(1, 6, 6, 0, 1, 1), 1);
    EXPECT_EQ(r->m_Motion, kMotionStand) << "the skill instead of the walk";
    EXPECT_EQ(r->GetCurrentSkill()->id, kMove);
    EXPECT_EQ(r->GetFacing8(), GetDir8({6 * 64 + 32, 6 * 64 + 32}, {r->m_X, r->m_Y}));
    ASSERT_EQ(r->GiveOrder(1, 3, 3, 0, 1, 1), 1);
    EXPECT_EQ(r->m_Motion, kMotionWalk) << "4 cells: a walk";
    r->SetMotion(kMotionStand, 0, 0, 0);
    r->m_Camp = 10000;
    ASSERT_EQ(r->GiveOrder(1, 6, 6, 0, 1, 1), 1);
    EXPECT_EQ(r->m_Motion, kMotionWalk) << "a player camp walks";
}

TEST_F(OrdersTest, ARoleWithoutSpeedIsStopped) {
    CRole* r = Fighter(2, 2);
    ASSERT_EQ(r->GiveOrder(1, 6, 6, 0, 1, 1), 1);
    ASSERT_EQ(r->m_Motion, kMotionWalk);
    r->m_Speed = 0;
    r->ProcessOrder();
    EXPECT_EQ(r->m_Motion, kMotionStand);
}

TEST_F(OrdersTest, SkillsOnTheTargetAndAhead) {
    SkillLists({{2, {kFive, kPlain}}});
    CRole* r = Fighter(3, 3);
    CRole* foe = Add(5, 6, 6);
    r->UseSkillOnTarget(foe);
    EXPECT_EQ(r->m_TargetHandle, foe->m_Handle);
    EXPECT_EQ(r->m_CurrentOrder[0], 11);
    EXPECT_EQ(r->m_CurrentOrder[1], kFive);
    r->ClearCurrentOrder();
    // Without a role: one time in three a random direction (5 here).
    plat::SetRandOverrunHandler([](uint64_t) { ADD_FAILURE() << "a draw past the script"; });
    r->SetDirection8(1);
    plat::ScriptRand({0, 5});
    r->UseSkillOnTarget(nullptr);
    EXPECT_EQ(r->GetFacing8(), 5);
    plat::ScriptRand({2});
    r->UseSkillOnTarget(nullptr);
    EXPECT_EQ(r->GetFacing8(), 5) << "ahead";
    EXPECT_EQ(plat::ScriptedRandLeft(), 0u);
    // No skill of kind 4 or 14: nothing happens.
    r->UseSkillAhead();
    r->UseSkillTowardFacing();
    EXPECT_EQ(r->m_QueuedOrder[0], -1);
    EXPECT_EQ(r->HasNoOrder(), 1);
}

TEST_F(OrdersTest, ALongCastTimeStopsTheRoleFirst) {
    CRole* r = Fighter(1, 1);
    ASSERT_EQ(r->GiveOrder(1, 6, 6, 0, 1, 1), 1);
    ASSERT_EQ(r->m_Motion, kMotionWalk);
    r->GiveOrder(10, kSlow, 300, 300, 1, 1);
    EXPECT_EQ(r->m_Motion, kMotionStand);
}

TEST_F(OrdersTest, PreparationRunsEvenWhenTheMotionPartRefuses) {
    CRole* r = Fighter(2, 2);
    CRole* foe = Add(5, 5, 5);
    r->SetPosture(kPostureStagger);
    EXPECT_EQ(r->GiveOrder(13, 0, 0, 0, 1, 1), 0);
    EXPECT_FALSE(r->HasState(kStateAlerted));
    EXPECT_EQ(r->m_StanceOpen, 0);
    EXPECT_EQ(r->GiveOrder(18, static_cast<int32_t>(foe->m_Handle), 0, 0, 1, 1), 0);
    EXPECT_EQ(r->m_TargetHandle, foe->m_Handle);
    r->SetPosture(kPostureHeld);
    EXPECT_EQ(r->GiveOrder(18, 0, 0, 0, 1, 1), 0) << "held: refused before the preparation";
    EXPECT_EQ(r->m_TargetHandle, foe->m_Handle);
}

TEST_F(OrdersTest, TheUniformDrawReplacesTheKthCandidateOnRandModKZero) {
    SkillLists({{2, {kFive, 6, 7, kPlain}}});
    CRole* r = Add(2, 1, 1);
    plat::SetRandOverrunHandler([](uint64_t) { ADD_FAILURE() << "a draw past the script"; });
    struct Case {
        std::vector<int> draws;
        int32_t index;
    } cases[] = {{{1, 1}, 0}, {{0, 1}, 1}, {{1, 0}, 2}, {{0, 0}, 2}};
    for (const Case& c : cases) {
        plat::ScriptRand(c.draws);
        EXPECT_EQ(r->SelectSkill(5), c.index);
        EXPECT_EQ(plat::ScriptedRandLeft(), 0u);
        EXPECT_EQ(r->GetCurrentSkill()->id, kFive + c.index);
    }
    EXPECT_EQ(r->SelectSkill(9), -1) << "no skill of that kind";
    r->m_pSkillRow = nullptr;
    EXPECT_EQ(r->SelectSkill(5), -1) << "no skill list";
}

TEST_F(OrdersTest, TheOpenDrawIsWeightedByLevelAndLowHPPicksAHeal) {
    SkillLists({{2, {kPlain, kFar, kHeal}}});
    plat::SetRandOverrunHandler([](uint64_t) { ADD_FAILURE() << "a draw past the script"; });
    // Learnt levels 2 and 3: one draw of rand() % 5.
    LoadPlayerSkills({{2, kPlain, {}}, {3, kFar, {}}, {4, kHeal, {}}});
    CRole* r = Add(2, 1, 1);
    GiveRecord(r, {2, 3, 4});
    r->m_Hp = static_cast<float>(r->GetMaxHP());
    const struct {
        int draw;
        int32_t index;
    } cases[] = {{1, 0}, {2, 1}, {4, 1}};
    for (const auto& c : cases) {
        plat::ScriptRand({c.draw});
        // The heal (level 4) joins the draw as well while HP is full.
        EXPECT_EQ(r->SelectSkill(-1), c.index) << c.draw;
    }
    plat::ScriptRand({8});
    EXPECT_EQ(r->SelectSkill(-1), 2);
    EXPECT_EQ(plat::ScriptedRandLeft(), 0u);
    r->m_Hp = static_cast<float>(r->GetMaxHP()) * 0.15f;
    plat::ScriptRand({});
    EXPECT_EQ(r->SelectSkill(-1), 2) << "HP below 20 %: the kind-10 skill at once, no draw";
}

// A sum of levels of 0 drew modulo 0: the first candidate is taken.
TEST_F(OrdersTest, TheWeightedDrawOfLevelsSummingToZeroTakesTheFirstWithoutADraw) {
    SkillLists({{2, {kPlain, kFar}}});
    plat::SetRandOverrunHandler([](uint64_t) { ADD_FAILURE() << "a draw past the script"; });
    LoadPlayerSkills({{0, kPlain, {}}, {-3, kFar, {}}});
    CRole* r = Add(2, 1, 1);
    GiveRecord(r, {0, -3});
    r->m_Hp = static_cast<float>(r->GetMaxHP());
    plat::ScriptRand({});
    EXPECT_EQ(r->SelectSkill(-1), 0);
    EXPECT_EQ(plat::ScriptedRandLeft(), 0u);
}

TEST_F(OrdersTest, ABreakableThingAnswersAHitWithItsKindThreeSkill) {
    CRole* jar = Add(4, 4, 4);
    CRole* hero = Fighter(2, 4);  // west of the jar
    jar->SetDirection8(6);
    plat::ScriptRand({0, 0});
    jar->ResolveHit(Magic(hero, kPlain, hero->m_X, hero->m_Y));
    // The order went out 192 pixels away from the magic: the jar faced east.
    EXPECT_EQ(jar->GetFacing8(), GetDir8({jar->m_X + 192, jar->m_Y}, {jar->m_X, jar->m_Y}));
    EXPECT_EQ(jar->GetCurrentSkill(), nullptr) << "cleared after the answer";
    EXPECT_EQ(jar->HasNoOrder(), 1);
}

TEST_F(OrdersTest, CastAtCellPicksKindNineAndKeepsSixCellsAway) {
    CRole* r = Add(5, 0, 0);
    SkillLists({{5, {kPlain, kCast}}});
    r->m_pSkillRow = g_RoleSkillListTable.GetRow(5);
    r->SetState(kStateAlerted, 1, 0, nullptr);
    EXPECT_EQ(r->CastAtCell(3, 3, 0), 0) << "4 cells away";
    EXPECT_EQ(r->GetCurrentSkill()->id, kCast);
    EXPECT_EQ(r->CastAtCell(6, 6, 0), 1);
    EXPECT_EQ(r->GetFacing8(), GetDir8({6 * 64 + 32, 6 * 64 + 32}, {r->m_X, r->m_Y}));
}

TEST_F(OrdersTest, ActingOnAMechanismSetsItInUseAndRunsItsScript) {
    auto* door = dynamic_cast<CMechBld*>(Building(5, 131, 5, 5, "SetFlag 3 1"));
    ASSERT_NE(door, nullptr);
    ASSERT_EQ(door->m_Kind, 12);
    CRole* r = Fighter(3, 4);  // the pick cell (4, 4) lies next to it
    const auto h = static_cast<int32_t>(door->m_Handle);
    ASSERT_EQ(r->GiveOrder(20, 3, 4, h, 1, 1), 1);
    EXPECT_EQ(r->GiveOrder(20, 3, 4, h, 0, 1), 0) << "the same order while current";
    r->ProcessOrder();
    EXPECT_EQ(door->m_State, 5);
    EXPECT_EQ(Actions(), std::vector<std::string>{"SetFlag 3 1"});
    EXPECT_EQ(r->HasNoOrder(), 1);
    EXPECT_EQ(r->m_Motion, kMotionStand);
    // In use: the next try stops at once.
    ASSERT_EQ(r->GiveOrder(20, 3, 4, h, 1, 1), 1);
    r->ProcessOrder();
    EXPECT_EQ(Actions().size(), 1u);
    EXPECT_EQ(r->HasNoOrder(), 1);
}

TEST_F(OrdersTest, AMechanismWithoutAScriptRunsCantGoThereAndStops) {
    CBld* door = Building(5, 131, 5, 5, nullptr);
    ASSERT_NE(door, nullptr);
    CRole* r = Fighter(3, 4);
    ASSERT_EQ(r->GiveOrder(20, 3, 4, static_cast<int32_t>(door->m_Handle), 1, 1), 1);
    r->ProcessOrder();
    EXPECT_EQ(Actions(), std::vector<std::string>{"Can`t go there!"});
    EXPECT_EQ(r->HasNoOrder(), 1);
    EXPECT_EQ(r->m_Motion, kMotionStand);
}

TEST_F(OrdersTest, AMechanismWithAUseMessageShowsItAndStaysClosed) {
    auto* door = dynamic_cast<CMechBld*>(Building(5, 131, 5, 5, "SetFlag 3 1"));
    ASSERT_NE(door, nullptr);
    door->m_UseTextId = 3;
    CRole* r = Fighter(3, 4);
    ASSERT_EQ(r->GiveOrder(20, 3, 4, static_cast<int32_t>(door->m_Handle), 1, 1), 1);
    r->ProcessOrder();
    EXPECT_EQ(Notices().size(), 1u);
    EXPECT_TRUE(Actions().empty());
    EXPECT_EQ(door->m_State, 0);
    EXPECT_EQ(r->HasNoOrder(), 1);
}

TEST_F(OrdersTest, AFarBuildingIsApproachedAtTheGivenCellWhenItHasAnEntranceOffset) {
    CBld* door = Building(5, 131, 5, 5, "SetFlag 3 1");
    ASSERT_NE(door, nullptr);
    CRole* r = Fighter(1, 1);
    ASSERT_EQ(r->GiveOrder(20, 5, 6, static_cast<int32_t>(door->m_Handle), 1, 1), 1);
    r->ProcessOrder();
    EXPECT_EQ(r->m_Motion, kMotionWalk);
    EXPECT_EQ(r->m_MotionP1, 5);
    EXPECT_EQ(r->m_MotionP2, 6);
    EXPECT_EQ(r->m_CurrentOrder[0], 20) << "still to be carried out";
    EXPECT_TRUE(Actions().empty());
}

TEST_F(OrdersTest, ActOnBuildingByModel) {
    struct Case {
        uint16_t model;
        int32_t state;
    } cases[] = {{135, 5}, {136, 5}, {128, 0}, {134, 0}};
    uint16_t id = 5;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        auto* b = dynamic_cast<CMechBld*>(Building(id, c.model, 5, 5, nullptr));
        ASSERT_NE(b, nullptr);
        CRole* r = Fighter(3, 4);
        ASSERT_EQ(r->GiveOrder(23, static_cast<int32_t>(b->m_Handle), 0, 0, 1, 1), 1);
        r->ProcessOrder();
        EXPECT_EQ(b->m_State, c.state);
        EXPECT_EQ(r->HasNoOrder(), 1);
        r->Remove();
        b->ClearFootprint();
        b->Remove();
        m_Mng->Update();
        ++id;
    }
}

TEST_F(OrdersTest, LongOrdersWhoseTargetIsGoneStop) {
    CRole* r = Fighter(3, 3);
    for (int code : {19, 20, 21, 23, 24}) {
        SCOPED_TRACE(code);
        r->SetMotion(kMotionWalk, 6, 6, 0);
        ASSERT_EQ(r->GiveOrder(code, 4444, 0, 4444, 1, 1), 1);
        r->m_StepsLeft = 0;
        r->ProcessOrder();
        EXPECT_EQ(r->HasNoOrder(), 1);
        EXPECT_EQ(r->m_Motion, kMotionStand);
    }
    EXPECT_TRUE(Actions().empty());
}

} // namespace test_role_orders
