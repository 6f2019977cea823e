// The AI's behaviours one by one on the role fixture's world without a
// scene (orders are recorded, not carried out): dodging, the leash's
// attack rhythm, keeping away, casting, collecting, fleeing; the client
// frame's footprints and hold-release; the player's role's attributes from
// its record; the circle's planned attacks.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/input.h"
#include "roles/ai/role_group.h"
#include "roles/combat/combat_fixture.h"
#include "roles/tables/model_tables.h"
#include "world/scene/scn_mng.h"
#include "world/sky/game_clock.h"

namespace test_ai_behaviours {

using role_fixture::BoxRow;

constexpr int kStrike = 1, kBolt = 2, kGrab = 3, kHold = 4;
constexpr int kHero = 1, kMonster = 2, kKeeper = 3, kCaster30 = 4, kCaster31 = 5, kCollector = 6, kBrute = 7,
              kWalker = 8;
constexpr int32_t kStateFleeing = 17;

class AiBehaviourTest : public combat_fixture::CombatFixture {
protected:
    void SetUp() override {
        CombatFixture::SetUp();
        ASSERT_EQ(m_Grid->Create(32, 32), 1);
        std::vector<datagen::SkillRow> skills;
        std::vector<datagen::SkillGopRow> groups;
        auto add = [&](int id, int kind, int range, std::vector<datagen::SkillEffectSpec> effects) {
            skills.push_back(datagen::SkillRow().ClassWord(4).Name("S").Kind(kind).Id(id).Group(id).AnimBase(0)
                                 .Range(range).Scales("1.0", "1.0", "1.0").Effects(effects));
            groups.push_back(datagen::SkillGopRow().Name("G").Id(id).TimeMs(100).Values({id}));
        };
        add(kStrike, 5, 128, {{0, 2, 1, 10, 0, 0}});
        add(kBolt, 0, 320, {{0, 2, 1, 10, 0, 0}});
        add(kGrab, 6, 128, {{0, 2, 1, 10, 0, 0}});
        add(kHold, 5, 128, {{4, 0, 1, 10, 0, 0}});  // list 4: held until released
        LoadSkills(skills, groups);
        auto monster = [](const char* name, int id) { return BoxRow(name, id).Set(2, 1).Set(16, 8); };
        LoadRoles({BoxRow("Hero", kHero).RoleCamp(10000).Set(16, 8), monster("Monster", kMonster),
                   monster("Keeper", kKeeper).Set(31, 1), monster("Caster", kCaster30).Set(31, 30),
                   monster("Seer", kCaster31).Set(31, 31), monster("Collector", kCollector).Set(31, 20),
                   monster("Brute", kBrute), monster("Walker", kWalker).MoveClass(2)},
                  {Level(kHero, 10), Level(kMonster, 10), Level(kKeeper, 10), Level(kCaster30, 10),
                   Level(kCaster31, 10), Level(kCollector, 10), Level(kBrute, 1000), Level(kWalker, 10)});
        datagen::Table t{{"Key", "Count"}};
        for (auto [model, list] : std::vector<std::pair<int, std::vector<int>>>{
                 {kMonster, {kStrike}}, {kKeeper, {kStrike}}, {kCaster30, {kBolt}}, {kCaster31, {kBolt}},
                 {kCollector, {kStrike, kGrab}}}) {
            std::vector<std::string> row{std::to_string(model), std::to_string(list.size())};
            for (int id : list) row.push_back(std::to_string(id));
            t.push_back(row);
        }
        ASSERT_TRUE(datagen::WriteTable(Dir() + "Role.rmd", t));
        ASSERT_EQ(g_RoleSkillListTable.Load("Role.rmd", 0, 1, 1), 1);
        m_Tick = GetGameTickCount();
        SetGameTickCount(1000);
    }
    void TearDown() override {
        SetGameTickCount(m_Tick);
        plat::ResetInput();
        CombatFixture::TearDown();
    }
    // Sight 8, cast period 2, HP and AP from `strength`.
    static datagen::RolePrivateRow Level(int id, int strength) {
        return datagen::RolePrivateRow().Name("L").Id(id).Sight(8).CastPeriod(2).Set(3, 8).Set(9, strength).Set(10, strength);
    }
    CAiRole* Ai(int model, int x, int y) {
        auto* r = dynamic_cast<CAiRole*>(m_Mng->AddRole(static_cast<uint16_t>(model), x, y, 0, 0, 0, -1, -1));
        if (r) r->SetState(kStateAlerted, 1, 0, nullptr);
        return r;
    }
    CRole* Hero(int x, int y) {
        CRole* h = Add(kHero, x, y);
        if (h) h->SetCamp(10000);
        return h;
    }
    static void Ready(CRole* r, uint32_t tick) {
        r->m_TickCount = tick;
        r->m_Motion = kMotionStand;
        r->m_LastCommand = -1;
    }
    int32_t m_Tick = 0;
};

// DodgeTarget goes on with a chance of 1 in (reaction x 9 + 1); a negative
// reaction counts as 0 (a modulus of 1 - 9 x 3 would be negative).
TEST_F(AiBehaviourTest, DodgingDrawsOneInReactionTimesNinePlusOne) {
    struct Case {
        int32_t reaction;
        int draw;
        bool guards;
    };
    const Case cases[] = {{0, 7, true}, {2, 18, false}, {2, 19, true}, {5, 45, false}, {5, 46, true}, {-3, 5, true}};
    for (const Case& c : cases) {
        CAiRole* r = Ai(kMonster, 4, 4);
        CRole* hero = Hero(5, 4);
        ASSERT_TRUE(r && hero);
        r->m_AiValue = c.reaction;
        r->SetTarget(hero, 1);
        // The hero swings a skill that reaches the monster.
        hero->m_pBoundMagic = Magic(hero, kStrike, hero->m_X, hero->m_Y);
        Ready(r, 1);
        plat::ScriptRand({c.draw});
        r->DodgeTarget();
        EXPECT_EQ(plat::ScriptedRandLeft(), 0u) << c.reaction;
        EXPECT_EQ(r->m_LastCommand, c.guards ? 16 : -1) << "reaction " << c.reaction << " draw " << c.draw;
        plat::ScriptRand({});
        hero->m_pBoundMagic = nullptr;
        r->Remove();
        hero->Remove();
        m_Mng->Update();
    }
}

TEST_F(AiBehaviourTest, ALeashedRoleTenCellsFromItsTargetAttacksEvery220TicksAtPhase3) {
    CAiRole* r = Ai(kMonster, 2, 2);
    CRole* hero = Hero(12, 2);
    ASSERT_TRUE(r && hero);
    r->m_LeashMode = 2;
    r->SetTarget(hero, 1);
    std::vector<uint32_t> attacks;
    for (uint32_t t = 0; t < 700; ++t) {
        Ready(r, t);
        EXPECT_EQ(r->Think(), 1);
        if (r->m_LastCommand == 11) {
            attacks.push_back(t);
            EXPECT_EQ(static_cast<int32_t>(r->m_LastOrder[0]), kStrike) << "its skill of use kind 5";
            EXPECT_EQ(r->m_LastOrder[1], hero->m_Handle);
        }
    }
    EXPECT_EQ(attacks, (std::vector<uint32_t>{3, 223, 443, 663}));
}

// Kind 1 keeps its distance while a stronger role faces its target.
TEST_F(AiBehaviourTest, AKeeperBacksOffClosesInOrShootsByDistance) {
    CAiRole* r = Ai(kKeeper, 10, 10);
    CRole* hero = Hero(13, 10);
    ASSERT_TRUE(r && hero);
    r->SetTarget(hero, 1);
    Ready(r, 1);
    EXPECT_EQ(r->KeepDistance(), 0) << "nobody stronger than the hero";
    CRole* brute = Add(kBrute, 14, 12);
    ASSERT_NE(brute, nullptr);
    brute->SetTarget(r, 1);
    hero->SetTarget(brute, 1);
    // 3 cells (under 320 pixels between the bodies): it steps 6 cells away.
    EXPECT_EQ(r->KeepDistance(), 1);
    EXPECT_EQ(r->m_LastCommand, 1);
    EXPECT_GT(std::hypot(double(r->m_LastOrder[0]) - 13, double(r->m_LastOrder[1]) - 10), 5.0);
    // 10 cells: it walks up to 6 cells of the target.
    r->SetTarget(hero, 1);
    r->m_KeepAway = 0;
    hero->PlaceNear(20, 10, 0);
    Ready(r, 1);
    EXPECT_EQ(r->KeepDistance(), 1);
    EXPECT_EQ(r->m_LastCommand, 1);
    EXPECT_EQ(static_cast<int32_t>(r->m_LastOrder[0]), 20);
    EXPECT_EQ(static_cast<int32_t>(r->m_LastOrder[2]), 6);
    // 7 cells (320 to 512 pixels): it shoots when rand() mod 112 is 5,
    // else only faces.
    hero->PlaceNear(17, 10, 0);
    brute->PlaceNear(18, 12, 0);
    for (int draw : {4, 5}) {
        Ready(r, 1);
        plat::ScriptRand({draw, 0});  // the shot's draw, then the skill's pick
        EXPECT_EQ(r->KeepDistance(), 1);
        EXPECT_EQ(r->m_LastCommand, draw == 5 ? 11 : -1);
        plat::ScriptRand({});
    }
}

// Column 6 of the level row x 56 ticks between casts, at phase 0.
TEST_F(AiBehaviourTest, CastersCastEveryPeriodAheadOrAtTheirTarget) {
    CAiRole* r = Ai(kCaster30, 5, 5);
    ASSERT_NE(r, nullptr);
    std::vector<uint32_t> casts;
    for (uint32_t t = 0; t < 400; ++t) {
        Ready(r, t);
        EXPECT_EQ(r->CastPeriodically(), 1);
        if (r->m_LastCommand == 10) casts.push_back(t);
    }
    EXPECT_EQ(casts, (std::vector<uint32_t>{0, 112, 224, 336}));
    // Aimed at the point 64 pixels ahead of its facing.
    CGamePoint ahead{r->m_X, r->m_Y};
    MoveDir8(ahead, r->GetFacing8(), 64);
    EXPECT_EQ(static_cast<int32_t>(r->m_LastOrder[1]), ahead.x);
    EXPECT_EQ(static_cast<int32_t>(r->m_LastOrder[2]), ahead.y);
    // Kind 31 takes a target first, then casts at it.
    CAiRole* seer = Ai(kCaster31, 20, 20);
    CRole* hero = Hero(24, 20);
    ASSERT_TRUE(seer && hero);
    Ready(seer, 112);
    seer->CastPeriodically();
    EXPECT_EQ(seer->m_TargetHandle, hero->m_Handle);
    Ready(seer, 224);
    seer->CastPeriodically();
    EXPECT_EQ(seer->m_LastCommand, 9);
    EXPECT_EQ(seer->m_LastOrder[1], hero->m_Handle);
    // Others, and a caster that may not use a skill now, do not cast.
    CAiRole* plain = Ai(kMonster, 8, 8);
    Ready(plain, 0);
    EXPECT_EQ(plain->CastPeriodically(), 0);
    r->m_RoleBits |= kRoleBitCasting;
    Ready(r, 0);
    EXPECT_EQ(r->CastPeriodically(), 1);
    EXPECT_EQ(r->m_LastCommand, -1);
}

TEST_F(AiBehaviourTest, ACollectorClosesInBacksOffAndGathersWhatLiesNear) {
    CAiRole* r = Ai(kCollector, 5, 5);
    CRole* hero = Hero(16, 5);
    ASSERT_TRUE(r && hero);
    r->SetTarget(hero, 1);
    // 11 cells: draw 11 closes in to 8 cells; another draw does nothing
    // off its attack tick (11 x 9 ticks at phase 3).
    Ready(r, 4);
    plat::ScriptRand({11});
    EXPECT_EQ(r->CollectAndCast(), 1);
    EXPECT_EQ(r->m_LastCommand, 1);
    EXPECT_EQ(static_cast<int32_t>(r->m_LastOrder[2]), 8);
    Ready(r, 4);
    plat::ScriptRand({12});
    r->CollectAndCast();
    EXPECT_EQ(r->m_LastCommand, -1);
    Ready(r, 99 + 3);
    plat::ScriptRand({12, 0});
    r->CollectAndCast();
    EXPECT_EQ(r->m_LastCommand, 11) << "attacks on its tick";
    // 4 cells: it steps 9 cells away.
    hero->PlaceNear(9, 5, 0);
    r->SetTarget(hero, 1);
    Ready(r, 4);
    plat::ScriptRand({12});
    r->CollectAndCast();
    EXPECT_EQ(r->m_LastCommand, 1);
    EXPECT_GE(std::abs(9 - static_cast<int32_t>(r->m_LastOrder[0])), 8);
    // A draw below 3 with an item within 10 cells: it walks to it, and at
    // it casts its use-kind-6 skill on the item's point.
    r->SetTarget(hero, 1);
    r->m_KeepAway = 0;
    ASSERT_TRUE(datagen::WriteTable(Dir() + "PropMdl.txt",
                                    {{"Name", "Id"}, datagen::PropMdlRow().Name("Stick").Id(1).Kind(0).Picture(0).Stacks(0).Cells()}));
    ASSERT_EQ(g_PropMdlTable.Load("PropMdl.txt", 1, 1, 1), 1);
    CGameObj* item = m_Mng->AddProp(1, 8, 8, -1, 1);
    ASSERT_NE(item, nullptr);
    Ready(r, 4);
    plat::ScriptRand({1});
    r->CollectAndCast();
    EXPECT_EQ(r->m_CollectHandle, static_cast<int32_t>(item->m_Handle));
    Ready(r, 4);
    r->CollectAndCast();
    EXPECT_EQ(r->m_LastCommand, 2);
    EXPECT_EQ(static_cast<int32_t>(r->m_LastOrder[0]), 8);
    r->PlaceNear(8, 7, 0);
    Ready(r, 4);
    plat::ScriptRand({0});
    r->CollectAndCast();
    EXPECT_EQ(r->m_LastCommand, 10);
    EXPECT_EQ(static_cast<int32_t>(r->m_LastOrder[0]), kGrab);
    EXPECT_EQ(static_cast<int32_t>(r->m_LastOrder[1]), item->m_X);
    plat::ScriptRand({});
    m_Mng->Clear();
    g_PropMdlTable.Clear();
}

TEST_F(AiBehaviourTest, AFleeingRoleRunsFromThreatsAndStopsOnOpenGround) {
    // Orders are carried out in a scene: a run that cannot start ends the
    // flight.
    CScene scene("t");
    g_CurScene = &scene;
    CAiRole* r = Ai(kMonster, 10, 10);
    CRole* hero = Hero(13, 10);
    ASSERT_TRUE(r && hero);
    r->SetState(kStateFleeing, 1, 0, nullptr);
    ASSERT_TRUE(r->HasState(kStateFleeing));
    // A threat within sight - 2: it runs (order 2) to a point away from it
    // and stays fleeing; an even draw ends its alert.
    Ready(r, 5);
    plat::ScriptRand({0});
    EXPECT_EQ(r->Think(), 1);
    EXPECT_EQ(r->m_LastCommand, 2);
    EXPECT_LT(static_cast<int32_t>(r->m_LastOrder[0]), 10);
    EXPECT_TRUE(r->HasState(kStateFleeing));
    EXPECT_FALSE(r->HasState(kStateAlerted));
    // Out of reach: a last run to open ground and the flight ends.
    hero->PlaceNear(25, 25, 0);
    SetGameTickCount(GetGameTickCount() + 56);  // the last run's order may be replaced
    Ready(r, 6);
    EXPECT_EQ(r->Think(), 1);
    EXPECT_EQ(r->m_LastCommand, 2);
    EXPECT_FALSE(r->HasState(kStateFleeing));
    plat::ScriptRand({});
    m_Mng->Clear();
    g_CurScene = nullptr;
}

// Footprints: a walking role of movement class 2, on the ground, every 32
// pixels on cells of surface kind 3.
TEST_F(AiBehaviourTest, AWalkerLeavesFootprintsOnSoftGroundOnly) {
    CAiRole* r = Ai(kWalker, 5, 5);
    ASSERT_NE(r, nullptr);
    for (int x = 0; x < 32; ++x) m_Grid->GetCell(x, 6)->m_Surface = 3;
    int marks = 0;
    for (int y : {5 * 64 + 32, 6 * 64 + 8, 6 * 64 + 24, 6 * 64 + 48}) {
        const int side = r->m_FootprintSide;
        r->m_Motion = kMotionWalk;
        r->m_Y = y;
        r->ClientFrame();
        if (r->m_FootprintSide != side) ++marks;
    }
    EXPECT_EQ(marks, 2) << "the grass row makes none, and 16 pixels on makes none";
    EXPECT_EQ(r->m_LastFootprint.y, 6 * 64 + 48);
    // Standing, or high in the air, leaves none.
    r->m_Y = 6 * 64 + 63 + 40;
    r->m_Motion = kMotionStand;
    r->ClientFrame();
    r->m_Motion = kMotionWalk;
    r->m_Height = 5;
    r->ClientFrame();
    EXPECT_EQ(r->m_LastFootprint.y, 6 * 64 + 48);
}

std::vector<std::pair<CGameObj*, int32_t>>& Sent() {
    static std::vector<std::pair<CGameObj*, int32_t>> sent;
    return sent;
}
CGameObj* g_Selected = nullptr;

// A held skill ends when the right button is up: only for the client's own
// role.
TEST_F(AiBehaviourTest, TheHoldReleaseGoesOutOnlyForTheSelectedRole) {
    CAiRole* mine = Ai(kMonster, 5, 5);
    CAiRole* other = Ai(kMonster, 8, 8);
    ASSERT_TRUE(mine && other);
    Sent().clear();
    g_RoleHooks.sendOrder = [](CGameObj* role, int32_t code, int32_t, int32_t, int32_t) { Sent().push_back({role, code}); };
    g_WorldHooks.getSelectedRole = [] { return g_Selected; };
    g_Selected = mine;
    ASSERT_TRUE(g_SkillTable.GetAt(kHold)->releaseFlag);
    for (CAiRole* r : {mine, other}) r->m_pBoundMagic = Magic(r, kHold, r->m_X, r->m_Y);
    plat::SetKeyDown(2, true);
    mine->ClientFrame();
    EXPECT_TRUE(Sent().empty()) << "button held";
    plat::SetKeyDown(2, false);
    mine->ClientFrame();
    other->ClientFrame();
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].first, mine);
    EXPECT_EQ(Sent()[0].second, 15);
    // No selection (no client): nothing is sent.
    g_Selected = nullptr;
    mine->ClientFrame();
    EXPECT_EQ(Sent().size(), 1u);
    for (CAiRole* r : {mine, other}) r->m_pBoundMagic = nullptr;
}

// The player's role reads its attributes from its record and class row;
// without a record it keeps the level row's.
TEST_F(AiBehaviourTest, ThePlayersRoleTakesItsAttributesFromItsRecord) {
    datagen::PlayerInitSpec spec;
    spec.classId = 4, spec.ap = 33, spec.maxHP = 444, spec.st = 40, spec.dp = 7;
    std::vector<std::string> row = datagen::BuildPlayerInitRow(spec);
    row.resize(21);
    row[6] = "12", row[19] = "25", row[20] = "1.5";  // dodge, ST regen %, ST drain
    ASSERT_TRUE(datagen::WriteTable(Dir() + "init.txt", {datagen::PlayerInitHeader(), row}));
    ASSERT_EQ(g_PlayerInitTable.Load("init.txt", -1, 1, 1), 1);
    auto* hero = dynamic_cast<CRole60*>(m_Mng->AddRole(kHero, 4, 4, 1, 0, 0, -1, -1));
    ASSERT_NE(hero, nullptr);
    ASSERT_EQ(hero->m_DataId, 1);
    g_SceneHooks.getRecord = [](int32_t) -> CRoleData* { return nullptr; };
    EXPECT_EQ(hero->GetAP(), 10) << "the level row's";
    EXPECT_EQ(hero->GetMaxHP(), 10);
    g_SceneHooks.getRecord = [](int32_t id) -> CRoleData* { return id == 1 ? combat_fixture::g_Record : nullptr; };
    m_Record->NewCharacter(4);
    EXPECT_EQ(hero->GetAP(), m_Record->GetAP());
    EXPECT_EQ(hero->GetAP(), 33);
    EXPECT_EQ(hero->GetMaxHP(), 444);
    EXPECT_EQ(hero->GetDP(), m_Record->GetDP());
    EXPECT_EQ(hero->GetMaxST(), m_Record->GetST());
    EXPECT_EQ(hero->GetHR(), m_Record->GetHR());
    EXPECT_EQ(hero->GetRunSpeed(), m_Record->GetSP());
    EXPECT_EQ(hero->GetDodgeFactor(0), 12);
    EXPECT_FLOAT_EQ(hero->GetSTRegen(), 40.0f * 25.0f * 0.01f);
    EXPECT_FLOAT_EQ(hero->GetSTDrain(), 1.5f);
    g_PlayerInitTable.Clear();
}

// Step 7's plan: rand() mod 600 below 2, 6, 10, 20 by difficulty; over many
// seeds difficulty 0 plans about 2 attacks in 600 updates.
TEST(RoleGroupPlanTest, DifficultyZeroPlansAboutTwoAttacksIn600Updates) {
    const int32_t saved = g_SaveMgr.m_Difficulty;
    const int want[4] = {2, 6, 10, 20};
    for (int d = 0; d < 4; ++d) {
        g_SaveMgr.m_Difficulty = d;
        int planned = 0;
        for (uint32_t seed = 1; seed <= 200; ++seed) {
            plat::SRand(seed * 7919u);
            for (int u = 0; u < 600; ++u) planned += CRoleGroupCircle::PlanAttack() ? 1 : 0;
        }
        const double perSix = planned / 200.0;
        EXPECT_NEAR(perSix, want[d], want[d] * 0.25 + 0.3) << "difficulty " << d;
    }
    g_SaveMgr.m_Difficulty = saved;
    plat::SRand(1);
}

} // namespace test_ai_behaviours
