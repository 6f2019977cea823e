#pragma once
// The item tables beside "PropMdl.txt": attribute ranges
// ("PropGemFunc.txt", no header, rows found by column 1), drop and stock
// rows ("randprop.txt", key column 1, one header row) and upgrade recipes
// ("PropUpgrade.txt", one header row, no key); and a small item fixture
// with a model of every kind group, the UI texts the item descriptions
// use, drop rows and recipes.
#include <string>
#include <vector>

#include "datagen/fixture_game.h"

namespace datagen {

// "PropGemFunc.txt": the ranges of one item id; pair i (columns 2 + 2i,
// 3 + 2i) belongs to MAXHP, MAXQI, AP, DP, HPRESUME, QIRESUME, HR, NU, ST,
// SH, IceDp, FireDp, PoisonDp in this order. A first value starting with
// '|' makes the clause an alternative to the one before.
struct PropGemFuncRow : FixtureRow<PropGemFuncRow> {
    PropGemFuncRow& Name(const std::string& gbk) { return Set(0, gbk); }
    PropGemFuncRow& Id(int id) { return Set(1, id); }
    PropGemFuncRow& Range(int pair, const std::string& first, const std::string& second) {
        Set(2 + 2 * pair, first);
        return Set(3 + 2 * pair, second);
    }
};

// "randprop.txt": what a role drops and what a merchant sells.
struct RandPropRow : FixtureRow<RandPropRow> {
    RandPropRow& Name(const std::string& gbk) { return Set(0, gbk); }
    RandPropRow& Id(int id) { return Set(1, id); }
    // Percent chance of items and their count range [min, max).
    RandPropRow& Items(int chance, int min, int max) {
        Set(2, chance);
        Set(3, min);
        return Set(4, max);
    }
    // Money chance and amount range [min, max).
    RandPropRow& Money(int chance, int min, int max) {
        Set(5, chance);
        Set(6, min);
        return Set(7, max);
    }
    // Weights of grades 1..9 (columns 8..16); "" leaves a column empty.
    RandPropRow& GradeWeights(const std::vector<std::string>& weights) {
        for (size_t i = 0; i < weights.size() && i < 9; ++i) Set(8 + static_cast<int>(i), weights[i]);
        return *this;
    }
    // Fixed stock: the ids ('*' list) and how many items they make.
    RandPropRow& FixedStock(const std::string& ids, int count) {
        Set(17, ids);
        return Set(18, count);
    }
    // Random stock: id ranges "first*last*first*last ..." and the rounds.
    RandPropRow& RandomStock(const std::string& ranges, int rounds) {
        Set(19, ranges);
        return Set(20, rounds);
    }
    RandPropRow& Grade10Weight(int weight) { return Set(21, weight); }
};

// "PropUpgrade.txt": ingredient keys ("a|b*c": parts joined by '*', each
// with '|' alternatives), the result ("key" or "key*percent*key*percent")
// and the ingredient lost on failure ("key*percent ...", optional).
struct PropUpgradeRow : FixtureRow<PropUpgradeRow> {
    PropUpgradeRow& Parts(const std::string& keys) { return Set(0, keys); }
    PropUpgradeRow& Result(const std::string& keys) { return Set(1, keys); }
    PropUpgradeRow& Lost(const std::string& keys) { return Set(2, keys); }
};

Table PropGemFuncTable(const std::vector<PropGemFuncRow>& rows);
Table RandPropTable(const std::vector<RandPropRow>& rows);
Table PropUpgradeTable(const std::vector<PropUpgradeRow>& rows);
// "PropMdl.txt" with its header and spare rows.
Table PropMdlTable(const std::vector<PropMdlRow>& rows);

struct ItemFixture {
    std::vector<TextRow> texts;
    std::vector<PropMdlRow> props;
    std::vector<PropGemFuncRow> gemFuncs;
    std::vector<RandPropRow> randProps;
    std::vector<PropUpgradeRow> upgrades;
};

// Ids of the item fixture, by kind group.
namespace itemfix {
constexpr int kMoney = 0;          // piles 0..3 (kind 0)
constexpr int kHerb = 10;          // kind 10, "ATB HP 50"
constexpr int kTonic = 11;         // kind 10, "ATB MP 30*ATB ALL 5"
constexpr int kBigHerb = 12;       // kind 10 grade 3: mostly becomes kHerbSmall
constexpr int kHerbSmall = 4;      // kind 10 grade 9
constexpr int kArrow = 20;         // kind 20, stacks, grade 1
constexpr int kBolt = 21;          // kind 20, grade 2
constexpr int kOre = 22;           // kind 20, upgrade key "O"
constexpr int kSword = 30;         // kind 30 grade 1: ranges in column 10
constexpr int kHelm = 31;          // kind 30 grade 2: ranges from "PropGemFunc.txt"
constexpr int kRing = 32;          // kind 30 grade 3: no range
constexpr int kBlade = 33;         // kind 30 grade 8
constexpr int kAxe = 34;           // kind 30 grade 9
constexpr int kLetter = 40;        // kind 40: cannot be sold
constexpr int kJade = 50;          // kind 50, upgrade key "J1"
constexpr int kJadeFine = 51;      // kind 50, upgrade key "J2"
constexpr int kCharm = 60;         // kind 60: no description beyond the price
constexpr int kLeftoverLow = 149;  // leftovers of failed upgrades
constexpr int kDropRow = 1;        // "randprop.txt": a monster's drops
constexpr int kHoardRow = 2;       // counts far above a drop's cap
constexpr int kShopRow = 3;        // a merchant's stock
} // namespace itemfix

ItemFixture DefaultItemFixture();
// Writes "mb/Text.txt", "mb/PropMdl.txt", "mb/PropGemFunc.txt",
// "mb/randprop.txt" and "mb/PropUpgrade.txt" under the folder.
bool WriteItemTables(const std::string& folder, const ItemFixture& items);

} // namespace datagen
