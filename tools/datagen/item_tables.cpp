#include "datagen/item_tables.h"

#include "datagen/table_writer.h"

namespace datagen {

Table PropGemFuncTable(const std::vector<PropGemFuncRow>& rows) { return RowsOf(rows); }

Table RandPropTable(const std::vector<RandPropRow>& rows) {
    return PadKeyedTable({"Name", "Id", "ItemChance", "ItemMin", "ItemMax", "MoneyChance", "MoneyMin", "MoneyMax"},
                         RowsOf(rows), 1, 0);
}

Table PropUpgradeTable(const std::vector<PropUpgradeRow>& rows) {
    Table t = {{"Parts", "Result", "Lost"}};
    for (const auto& r : rows) t.push_back(r.Cells());
    return t;
}

Table PropMdlTable(const std::vector<PropMdlRow>& rows) {
    return PadKeyedTable({"Name", "Id", "Kind"}, RowsOf(rows), 1, 0);
}

ItemFixture DefaultItemFixture() {
    using namespace itemfix;
    ItemFixture f;
    const struct {
        int id;
        const char* text;
    } texts[] = {{0, "Grade"},   {3, "Count"},    {12, "HpBack"},  {13, "QiBack"},  {15, "MaxHp"},  {16, "MaxQi"},
                 {19, "Vigour"}, {25, "Buy"},     {26, "Sell"},    {65, "Rage"},    {66, "Attack"}, {67, "Defence"},
                 {68, "Smash"},  {69, "Hit"},     {70, "Speed"},   {73, "Heals"},   {74, "Refills"}, {75, "Level"},
                 {248, "Gear"},  {249, "Trinket"}, {250, "RageMax"}, {251, "All"},  {372, "FireRes"},
                 {373, "PoisonRes"}, {374, "IceRes"}};
    for (const auto& t : texts) f.texts.push_back(TextRow().Id(t.id).Text(t.text));

    for (int i = 0; i < 4; ++i)
        f.props.push_back(PropMdlRow().Name("Coins" + std::to_string(i)).Id(kMoney + i).Kind(0).Picture(i).Stacks(1).Price(1));
    f.props.push_back(PropMdlRow().Name("SmallHerb").Id(kHerbSmall).Kind(10).Stacks(1).Price(8).Grade(9).Attributes("ATB HP 20"));
    f.props.push_back(PropMdlRow().Name("Herb").Id(kHerb).Kind(10).Stacks(1).Price(20).Grade(1).Attributes("ATB HP 50"));
    f.props.push_back(PropMdlRow().Name("Tonic").Id(kTonic).Kind(10).Stacks(1).Price(30).Grade(2).Attributes("ATB MP 30*ATB ALL 5"));
    f.props.push_back(PropMdlRow().Name("BigHerb").Id(kBigHerb).Kind(10).Stacks(1).Price(60).Grade(3).Attributes("ATB HP 200"));
    f.props.push_back(PropMdlRow().Name("Arrow").Id(kArrow).Kind(20).Stacks(1).Price(5).Grade(1));
    f.props.push_back(PropMdlRow().Name("Bolt").Id(kBolt).Kind(20).Stacks(1).Price(7).Grade(2));
    f.props.push_back(PropMdlRow().Name("Ore").Id(kOre).Kind(20).Stacks(1).Price(40).Grade(6).UpgradeKey("O"));
    f.props.push_back(PropMdlRow()
                          .Name("Sword")
                          .Id(kSword)
                          .Kind(30).Stacks(0)
                          .Price(100)
                          .Grade(1)
                          .Attributes("ATB AP 5 10*ATB DP 2 4|ATB HR 1 3*ATB MAXHP 10% 20")
                          .Level(5)
                          .AttributeCount("2*10")
                          .SetMarker(1)
                          .DoublingKey(0));
    // "盔" (helm): a GBK name.
    f.props.push_back(PropMdlRow().Name("\xBF\xF8").Id(kHelm).Kind(30).Stacks(0).Price(200).Grade(2).Level(3).UpgradeKey("H"));
    f.props.push_back(PropMdlRow().Name("Ring").Id(kRing).Kind(30).Stacks(0).Price(50).Grade(3).Attributes("ATB ST 3 3").Level(2));
    f.props.push_back(PropMdlRow().Name("Blade").Id(kBlade).Kind(30).Stacks(0).Price(900).Grade(8).Attributes("ATB AP 40").Level(30));
    f.props.push_back(PropMdlRow().Name("Axe").Id(kAxe).Kind(30).Stacks(0).Price(990).Grade(9).Attributes("ATB AP 50").Level(40));
    f.props.push_back(PropMdlRow().Name("Letter").Id(kLetter).Kind(40).Stacks(0).Price(10).Grade(1));
    f.props.push_back(PropMdlRow()
                          .Name("Jade")
                          .Id(kJade)
                          .Kind(50).Stacks(0)
                          .Price(300)
                          .Grade(4)
                          .UpgradeKey("J1")
                          .Attributes("ATB FIREDP 5*ATB ICEDP -3*ATB POISONDP 2%"));
    f.props.push_back(PropMdlRow().Name("FineJade").Id(kJadeFine).Kind(50).Stacks(0).Price(900).Grade(5).UpgradeKey("J2"));
    f.props.push_back(PropMdlRow().Name("Charm").Id(kCharm).Kind(60).Stacks(0).Price(70).Grade(1).Attributes("ATB AP 1"));
    for (int i = 0; i < 3; ++i)
        f.props.push_back(PropMdlRow().Name("Dust" + std::to_string(i)).Id(kLeftoverLow + i).Kind(20).Stacks(1).Price(1));

    // The helm's ranges: max HP 10..20, attack 1..3 or (alternative)
    // defence 2..5, HP resume -5..-1 (written high first).
    f.gemFuncs.push_back(PropGemFuncRow().Name("Helm").Id(kHelm).Range(0, "10", "20").Range(2, "1", "3").Range(3, "|2", "5").Range(4, "-1", "-5"));

    f.randProps.push_back(RandPropRow()
                              .Name("Wolf")
                              .Id(kDropRow)
                              .Items(50, 1, 3)
                              .Money(30, 100, 300)
                              .GradeWeights({"40", "30", "", "20"})
                              .Grade10Weight(5));
    f.randProps.push_back(RandPropRow().Name("Hoard").Id(kHoardRow).Items(100, 500, 600).GradeWeights({"100"}));
    f.randProps.push_back(RandPropRow()
                              .Name("Shop")
                              .Id(kShopRow)
                              .GradeWeights({"50", "50"})
                              .FixedStock("10*20", 4)
                              .RandomStock("30*32*20*21", 2));

    f.upgrades.push_back(PropUpgradeRow().Parts("J2*J2").Result("X"));
    f.upgrades.push_back(PropUpgradeRow().Parts("O*O").Result("J2*10"));
    f.upgrades.push_back(PropUpgradeRow().Parts("J1*O").Result("J2*60*J1*30").Lost("O*50*J1*50"));
    f.upgrades.push_back(PropUpgradeRow().Parts("H*O|J1").Result("J2"));
    return f;
}

bool WriteItemTables(const std::string& folder, const ItemFixture& items) {
    std::string mb = folder;
    if (!mb.empty() && mb.back() != '/') mb += '/';
    mb += "mb/";
    return WriteTable(mb + "Text.txt", PadKeyedTable({}, RowsOf(items.texts), 0, 1)) &&
           WriteTable(mb + "PropMdl.txt", PropMdlTable(items.props)) &&
           WriteTable(mb + "PropGemFunc.txt", PropGemFuncTable(items.gemFuncs)) &&
           WriteTable(mb + "randprop.txt", RandPropTable(items.randProps)) &&
           WriteTable(mb + "PropUpgrade.txt", PropUpgradeTable(items.upgrades));
}

} // namespace datagen
