#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/pack_file.h"
#include "datagen/define_writer.h"
#include "datagen/pack_writer.h"
#include "gfx/define_table.h"
#include "platform/msgbox.h"
#include "support/test_env.h"

namespace {

using Pairs = std::vector<std::pair<std::string, int32_t>>;

Pairs Contents(const CDefineTable& t) {
    Pairs out;
    for (int32_t i = 0; i < t.GetCount(); ++i) out.emplace_back(t.GetRecord(i)->name, t.GetRecord(i)->value);
    return out;
}

class DefineTableTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        plat::ClearRecordedMessageBoxes();
    }
    void TearDown() override {
        g_SharedFile.Close();
        UnmountPackLibraries();
        g_PackNames.clear();
        g_PackRoot.clear();
        g_PackExt.clear();
        TempDirTest::TearDown();
    }
    // Ten constants A0..A9 = 0..9, with markers around A3..A5.
    static std::vector<datagen::DefineItem> Sectioned() {
        std::vector<datagen::DefineItem> items;
        for (int i = 0; i < 10; ++i) {
            if (i == 3) items.push_back({"BEGIN_MID", 100});
            items.push_back({"A" + std::to_string(i), i});
            if (i == 5) items.push_back({"END_MID", 200});
        }
        return items;
    }
};

TEST(SplitDefineLine, SpacesAndTabsSeparateAndLineEndsStayInTheLastWord) {
    std::string a, b, c;
    EXPECT_TRUE(SplitDefineLine("#define  NAME\t7\r\r\n", &a, &b, &c));
    EXPECT_EQ(a, "#define");
    EXPECT_EQ(b, "NAME");
    EXPECT_EQ(c, "7\r\r\n");
    EXPECT_TRUE(SplitDefineLine("#define X\r\r\n", &a, &b, &c));
    EXPECT_EQ(b, "X\r\r\n");
    EXPECT_EQ(c, "");
    EXPECT_TRUE(SplitDefineLine("#define Y 3 // four five", &a, &b, &c));
    EXPECT_EQ(c, "3");
    EXPECT_FALSE(SplitDefineLine("lonely\r\r\n", &a, &b, &c));
    EXPECT_EQ(a, "lonely\r\r\n");
    EXPECT_FALSE(SplitDefineLine("", &a, &b, &c));
}

TEST_F(DefineTableTest, LineFilterKeepsOnlyCompleteLowerCaseDefines) {
    // Written by hand: what the reader accepts and what it skips.
    WriteFile(Dir() + "h.h",
              "#define A 1\r\n"
              "// a comment line\r\n"
              "#define B 0x10\r\n"
              "#define  C\t7\r\n"
              "#define NOVALUE\r\n"
              "#DEFINE LOUD 5\r\n"
              "\r\n"
              "#define NEG -12 trailing words\r\n"
              "#define BIG 99999999999\r\n"
              "#define LAST 8");  // no line end: a partial last line is dropped
    CDefineTable t("h.h", nullptr, nullptr);
    EXPECT_EQ(Contents(t), (Pairs{{"A", 1}, {"B", 0}, {"C", 7}, {"NEG", -12}, {"BIG", 2147483647}}));
    EXPECT_EQ(t.GetRecord(5), nullptr);
    EXPECT_EQ(t.GetRecord(-1), nullptr);
}

TEST_F(DefineTableTest, WriterOutputReadsBackThroughAPack) {
    const std::vector<datagen::DefineItem> items{{"SPR_ROLE_HERO_HD_001_", 3}, {"SPR_ROLE_HERO_LA_001_", -4}};
    const std::string text = datagen::BuildDefineHeader(items, {"// roles"});
    EXPECT_EQ(text, "// roles\r\n#define SPR_ROLE_HERO_HD_001_ 3\r\n#define SPR_ROLE_HERO_LA_001_ -4\r\n");

    g_PackRoot = Dir();
    std::replace(g_PackRoot.begin(), g_PackRoot.end(), '/', '\\');
    g_PackExt = "fol";
    g_PackNames = {"slr"};
    ASSERT_TRUE(datagen::WritePack(Dir() + "slr.fol", {{"SprRole.h", text}}, true));
    ASSERT_EQ(InitGameFileProperty(), 1);
    // Only the pack holds it: nothing on disk under slr/.
    CDefineTable t((g_PackRoot + "slr\\SprRole.h").c_str(), nullptr, nullptr);
    EXPECT_EQ(Contents(t), (Pairs{{"SPR_ROLE_HERO_HD_001_", 3}, {"SPR_ROLE_HERO_LA_001_", -4}}));
}

TEST_F(DefineTableTest, SectionsHoldWhatLiesBetweenTheMarkers) {
    ASSERT_TRUE(datagen::WriteDefineHeader(Dir() + "s.h", Sectioned()));
    {
        CDefineTable t("s.h", "BEGIN_MID", "END_MID");
        EXPECT_EQ(Contents(t), (Pairs{{"A3", 3}, {"A4", 4}, {"A5", 5}}));
        std::vector<DefineRecord> raw;
        EXPECT_EQ(CDefineTable::Load("s.h", "BEGIN_MID", "END_MID", &raw), 5);  // markers included
        EXPECT_STREQ(raw.front().name, "BEGIN_MID");
        EXPECT_STREQ(raw.back().name, "END_MID");
    }
    // A start marker alone: everything after it to the end of the file (the
    // last constant is not taken for an end marker).
    {
        CDefineTable t("s.h", "END_MID", nullptr);
        EXPECT_EQ(Contents(t), (Pairs{{"A6", 6}, {"A7", 7}, {"A8", 8}, {"A9", 9}}));
    }
    // An end marker alone: from the first constant through the marker.
    {
        CDefineTable t("s.h", nullptr, "BEGIN_MID");
        EXPECT_EQ(Contents(t), (Pairs{{"A0", 0}, {"A1", 1}, {"A2", 2}, {"BEGIN_MID", 100}}));
    }
    // The same name as start and end: nothing lies between.
    {
        CDefineTable t("s.h", "A4", "A4");
        EXPECT_EQ(t.GetCount(), 0);
    }
}

TEST_F(DefineTableTest, AbsentMarkersAndMissingFilesFail) {
    ASSERT_TRUE(datagen::WriteDefineHeader(Dir() + "s.h", Sectioned()));
    struct Case {
        const char* start;
        const char* end;
    };
    for (const Case& c : {Case{"NOPE", nullptr}, Case{"NOPE", "END_MID"}, Case{"BEGIN_MID", "NOPE"},
                          Case{nullptr, "NOPE"}, Case{"END_MID", "BEGIN_MID"}}) {
        SCOPED_TRACE(std::string(c.start ? c.start : "-") + " / " + (c.end ? c.end : "-"));
        CDefineTable t("s.h", c.start, c.end);
        EXPECT_EQ(t.GetCount(), -1);
        EXPECT_EQ(t.GetRecord(0), nullptr);
    }
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());

    CDefineTable missing("slr\\Nothing.h", nullptr, nullptr);
    EXPECT_EQ(missing.GetCount(), -1);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "slr\\Nothing.h");
}

TEST_F(DefineTableTest, LongNamesAreCutAndOverlongLinesEndTheReading) {
    const std::string name300(300, 'N');
    const std::string longLine = "#define TOOLONG " + std::string(1100, '1') + "\r\n";
    WriteFile(Dir() + "l.h", "#define " + name300 + " 42\r\n#define OK 1\r\n" + longLine + "#define AFTER 2\r\n");
    CDefineTable t("l.h", nullptr, nullptr);
    ASSERT_EQ(t.GetCount(), 2);
    EXPECT_EQ(std::string(t.GetRecord(0)->name), std::string(255, 'N'));
    EXPECT_EQ(t.GetRecord(0)->value, 42);
    EXPECT_STREQ(t.GetRecord(1)->name, "OK");

    // A 255-character name fits exactly.
    WriteFile(Dir() + "m.h", "#define " + std::string(255, 'M') + " 5\r\n");
    CDefineTable m("m.h", nullptr, nullptr);
    ASSERT_EQ(m.GetCount(), 1);
    EXPECT_EQ(std::string(m.GetRecord(0)->name), std::string(255, 'M'));
}

TEST_F(DefineTableTest, AnEmptyFileGivesAnEmptyTable) {
    WriteFile(Dir() + "e.h", "");
    CDefineTable t("e.h", nullptr, nullptr);
    EXPECT_EQ(t.GetCount(), 0);
}

} // namespace
