// The record without a live role: levels and experience, death, class and
// new character, money, flags, attribute sums, stacks, the item pool,
// skills, followers' handles and the revive scene.
#include <cmath>

#include "record_fixture.h"
#include "roles/items/prop_rec.h"
#include "roles/tables/exp_table.h"

namespace test_role_data {

using namespace record_fixture;

bool HasDebugLine(const std::string& part) {
    for (const std::string& l : plat::DebugCaptured())
        if (l.find(part) != std::string::npos) return true;
    return false;
}

TEST_F(RecordTest, ANewRecordIsLevelOneWithEmptySlotsAndTheFirstNextExp) {
    CRoleData r;
    EXPECT_EQ(r.m_Level, 1);
    EXPECT_EQ(r.m_NextExp, g_ExpTable.GetExp(1));
    EXPECT_EQ(r.m_ClassId, -1);
    EXPECT_EQ(r.m_WeaponCount, 3);
    EXPECT_EQ(r.m_EquipCount, 3);
    EXPECT_EQ(r.m_AutoSort, 1);
    for (int s = 0; s < kSlotCount; ++s) ASSERT_EQ(r.m_Slots[s], -1);
    EXPECT_EQ(r.m_CursorItem, -1);
    EXPECT_EQ(r.FindReturnPortal(0), -1);
}

TEST_F(RecordTest, ExperienceRaisesLevelsWithTheClassRowsIncrementsUpToNinetyNine) {
    CRoleData r;
    r.NewCharacter(4);  // AP 10 +2, DP 5 +1, max HP 100 +10 per level
    EXPECT_EQ(r.AddExp(600), 0) << "at exactly next exp no level is gained";
    EXPECT_EQ(r.AddExp(1), 1);
    EXPECT_EQ(r.m_Level, 2);
    EXPECT_EQ(r.m_NextExp, g_ExpTable.GetExp(2));
    EXPECT_FLOAT_EQ(r.m_BaseAP, 12.0f);
    EXPECT_FLOAT_EQ(r.m_BaseMaxHP, 110.0f);
    EXPECT_EQ(r.m_SkillPoints, 1);
    // Several levels in one call.
    r.AddExp(g_ExpTable.GetExp(5) - r.m_Exp + 1);
    EXPECT_EQ(r.m_Level, 6);
    EXPECT_EQ(r.m_SkillPoints, 5);

    // Reaching 99: next exp 0 and no increments for that level.
    r.m_Level = 98;
    r.m_NextExp = g_ExpTable.GetExp(98);
    r.m_Exp = r.m_NextExp;
    const float ap = r.m_BaseAP;
    EXPECT_EQ(r.AddExp(1), 1);
    EXPECT_EQ(r.m_Level, 99);
    EXPECT_EQ(r.m_NextExp, 0);
    EXPECT_FLOAT_EQ(r.m_BaseAP, ap);
    // At 99 nothing happens at all.
    const int exp = r.m_Exp;
    EXPECT_EQ(r.AddExp(1000000), 0);
    EXPECT_EQ(r.m_Exp, exp);
}

TEST_F(RecordTest, WithoutAClassRowLevelsAddNothingAndSayWhy) {
    CRoleData r;
    r.NewCharacter(77);  // no such class
    EXPECT_TRUE(HasDebugLine("NewCharacter: no class row for class 77"));
    EXPECT_EQ(r.m_pClassRow, nullptr);
    EXPECT_EQ(r.GetMaxHP(), 0);
    EXPECT_EQ(r.m_Money, 0);
    EXPECT_EQ(r.AddExp(601), 1);
    EXPECT_EQ(r.m_Level, 2);
    EXPECT_TRUE(HasDebugLine("LevelUp: no class row for class 77"));
    EXPECT_FLOAT_EQ(r.m_BaseAP, 0.0f);
    EXPECT_EQ(r.m_SkillPoints, 0);
}

TEST_F(RecordTest, ANewCharacterTakesItsClassRowTheFirstActAndItsSkills) {
    struct Case {
        int classId;
        float ap;
        int money;
        int classIndex;
    };
    const Case cases[] = {{4, 10, 200, 0}, {30, 11, 201, 1}, {40, 12, 202, 2}, {223, 13, 203, 3}, {1, 14, 204, 4}};
    static int s_left, s_right;
    g_RecordHooks.setHudSkills = [](int32_t l, int32_t r) { s_left = l, s_right = r; };
    for (const Case& c : cases) {
        g_SaveMgr.m_Difficulty = 2;
        CRoleData r;
        r.m_Dead = 1;
        r.NewCharacter(c.classId);
        EXPECT_EQ(r.m_ClassId, c.classId);
        EXPECT_EQ(r.GetClassIndex(), c.classIndex);
        EXPECT_EQ(r.GetAP(), static_cast<int>(c.ap));
        EXPECT_EQ(r.m_Money, c.money);
        EXPECT_EQ(r.m_Act, 1);
        EXPECT_EQ(r.m_Dead, 0);
        EXPECT_FLOAT_EQ(r.m_BaseHPResume, 4.0f * 0.33333334f);
        EXPECT_EQ(r.m_LearnedSkills, (std::vector<int32_t>{1, 2}));
        EXPECT_EQ(s_left, 1);
        EXPECT_EQ(s_right, 2);
        EXPECT_EQ(r.GetFlag("local1"), 0);
        // Whole pools: an empty HP would come back to the role as 1.
        EXPECT_GT(r.GetMaxHP(), 1);
        EXPECT_EQ(r.m_HP, r.GetMaxHP());
        EXPECT_EQ(r.m_Qi, r.GetMaxQi());
    }
}

TEST_F(RecordTest, DeathRefillsThePoolsCountsAndLosesExperienceByDifficulty) {
    struct Case {
        int difficulty;
        int level;
        int exp;
        int expAfter;
    };
    const int span2 = g_ExpTable.GetExp(2) - g_ExpTable.GetExp(1);  // 600
    const Case cases[] = {
        {2, 1, 100, 40},     // (600 - 0) / 10 = 60
        {2, 1, 30, 0},       // never below the level's start
        {1, 1, 100, 90},     // 600 / 60
        {0, 1, 100, 100},
        {3, 2, 1000, 600},   // the whole span, down to the level's start
        {2, 2, 1100, 1100 - span2 / 10},
    };
    for (const Case& c : cases) {
        g_SaveMgr.m_Difficulty = c.difficulty;
        CRoleData r;
        r.NewCharacter(4);
        r.m_Level = c.level;
        r.m_NextExp = g_ExpTable.GetExp(c.level);
        r.m_Exp = c.exp;
        r.m_Nu = 50;
        const int deaths = g_SaveMgr.m_DeathCount;
        r.SetDead(1);
        EXPECT_EQ(r.m_Exp, c.expAfter) << c.difficulty << " " << c.level << " " << c.exp;
        EXPECT_EQ(r.m_HP, r.GetMaxHP());
        EXPECT_EQ(r.m_Nu, 0);
        EXPECT_EQ(g_SaveMgr.m_DeathCount, deaths + 1);
        r.SetDead(1);  // no change: nothing
        EXPECT_EQ(g_SaveMgr.m_DeathCount, deaths + 1);
    }
}

TEST_F(RecordTest, MoneyComesFromTheBankOnlyWhenAskedAndTheBankRefusesToGoNegative) {
    CRoleData r;
    r.m_Money = 200;
    r.m_BankMoney = 100;
    EXPECT_EQ(r.AddMoney(-201, 0), 0);
    EXPECT_EQ(r.m_Money, 200);
    EXPECT_EQ(r.AddMoney(-201, 1), 1);
    EXPECT_EQ(r.m_Money, 0);
    EXPECT_EQ(r.m_BankMoney, 99);
    EXPECT_EQ(r.AddMoney(-100, 1), 0);
    EXPECT_EQ(r.AddBankMoney(-100), 0);
    EXPECT_EQ(r.m_BankMoney, 99);
    EXPECT_EQ(r.AddBankMoney(1), 1);
    EXPECT_EQ(r.m_BankMoney, 100);
    EXPECT_EQ(r.AddMoney(INT32_MAX, 0), 1);
    EXPECT_EQ(r.m_Money, INT32_MAX);
    // No role: nothing to drop.
    EXPECT_EQ(r.DropMoney(-1), 0);
}

TEST_F(RecordTest, FlagsAreFoundWithoutCaseGetFlagIsSilentAndSetFlagAnnouncesQuests) {
    CRoleData r;
    r.LoadFlags();
    static std::string s_quest;
    g_RecordHooks.announceQuest = [](const char* flag, int32_t v) { s_quest = std::string(flag) + "=" + std::to_string(v); };
    r.SetFlag("GATE", 3);
    EXPECT_EQ(s_quest, "gate=3");
    EXPECT_EQ(r.GetFlag("Gate"), 3);
    EXPECT_EQ(r.GetFlag("nowhere"), -1);
    EXPECT_EQ(r.GetFlag(nullptr), -1);
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty()) << "GetFlag shows no box";
    r.SetFlag("nowhere", 1);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "FindFlag nowhere error!");
    EXPECT_EQ(r.FindFlag(nullptr), nullptr);
    EXPECT_EQ(plat::RecordedMessageBoxes().size(), 1u);

    r.SetFlag("local4", 9);
    r.SetFlag("local10", 9);
    r.SetMultiplier(0, 2.0f);
    r.SetMultiplier(1, 2.0f);
    r.SetMultiplier(3, 2.0f);
    r.SetMultiplier(6, 5.0f);  // ignored
    r.ResetLocals();
    EXPECT_EQ(r.GetFlag("local4"), 0);
    EXPECT_EQ(r.GetFlag("local10"), 0);
    EXPECT_EQ(r.GetFlag("gate"), 3);
    EXPECT_FLOAT_EQ(r.m_Multipliers[0], 1.0f);
    EXPECT_FLOAT_EQ(r.m_Multipliers[1], 2.0f);
    EXPECT_FLOAT_EQ(r.m_Multipliers[3], 1.0f);
}

TEST_F(RecordTest, TheReviveSceneOfTwoNamesFollowsTheFirstNamesFlag) {
    CRoleData r;
    r.LoadFlags();
    r.m_Act = 1;
    EXPECT_STREQ(r.GetReviveScene(), "Start");
    r.m_Act = 2;  // "gate*Town"
    EXPECT_STREQ(r.GetReviveScene(), "Town");
    r.SetFlag("gate", 1);
    EXPECT_STREQ(r.GetReviveScene(), "gate");
    r.m_Act = 9;
    EXPECT_STREQ(r.GetReviveScene(), "");
}

TEST_F(RecordTest, AttributeSumsReadTheKeysWithTheirBlanksPercentsAndNegatives) {
    struct Case {
        const char* text;
        int ap;
        int dp;
        int maxHP;
    };
    // Base AP 10, DP 5, max HP 100.
    const Case cases[] = {
        {"ATB AP 10", 20, 5, 100},
        {"ATB DP -3", 10, 2, 100},
        {"ATB MAXHP 20%", 10, 5, 120},
        {"ATB AP 50%*ATB DP 2", 15, 7, 100},
        {"ATB MAXAP 10", 10, 5, 100},  // " AP" needs its blank
        {"ATB HPRESUME 4", 10, 5, 100},
    };
    for (const Case& c : cases) {
        CRoleData r;
        r.NewCharacter(4);
        r.AddItem(kSword, 1, 0, c.text, -1, -1);
        const int slot = r.FindSlotOfItem(r.FindItemById(kSword));
        ASSERT_GE(slot, 0);
        r.SwapSlots(slot, kSlotEquip);
        EXPECT_EQ(r.GetAP(), c.ap) << c.text;
        EXPECT_EQ(r.GetDP(), c.dp) << c.text;
        EXPECT_EQ(r.GetMaxHP(), c.maxHP) << c.text;
    }
    // An item in the bag counts nothing.
    CRoleData r;
    r.NewCharacter(4);
    r.AddItem(kSword, 1, 0, "ATB AP 10", -1, -1);
    EXPECT_EQ(r.GetAP(), 10);
}

TEST_F(RecordTest, StacksHoldNineAndATenthStartsANewOne) {
    CRoleData r;
    r.LoadFlags();
    EXPECT_NE(r.AddItem(kHerb, 9, 0, nullptr, -1, -1), nullptr);
    ASSERT_NE(r.GetItemInSlot(kSlotSpecial), nullptr);
    EXPECT_EQ(r.GetItemInSlot(kSlotSpecial)->m_Count, 9);
    EXPECT_EQ(r.GetFlag("herbs"), 1) << "the first pick-up sets the model's flag";
    r.AddItem(kHerb, 1, 0, nullptr, -1, -1);
    ASSERT_NE(r.GetItemInSlot(kSlotSpecial + 1), nullptr);
    EXPECT_EQ(r.GetItemInSlot(kSlotSpecial + 1)->m_Count, 1);
    r.AddItem(kHerb, 12, 0, nullptr, -1, -1);
    EXPECT_EQ(r.GetItemInSlot(kSlotSpecial + 1)->m_Count, 9);
    EXPECT_EQ(r.GetItemInSlot(kSlotSpecial + 2)->m_Count, 4);
    // Not stackable: one per slot.
    r.AddItem(kLetter, 3, 0, nullptr, -1, -1);
    EXPECT_EQ(r.GetItemInSlot(0)->m_Count, 1);
    EXPECT_EQ(r.GetItemInSlot(2)->m_Count, 1);
    EXPECT_EQ(r.GetItemInSlot(3), nullptr);
    // Money goes to the purse; an id without a row is nothing.
    EXPECT_EQ(r.AddItem(kGold, 50, 0, nullptr, -1, -1), nullptr);
    EXPECT_EQ(r.m_Money, 50);
    EXPECT_EQ(r.AddItem(61, 1, 0, nullptr, -1, -1), nullptr);
    // Exchange: 62..68.
    EXPECT_NE(r.AddItem(kLetter, 1, 1, nullptr, 5, 77), nullptr);
    EXPECT_EQ(r.GetItemInSlot(kSlotExchange)->m_RequiredLevel, 5);
    EXPECT_EQ(r.GetItemInSlot(kSlotExchange)->m_Price, 77);
}

TEST_F(RecordTest, AFullPoolRefusesTheItemInsteadOfFilingItUnderIndexZero) {
    datagen::RoleRecordSpec s;
    for (int i = 0; i < kItemPoolSize; ++i) s.items.push_back({kLetter, 1, i, 1, 100, 0, 0, ""});
    CRoleData r;
    ASSERT_EQ(Load(r, datagen::BuildRoleRecord(s)), 1);
    const PropRec* zero = r.GetItem(0);
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(r.AddItem(kSword, 1, 0, "ATB AP 1", -1, -1), nullptr);
    EXPECT_EQ(r.GetItem(0), zero);
    EXPECT_EQ(r.GetItemInSlot(0), nullptr);
    EXPECT_EQ(r.m_Items.GetCount(), kItemPoolSize);
    EXPECT_TRUE(HasDebugLine("item pool full"));
}

TEST_F(RecordTest, AFullBagWithoutARoleRefusesTheOverflowWithALine) {
    CRoleData r;
    for (int i = 0; i < 50; ++i) r.AddItem(kLetter, 1, 0, nullptr, -1, -1);
    EXPECT_EQ(r.FindFreeBagSlot(), -1);
    EXPECT_EQ(r.AddItem(kLetter, 1000000, 0, nullptr, -1, -1), nullptr);
    EXPECT_TRUE(HasDebugLine("no role to drop them"));
    EXPECT_EQ(r.m_Items.GetCount(), 50);
}

TEST_F(RecordTest, RemovingTheLastPieceEmptiesTheSlotAndTheCursor) {
    CRoleData r;
    r.AddItem(kPotion, 3, 0, nullptr, -1, -1);
    const int index = r.FindItemById(kPotion);
    ASSERT_GT(index, 0);
    r.m_CursorItem = index;
    r.RemoveItem(index, 2);
    EXPECT_EQ(r.GetItem(index)->m_Count, 1);
    r.RemoveItem(index, 1);
    EXPECT_EQ(r.GetItem(index), nullptr);
    EXPECT_EQ(r.FindSlotOfItem(index), -1);
    EXPECT_EQ(r.m_CursorItem, -1);
}

TEST_F(RecordTest, CursorPilesMergeBelowTenAndOtherwiseKeepNineOnTheOldOne) {
    CRoleData r;
    r.AddItem(kHerb, 4, 0, nullptr, -1, -1);
    r.AddItem(kHerb, 9, 0, nullptr, -1, -1);  // tops the first up to 9, 4 in the next
    const int a = r.m_Slots[kSlotSpecial];
    const int b = r.m_Slots[kSlotSpecial + 1];
    r.GetItem(a)->m_Count = 3;
    r.m_Slots[kSlotSpecial] = -1;
    r.m_CursorItem = a;
    r.SwapSlotWithCursor(kSlotSpecial + 1);  // 3 on the cursor + 4 in the slot
    EXPECT_EQ(r.GetItem(b), nullptr);
    EXPECT_EQ(r.m_CursorItem, -1);
    ASSERT_NE(r.GetItemInSlot(kSlotSpecial + 1), nullptr);
    EXPECT_EQ(r.GetItemInSlot(kSlotSpecial + 1)->m_Count, 7);

    r.AddItem(kHerb, 5, 0, nullptr, -1, -1);
    const int c = r.FindSlotOfItem(r.m_Slots[kSlotSpecial]) >= 0 ? r.m_Slots[kSlotSpecial] : -1;
    ASSERT_NE(c, -1);
    // 7 on the cursor, 7 more from a slot: 9 stay on the old, 5 on the new.
    r.m_CursorItem = r.m_Slots[kSlotSpecial + 1];
    r.m_Slots[kSlotSpecial + 1] = -1;
    r.GetItem(r.m_CursorItem)->m_Count = 7;
    r.GetItem(c)->m_Count = 7;
    const int old = r.m_CursorItem;
    r.SetCursorItem(c);
    EXPECT_EQ(r.GetItem(old)->m_Count, 9);
    EXPECT_EQ(r.GetItem(c)->m_Count, 5);
    EXPECT_EQ(r.m_CursorItem, c);
}

TEST_F(RecordTest, SkillsLearnOnceSetPassiveMultipliersAndTheTreeGatesTheSecondAndThird) {
    CRoleData r;
    r.NewCharacter(4);
    r.AddLearnedSkill(1);
    EXPECT_EQ(r.m_LearnedSkills.size(), 2u);
    EXPECT_EQ(r.GetLearnedSkill(2), 2);
    EXPECT_EQ(r.GetLearnedSkill(7), -1);
    r.ForgetSkill(2);
    EXPECT_EQ(r.GetLearnedSkillRow(2), nullptr);
    const CTxtRow* strike = g_PlayerSkillTable.GetRow(1);
    const CTxtRow* arrow = g_PlayerSkillTable.GetRow(2);
    ASSERT_NE(strike, nullptr);
    ASSERT_NE(arrow, nullptr);
    // Arrow is the second of group 1: it needs a learned skill in the tree
    // slot of the row before (Strike, slot 0).
    EXPECT_EQ(r.CanLearnSkill(arrow), 1);
    r.ForgetSkill(1);
    EXPECT_EQ(r.CanLearnSkill(arrow), 0);
    EXPECT_EQ(r.CanLearnSkill(strike), 1);
    static std::vector<std::pair<int, int>> s_replaced;
    s_replaced.clear();
    g_RecordHooks.replaceSkill = [](int32_t a, int32_t b) { s_replaced.push_back({a, b}); };
    EXPECT_EQ(r.LearnSkill(arrow, strike), 3);
    EXPECT_EQ(r.m_LearnedSkills, (std::vector<int32_t>{2}));
    EXPECT_EQ(s_replaced, (std::vector<std::pair<int, int>>{{1, 2}}));
}

TEST_F(RecordTest, FollowersKeepTheWholeHandleWithItsGeneration) {
    CRoleData r;
    // Handles that differ only in bit 16 (the generation's high bit).
    const ObjHandle a = 0x00005u | (2u << 15);
    const ObjHandle b = 0x00005u;
    r.m_Followers.push_back({a, 1});
    EXPECT_EQ(r.HasFollower(a), 1);
    EXPECT_EQ(r.HasFollower(b), 0);
    r.RemoveFollower(b);
    EXPECT_EQ(r.m_Followers.size(), 1u);
    r.RemoveFollower(a);
    EXPECT_TRUE(r.m_Followers.empty());
    // Dropping walks from the newest and keeps a running total of counts.
    r.m_Followers = {{10, 1}, {11, 1}, {12, 1}, {13, 1}};
    r.DropFollowers(3);
    ASSERT_EQ(r.m_Followers.size(), 3u);
    EXPECT_EQ(r.m_Followers[0].handle, 11u);
    r.ResetLocals();
    EXPECT_TRUE(r.m_Followers.empty());
}

TEST_F(RecordTest, MaxNuIsCappedAndWeaponAndEquipmentCountsStopAtSix) {
    CRoleData r;
    r.AddMaxNu(9000.0f);
    r.AddMaxNu(1000.0f);
    EXPECT_FLOAT_EQ(r.m_MaxNu, 9999.0f);
    for (int i = 0; i < 5; ++i) r.AddWeaponNum(1), r.AddEquipNum(1);
    EXPECT_EQ(r.m_WeaponCount, 6);
    EXPECT_EQ(r.m_EquipCount, 6);
}

} // namespace test_role_data
