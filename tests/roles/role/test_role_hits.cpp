// Postures, their machines driven by the role's tick, the drop roll, the
// per-tick state effects, body parts and death, on the small world of the
// role fixture (no scene: nothing is sent).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/define_values.h"
#include "gfx/anim.h"
#include "platform/random.h"
#include "roles/magic/magic.h"
#include "roles/role.h"
#include "roles/role/role_fixture.h"
#include "roles/tables/skill_table.h"
#include "world/scene/world_sound.h"
#include "world/things/corpse.h"

namespace test_role_hits {

std::vector<int> g_Sounds;

// The box: stand 0, alerted 8, stagger 16 (guard 8), block 8, knock-down
// 16, getting up 0, lying and death 8, grab animations 16 and 8, its one
// part "BD" both losable and the weapon hand.
datagen::RoleMdlRow HitBox(int id) {
    datagen::RoleMdlRow r = role_fixture::BoxRow("Box", id);
    r.Set(14, "16*8").Set(15, "16*8").Set(17, "16").Set(18, "0").Set(19, "8").Set(38, "77");
    return r;
}

class RoleHitsTest : public role_fixture::RoleFixture {
protected:
    void SetUp() override {
        RoleFixture::SetUp();
        m_Sound = g_WorldSound;
        g_Sounds.clear();
        g_WorldSound.playEffectAt = [](int id, const CGamePoint&, int) { g_Sounds.push_back(id); };
        ResetDefineValues();
        datagen::RoleMdlRow noThrow = HitBox(2);
        noThrow.Set(27, "");
        datagen::RoleMdlRow ghost = HitBox(3);
        ghost.Set(8, "50");
        datagen::RoleMdlRow parts = HitBox(4);
        parts.Set(22, "BD").Set(24, "BD");
        datagen::RoleMdlRow counter = HitBox(5);
        counter.Set(39, "9");
        LoadRoles({HitBox(1), noThrow, ghost, parts, counter},
                  {datagen::RolePrivateRow().Name("L").Id(1).Set(9, "900"),
                   datagen::RolePrivateRow().Name("L").Id(5).Set(9, "900")});
        // State 102 marks the role untouchable while it lasts.
        LoadEffects({{"Dodge", "102", "", "", "", "1"}});
    }
    void TearDown() override {
        m_Magics.clear();
        g_WorldSound = m_Sound;
        ResetDefineValues();
        plat::ScriptRand({});
        RoleFixture::TearDown();
    }
    int Count(int kind) {
        int n = 0;
        for (CObjNode* o = m_Mng->m_Props.Head(); o; o = o->Next())
            if (static_cast<CGameObj*>(o)->m_Kind == kind && !static_cast<CGameObj*>(o)->m_Removed) ++n;
        return n;
    }
    CMagic* Cast() {
        m_Magics.push_back(std::make_unique<CMagic>());
        return m_Magics.back().get();
    }
    CWorldSoundCalls m_Sound;
    std::vector<std::unique_ptr<CMagic>> m_Magics;
};

// ---------------------------------------------------------------- postures

TEST_F(RoleHitsTest, PosturesAreRefusedOrTakenByTheirRules) {
    struct Case {
        const char* what;
        int32_t from;
        uint32_t bits;
        int32_t to;
        int32_t want;
    };
    const Case cases[] = {
        {"a heavy role is not staggered", 0, 32, 2, 0},
        {"a heavy role is not knocked up", 0, 32, 101, 0},
        {"a heavy role does not tumble", 0, 32, 110, 0},
        {"a heavy role still blocks", 0, 32, 3, 3},
        {"stagger from none", 0, 0, 2, 2},
        {"below 100 is refused over another posture", 3, 0, 2, 3},
        {"a knocked-up role stays knocked up", 101, 0, 120, 101},
        {"guard raised", 0, 0, 1, 1},
    };
    for (const Case& c : cases) {
        CRole* r = Add(1, 2, 2);
        ASSERT_NE(r, nullptr);
        r->m_Posture = c.from;
        r->m_RoleBits = c.bits;
        r->SetPosture(c.to);
        EXPECT_EQ(r->m_Posture, c.want) << c.what;
        r->Remove();
        m_Mng->Update();
    }
}

TEST_F(RoleHitsTest, StaggerPlaysItsAnimationAndAMissingOneKeepsTheOldPosture) {
    CRole* r = Add(1, 2, 2);
    r->SetDirection8(3);
    r->SetPosture(2);
    EXPECT_EQ(r->m_Posture, 2);
    EXPECT_EQ(r->m_SpecialAnim, 16 + 3);
    EXPECT_EQ(r->GetCurrentAnimIndex(), 16 + 3);
    // The special action ends: posture 0, offsets cleared.
    r->m_PostureAnimA = 5;
    r->PlaySpecialAnim(-1, 1);
    EXPECT_EQ(r->m_Posture, 0);
    EXPECT_EQ(r->m_PostureAnimA, 0);

    // Without model column 17 a knock-up is a stagger with sub-state 0.
    datagen::RoleMdlRow flat = HitBox(9);
    flat.Set(17, "").Set(14, "0");
    LoadRoles({HitBox(1), flat});
    CRole* f = Add(9, 4, 4);
    f->SetPosture(101);
    EXPECT_EQ(f->m_Posture, 2);
    EXPECT_EQ(f->m_PostureSub, 0);
    f->m_Posture = 0;
    f->SetPosture(2);
    EXPECT_EQ(f->m_Posture, 0) << "the stagger animation equals the standing one";
}

// ---------------------------------------------------------------- knock-down

TEST_F(RoleHitsTest, KnockedAbove150TheNextTickLandsItFallingBy8) {
    CRole* r = Add(1, 2, 2);
    r->SetPosture(101);
    EXPECT_EQ(r->m_PostureSub, 0);
    EXPECT_EQ(r->m_HeightVelocity, 4);
    EXPECT_EQ(r->m_KnockLimit, 80);
    r->m_PostureSub = 2;
    r->m_Height = 160;
    r->m_HeightVelocity = 0;
    r->Tick();
    EXPECT_EQ(r->m_Posture, 110) << "landed: tumbling";
    EXPECT_EQ(r->m_PostureSub, 0);
    EXPECT_EQ(r->m_HeightVelocity, -8);
    const int32_t h = r->m_Height;
    r->Tick();
    EXPECT_EQ(r->m_Height, h - 8);
}

TEST_F(RoleHitsTest, APlayerCampRoleAboveComboLoad3IsNotJuggled) {
    struct Case {
        int32_t camp;
        float load;
        bool juggled;
    };
    for (const Case c : {Case{10000, 3.5f, false}, Case{10000, 3.0f, true}, Case{1, 9.0f, true}}) {
        CRole* r = Add(1, 2, 2);
        r->m_Camp = c.camp;
        r->SetPosture(101);
        r->m_PostureSub = 2;
        r->m_Height = 60;
        r->m_ComboLoad = c.load;
        r->KnockDownStep(3);
        if (c.juggled) {
            EXPECT_EQ(r->m_Posture, 101) << c.camp << " " << c.load;
            EXPECT_EQ(r->m_PostureSub, 3);
            EXPECT_EQ(r->m_PostureTimer, 14);
            EXPECT_EQ(r->m_KnockCounter, 79);
        } else {
            EXPECT_EQ(r->m_Posture, 110) << "the next hit in the air lands it";
        }
        r->Remove();
        m_Mng->Update();
    }
}

// ---------------------------------------------------------------- tumble

TEST_F(RoleHitsTest, ATumbleLiesItsDrawnTicksGetsUpUntargetableAndCounterAttacks) {
    CRole* r = Add(5, 2, 2);
    CRole* foe = Add(1, 4, 2);
    r->SetTarget(foe, 1);
    r->SetPosture(110);
    EXPECT_EQ(r->m_PostureSub, 0);
    // Going down: the death animation (8) plays to its end on the ground.
    plat::ScriptRand({3, 0});
    int ticks = 0;
    while (r->m_PostureSub == 0 && ticks < 40) {
        r->Tick();
        ++ticks;
    }
    ASSERT_EQ(r->m_PostureSub, 1) << "hits the ground";
    EXPECT_EQ(r->m_PostureTimer, 3 + 14);
    EXPECT_EQ(r->TestFlag(kRoleBitUntouchable), 1);
    EXPECT_EQ(g_Sounds, std::vector<int>{13});
    EXPECT_FLOAT_EQ(r->m_Hp, 898.0f) << "two points lost";
    for (int i = 0; i < 16; ++i) r->Tick();
    EXPECT_EQ(r->m_PostureSub, 1) << "lies 17 ticks";
    r->Tick();
    EXPECT_EQ(r->m_PostureSub, 2) << "gets up on the 17th tick";
    EXPECT_EQ(r->GetCurrentAnimIndex(), 0 + r->m_Facing);
    ticks = 0;
    while (r->m_Posture == 110 && ticks < 40) {
        r->Tick();
        ++ticks;
    }
    EXPECT_EQ(r->m_Posture, 0);
    EXPECT_EQ(r->HasState(kStateDodging), 1);
    EXPECT_EQ(r->m_StateCountdowns[kStateDodging], 1) << "one second for a monster";
    EXPECT_EQ(r->m_LastCommand, 11) << "the counter-attack";
    EXPECT_EQ(r->m_LastOrder[0], 9u);
    EXPECT_EQ(r->m_LastOrder[1], foe->m_Handle);
    EXPECT_EQ(plat::ScriptedRandLeft(), 0u);
}

// ---------------------------------------------------------------- grab

TEST_F(RoleHitsTest, AGrabbedRoleFollowsWhileTheGrabberCastsAndIsReleasedOnTheFirstTickItStops) {
    for (const bool gone : {false, true}) {
        CRole* grabber = Add(1, 2, 2);
        CRole* r = Add(1, 3, 2);
        grabber->SetDirection8(2);
        CMagic* cast = Cast();
        grabber->m_pBoundMagic = cast;
        ASSERT_EQ(r->GrabbedBy(grabber->m_Handle, 1, 1), 1);
        EXPECT_EQ(r->m_Posture, 120);
        EXPECT_EQ(r->GetFacing8(), 6) << "faces its grabber";
        EXPECT_EQ(r->GetCurrentAnimIndex(), 8 + 6);
        EXPECT_EQ(r->TestFlag(kRoleBitNoMove | kRoleBitNoRun), 1);
        EXPECT_EQ(r->m_LastCommand, 16) << "guard off";
        grabber->SetPos(grabber->m_X + 20, grabber->m_Y);
        r->Tick();
        EXPECT_EQ(r->m_X, grabber->m_X - 1) << "facing 6 stands one pixel up-left";
        EXPECT_EQ(r->m_Posture, 120);
        if (gone) {
            grabber->Remove();
            m_Mng->Update();
        } else {
            grabber->m_pBoundMagic = nullptr;
        }
        r->Tick();
        EXPECT_EQ(r->m_Posture, 0) << (gone ? "grabber gone" : "no longer casting");
        EXPECT_EQ(r->TestFlag(kRoleBitNoMove), 0);
        EXPECT_EQ(r->m_Height, 0) << "not below the ground";
        r->Remove();
        if (!gone) {
            grabber->m_pBoundMagic = nullptr;
            grabber->Remove();
        }
        m_Mng->Update();
    }
}

// ---------------------------------------------------------------- the HP check

TEST_F(RoleHitsTest, TheTicksHPCheckIsSkippedKnockedUpAndGrabbedAndRunsWhileGettingUp) {
    struct Case {
        int32_t posture;
        bool dies;
    };
    for (const Case c : {Case{101, false}, Case{120, false}, Case{110, true}}) {
        CRole* r = Add(1, 2, 2);
        r->m_Posture = c.posture;
        r->m_PostureSub = c.posture == 101 ? 1 : c.posture == 110 ? 2 : 0;
        r->m_Height = c.posture == 101 ? 40 : 0;
        r->m_KnockLimit = 80;
        CRole* grabber = Add(1, 4, 4);
        grabber->m_pBoundMagic = Cast();
        if (c.posture == 120) r->m_PostureSub = static_cast<int32_t>(grabber->m_Handle);
        r->m_Hp = 0.0f;
        r->Tick();
        EXPECT_EQ(r->m_Removed != 0, c.dies) << c.posture;
        r->Remove();
        grabber->m_pBoundMagic = nullptr;
        grabber->Remove();
        m_Mng->Update();
    }
}

// ---------------------------------------------------------------- a pull

TEST_F(RoleHitsTest, APullDrawsTheRoleAlongTheCellLineToTheTargetCell) {
    CRole* owner = Add(1, 6, 2);
    CRole* r = Add(1, 1, 2);
    CSkillDef pull;
    pull.kind = 3;
    CMagic* m = Cast();
    m->SetSkill(&pull);
    m->m_OwnerHandle = owner->m_Handle;
    m->m_TargetX = 4 * 64 + 32;
    m->m_TargetY = 2 * 64 + 32;
    EXPECT_EQ(r->OnHit(m), 1);
    EXPECT_EQ(r->GetCell(), (CGamePoint{4, 2}));
    EXPECT_EQ(r->m_ExcludeHandle, 0u) << "a pull ends before the attacker is noted";
    m->m_pSkill = nullptr;  // the definition is this test's
}

// ---------------------------------------------------------------- drops and states

TEST_F(RoleHitsTest, TheDropRollDrawsOnlyForATableEntryAndAnOverrideOutsideItDropsNothing) {
    struct Case {
        int32_t flag;
        int32_t entry;
        uint64_t draws;
    };
    const Case cases[] = {{1, 0, 1}, {1, 3, 1}, {0, 0, 0}, {0, 1, 0}, {0, 2, 1}, {0, 3, 1},
                          {1, 4, 0}, {1, -1, 0}, {0, 1000, 0}, {1, 7, 0}};
    CRole* r = Add(1, 2, 2);
    for (const Case& c : cases) {
        r->m_Overrides[3].value = static_cast<uint32_t>(c.entry);
        plat::ResetRandDrawCount();
        r->DropRoll(c.flag);
        EXPECT_EQ(plat::RandDrawCount(), c.draws) << c.flag << " " << c.entry;
    }
}

TEST_F(RoleHitsTest, PoisonAndFireRatesOf0OrLessTakeTheirDefaults) {
    struct Case {
        int32_t state;
        int32_t rate;
        float hp, qi;
    };
    const Case cases[] = {
        {1, 0, 900.0f - 10.0f, 500.0f}, {1, -3, 890.0f, 500.0f}, {1, 30, 870.0f, 500.0f},
        {3, 0, 900.0f, 500.0f - 166.0f}, {3, -1, 900.0f, 334.0f}, {3, 100, 900.0f, 400.0f},
    };
    for (const Case& c : cases) {
        CRole* r = Add(1, 2, 2);
        ASSERT_EQ(r->GetMaxHP(), 900);
        g_PoisonRate = c.state == 1 ? c.rate : 90;
        g_FireRate = c.state == 3 ? c.rate : 60;
        r->m_Hp = 900.0f;
        r->m_Qi = 500.0f;
        r->SetState(c.state, 1, 0, nullptr);
        r->TickStateEffects();
        EXPECT_FLOAT_EQ(r->m_Hp, c.hp) << c.state << " " << c.rate;
        EXPECT_FLOAT_EQ(r->m_Qi, c.qi) << c.state << " " << c.rate;
        r->Remove();
        m_Mng->Update();
    }
}

// ---------------------------------------------------------------- death

TEST_F(RoleHitsTest, ARoleThatCannotBeThrownStaysDeadAndUntargetable) {
    CRole* r = Add(2, 2, 2);
    r->SetDirection8(2);
    r->m_Hp = -3.0f;
    r->Die(6, 0);
    EXPECT_EQ(r->m_Removed, 0u);
    EXPECT_EQ(r->m_Dead, 1u);
    EXPECT_EQ(r->IsUntargetable(), 1);
    EXPECT_FLOAT_EQ(r->m_Hp, -2.0f);
    EXPECT_EQ(r->m_DefaultAnimGroup, 8 + 2) << "its death animation";
    EXPECT_EQ(Count(25) + Count(26), 0);
}

TEST_F(RoleHitsTest, DeathsLeaveACorpseOrNothingByModeFlagAndClass) {
    struct Case {
        const char* what;
        uint16_t model;
        int32_t mode, flag;
        int corpses;
        std::vector<int> sounds;
    };
    const Case cases[] = {
        {"mode 1 without flag: nothing", 1, 1, 0, 0, {}},
        {"mode 1 with flag: the death sound once", 1, 1, 1, 0, {77}},
        {"model class 50: no corpse", 3, 0, 0, 0, {77}},
        {"mode 0: a corpse", 1, 0, 0, 1, {77}},
        {"mode 6 without a head list: a corpse", 1, 6, 0, 1, {77}},
    };
    for (const Case& c : cases) {
        g_Sounds.clear();
        CRole* r = Add(c.model, 2, 2);
        r->Die(c.mode, c.flag);
        r->Die(c.mode, c.flag);
        EXPECT_EQ(r->m_Removed, 1u) << c.what;
        EXPECT_EQ(Count(25), c.corpses) << c.what;
        EXPECT_EQ(g_Sounds, c.sounds) << c.what;
        m_Mng->Update();
        m_Mng->ResetCorpses();
        m_Mng->Update();
    }
}

TEST_F(RoleHitsTest, LosingTheWeaponPartKillsWithMode6AndFlingsIt) {
    CRole* r = Add(4, 2, 2);
    ASSERT_EQ(r->CanLosePart(), 0) << "the only part is the weapon part";
    CGameObj* part = r->LosePart(nullptr);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->m_Kind, 26);
    EXPECT_EQ(r->m_Removed, 1u);
    EXPECT_EQ(r->m_DeathMode, 6);
    EXPECT_EQ(Count(26), 1);
    EXPECT_EQ(Count(25), 0) << "nothing shown is left for a corpse";
}

TEST_F(RoleHitsTest, DeathActionsOrderTheirSkillOrBecomeAnotherRole) {
    CRole* r = Add(1, 2, 2);
    r->SetDirection8(0);
    r->m_DeathAction = 12;
    r->Die(0, 0);
    EXPECT_EQ(r->m_Removed, 1u) << "unmounted: the death goes on after the order";
    EXPECT_EQ(r->m_LastCommand, 10);
    EXPECT_EQ(r->m_LastOrder[0], 12u);
    EXPECT_EQ(r->m_DeathAction, 0);

    CRole* s = Add(1, 4, 4);
    s->m_DeathAction = -5;
    const int before = m_Mng->m_Roles.GetCount();
    s->Die(0, 0);
    EXPECT_EQ(s->m_Removed, 1u);
    EXPECT_EQ(s->m_NoCorpse, 1);
    m_Mng->Update();
    EXPECT_EQ(m_Mng->m_Roles.GetCount(), before - 1 - 1 + 1) << "the removed two go, the new one stays";
    bool found = false;
    for (CObjNode* o = m_Mng->m_Roles.Head(); o; o = o->Next())
        if (const CRole* n = AsRole(static_cast<CGameObj*>(o)); n && n->m_pModelRow && n->m_pModelRow->GetInt(1) == 5)
            found = true;
    EXPECT_TRUE(found);
}

} // namespace test_role_hits
