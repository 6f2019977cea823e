// Roles set up from their model rows and placement records, and their
// timed states, overrides and flags, without a scene.
#include "role_fixture.h"
#include "roles/role_hooks.h"

namespace test_role_setup {

using role_fixture::BoxRow;
using role_fixture::RoleFixture;

class RoleSetupTest : public RoleFixture {};

TEST_F(RoleSetupTest, AiValueFollowsTheDifficulty) {
    LoadRoles({BoxRow("M", 2)}, {datagen::RolePrivateRow().Name("L").Id(2).CastPeriod(5)});
    const struct {
        int difficulty;
        int32_t aiValue;
    } cases[] = {{0, 12}, {1, 5}, {2, 2}, {3, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.difficulty);
        g_SaveMgr.m_Difficulty = c.difficulty;
        CRole* r = Add(2, 3, 3);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->m_AiValue, c.aiValue);
        r->Remove();
        m_Mng->Update();
    }
}

TEST_F(RoleSetupTest, ModelColumnsSetDirectionsDeathActionLightAndPools) {
    LoadRoles({BoxRow("Eight", 2).LyingClass(2), BoxRow("Sixteen", 3).LyingClass(3).DeathAction(-7),
               BoxRow("Missing", 4).DeathAction(65535)},
              {datagen::RolePrivateRow().Name("L").Id(2).Set(9, 120).StandAnim(4)});
    CRole* eight = Add(2, 1, 1);
    CRole* sixteen = Add(3, 3, 3);
    CRole* missing = Add(4, 5, 5);
    ASSERT_TRUE(eight && sixteen && missing);
    EXPECT_EQ(eight->m_DirCount, 8);
    EXPECT_EQ(sixteen->m_DirCount, 16);
    EXPECT_EQ(sixteen->m_DeathAction, -7);
    EXPECT_EQ(missing->m_DeathAction, 0);
    EXPECT_EQ(eight->m_StandAnim, 4);
    EXPECT_EQ(eight->m_Hp, 120.0f);
    EXPECT_EQ(eight->m_Qi, 10000.0f);
    EXPECT_EQ(eight->m_Camp, 1);
    EXPECT_EQ(eight->m_Radius, 40);
    EXPECT_EQ(eight->m_Kind, 40);
    // Standing, in a direction of its own, on the cell centre.
    EXPECT_EQ(eight->m_Motion, kMotionStand);
    EXPECT_EQ(eight->m_X, 1 * 64 + 32);
    EXPECT_EQ(eight->GetCurrentAnimIndex(), eight->m_Facing) << "stand group 0 plus the facing";
    EXPECT_EQ(eight->m_LabelHeight, role_fixture::kBoxH + 10);
}

TEST_F(RoleSetupTest, PictureNameAutoMarksAScriptedRole) {
    LoadRoles({BoxRow("M", 2)});
    const struct {
        const char* picture;
        uint32_t scripted;
    } cases[] = {{"auto", 1}, {"AUTO", 1}, {"Auto", 1}, {"", 0}, {"autos", 0}, {"guard", 0}};
    int x = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        CRole* r = AddPlaced(2, x++, 2, 1, 0, 0, 0, c.picture);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->m_Scripted, c.scripted);
    }
}

TEST_F(RoleSetupTest, CorpselessDeathMarksUntouchableAndSpecialDeathOutsideMonsterCamps) {
    LoadRoles({BoxRow("Fifty", 2).RoleCamp(50), BoxRow("TwoHundred", 3).RoleCamp(200), BoxRow("Plain", 4)},
              {datagen::RolePrivateRow().Name("L").Id(2).CorpseLess(10000),
               datagen::RolePrivateRow().Name("L").Id(3).CorpseLess(10000),
               datagen::RolePrivateRow().Name("L").Id(4).CorpseLess(9999)});
    CRole* fifty = Add(2, 1, 1);
    CRole* twoHundred = Add(3, 3, 3);
    CRole* plain = Add(4, 5, 5);
    ASSERT_TRUE(fifty && twoHundred && plain);
    EXPECT_EQ(fifty->m_RoleBits & kRoleBitUntouchable, kRoleBitUntouchable);
    EXPECT_EQ(fifty->m_SpecialDeath, 0u);
    EXPECT_EQ(twoHundred->m_RoleBits & kRoleBitUntouchable, kRoleBitUntouchable);
    EXPECT_EQ(twoHundred->m_SpecialDeath, 1u);
    EXPECT_EQ(plain->m_RoleBits, 0u);
    EXPECT_EQ(fifty->IsUntargetable(), 1);
    EXPECT_EQ(plain->IsUntargetable(), 0);
}

TEST_F(RoleSetupTest, AStartCellThatCannotBeEnteredRemovesTheRole) {
    // Placement mode 1 enters the cell whatever its class, but there is no
    // cell off the map.
    LoadRoles({BoxRow("M", 2).PlacementMode(1)});
    CRole* off = Add(2, 40, 40);
    ASSERT_NE(off, nullptr);
    EXPECT_EQ(off->m_Removed, 1u);
    const ObjHandle h = off->m_Handle;
    m_Mng->Update();
    EXPECT_EQ(m_Table->Resolve(h), nullptr);
    EXPECT_EQ(m_Mng->m_Roles.GetCount(), 0);
}

TEST_F(RoleSetupTest, InitialActionWithAnUnusableSkillFallsBackToTheDefaultAnimation) {
    LoadRoles({BoxRow("Archer", 2).InitialActionAnim(16)});
    // Mode 0: the action's animation in the record's facing.
    CRole* acting = AddPlaced(2, 1, 1, 0, 3, 0, 5, "");
    ASSERT_NE(acting, nullptr);
    EXPECT_EQ(acting->m_Facing, 5);
    EXPECT_EQ(acting->GetCurrentAnimIndex(), 16 + 5);
    EXPECT_EQ(acting->m_InitialActionOpen, 1);
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());

    // Mode 4 with a skill the role does not know.
    CRole* r = AddPlaced(2, 4, 6, 4, 3, 77, 2, "");
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    // "Archer初始态招式77错误，坐标（4,6）"
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text,
              "Archer\xb3\xf5\xca\xbc\xcc\xac\xd5\xd0\xca\xbd" "77\xb4\xed\xce\xf3\xa3\xac\xd7\xf8\xb1\xea\xa3\xa8"
              "4,6\xa3\xa9");
    auto* rec = dynamic_cast<CObjDesc12*>(r->m_pDesc);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->m_Logic, 0);
    EXPECT_EQ(rec->m_PatrolX, 0);
    EXPECT_EQ(rec->m_PatrolY, 0);
    EXPECT_EQ(r->m_InitialActionOpen, 0);
    EXPECT_EQ(r->GetCurrentAnimIndex(), 0 + 2) << "the stand animation in the record's facing";
}

TEST_F(RoleSetupTest, ASpriteSetThatCannotBeComposedFallsBackToTheDefaultParts) {
    LoadRoles({BoxRow("M", 2)});
    CRole* r = Add(2, 2, 2);
    ASSERT_NE(r, nullptr);
    // Empty pieces between the stars drop out.
    EXPECT_EQ(r->SetupAppearance("BD_001**"), 1);
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
    EXPECT_EQ(r->SetupAppearance("NULL"), 1);
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
    EXPECT_EQ(r->SetupAppearance("XX_009"), 1);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "XX_009");
    ASSERT_NE(r->m_pSprite, nullptr);
    EXPECT_EQ(GetRolePartFileName(r->m_pSprite), "001_001_031");
}

TEST_F(RoleSetupTest, TheLevelRowsInitialStateIsTaken) {
    LoadRoles({BoxRow("M", 2)}, {datagen::RolePrivateRow().Name("L").Id(2).InitialState("9*13")});
    CRole* r = Add(2, 2, 2);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->HasState(13), 1);
    EXPECT_EQ(r->m_RoleBits & kRoleBitHidden, kRoleBitHidden) << "state 13 hides";
    EXPECT_EQ(r->GetModelClass(), 9);
}

// ---------------------------------------------------------------- states

class RoleStateTest : public RoleFixture {
protected:
    void SetUp() override {
        RoleFixture::SetUp();
        LoadRoles({BoxRow("M", 2)}, {datagen::RolePrivateRow().Name("L").Id(2).Set(9, 90)});
        // State 20: untouchable, override 1 with 4 + 1. State 21: override 12
        // with 9; not announced.
        std::vector<std::string> s20(6, ""), s21(19, "");
        s20[0] = "Stone";
        s20[1] = "20";
        s20[3] = "4";
        s20[5] = "1";
        s21[0] = "Quiet";
        s21[1] = "21";
        s21[15] = "9";
        s21[18] = "1";
        LoadEffects({s20, s21});
        m_Role = Add(2, 3, 3);
        ASSERT_NE(m_Role, nullptr);
    }
    CRole* m_Role = nullptr;
};

TEST_F(RoleStateTest, ARepeatedSetStateOnlyRefreshesTheCountdown) {
    EXPECT_EQ(m_Role->SetState(3, 1, 0, nullptr), 1);
    EXPECT_EQ(m_Role->m_LastState, 3);
    EXPECT_EQ(m_Role->SetState(3, 1, 5, nullptr), 0);
    EXPECT_EQ(m_Role->HasState(3), 1);
    EXPECT_EQ(m_Role->m_StateCountdowns[3], 5);
    EXPECT_EQ(m_Role->SetState(3, 0, 0, nullptr), 1);
    EXPECT_EQ(m_Role->SetState(3, 0, 0, nullptr), 0);
    // A state number outside the table's rows is still set.
    EXPECT_EQ(m_Role->SetState(77, 1, 0, nullptr), 1);
}

TEST_F(RoleStateTest, StateNumbersPastTheArraysChangeNothing) {
    // The countdown bytes follow the flags, and the actor's fields follow
    // the countdowns: nothing past 127 may be written.
    const uint32_t backing = m_Role->m_Backing;
    for (int32_t k : {128, 200, 255, -1, 128 + 256}) {
        SCOPED_TRACE(k);
        EXPECT_EQ(m_Role->SetState(k, 1, 7, nullptr), 0);
        EXPECT_EQ(m_Role->m_StateCountdowns[(k & 255) - 128], 0);
        EXPECT_EQ(m_Role->m_Backing, backing);
    }
    // 300 masks to 44, a real state.
    EXPECT_EQ(m_Role->SetState(300, 1, 0, nullptr), 1);
    EXPECT_EQ(m_Role->HasState(44), 1);
}

TEST_F(RoleStateTest, ClearOtherStatesKeepsTheKeptState) {
    m_Role->SetState(5, 1, 0, nullptr);
    m_Role->SetState(6, 1, 0, nullptr);
    m_Role->SetState(127, 1, 0, nullptr);
    m_Role->m_KeptState = 6;
    m_Role->m_KeptStateFlag = 1;
    const uint32_t backing = m_Role->m_Backing;
    m_Role->ClearOtherStates();
    EXPECT_EQ(m_Role->HasState(5), 0);
    EXPECT_EQ(m_Role->HasState(6), 1);
    EXPECT_EQ(m_Role->HasState(127), 0);
    EXPECT_EQ(m_Role->m_KeptStateFlag, 0);
    EXPECT_EQ(m_Role->m_Backing, backing) << "pseudo-state 128 wrote nothing";
}

TEST_F(RoleStateTest, OverridesOutsideTheTwentyEntriesAreIgnored) {
    const int32_t scratch = m_Role->m_RoleScratch0, group = m_Role->m_DefaultAnimGroup;
    for (int32_t i : {20, 21, 455, -1}) {
        SCOPED_TRACE(i);
        m_Role->SetOverride(i, 77, 5);
        EXPECT_EQ(m_Role->m_RoleScratch0, scratch);
        EXPECT_EQ(m_Role->m_DefaultAnimGroup, group);
    }
    m_Role->SetOverride(19, 77, 15);
    EXPECT_EQ(m_Role->m_Overrides[19].value, 77u);
    // Every 5th tick the countdowns drop by 10; below 0 the entry resets.
    m_Role->TickOverrides();
    EXPECT_EQ(m_Role->m_Overrides[19].countdown, 5);
    m_Role->TickOverrides();
    EXPECT_EQ(m_Role->m_Overrides[19].value, 0u);
    EXPECT_EQ(m_Role->m_Overrides[19].countdown, -1);
}

TEST_F(RoleStateTest, CountdownsRunInSecondsAndClearTheirStates) {
    m_Role->SetState(3, 1, 3, nullptr);
    m_Role->SetState(4, 1, 0, nullptr);
    int cleared = 0;
    for (uint32_t t = 0; t < 28 * 4; ++t) {
        m_Role->m_TickCount = t;
        m_Role->UpdatePools();
        if (!cleared && !m_Role->HasState(3)) cleared = static_cast<int>(t);
    }
    EXPECT_EQ(cleared, 57) << "on the third phase-1 tick";
    EXPECT_EQ(m_Role->HasState(4), 1) << "countdown 0 stays";
}

TEST_F(RoleStateTest, TableColumnsSwitchEffectsOnAndOff) {
    m_Role->SetState(20, 1, 0, nullptr);
    EXPECT_EQ(m_Role->m_RoleBits & kRoleBitUntouchable, kRoleBitUntouchable);
    EXPECT_EQ(m_Role->m_Overrides[1].value, 5u);
    m_Role->SetState(20, 0, 0, nullptr);
    EXPECT_EQ(m_Role->m_RoleBits & kRoleBitUntouchable, 0u);
    EXPECT_EQ(m_Role->m_Overrides[1].value, 0u);
    m_Role->SetState(21, 1, 0, nullptr);
    EXPECT_EQ(m_Role->m_Overrides[12].value, 9u);
    // 114 needs 113, then takes its place; 44 makes the role heavy.
    EXPECT_EQ(m_Role->SetState(114, 1, 0, nullptr), 0);
    m_Role->SetState(113, 1, 0, nullptr);
    EXPECT_EQ(m_Role->SetState(114, 1, 0, nullptr), 1);
    EXPECT_EQ(m_Role->HasState(113), 0);
    m_Role->SetState(114, 0, 0, nullptr);
    EXPECT_EQ(m_Role->HasState(113), 1);
    m_Role->SetState(44, 1, 0, nullptr);
    EXPECT_EQ(m_Role->m_RoleBits & kRoleBitHeavy, kRoleBitHeavy);
}

TEST_F(RoleStateTest, ActingMovingAndRunningFollowStatesPosturesAndBits) {
    const struct {
        int32_t state;
        int32_t posture;
        uint32_t bits;
        int cannotAct;
        int mobile;
    } cases[] = {
        {-1, 0, 0, 0, 1},   {10, 0, 0, 1, 1},  {-1, 2, 0, 1, 1},   {-1, 3, 0, 1, 1},  {-1, 101, 0, 1, 1},
        {-1, 120, 0, 1, 1}, {-1, 110, 0, 0, 1}, {106, 0, 0, 0, 0}, {-1, 0, 4, 0, 0},
    };
    m_Role->SetSpeed(8);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.state << " " << c.posture << " " << c.bits);
        if (c.state >= 0) m_Role->m_States[c.state] = 1;
        m_Role->m_Posture = c.posture;
        m_Role->m_RoleBits = c.bits;
        EXPECT_EQ(m_Role->CannotAct(), c.cannotAct);
        EXPECT_EQ(m_Role->IsMobile(), c.mobile);
        if (c.state >= 0) m_Role->m_States[c.state] = 0;
    }
    m_Role->m_Posture = 110;
    m_Role->m_PostureSub = 2;
    EXPECT_EQ(m_Role->IsTumbled(), 1);
}

TEST_F(RoleStateTest, TheWantedAnimationFollowsAlertMotionAndRunning) {
    m_Role->SetDirection(3);
    const struct {
        int alerted;
        int32_t motion;
        uint32_t bits;
        int32_t group;
    } cases[] = {{0, kMotionStand, 0, 0}, {0, kMotionWalk, 0, 16}, {0, kMotionWalk, kRoleBitRunning, 16},
                 {1, kMotionStand, 0, 8}, {1, kMotionWalk, 0, 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.alerted << " " << c.motion);
        m_Role->m_States[0] = static_cast<uint8_t>(c.alerted);
        m_Role->m_Motion = c.motion;
        m_Role->m_RoleBits = c.bits;
        m_Role->SetAnimIndex(-1);
        EXPECT_EQ(m_Role->m_DefaultAnimGroup, c.group + 3);
    }
    // A chosen index sets the facing.
    m_Role->SetAnimIndex(8 + 6);
    EXPECT_EQ(m_Role->m_Facing, 6);
    // An alerted role in motions 20-30 keeps its animation.
    m_Role->m_States[0] = 1;
    m_Role->m_Motion = kMotionArc;
    m_Role->SetAnimIndex(-1);
    EXPECT_EQ(m_Role->m_DefaultAnimGroup, 8 + 6);
}

TEST_F(RoleStateTest, TheShownAnimationTurnsADirectionATickTheShorterWay) {
    m_Role->SetAnimIndex(3);
    m_Role->SetAnimOrDefault(-1);
    ASSERT_EQ(m_Role->GetCurrentAnimIndex(), 3);
    m_Role->GetCurrentAnim()->m_CurFrame = 2;
    // Into group 8 keeping direction 3, and one step: a tie turns clockwise.
    m_Role->SetAnimIndex(8 + 7);
    m_Role->TurnTowardsAnim();
    EXPECT_EQ(m_Role->GetCurrentAnimIndex(), 12);
    // 2 -> 1 -> 0 -> 7: the shorter way round.
    m_Role->SelectAnim(8 + 2);
    std::vector<int32_t> seen;
    for (int i = 0; i < 5; ++i) {
        m_Role->TurnTowardsAnim();
        seen.push_back(m_Role->GetCurrentAnimIndex());
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{9, 8, 15, 15, 15}));
    EXPECT_EQ(m_Role->GetCurrentAnim()->m_CurFrame, 0) << "a new group starts at its first frame";
    m_Role->GetCurrentAnim()->m_CurFrame = 2;
    m_Role->SetAnimIndex(8 + 6);
    m_Role->TurnTowardsAnim();
    EXPECT_EQ(m_Role->GetCurrentAnimIndex(), 14);
    EXPECT_EQ(m_Role->GetCurrentAnim()->m_CurFrame, 2) << "a turn keeps the frame";
}

TEST_F(RoleStateTest, SpecialStatesActOnTheRoleAndTheScreen) {
    static std::vector<float> s_Calls;
    s_Calls.clear();
    const CRoleHooks saved = g_RoleHooks;
    g_RoleHooks.setBrightnessTarget = [](float target, float step) {
        s_Calls.push_back(target);
        s_Calls.push_back(step);
    };
    g_RoleHooks.resetBrightness = [](float step) { s_Calls.push_back(step); };
    m_Role->SetState(12, 1, 0, nullptr);
    m_Role->SetState(12, 0, 0, nullptr);
    EXPECT_EQ(s_Calls, (std::vector<float>{0.0f, 0.05f, 0.1f}));
    g_RoleHooks = saved;
    // Guard: standing in the guard animation (column 16) and immobile.
    m_Role->SetSpeed(8);
    m_Role->SetDirection(2);
    m_Role->SetState(106, 1, 0, nullptr);
    EXPECT_EQ(m_Role->m_DefaultAnimGroup, 8 + 2);
    EXPECT_EQ(m_Role->IsMobile(), 0);
    EXPECT_EQ(m_Role->CanUseSkillNow(-1), 0);
    m_Role->SetState(106, 0, 0, nullptr);
    EXPECT_EQ(m_Role->CanUseSkillNow(-1), 1);
    // Heal: a third of the maximum; level-up marks the effect word.
    m_Role->m_Hp = 0.0f;
    m_Role->SetState(40, 1, 0, nullptr);
    EXPECT_EQ(m_Role->m_Hp, 30.0f);
    m_Role->SetState(105, 1, 0, nullptr);
    EXPECT_EQ(m_Role->m_EffectWord, 7);
}

} // namespace test_role_setup
