// Prices, restore amounts, money piles, the item and grade rolls, the
// attribute template and the upgrade key match.
#include <climits>

#include "item_env.h"
#include "roles/items/item_rules.h"

namespace test_item_rules {

using namespace datagen::itemfix;

class ItemRulesTest : public itemenv::ItemTest {
protected:
    static std::unique_ptr<PropRec> Item(int id, int count, int32_t price) {
        auto item = std::make_unique<PropRec>();
        EXPECT_EQ(item->Init(id, "ATB X 1"), 1);
        item->m_Count = count;
        item->m_Price = price;
        return item;
    }
};

TEST_F(ItemRulesTest, SellingPricesTakeTieredSharesOfTheBuyingPrice) {
    const struct {
        int count;
        int32_t price, buying, selling;
    } cases[] = {
        {1, 10000, 10000, 4600},
        {1, 100000, 100000, 40600},  // 4600 + 40 % of 90000
        {1, 500000, 500000, 160600},
        {1, 600000, 600000, 180600},
        {3, 7, 21, 9},               // 21 x 46 / 100
        {1, 1, 1, 0},
        {1, 0, 0, 0},
        {1, -5, -5, -5},             // below 1: the buying price itself
        {9, INT32_MAX, INT32_MAX, 429557329},  // the product saturates before the shares
    };
    for (const auto& c : cases) {
        const auto item = Item(kArrow, c.count, c.price);
        EXPECT_EQ(GetPropPrice(item.get()), c.buying) << c.price << " x" << c.count;
        EXPECT_EQ(GetSellPrice(item.get()), c.selling) << c.price << " x" << c.count;
    }
}

TEST_F(ItemRulesTest, TooltipPercentsOfTheUnitPriceAreAtLeastOne) {
    const struct {
        int32_t price, two, nine;
    } cases[] = {{1000, 20, 90}, {10, 1, 1}, {0, 1, 1}, {INT32_MAX, 42949672, 193273528}};
    for (const auto& c : cases) {
        const auto item = Item(kSword, 4, c.price);  // the count plays no part
        EXPECT_EQ(GetPropPrice2Percent(item.get()), c.two) << c.price;
        EXPECT_EQ(GetPropPrice9Percent(item.get()), c.nine) << c.price;
    }
}

TEST_F(ItemRulesTest, MoneyPilesByAmount) {
    const struct {
        int32_t amount;
        int id;
    } cases[] = {{0, 0}, {200, 0}, {201, 1}, {500, 1}, {501, 2}, {1000, 2}, {1001, 3}, {INT32_MAX, 3}, {-7, 0}};
    for (const auto& c : cases) EXPECT_EQ(GetMoneyPropId(c.amount), c.id) << c.amount;
}

TEST_F(ItemRulesTest, RestoreAmountsReadConsumablesOnly) {
    PropRec herb, tonic, sword;
    ASSERT_EQ(herb.Init(kHerb, nullptr), 1);
    ASSERT_EQ(tonic.Init(kTonic, nullptr), 1);
    ASSERT_EQ(sword.Init(kSword, "ATB HP 5"), 1);
    // "ATB HP 50": three pieces, the second read as a number, plus 10000.
    EXPECT_EQ(GetItemRestoreHP(&herb), 10000);
    EXPECT_EQ(GetItemRestoreQi(&herb), -1);
    EXPECT_EQ(GetItemRestoreHP(&tonic), -1);
    EXPECT_EQ(GetItemRestoreQi(&tonic), 10000);
    EXPECT_EQ(GetItemRestoreHP(&sword), -1);
    EXPECT_EQ(GetItemRestoreHP(nullptr), -1);
}

TEST_F(ItemRulesTest, RestoreAmountOfTwoPiecesIsTheSecond) {
    datagen::ItemFixture f = datagen::DefaultItemFixture();
    f.props.push_back(datagen::PropMdlRow().Name("Drop").Id(70).Kind(12).Attributes("X HP 7"));
    f.props.push_back(datagen::PropMdlRow().Name("Sip").Id(71).Kind(12).Attributes("MP 7"));
    LoadItems(f);
    PropRec drop, sip;
    ASSERT_EQ(drop.Init(70, nullptr), 1);
    ASSERT_EQ(sip.Init(71, nullptr), 1);
    EXPECT_EQ(GetItemRestoreHP(&drop), 10000);
    EXPECT_EQ(GetItemRestoreQi(&sip), -1);  // no blank before "MP"
}

// Kind -1 draws the kind against the difficulty's limits; equipment caps
// the grade on the two easy difficulties and raises it to at least 1.
TEST_F(ItemRulesTest, RandomItemByQualityDrawsTheKindOnEachDifficulty) {
    const struct {
        int difficulty, grade;
        std::vector<int> draws;
        int want;
    } cases[] = {
        {0, 1, {24}, kSword}, {0, 1, {25}, kArrow}, {0, 1, {49}, kArrow}, {0, 1, {50}, kHerb},
        {1, 1, {29}, kSword}, {1, 1, {30}, kArrow}, {1, 1, {54}, kArrow}, {1, 1, {55}, kHerb},
        {2, 1, {34}, kSword}, {2, 1, {35}, kArrow}, {2, 1, {64}, kArrow}, {2, 1, {65}, kHerb},
        {3, 1, {39}, kSword}, {3, 1, {40}, kArrow}, {3, 1, {69}, kArrow}, {3, 1, {70}, kHerb},
        {0, 9, {0}, kBlade},  {1, 10, {0}, kAxe},   {2, 9, {0}, kAxe},     {3, 10, {0}, -1},
        {0, 0, {0}, kSword},  {2, -1, {0}, kSword},  // no grade draw: already fixed
        {1, -1, {99, 1}, kTonic},                   // a consumable of grade 1 % 4 + 1 = 2
        {1, 3, {99, 5}, kBigHerb},                  // id 12 stays when rand % 6 = 5
        {1, 3, {99, 0}, kHerbSmall},                // and becomes 4 otherwise
    };
    for (const auto& c : cases) {
        g_SaveMgr.m_Difficulty = c.difficulty;
        Script(c.draws);
        EXPECT_EQ(RandomItemByQuality(c.grade, -1), c.want) << "difficulty " << c.difficulty << " draw " << c.draws[0];
        ExpectAllDrawn();
    }
}

TEST_F(ItemRulesTest, RandomItemByQualityWithAFixedKindAndADrawnGrade) {
    const struct {
        int grade, kind;
        std::vector<int> draws;
        int want;
    } cases[] = {
        {-1, 20, {1}, kBolt},       // grade 1 % 4 + 1 = 2
        {65535, 20, {4}, kArrow},   // 4 % 4 + 1 = 1
        {2, 30, {}, kHelm},
        {7, 30, {}, -1},
        {-1, 65535, {0}, kSword},   // 65535 draws the kind like -1
    };
    g_SaveMgr.m_Difficulty = 1;
    for (const auto& c : cases) {
        Script(c.draws);
        EXPECT_EQ(RandomItemByQuality(c.grade, c.kind), c.want) << c.grade << "/" << c.kind;
        ExpectAllDrawn();
        EXPECT_EQ(plat::RandDrawCount(), c.draws.size());
    }
}

TEST_F(ItemRulesTest, GradeRollWalksTheWeightsWithLuck) {
    // Weights 40, 30, (empty), 20 for grades 1, 2, 3, 4; grade 10 weight 5.
    const CTxtRow* row = g_RandPropTable.GetRow(kDropRow);
    ASSERT_NE(row, nullptr);
    const struct {
        double luck;
        int draw, want;
    } cases[] = {
        {-1.0, 0, 1},   {-1.0, 39, 1},  {-1.0, 40, 2}, {-1.0, 69, 2}, {-1.0, 70, 4}, {-1.0, 89, 4},
        {-1.0, 179, 4},  // rand % 90 = 89
        {0.0, 90, 10},  {0.0, 94, 10},  {0.0, 95, -1}, {0.0, 99, -1},
        {0.5, 60, 2},   // 60 + int(60 x 0.5 x 0.1) = 63
        {0.5, 67, 4},   // 67 + 3 = 70
        {0.5, 93, -1},  // 93 + 4 = 97
        {5.0, 50, 4},   // 50 + 25
        {5.0, 80, -1},  // 80 + 40, at most 99
        {1.0, 84, 10},  // 84 + 8 = 92
    };
    for (const auto& c : cases) {
        Script({c.draw});
        EXPECT_EQ(RandomGrade(row, c.luck), c.want) << c.luck << " draw " << c.draw;
        ExpectAllDrawn();
    }
    EXPECT_EQ(RandomGrade(nullptr, 0.0), -1);
}

TEST_F(ItemRulesTest, AttributeTemplateOfAGemFuncRow) {
    // Max HP 10..20, attack 1..3 with defence 2..5 as its alternative, HP
    // resume written -1, -5: a negative first value comes second.
    EXPECT_EQ(BuildAttributeTemplate(kHelm), "ATB MAXHP 10 20*ATB AP 1 3|ATB DP 2 5*ATB HPRESUME -5 -1");
    EXPECT_EQ(BuildAttributeTemplate(kSword), "");
    EXPECT_EQ(BuildAttributeTemplate(-1), "");
}

TEST_F(ItemRulesTest, UpgradeKeysMatchByFirstCharacterAndNumberOrWhole) {
    const struct {
        const char* key;
        const char* text;
        int want;
    } cases[] = {
        {"J", "J5", 1},  {"J", "J0", 0}, {"J", "J-1", 0}, {"J", "Jx", 0},  {"j", "J5", 0},
        {"O", "O", 1},   {"j1", "J1", 1}, {"J1", "J2", 0}, {"", "", 1},    {"AB", "abc", 0},
        {nullptr, "J", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchUpgradeKey(c.key, c.text), c.want) << (c.key ? c.key : "(null)") << " " << c.text;
}

TEST_F(ItemRulesTest, AngleBetweenPoints) {
    const struct {
        CGamePoint a, b;
        float want;
    } cases[] = {
        {{10, 5}, {0, 5}, 1.5707963f},
        {{-10, 5}, {0, 5}, -1.5707963f},
        {{3, 3}, {0, 0}, 1.5707963f - 0.7853982f},
        {{0, 9}, {0, 0}, 0.0f},
        {{0, -9}, {0, 0}, -3.1415925f},
        {{4, 4}, {4, 4}, -3.1415925f},
    };
    for (const auto& c : cases) EXPECT_FLOAT_EQ(AngleBetween(c.a, c.b), c.want) << c.a.x << "," << c.a.y;
}

} // namespace test_item_rules
