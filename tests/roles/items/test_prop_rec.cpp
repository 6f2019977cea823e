// Item instances: initialisation, pile sizes, attribute texts and the
// random attributes of equipment over scripted draws.
#include "item_env.h"
#include "roles/items/item_description.h"
#include "roles/items/item_rules.h"

namespace test_prop_rec {

using namespace datagen::itemfix;

class PropRecTest : public itemenv::ItemTest {};

TEST_F(PropRecTest, InitTakesModelAndPriceOrStaysUninitialised) {
    PropRec herb;
    EXPECT_EQ(herb.Init(kHerb, nullptr), 1);
    EXPECT_EQ(herb.m_Id, kHerb);
    EXPECT_EQ(herb.m_Price, 20);
    EXPECT_EQ(herb.m_RequiredLevel, 1);
    EXPECT_EQ(herb.m_Text, "");
    EXPECT_EQ(herb.m_ValueA, 0);
    EXPECT_EQ(herb.GetKind(), 10);

    PropRec none;
    EXPECT_EQ(none.Init(999, "ATB AP 1"), 0);
    EXPECT_EQ(none.m_Id, -1);
    EXPECT_EQ(none.m_pModelRow, nullptr);
    EXPECT_EQ(none.GetKind(), -1);
    EXPECT_EQ(none.SetCount(5), 4);  // no model: one piece

    // A text is taken as it is: no roll, no draw.
    Script({});
    PropRec sword;
    EXPECT_EQ(sword.Init(kSword, "atb ap 7*"), 1);
    EXPECT_EQ(sword.m_Text, "atb ap 7*");
    EXPECT_EQ(sword.m_Price, 100);
    EXPECT_EQ(plat::RandDrawCount(), 0u);
}

TEST_F(PropRecTest, PileSizesStopAtNineAndNonStackablesHoldOne) {
    const struct {
        int id, n, count, rest;
    } cases[] = {{kArrow, 12, 9, 3}, {kArrow, 9, 9, 0}, {kArrow, 4, 4, 0}, {kHerb, 10, 9, 1},
                 {kLetter, 4, 1, 3}, {kLetter, 1, 1, 0}};
    for (const auto& c : cases) {
        PropRec item;
        ASSERT_EQ(item.Init(c.id, "x"), 1);
        EXPECT_EQ(item.SetCount(c.n), c.rest) << c.id << " x" << c.n;
        EXPECT_EQ(item.m_Count, c.count) << c.id << " x" << c.n;
    }
}

TEST_F(PropRecTest, AttributeTextIsTheOwnOrTheModelsUpperCased) {
    PropRec own, model;
    ASSERT_EQ(own.Init(kHerb, "atb hp 5*\xC4\xe3"), 1);  // GBK bytes stay as they are
    EXPECT_STREQ(own.GetAttributeText(), "ATB HP 5*\xC4\xe3");
    ASSERT_EQ(model.Init(kTonic, nullptr), 1);
    EXPECT_STREQ(model.GetAttributeText(), "ATB MP 30*ATB ALL 5");
}

// Two passes: the first sums 6, not above the minimum total 10; the second
// sums 24. Column 13 keeps two of the three clauses.
TEST_F(PropRecTest, EquipmentRolledOverTwoPassesGetsTextPriceAndLevel) {
    Script({2,      // pass 1: the third clause (max HP) goes
            0,      // attack 5 + 0
            1, 0,   // the hit alternative, 1 + 0
            1,      // pass 2: the second clause goes
            4,      // attack 5 + 4 (4/5 of the range)
            5,      // max HP 10 + 5 (1/2), a percentage
            1});    // the level's coin
    PropRec sword;
    ASSERT_EQ(sword.Init(kSword, nullptr), 1);
    ExpectAllDrawn();
    EXPECT_EQ(sword.m_Text, "ATB AP 9*ATB MAXHP 15%*");
    // 100 + int(100 x 1.3) / 2; level 1 + int(6 x 1.3 / 2) + 5.
    EXPECT_EQ(sword.m_Price, 165);
    EXPECT_EQ(sword.m_RequiredLevel, 9);

    std::string text;
    ASSERT_EQ(BuildItemDescription(&sword, text, 0), 1);
    EXPECT_EQ(text, "Sword\nSell 75\n\nGearGrade 1\nLevel 9\nAttack$B +9\nMaxHp$B +15%\n");
}

// The sword's doubling key (column 17) is 0, like a save manager without
// such a key: the values stay as rolled while a local player exists.
TEST_F(PropRecTest, NothingIsDoubled) {
    ASSERT_NE(g_RoleHooks.getLocalPlayerRecord(), nullptr);
    Script({0,      // the first clause (attack) goes
            4, 0,   // 4 % 2 = 0: defence, 2 + 0
            2,      // max HP 10 + 2
            0});    // coin
    PropRec sword;
    ASSERT_EQ(sword.Init(kSword, nullptr), 1);
    ExpectAllDrawn();
    EXPECT_EQ(sword.m_Text, "ATB DP 2*ATB MAXHP 12%*");
    EXPECT_EQ(sword.m_Price, 110);
    EXPECT_EQ(sword.m_RequiredLevel, 5);
}

TEST_F(PropRecTest, EquipmentWithoutRangesKeepsItsPrice) {
    Script({1});
    PropRec ring;
    ASSERT_EQ(ring.Init(kRing, nullptr), 1);
    ExpectAllDrawn();
    EXPECT_EQ(ring.m_Text, "ATB ST 3*");
    EXPECT_EQ(ring.m_Price, 50);
    EXPECT_EQ(ring.m_RequiredLevel, 1 + 2);
}

// The helm has no column 10: its ranges come from "PropGemFunc.txt"; no
// column 13 keeps every clause, and one pass is all.
TEST_F(PropRecTest, EquipmentRollsFromItsGemFuncRow) {
    Script({3,      // max HP 10 + 3
            1, 2,   // defence (the alternative), 2 + 2
            0,      // HP resume -5 + 0
            0});    // coin
    PropRec helm;
    ASSERT_EQ(helm.Init(kHelm, nullptr), 1);
    ExpectAllDrawn();
    EXPECT_EQ(helm.m_Text, "ATB MAXHP 13*ATB DP 4*ATB HPRESUME -5*");
    // Fractions 0.3 + 2/3 + 0 over three rolls.
    EXPECT_EQ(helm.m_Price, 200 + 193 / 3);
    EXPECT_EQ(helm.m_RequiredLevel, 0 + 1 + 3);
}

// A minimum total never reached: ten passes, then the last pass stands.
TEST_F(PropRecTest, RollingStopsAfterTenPasses) {
    datagen::ItemFixture f = datagen::DefaultItemFixture();
    for (auto& p : f.props)
        if (p.Cells()[1] == std::to_string(kSword)) p.AttributeCount("3*1000");
    LoadItems(f);
    std::vector<int> draws(40, 0);  // 4 draws a pass: attack, alternative, its range, max HP
    draws.push_back(0);
    Script(draws);
    PropRec sword;
    ASSERT_EQ(sword.Init(kSword, nullptr), 1);
    ExpectAllDrawn();
    EXPECT_EQ(plat::RandDrawCount(), 41u);
    EXPECT_EQ(sword.m_Text, "ATB AP 5*ATB DP 2*ATB MAXHP 10%*");
    EXPECT_EQ(sword.m_Price, 100);  // every roll at its minimum
    EXPECT_EQ(sword.m_RequiredLevel, 5);
}

} // namespace test_prop_rec
