// The skill tables built from rows written as the game's files are.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/fixture_game.h"
#include "platform/debug.h"
#include "roles/tables/skill_table.h"
#include "support/test_env.h"

namespace {

using datagen::SkillChildRow;
using datagen::SkillGopRow;
using datagen::SkillRow;

class SkillTableTest : public vtest::TempDirTest {
protected:
    void TearDown() override {
        g_SkillTable.Clear();
        g_SkillChildTable.Clear();
        g_SkillGopTable.Clear();
        vtest::TempDirTest::TearDown();
    }
    std::string Write(const std::string& name, const datagen::Table& rows) {
        EXPECT_TRUE(datagen::WriteTable(Dir() + name, rows));
        return Dir() + name;
    }
    static int DebugLinesWith(const std::string& text) {
        int n = 0;
        for (const std::string& l : plat::DebugCaptured()) n += l.find(text) != std::string::npos;
        return n;
    }
};

// Every column of one row, written out by hand.
TEST_F(SkillTableTest, AHandWrittenRowLoadsIntoItsFieldsAndRecords) {
    std::vector<std::string> row = {
        "4",  "Fire",  "2",  "17", "3", "12", "5*6", "7", "8", "9", "124", "130", "200", "11", "22*33", "2", "4",
        "40*41", "59*6", "25", "1", "2", "3", "7", "88", "9", "2", "", "1.5", "0.5", "2.25", "31", "32", "33",
        "1", "10**30", "36", "2",
        // record 0: list 0 at frame 3, class 1; record 1: list 4 (on release)
        "0", "3", "1", "10", "20", "30", "-1", "-1", "4", "-1", "7", "1", "2", "3", "8", "9"};
    g_SkillTable.Load(Write("Skill.ini", {row}).c_str());
    ASSERT_EQ(g_SkillTable.GetCount(), 1);
    const CSkillDef* d = g_SkillTable.GetAt(17);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->classWord, 4);
    EXPECT_STREQ(d->name, "Fire");
    EXPECT_EQ(d->kind, 2);
    EXPECT_EQ(d->col4, 3);
    EXPECT_EQ(d->group, 12);
    EXPECT_EQ(d->col6[0], 5);
    EXPECT_EQ(d->col6[1], 6);
    EXPECT_EQ(d->col7, 7);
    EXPECT_EQ(d->col8, 8);
    EXPECT_EQ(d->col9, 9);
    EXPECT_EQ(d->animBase, 124);
    EXPECT_EQ(d->range, 130);
    EXPECT_EQ(d->distance2, 200);
    EXPECT_EQ(d->magicValue1, 11);
    EXPECT_EQ(d->magicValue2, 22);
    EXPECT_EQ(d->pushDistance, 33);
    EXPECT_EQ(d->pattern, 2);
    EXPECT_EQ(d->patternCount, 4);
    EXPECT_EQ(d->alwaysState[0], 40);
    EXPECT_EQ(d->alwaysState[1], 41);
    EXPECT_EQ(d->sideState, 59);
    EXPECT_EQ(d->sideStateParam, 6);
    EXPECT_EQ(d->sideStateChance, 25);
    EXPECT_EQ(d->targetClamp, 1);
    EXPECT_EQ(d->col21_22[0], 2);
    EXPECT_EQ(d->col21_22[1], 3);
    EXPECT_EQ(d->deathMode, 7);
    EXPECT_EQ(d->hitEffect, 88);
    EXPECT_EQ(d->col25, 9);
    EXPECT_EQ(d->guardReaction, 2);
    EXPECT_EQ(d->col27, 0);  // empty cell
    EXPECT_FLOAT_EQ(d->scaleA, 1.5f);
    EXPECT_FLOAT_EQ(d->scaleC, 0.5f);
    EXPECT_FLOAT_EQ(d->scaleB, 2.25f);
    EXPECT_EQ(d->col31, 31);
    EXPECT_EQ(d->col32, 32);
    EXPECT_EQ(d->col33, 33);
    EXPECT_EQ(d->heightRule, 1);
    EXPECT_EQ(d->levelPercent[0], 10);
    EXPECT_EQ(d->levelPercent[1], 0);  // empty item
    EXPECT_EQ(d->levelPercent[2], 30);
    EXPECT_EQ(d->col36, 36);
    ASSERT_EQ(d->effectCount, 2);
    ASSERT_EQ(d->effects.size(), 2u);
    const SkillEffect& a = d->effects[0];
    EXPECT_EQ((std::vector<int>{a.list, a.selector, a.effectClass, a.p1, a.p2, a.p3, a.spare1, a.spare2}),
              (std::vector<int>{0, 3, 1, 10, 20, 30, -1, -1}));
    const SkillEffect& b = d->effects[1];
    EXPECT_EQ((std::vector<int>{b.list, b.selector, b.effectClass, b.p1, b.p2, b.p3, b.spare1, b.spare2}),
              (std::vector<int>{4, -1, 7, 1, 2, 3, 8, 9}));
    EXPECT_EQ(d->rangeCells, 2);
    EXPECT_EQ(d->distance2Cells, 3);
    EXPECT_EQ(d->releaseFlag, 1);
}

// The derived fields and the effect count, case by case.
TEST_F(SkillTableTest, DerivedFieldsAndEffectCounts) {
    struct Case {
        const char* name;
        SkillRow row;
        int records, rangeCells, release;
    };
    const std::vector<Case> cases = {
        {"range below 64 pixels", SkillRow().Range(63).Effects({}), 0, 1, 0},
        {"range 0", SkillRow().Range(0).Effects({}), 0, 1, 0},
        {"range 128", SkillRow().Range(128).Effects({{0, 1, 1, 0, 0, 0}}), 1, 2, 0},
        {"a release record", SkillRow().Range(64).Effects({{1, 1, 1, 0, 0, 0}, {4, -1, 2, 0, 0, 0}}), 2, 1, 1},
        {"no release record", SkillRow().Range(64).Effects({{3, -1, 2, 0, 0, 0}, {6, 5, 2, 0, 0, 0}}), 2, 1, 0},
        // An empty count reads 65535: only the records the row holds.
        {"empty count, one record written", SkillRow().Range(64).EffectCount("").Set(38, 4).Set(45, 1), 1, 1, 1},
        {"empty count, no record", SkillRow().Range(64).EffectCount(""), 0, 1, 0},
        {"count 0 with a record's cells", SkillRow().Range(64).EffectCount("0").Set(38, 4), 0, 1, 0},
        {"count 3, two written", SkillRow().Range(64).Effects({{2, 1, 1, 0, 0, 0}, {2, 2, 1, 0, 0, 0}}).Set(37, 3), 2, 1, 0},
    };
    std::vector<SkillRow> rows;
    for (size_t i = 0; i < cases.size(); ++i) rows.push_back(SkillRow(cases[i].row).Id(static_cast<int>(i) + 1));
    g_SkillTable.Load(Write("Skill.ini", datagen::RowsOf(rows)).c_str());
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        const CSkillDef* d = g_SkillTable.GetAt(static_cast<int>(i) + 1);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->effects.size(), static_cast<size_t>(cases[i].records));
        EXPECT_EQ(d->effectCount, cases[i].records);
        EXPECT_EQ(d->rangeCells, cases[i].rangeCells);
        EXPECT_EQ(d->releaseFlag, cases[i].release);
    }
}

// Ids outside the map (and the 65535 of an empty cell) skip their row with
// a line naming file and row; a second row of an id leaves the first.
TEST_F(SkillTableTest, IdsOutsideTheMapSkipTheirRowAndTheFirstRowOfAnIdStays) {
    const std::vector<SkillRow> skills = {SkillRow().Name("first").Id(5), SkillRow().Name("big").Id(3000),
                                          SkillRow().Name("empty"), SkillRow().Name("second").Id(5),
                                          SkillRow().Name("last").Id(2999), SkillRow().Name("negative").Id(-1)};
    const std::string path = Write("Skill.ini", datagen::RowsOf(skills));
    g_SkillTable.Load(path.c_str());
    EXPECT_EQ(g_SkillTable.GetCount(), 3);
    ASSERT_NE(g_SkillTable.GetAt(5), nullptr);
    EXPECT_STREQ(g_SkillTable.GetAt(5)->name, "first");
    EXPECT_STREQ(g_SkillTable.GetRecord(1)->name, "second");
    ASSERT_NE(g_SkillTable.GetAt(2999), nullptr);
    EXPECT_EQ(g_SkillTable.GetAt(3000), nullptr);
    EXPECT_EQ(g_SkillTable.GetAt(65535), nullptr);
    EXPECT_EQ(DebugLinesWith(path + "> row 2 : id 3000"), 1);
    EXPECT_EQ(DebugLinesWith(path + "> row 3 : id 65535"), 1);
    EXPECT_EQ(DebugLinesWith(path + "> row 6 : id -1"), 1);

    const std::vector<SkillChildRow> children = {SkillChildRow().Name("in").Kind(201).Id(1999),
                                                 SkillChildRow().Name("out").Kind(201).Id(2000)};
    g_SkillChildTable.Load(Write("SkillChild.ini", datagen::RowsOf(children)).c_str());
    EXPECT_EQ(g_SkillChildTable.GetCount(), 1);
    EXPECT_NE(g_SkillChildTable.GetAt(1999), nullptr);
    EXPECT_EQ(DebugLinesWith("SkillChild.ini> row 2 : id 2000"), 1);

    const std::vector<SkillGopRow> groups = {SkillGopRow().Name("in").Id(2999).Values({1}),
                                             SkillGopRow().Name("out").Values({1})};
    g_SkillGopTable.Load(Write("Skill.gop", datagen::RowsOf(groups)).c_str());
    EXPECT_EQ(g_SkillGopTable.GetCount(), 1);
    EXPECT_EQ(DebugLinesWith("Skill.gop> row 2 : id 65535"), 1);
}

// Names keep at most 31 bytes and never end inside a GBK character.
TEST_F(SkillTableTest, NamesAreCutAt31BytesOnACharacterBoundary) {
    const std::string gbk = "\xBB\xF0";  // one GBK character
    struct Case {
        std::string in, want;
    };
    std::string fourteen, fifteen, sixteen;
    for (int i = 0; i < 14; ++i) fourteen += gbk;
    fifteen = fourteen + gbk;
    sixteen = fifteen + gbk;
    const std::vector<Case> cases = {
        {std::string(40, 'a'), std::string(31, 'a')},
        {sixteen, fifteen},                            // 32 bytes: the last character goes
        {"a" + sixteen, "a" + fifteen},                // 33 bytes: 31 kept
        {"ab" + sixteen, "ab" + fourteen},             // the 15th character would end at byte 32
        {fifteen + "x" + gbk, fifteen + "x"},
    };
    std::vector<SkillRow> rows;
    for (size_t i = 0; i < cases.size(); ++i) rows.push_back(SkillRow().Name(cases[i].in).Id(static_cast<int>(i)));
    g_SkillTable.Load(Write("Skill.ini", datagen::RowsOf(rows)).c_str());
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const CSkillDef* d = g_SkillTable.GetAt(static_cast<int>(i));
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(std::string(d->name), cases[i].want);
    }
}

TEST_F(SkillTableTest, ChildRowsReadTheirBytesAndRecords) {
    const std::vector<SkillChildRow> rows = {SkillChildRow()
                                                 .ClassWord(5)
                                                 .Name("Arrow")
                                                 .Kind(201)
                                                 .Id(9)
                                                 .Anim(70)
                                                 .ShadowAnim(83)
                                                 .Params(2, 3, 4)
                                                 .Bytes({1, 300, 2, 12, 1, 5})
                                                 .Effects({{1, 1, 5, 10, 0, 0}, {2, -1, 6, 0, 0, 0}})};
    g_SkillChildTable.Load(Write("SkillChild.ini", datagen::RowsOf(rows)).c_str());
    const CSkillChildDef* d = g_SkillChildTable.GetAt(9);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->classWord, 5);
    EXPECT_EQ(d->kind, 201);
    EXPECT_EQ(d->col4, 70);
    EXPECT_EQ(d->col5, 83);
    EXPECT_EQ(d->col6, 2);
    EXPECT_EQ(d->col8, 4);
    EXPECT_EQ((std::vector<int>(d->col9_14, d->col9_14 + 6)), (std::vector<int>{1, 300 & 0xFF, 2, 12, 1, 5}));
    ASSERT_EQ(d->effectCount, 2);
    EXPECT_EQ(d->effects[1].list, 2);
    EXPECT_EQ(d->effects[1].effectClass, 6);
}

TEST_F(SkillTableTest, GroupsGiveIconsValuesAndIndexes) {
    const std::vector<SkillGopRow> rows = {
        SkillGopRow().ClassWord(7).Name("Basic").Picture(12).Id(1).TimeMs(1500).Category(2).Values({5, 8, 5}),
        SkillGopRow().Name("Empty").Id(2).Values({}),
        SkillGopRow().Name("No picture").Id(3).Set(6, 1).Set(7, 4),
        // A count past the written values keeps the values written.
        SkillGopRow().Name("Short").Id(4).Set(6, 40).Set(7, 6)};
    g_SkillGopTable.Load(Write("Skill.gop", datagen::RowsOf(rows)).c_str());
    const CSkillGopDef* a = g_SkillGopTable.GetAt(1);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetIcon(), 12);
    EXPECT_EQ(a->timeMs, 1500);
    EXPECT_EQ(a->category, 2);
    EXPECT_EQ(a->rowIndex, 0);
    EXPECT_EQ(a->FindValue(5), 0);
    EXPECT_EQ(a->FindValue(8), 1);
    EXPECT_EQ(a->FindValue(9), -1);
    EXPECT_EQ(g_SkillGopTable.GetValue(1, 2), 5);
    EXPECT_EQ(g_SkillGopTable.GetValue(1, 3), -1);
    EXPECT_EQ(g_SkillGopTable.GetValue(1, -1), -1);
    EXPECT_EQ(g_SkillGopTable.GetValue(77, 0), -1);
    for (int i : {-1, 0, 1, 65535}) EXPECT_EQ(g_SkillGopTable.GetValue(2, i), -1);
    EXPECT_EQ(g_SkillGopTable.GetAt(2)->FindValue(0), -1);
    EXPECT_EQ(g_SkillGopTable.GetAt(3)->GetIcon(), 0);
    EXPECT_EQ(g_SkillGopTable.GetAt(3)->rowIndex, 2);
    EXPECT_EQ(g_SkillGopTable.GetAt(4)->count, 1);
    EXPECT_EQ(g_SkillGopTable.GetValue(4, 0), 6);
}

// A second load starts from empty tables; a missing file leaves them empty.
TEST_F(SkillTableTest, ASecondLoadEmptiesTheTable) {
    g_SkillTable.Load(Write("a.ini", datagen::RowsOf(std::vector<SkillRow>{SkillRow().Name("A").Id(1)})).c_str());
    g_SkillTable.Load(Write("b.ini", datagen::RowsOf(std::vector<SkillRow>{SkillRow().Name("B").Id(2)})).c_str());
    EXPECT_EQ(g_SkillTable.GetCount(), 1);
    EXPECT_EQ(g_SkillTable.GetAt(1), nullptr);
    EXPECT_NE(g_SkillTable.GetAt(2), nullptr);
    EXPECT_EQ(g_SkillTable.Load((Dir() + "missing.ini").c_str()), 1);
    EXPECT_EQ(g_SkillTable.GetCount(), 0);
    EXPECT_EQ(g_SkillTable.GetAt(2), nullptr);
    g_SkillTable.Clear();
    EXPECT_EQ(g_SkillTable.IsLoaded(), 0);
}

} // namespace
