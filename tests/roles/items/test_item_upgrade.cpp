// Upgrades of the exchange slots by the recipes of "PropUpgrade.txt".
// Recipes of the fixture, in order:
//   "J2*J2" -> "X" (no model has that key);
//   "O*O" -> "J2*10", nothing named to lose;
//   "J1*O" -> "J2*60*J1*30", losing "O*50*J1*50";
//   "H*O|J1" -> "J2".
#include "item_env.h"
#include "roles/items/item_upgrade.h"

namespace test_item_upgrade {

using namespace datagen::itemfix;

class UpgradeTest : public itemenv::ItemTest {
protected:
    int Upgrade(int* result) {
        *result = -7;
        return UpgradeItems(record.Token(), result);
    }
    // "id" of each exchange slot, "-" when empty.
    std::string Exchange() const {
        std::string s;
        for (int slot = 62; slot <= 68; ++slot) {
            if (!s.empty()) s += ' ';
            s += record.Slot(slot) ? std::to_string(record.Slot(slot)->m_Id) : "-";
        }
        return s;
    }
};

TEST_F(UpgradeTest, SuccessHandsTheIngredientsTextAndPriceToTheResult) {
    record.Put(62, kJade, 1, "ATB FIREDP 9", 500);
    record.Put(63, kOre);
    Script({10});  // below 60: "J2"
    int result;
    EXPECT_EQ(Upgrade(&result), 1);
    ExpectAllDrawn();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(record.calls, (std::vector<std::string>{"remove 0 -1", "remove 1 -1", "add 51 x1 ex1 'ATB FIREDP 9' -1 -1"}));
    EXPECT_EQ(Exchange(), "51 - - - - - -");
    EXPECT_EQ(record.Slot(62)->m_Text, "ATB FIREDP 9");
    EXPECT_EQ(record.Slot(62)->m_Price, 500 * 180 / 100);
}

TEST_F(UpgradeTest, AResultWithoutAHandedTextKeepsTheModelPrice) {
    record.Put(62, kJade);
    record.Put(63, kOre);
    Script({70});  // 60 + 30 above 70: "J1"
    int result;
    EXPECT_EQ(Upgrade(&result), 1);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Exchange(), "50 - - - - - -");
    EXPECT_EQ(record.Slot(62)->m_Price, 300);
}

// The percents sum to 90: a draw of 90 or more gives no result; the lost
// ingredient is then drawn from column 2.
TEST_F(UpgradeTest, FailureLosesTheDrawnIngredient) {
    const struct {
        int resultDraw, lostDraw;
        const char* left;
    } cases[] = {
        {95, 70, "150 22 - - - - -"},  // "J1": the jade (grade 4) becomes leftover 150
        {90, 20, "50 150 - - - - -"},  // "O": the ore (grade 6) likewise
    };
    for (const auto& c : cases) {
        record = itemenv::FakeRecord();
        record.Put(62, kJade);
        record.Put(63, kOre);
        Script({c.resultDraw, c.lostDraw});
        int result;
        EXPECT_EQ(Upgrade(&result), 1);
        ExpectAllDrawn();
        EXPECT_EQ(result, 1);
        EXPECT_EQ(Exchange(), c.left) << c.resultDraw << "/" << c.lostDraw;
    }
}

TEST_F(UpgradeTest, FailureWithoutALostColumnDrawsAmongAllCandidates) {
    const struct {
        int draw;
        const char* left;
    } cases[] = {
        {2, "22 22 50 - - - -"},  // the jade: not used, nothing lost
        {1, "22 150 50 - - - -"},  // the second ore: replaced by its leftover
    };
    for (const auto& c : cases) {
        record = itemenv::FakeRecord();
        record.Put(62, kOre);
        record.Put(63, kOre);
        record.Put(64, kJade);
        Script({50, c.draw});  // "J2*10": 50 fails
        int result;
        EXPECT_EQ(Upgrade(&result), 1);
        ExpectAllDrawn();
        EXPECT_EQ(result, 1);
        EXPECT_EQ(Exchange(), c.left) << c.draw;
    }
}

TEST_F(UpgradeTest, AlternativesAndUntouchedCandidates) {
    // "J1*O" wants an ore: none. "H*O|J1" takes the helm and the jade; the
    // arrow has no key and the bolt none either: both stay.
    record.Put(62, kArrow);
    record.Put(63, kHelm, 1, "ATB AP 2*", 260);
    record.Put(64, kJade, 1, "ATB ICEDP 4", 410);
    record.Put(65, kBolt);
    Script({});
    int result;
    EXPECT_EQ(Upgrade(&result), 1);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Exchange(), "20 51 - 21 - - -");
    // The last used candidate with a text of its own hands it over.
    EXPECT_EQ(record.Slot(63)->m_Text, "ATB ICEDP 4");
    EXPECT_EQ(record.Slot(63)->m_Price, 410 * 180 / 100);
}

TEST_F(UpgradeTest, AKeyWithoutAModelConsumesTheIngredients) {
    record.Put(62, kJadeFine);
    record.Put(66, kJadeFine);
    Script({});
    int result;
    EXPECT_EQ(Upgrade(&result), 1);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Exchange(), "- - - - - - -");
}

TEST_F(UpgradeTest, NothingToCombine) {
    int result;
    EXPECT_EQ(Upgrade(&result), 0);  // no candidate
    EXPECT_EQ(result, 0);
    record.Put(62, kOre);
    record.Put(0, kOre);  // the bag is not an exchange slot
    EXPECT_EQ(Upgrade(&result), 0);  // no recipe
    EXPECT_EQ(Exchange(), "22 - - - - - -");
    EXPECT_EQ(UpgradeItems(nullptr, &result), 0);
}

TEST_F(UpgradeTest, NoRecipeFile) {
    ASSERT_EQ(std::remove((Dir() + "mb/PropUpgrade.txt").c_str()), 0);
    record.Put(62, kOre);
    record.Put(63, kOre);
    int result;
    EXPECT_EQ(Upgrade(&result), 0);
    EXPECT_EQ(Exchange(), "22 22 - - - - -");
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
}

} // namespace test_item_upgrade
