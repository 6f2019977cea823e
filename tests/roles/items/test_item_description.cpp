// Tooltip texts, byte for byte, for each kind group.
#include "item_env.h"
#include "roles/items/item_description.h"

namespace test_item_description {

using namespace datagen::itemfix;

class ItemDescriptionTest : public itemenv::ItemTest {
protected:
    std::string Describe(int id, int count, const char* text, int buying, int32_t level = 1) {
        PropRec item;
        EXPECT_EQ(item.Init(id, text), 1);
        item.SetCount(count);
        item.m_RequiredLevel = level;
        std::string out = "stale";
        EXPECT_EQ(BuildItemDescription(&item, out, buying), 1);
        return out;
    }
};

TEST_F(ItemDescriptionTest, EachKindGroupByteForByte) {
    const struct {
        const char* what;
        int id, count;
        const char* text;
        int buying;
        int32_t level;
        const char* want;
    } cases[] = {
        {"money: sells for nothing", kMoney, 1, nullptr, 0, 1, "Coins0\n"},
        {"consumable bought", kHerb, 2, nullptr, 1, 1, "Herb\nBuy 40\nHeals 50"},
        {"consumable, two clauses", kTonic, 3, nullptr, 0, 1, "Tonic\nSell 41\nRefills 30\nAll 5"},
        {"consumable, max rage", kHerb, 1, "atb maxnu 9*atb hp 1", 0, 1, "Herb\nSell 9\nRageMax 9\nHeals 1"},
        {"consumable without a known word", kHerb, 1, "ATB XX 5", 0, 1, "Herb\nSell 9\n"},
        {"stackable goods", kArrow, 7, nullptr, 1, 1, "Arrow\nBuy 35\n\nCount 7"},
        {"equipment, negative and percent", kSword, 1, "ATB AP 5*ATB DP -3*ATB HR 10%", 0, 4,
         "Sword\nSell 46\n\nGearGrade 1\nLevel 4\nAttack$B +5\nDefence$R -3\nHit$B +10%"},
        {"equipment, every word", kRing, 1,
         "ATB MAXHP 1*ATB MAXQI 2*ATB ST 3*ATB SH 4*ATB SP 5*ATB NU 6*ATB HPRESUME 7*ATB QIRESUME 8*ATB MAXNU 9*"
         "ATB ALL 10*ATB FIREDP 11*ATB POISONDP 12*ATB ICEDP 13",
         1, 2,
         "Ring\nBuy 50\n\nGearGrade 3\nLevel 2\nMaxHp$B +1\nMaxQi$B +2\nVigour$B +3\nSmash$B +4\nSpeed$B +5\nRage$B +6\n"
         "HpBack$B +7\nQiBack$B +8\nRageMax$B +9\nAll$B +10\nFireRes$B +11\nPoisonRes$B +12\nIceRes$B +13"},
        {"equipment, level hidden", kSword, 1, "ATB AP 1", 0, 65535, "Sword\nSell 46\n\nGearGrade 1\nAttack$B +1"},
        {"equipment, text of one character", kSword, 1, "*", 0, 3, "Sword\nSell 46\n\nGearGrade 1\nLevel 3"},
        {"other described item", kJade, 1, nullptr, 0, 1,
         "Jade\nSell 138\n\nTrinketGrade 4\nLevel 1\nFireRes$B +5\nIceRes$R -3\nPoisonRes$B +2%"},
        {"cannot be sold: name and price", kLetter, 1, nullptr, 0, 1, "Letter\nSell 4\n"},
        {"other kinds: name and price", kCharm, 1, nullptr, 1, 1, "Charm\nBuy 70\n"},
        // A GBK character whose second byte is 'A': no word starts inside it.
        {"GBK text", kJade, 1, "\x81" "ATB AP 3", 0, 1, "Jade\nSell 138\n\nTrinketGrade 4\nLevel 1\n\x81" "ATB$B +AP$B +3"},
        {"GBK name", kHelm, 1, "ATB AP 1", 0, 1, "\xBF\xF8\nSell 92\n\nGearGrade 2\nLevel 1\nAttack$B +1"},
    };
    for (const auto& c : cases) EXPECT_EQ(Describe(c.id, c.count, c.text, c.buying, c.level), c.want) << c.what;
}

TEST_F(ItemDescriptionTest, NothingWithoutALocalPlayerOrAModel) {
    PropRec herb;
    ASSERT_EQ(herb.Init(kHerb, nullptr), 1);
    std::string out = "stale";
    itemenv::LocalRecord() = nullptr;
    EXPECT_EQ(BuildItemDescription(&herb, out, 1), 0);
    EXPECT_EQ(out, "");
    itemenv::LocalRecord() = &record;
    PropRec none;
    EXPECT_EQ(BuildItemDescription(&none, out, 1), 0);
    EXPECT_EQ(BuildItemDescription(nullptr, out, 1), 0);
}

} // namespace test_item_description
