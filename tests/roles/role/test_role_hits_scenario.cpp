// Hits, postures and deaths in the running fixture game: a guarded hit, a
// stagger that costs a body part, a knock-down through its tumble to the
// counter-attack, the throw of a hit reaction, and deaths by mode with
// their packets, corpses, flung parts and rewards.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "datagen/demo_role_sprite.h"
#include "datagen/fixture_game.h"
#include "gfx/role_sprite.h"
#include "platform/random.h"
#include "roles/magic/magic.h"
#include "roles/record/role_data.h"
#include "roles/role_hooks.h"
#include "roles/role.h"
#include "roles/tables/skill_table.h"
#include "roles/ai/quiet_roles.h"
#include "scenario/scenario.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/things/corpse.h"

namespace test_role_hits_scenario {

using scenario::ScenarioTest;

constexpr int kKnight = 8;     // parts: "WP" losable and the weapon, heads "HD*BD"
constexpr int kSoldier = 9;    // no head list: a corpse
constexpr int kExp = 50;
constexpr int kDeathSound = 88;
constexpr int kBlow = 50;      // a plain attack with unit scales

datagen::FixtureGame HitGame() {
    datagen::FixtureGame g = datagen::DefaultFixtureGame();
    auto row = [](const char* name, int id) {
        return datagen::RoleMdlRow()
            .Name(name)
            .Id(id)
            .Camp(1)
            .SpriteName(datagen::kDemoRoleName)
            .Variants(datagen::kDemoRoleVariants)
            .StandAnim(0)
            .WalkAnim(0)
            .RunAnim(0)
            .AttackAnim(1)
            .HurtAnim(1)
            .DeathSequence(datagen::kDemoRoleDeathSeq)
            .SizeClass(40)
            .MoveClass(1)
            .RoleCamp(1)
            .WalkSpeed(16)
            .LyingClass(0)
            .Set(14, "1*0")
            .Set(15, "1")
            .Set(17, "1")
            .Set(18, "0")
            .Set(38, kDeathSound)
            .Set(39, datagen::kFixtureStrikeSkill);
    };
    g.roles.push_back(row("Knight", kKnight).Set(22, "WP").Set(24, "WP").Set(25, "HD*BD"));
    g.roles.push_back(row("Soldier", kSoldier));
    g.skills.push_back(datagen::SkillRow().ClassWord(4).Name("Blow").Kind(0).Id(kBlow).Group(1).AnimBase(1).Range(64)
                           .Scales("1.0", "1.0", "1.0"));
    for (int id : {kKnight, kSoldier})
        g.rolePrivates.push_back(
            datagen::RolePrivateRow().Name("Level").Id(id).Sight(8).CastPeriod(2).StandAnim(0).Set(9, "100000").Set(10, "10").Set(16, kExp));
    return g;
}

class RoleHitsScenarioTest : public ScenarioTest {
protected:
    void SetUp() override {
        ScenarioTest::SetUp();
        ASSERT_TRUE(run.Start(HitGame()));
        quiet_roles::SilenceAi();
        run.Seed(7);
        run.Tick(2);
        ServerSide();
        // The hero's camp is a player camp: kills are credited to its record.
        AsRole(run.Hero())->SetCamp(10000);
    }
    void TearDown() override {
        m_Magics.clear();
        ScenarioTest::TearDown();
    }
    void ServerSide() {
        CScene* scene = run.Scene();
        ASSERT_NE(scene, nullptr);
        scene->m_pWorld->MakeCurrent();
        g_CurScene = scene;
    }
    void Tick(int n = 1) {
        run.Tick(n);
        ServerSide();
    }
    CObjMng& Mng() { return run.Scene()->m_pWorld->m_ObjMng; }
    CRole* Spawn(int model, int x, int y) {
        CRole* r = AsRole(Mng().AddRole(static_cast<uint16_t>(model), x, y, 0, 0, 0, -1, -1));
        if (r) run.Scene()->UpdateViews(r->m_Handle);
        return r;
    }
    CRole* Hero() { return AsRole(run.Hero()); }
    // A magic object of the blow, cast by `owner`, at (x, y).
    CMagic* Strike(CRole* owner, int x, int y, int kind, int strength) {
        auto m = std::make_unique<CMagic>();
        m->m_OwnerHandle = owner->m_Handle;
        m->SetSkill(g_SkillTable.GetAt(kBlow));
        m->SetValue1(kind);
        m->SetValue2(strength);
        m->m_X = x;
        m->m_Y = y;
        m_Magics.push_back(std::move(m));
        return m_Magics.back().get();
    }
    std::vector<std::string> DeathPackets(size_t from) {
        std::vector<std::string> out;
        const auto all = run.DecodedPackets();
        for (size_t i = from; i < all.size(); ++i)
            if (all[i].rfind("death ", 0) == 0) out.push_back(all[i]);
        return out;
    }
    std::vector<CCorpse*> Corpses(int kind) {
        std::vector<CCorpse*> out;
        for (CObjNode* o = Mng().m_Props.Head(); o; o = o->Next())
            if (auto* c = dynamic_cast<CCorpse*>(static_cast<CGameObj*>(o)); c && c->m_Kind == kind && !c->m_Removed)
                out.push_back(c);
        return out;
    }
    std::vector<std::unique_ptr<CMagic>> m_Magics;
};

TEST_F(RoleHitsScenarioTest, AGuardedHitFacingTheStrikeIsBlockedAndPushedBack) {
    CRole* hero = Hero();
    CRole* k = Spawn(kKnight, 12, 8);
    ASSERT_NE(k, nullptr);
    k->SetState(kStateGuard, 1, 0, nullptr);
    // The strike comes from the left; the knight faces left (direction 3).
    k->SetDirection8(3);
    const float hp = k->m_Hp;
    const int32_t x = k->m_X;
    run.Script({5, 2});  // the spark's jitter
    EXPECT_EQ(k->OnHit(Strike(hero, k->m_X - 64, k->m_Y, 1, 2)), 1);
    EXPECT_EQ(plat::ScriptedRandLeft(), 0u) << "the spark's two draws and nothing else";
    plat::ScriptRand({});
    EXPECT_FLOAT_EQ(k->m_Hp, hp) << "no damage";
    EXPECT_EQ(k->m_Posture, 0);
    EXPECT_EQ(k->m_ExcludeHandle, hero->m_Handle);
    // The push-back: 2 x 4 x 16 pixels to the right at speed 16, 8 steps
    // planned beside the role's own.
    EXPECT_EQ(k->m_SecondaryStep[1], 8);
    float dx = 0;
    std::memcpy(&dx, &k->m_SecondaryStep[2], sizeof dx);
    EXPECT_GT(dx, 0.0f) << "away from the strike";
    EXPECT_EQ(k->m_X, x);
}

namespace {
int g_CountedHits = 0;
int g_DeathFlags = 0;
} // namespace

TEST_F(RoleHitsScenarioTest, ALandedStaggerHitStaggersAndProvokesTheRoleAndCountsOnlyThePlayersHits) {
    CRoleHooks saved = g_RoleHooks;
    g_CountedHits = 0;
    g_RoleHooks.countHit = [](int) { ++g_CountedHits; };
    CRole* a = Spawn(kKnight, 10, 8);
    a->SetCamp(2);
    CRole* s = Spawn(kSoldier, 12, 8);
    ASSERT_NE(s, nullptr);
    const float hp = s->m_Hp;
    run.Script({0});  // the drop roll of a skill without column 27
    EXPECT_EQ(s->OnHit(Strike(a, s->m_X - 64, s->m_Y, 1, 2)), 1);
    EXPECT_EQ(plat::ScriptedRandLeft(), 0u);
    plat::ScriptRand({});
    EXPECT_LT(s->m_Hp, hp);
    EXPECT_EQ(g_CountedHits, 0) << "neither side is the player's own role";
    EXPECT_EQ(s->m_Posture, 2);
    EXPECT_EQ(s->m_PostureSub, 1);
    EXPECT_EQ(s->m_PostureTimer, 16) << "8 x the strength";
    EXPECT_EQ(s->HasState(kStateAlerted), 1);
    EXPECT_EQ(s->m_Provoked, 1);
    EXPECT_EQ(s->GetTarget(), a);
    g_RoleHooks = saved;
}

TEST_F(RoleHitsScenarioTest, StaggerBeyondTwiceTheThresholdCostsTheWeaponAndKillsWithMode6) {
    CRole* hero = Hero();
    CRole* k = Spawn(kKnight, 12, 8);
    ASSERT_NE(k, nullptr);
    const size_t from = run.DecodedPackets().size();
    const int32_t exp = hero->GetRecord() ? hero->GetRecord()->m_Exp : -1;
    k->m_StaggerThreshold = 0;
    k->m_ExcludeHandle = hero->m_Handle;
    // Every shown listed part is the weapon: it goes, and with it the knight.
    k->AddStagger(5);
    EXPECT_EQ(k->m_Removed, 1u);
    const std::string h = std::to_string(k->m_Handle & 0xFFFF);
    Tick();  // the removed knight is deleted
    EXPECT_EQ(Corpses(26).size(), 2u) << "the weapon, then the head of the mode-6 death";
    EXPECT_EQ(Corpses(25).size(), 0u) << "a head list: no corpse";
    EXPECT_EQ(DeathPackets(from), std::vector<std::string>{"death h=" + h + " mode=6"});
    ASSERT_NE(hero->GetRecord(), nullptr);
    EXPECT_EQ(hero->GetRecord()->m_Exp, exp + kExp) << "credited once";
}

TEST_F(RoleHitsScenarioTest, AKnockDownTumblesLiesGetsUpUntargetableAndCounterAttacks) {
    CRole* hero = Hero();
    CRole* s = Spawn(kSoldier, 12, 8);
    ASSERT_NE(s, nullptr);
    s->SetTarget(hero, 1);
    s->SetPosture(101);
    ASSERT_EQ(s->m_Posture, 101);
    int tick = 0;
    while (s->m_Posture == 101 && tick < 200) {
        Tick();
        ++tick;
    }
    ASSERT_EQ(s->m_Posture, 110) << "landed after " << tick;
    while (!(s->m_PostureSub == 0 && s->m_Height < 6) && tick < 300) {
        Tick();
        ++tick;
    }
    // Down: the next phase draws the lying time; 20 gives 34 ticks.
    while (s->m_PostureSub == 0 && tick < 400) {
        run.Script({20});
        Tick();
        ++tick;
        plat::ScriptRand({});
    }
    ASSERT_EQ(s->m_PostureSub, 1);
    EXPECT_EQ(s->m_PostureTimer, 34);
    EXPECT_EQ(s->IsUntargetable(), 1);
    Tick(33);
    EXPECT_EQ(s->m_PostureSub, 1) << "still lying";
    Tick();
    EXPECT_EQ(s->m_PostureSub, 2) << "gets up on the 34th tick";
    tick = 0;
    while (s->m_Posture == 110 && tick < 60) {
        Tick();
        ++tick;
    }
    EXPECT_EQ(s->m_Posture, 0);
    EXPECT_EQ(s->HasState(kStateDodging), 1);
    EXPECT_EQ(s->IsUntargetable(), 1);
    EXPECT_EQ(s->m_LastCommand, 11) << "counter-attack with the strike";
    EXPECT_EQ(s->m_LastOrder[0], static_cast<uint32_t>(datagen::kFixtureStrikeSkill));
    EXPECT_EQ(s->m_LastOrder[1], hero->m_Handle);
}

TEST_F(RoleHitsScenarioTest, AHitReactionThrowsTheRoleInItsWayIntoATumble) {
    CRole* a = Spawn(kSoldier, 10, 10);
    CRole* b = Spawn(kSoldier, 11, 10);
    ASSERT_NE(b, nullptr);
    a->SetMotion(33, 7, 6, 28);
    int tick = 0;
    while (b->m_Posture == 0 && tick < 20) {
        Tick();
        ++tick;
    }
    EXPECT_EQ(b->m_Posture, 110);
    EXPECT_EQ(b->m_LastCommand, 6);
}

TEST_F(RoleHitsScenarioTest, DeathsSendTheirModeAfterThePostureRulesAndLeaveCorpseOrParts) {
    struct Case {
        const char* what;
        int model;
        int32_t mode;
        int32_t posture;
        int32_t sentMode;
        size_t corpses, parts;
    };
    const Case cases[] = {
        {"mode 6 flings the head", kKnight, 6, 0, 6, 0, 1},
        {"mode 7 flings the shown nine into one object", kKnight, 7, 0, 7, 0, 1},
        {"mode 9 flings the listed parts one by one", kKnight, 9, 0, 9, 0, 3},
        {"knocked down: nothing flung", kKnight, 7, 101, 0, 0, 0},
        {"no head list: a corpse", kSoldier, 7, 0, 0, 1, 0},
    };
    CRoleHooks saved = g_RoleHooks;
    g_RoleHooks.setTriggerDeathFlag = [](CTriggerMgr*) { ++g_DeathFlags; };
    for (const Case& c : cases) {
        g_DeathFlags = 0;
        CRole* r = Spawn(c.model, 12, 12);
        ASSERT_NE(r, nullptr) << c.what;
        r->m_Posture = c.posture;
        r->m_ExcludeHandle = Hero()->m_Handle;
        const size_t from = run.DecodedPackets().size();
        const int32_t exp = Hero()->GetRecord() ? Hero()->GetRecord()->m_Exp : 0;
        r->Die(c.mode, 0);
        r->Die(c.mode, 0);
        const std::string h = std::to_string(r->m_Handle & 0xFFFF);
        Tick();  // the packet reaches the client; the role is deleted
        EXPECT_EQ(DeathPackets(from), std::vector<std::string>{"death h=" + h + " mode=" + std::to_string(c.sentMode)})
            << c.what;
        EXPECT_EQ(Corpses(25).size(), c.corpses) << c.what;
        EXPECT_EQ(Corpses(26).size(), c.parts) << c.what;
        if (Hero()->GetRecord()) {
            EXPECT_EQ(Hero()->GetRecord()->m_Exp, exp + kExp) << c.what;
        }
        if (c.mode == 7 && c.parts == 1) {
            EXPECT_EQ(Corpses(26)[0]->m_EffectNo, 2) << "placement mode 2";
        }
        EXPECT_EQ(g_DeathFlags, 1) << "a monster died: the scene's triggers learn it once";
        Mng().ResetCorpses();
        Tick();
    }
    g_RoleHooks = saved;
}

TEST_F(RoleHitsScenarioTest, AMode1DeathWithFlagPlaysItsSoundAndDropsOnceAndLeavesNothing) {
    CRole* r = Spawn(kSoldier, 12, 12);
    const size_t from = run.DecodedPackets().size();
    const size_t sounds = run.Sounds().size();
    r->Die(1, 1);
    r->Die(1, 1);
    EXPECT_EQ(r->m_Removed, 1u);
    Tick();
    EXPECT_TRUE(DeathPackets(from).empty());
    EXPECT_TRUE(Corpses(25).empty());
    EXPECT_TRUE(Corpses(26).empty());
    int deathSounds = 0;
    for (size_t i = sounds; i < run.Sounds().size(); ++i)
        if (run.Sounds()[i].id == kDeathSound) ++deathSounds;
    EXPECT_EQ(deathSounds, 1);
}

} // namespace test_role_hits_scenario
