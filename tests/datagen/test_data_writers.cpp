// Byte layouts of the pack, key=value and table writers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "datagen/demo_title.h"
#include "datagen/record_tables.h"
#include "datagen/bytes.h"
#include "datagen/ini_writer.h"
#include "datagen/pack_writer.h"
#include "datagen/table_writer.h"

namespace {

TEST(PackWriter, PlainLayout) {
    datagen::Bytes want;
    want.U32(2);
    want.Fixed("a", 128).U32(4 + 2 * 136).U32(3);
    want.Fixed("d\\b", 128).U32(4 + 2 * 136 + 3).U32(0);
    want.Raw("xyz");
    EXPECT_EQ(datagen::BuildPack({{"a", "xyz"}, {"d\\b", ""}}, false), want.str());
}

TEST(PackWriter, ScrambledLayout) {
    const std::vector<uint32_t> keys = {0x100};
    datagen::Bytes want;
    want.U32(0x80000001u);
    want.U32(0x61u + 0x100);  // "a\0\0\0" + K + 9*0
    for (uint32_t j = 1; j < 32; ++j) want.U32(0x100 + 9u * j * j * j);
    want.U32(140u + 0x100 + 9u * 32 * 32 * 32);
    want.U32(6u + 0x100 + 9u * 33 * 33 * 33);
    want.U32(0x64636261u + 0x100);  // "abcd" + K
    want.Raw("ef");                  // tail stays plain
    want.U32(0x100);
    for (int t = 0; t < 97; ++t) want.U32(0);
    EXPECT_EQ(datagen::BuildPack({{"a", "abcdef"}}, true, &keys), want.str());
}

TEST(PackWriter, RefusesLongNamesAndWrongKeyCounts) {
    EXPECT_EQ(datagen::BuildPack({{std::string(128, 'n'), "x"}}, false), "");
    EXPECT_NE(datagen::BuildPack({{std::string(127, 'n'), "x"}}, false), "");
    const std::vector<uint32_t> keys = {1, 2};
    EXPECT_EQ(datagen::BuildPack({{"a", "x"}}, true, &keys), "");
}

TEST(IniWriter, BothForms) {
    EXPECT_EQ(datagen::BuildIni({{"a", "1"}, {"B", "x y"}}, false), "a=1\r\nB=x y\r\n");
    EXPECT_EQ(datagen::BuildIni({{"a", "1"}}, true), std::string("\x80\xC4\x98\x94\xAF", 5));  // 'a','=','1','\n' ^ 0xA5
}

TEST(TableWriter, TabsAndCrLf) {
    EXPECT_EQ(datagen::BuildTable({{"1", "\xC4\xE3", ""}, {"", "2"}}), "1\t\xC4\xE3\t\r\n\t2\r\n");
}

}  // namespace

// The demo's title offers classes by id; each must have its row in the
// class table, or a new game's hero starts with zero attributes.
TEST(DemoClassesTest, EveryClassTheTitleOffersHasAClassRow) {
    const std::vector<datagen::PlayerInitSpec> rows = datagen::DefaultClassRows();
    for (const datagen::DemoClassChoice& c : datagen::kDemoClassChoices) {
        const auto it = std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.classId == c.classId; });
        ASSERT_NE(it, rows.end()) << "class " << c.classId;
        EXPECT_GT(it->maxHP, 0.0f);
        EXPECT_GT(it->ap, 0.0f);
    }
}
