// The experience table and the equipment texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/directories.h"
#include "datagen/fixture_game.h"
#include "platform/random.h"
#include "roles/items/item_record.h"
#include "roles/role_hooks.h"
#include "roles/tables/exp_table.h"
#include "support/test_env.h"

namespace {

TEST(ExpTable, SampleValuesAreExactAndTheTableRisesStrictly) {
    const struct {
        int level, exp;
    } samples[] = {{0, 0},          {1, 600},        {2, 1200},       {3, 1351},      {4, 2403},
                   {10, 15120},     {24, 89994},     {25, 101247},    {44, 539999},   {45, 646673},
                   {99, 30836557}};
    for (const auto& s : samples) EXPECT_EQ(g_ExpTable.GetExp(s.level), s.exp) << "level " << s.level;
    for (int l = 1; l < CExpTable::kLevels; ++l) EXPECT_GT(g_ExpTable.GetExp(l), g_ExpTable.GetExp(l - 1)) << l;
    EXPECT_EQ(g_ExpTable.GetExp(-5), 0);
    EXPECT_EQ(g_ExpTable.GetExp(150), g_ExpTable.GetExp(99));
    CExpTable fresh;
    EXPECT_EQ(fresh.GetExp(50), g_ExpTable.GetExp(50));
}

// The local player's record is a token: only its class id is read.
int32_t g_EquipTestClassId = -1;
int g_EquipTestRecord = 0;
CRoleData* EquipTestLocalRecord() { return g_EquipTestClassId == -2 ? nullptr : reinterpret_cast<CRoleData*>(&g_EquipTestRecord); }
int32_t EquipTestClassOf(const CRoleData*) { return g_EquipTestClassId; }

class EquipStrTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        vtest::TempDirTest::SetUp();
        g_RoleHooks.getLocalPlayerRecord = EquipTestLocalRecord;
        g_ItemRecordOps.getClassId = EquipTestClassOf;
        g_EquipTestClassId = -1;
        SetProgramDirectory(0);  // the data folder of this test
        g_EquipStrTable.Clear();
        g_EquipStrPath.clear();
        g_EquipStrPicked.clear();
    }
    void TearDown() override {
        g_RoleHooks.getLocalPlayerRecord = nullptr;
        g_ItemRecordOps.getClassId = nullptr;
        g_EquipStrTable.Clear();
        g_EquipStrPath.clear();
        g_EquipStrPicked.clear();
        plat::ResetRand();
        vtest::TempDirTest::TearDown();
    }
    void WriteFile(const std::string& name, const std::vector<datagen::EquipStrRow>& rows) {
        ASSERT_TRUE(datagen::WriteTable(Dir() + "mb/" + name,
                                        datagen::PadKeyedTable({"Id", "Key", "Upper", "Lower", "Text"},
                                                               datagen::RowsOf(rows), 0, 4)));
    }
    static std::string Text(const char* s) { return s ? s : "(null)"; }
    // The local player takes the class before the call.
    struct Caller {
        const char* ByIndex(int value, int key) const { return GetEquipStrByIndex(value, key); }
        const char* Pick(int value, int key, int special) const { return PickEquipStr(value, key, special); }
        int Load() const { return LoadEquipStrTable(); }
    };
    static Caller ClassIs(int32_t classId) {
        g_EquipTestClassId = classId;
        return {};
    }
};

using datagen::EquipStrRow;

TEST_F(EquipStrTest, ByIndexTakesValueModCountAndWrapsNegativeValues) {
    WriteFile("EquipStr901.txt", {EquipStrRow().Id(1).Key("0").Text("A"), EquipStrRow().Id(2).Key("1").Text("X"),
                                  EquipStrRow().Id(3).Key("0").Text("B"), EquipStrRow().Id(4).Key("0*1").Text("C")});
    const struct {
        int value, key;
        const char* want;
    } cases[] = {{0, 0, "A"}, {1, 0, "B"}, {7, 0, "B"}, {8, 0, "C"}, {-1, 0, "C"}, {-3, 0, "A"},
                 {-7, 0, "C"}, {5, 1, "X"}, {-5, 1, "X"}, {0, 2, nullptr}};
    for (const auto& c : cases)
        EXPECT_EQ(Text(ClassIs(4).ByIndex(c.value, c.key)), Text(c.want)) << c.value << " key " << c.key;
    // A class without a file keeps the table loaded last.
    EXPECT_EQ(Text(ClassIs(999).ByIndex(1, 0)), "B");
}

// Value 7 with two rows of key 0 gives the second (7 mod 2 = 1).
TEST_F(EquipStrTest, SevenWithTwoRowsOfAKeyGivesTheSecond) {
    WriteFile("EquipStr902.txt", {EquipStrRow().Id(1).Key("0").Text("first"), EquipStrRow().Id(2).Key("0").Text("second")});
    EXPECT_EQ(Text(ClassIs(30).ByIndex(7, 0)), "second");
}

TEST_F(EquipStrTest, PickTakesRowsInRangeWithTheirMarkerAndOneAtRandom) {
    WriteFile("EquipStr903.txt", {EquipStrRow().Id(1).Key("2").Lower(0).Upper(10).Text("low"),
                                  EquipStrRow().Id(2).Key("2").Lower(10).Upper(20).Text("mid"),
                                  EquipStrRow().Id(3).Key("2*1").Lower(10).Upper(20).Text("set"),
                                  EquipStrRow().Id(4).Key("0").Lower(0).Upper(99).Text("other")});
    EXPECT_EQ(Text(ClassIs(40).Pick(9, 2, 0)), "low");
    EXPECT_EQ(Text(ClassIs(40).Pick(10, 2, 0)), "mid");   // lower bound included, the set row's marker differs
    EXPECT_EQ(g_EquipStrPicked, "mid");
    EXPECT_EQ(Text(ClassIs(40).Pick(20, 2, 0)), "(null)");  // upper bound excluded
    EXPECT_EQ(Text(ClassIs(40).Pick(5, 7, 0)), "(null)");
    // Two candidates: rand() % 2 picks.
    plat::ScriptRand({5});
    EXPECT_EQ(Text(ClassIs(40).Pick(15, 2, 1)), "set");
    plat::ScriptRand({4});
    EXPECT_EQ(Text(ClassIs(40).Pick(15, 2, 1)), "mid");
    plat::ScriptRand({});
}

// The table is read again only when the class's file changes.
TEST_F(EquipStrTest, AClassChangeReloadsOnlyWhenTheFileChanges) {
    WriteFile("EquipStr901.txt", {EquipStrRow().Id(1).Key("0").Text("one")});
    WriteFile("EquipStr905.txt", {EquipStrRow().Id(1).Key("0").Text("five")});
    EXPECT_EQ(ClassIs(4).Load(), 1);
    EXPECT_EQ(Text(ClassIs(4).ByIndex(0, 0)), "one");
    WriteFile("EquipStr901.txt", {EquipStrRow().Id(1).Key("0").Text("changed")});
    EXPECT_EQ(Text(ClassIs(4).ByIndex(0, 0)), "one");  // same class: not read again
    EXPECT_EQ(Text(ClassIs(1).ByIndex(0, 0)), "five");
    EXPECT_EQ(Text(ClassIs(4).ByIndex(0, 0)), "changed");
    const std::string path = g_EquipStrPath;
    EXPECT_EQ(ClassIs(77).Load(), 0);  // a class without a file changes nothing
    EXPECT_EQ(g_EquipStrPath, path);
    g_EquipTestClassId = -2;  // no local player
    EXPECT_EQ(LoadEquipStrTable(), 0);
    g_EquipTestClassId = 4;
    g_ItemRecordOps.getClassId = nullptr;  // a record that cannot tell its class
    EXPECT_EQ(LoadEquipStrTable(), 0);
    EXPECT_EQ(g_EquipStrPath, path);
    EXPECT_EQ(Text(EquipStrFileName(223)), "EquipStr904.txt");
}

} // namespace
