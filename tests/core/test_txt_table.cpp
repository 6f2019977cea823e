// Text tables: the raw CTxtFile layer, CTxtRow cells and items, CTxtTable
// building, keys, searches, and the early-stop and growth faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/pack_file.h"
#include "core/txt_table.h"
#include "datagen/pack_writer.h"
#include "datagen/table_writer.h"
#include "platform/debug.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "support/test_env.h"

namespace {

class TxtTest : public vtest::TempDirTest {
protected:
    void Table(const std::string& name, const datagen::Table& rows) {
        ASSERT_TRUE(datagen::WriteTable(Dir() + name, rows));
    }
    static bool DebugHas(const std::string& needle) {
        for (const std::string& s : plat::DebugCaptured())
            if (s.find(needle) != std::string::npos) return true;
        return false;
    }
};

// Hand-written bytes: cell splitting, empty cells, rows that are no rows,
// and a last line without CR LF.
TEST_F(TxtTest, RawFileOnHandWrittenBytes) {
    WriteFile(Dir() + "t.txt",
              "id\tname\r\n"                     // header-like ordinary line
              "1\t\xC4\xE3\xBA\xC3\t\r\n"        // "你好", trailing TAB adds no cell
              "\t\t\r\n"                         // only TABs: not a row
              "\r\n"                             // empty: not a row
              "\t7\r\n"                          // first cell empty
              "2\t\t3*9\t1.5\r\n"                // empty middle cell
              "lost\tline");                     // no CR LF: dropped
    CTxtFile f;
    ASSERT_EQ(f.Load("t.txt"), 1);
    ASSERT_EQ(f.GetRowCount(), 4);
    EXPECT_EQ(f.GetMaxCols(), 4);
    EXPECT_EQ(f.GetCellCount(1), 2);
    EXPECT_EQ(f.GetCellCount(2), 2);
    EXPECT_EQ(f.GetCellCount(9), 0);
    EXPECT_TRUE(DebugHas("<t.txt> line 7 : no CR LF"));

    char buf[8];
    EXPECT_EQ(f.GetString(1, 1, buf, sizeof buf), 4);
    EXPECT_EQ(std::string(buf), "\xC4\xE3\xBA\xC3");
    EXPECT_EQ(f.GetString(1, 1, buf, 3), 2);  // cut to size - 1
    EXPECT_EQ(f.GetString(2, 0, buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf, sizeof buf), std::string(sizeof buf, '\0'));

    int v = 0;
    EXPECT_EQ(f.GetInt(2, 0, &v), 0);
    EXPECT_EQ(v, 65535);
    EXPECT_EQ(f.GetInt(2, 1, &v), 1);
    EXPECT_EQ(v, 7);
    EXPECT_EQ(f.GetInt(3, 2, &v), 1);
    EXPECT_EQ(v, 3);
    EXPECT_EQ(f.GetInt(0, 0, &v), 1);  // letters
    EXPECT_EQ(v, 0);
    EXPECT_EQ(f.GetInt(7, 0, &v), 0);
    uint16_t u16 = 0;
    uint8_t u8 = 0;
    EXPECT_EQ(f.GetU16(3, 1, &u16), 0);
    EXPECT_EQ(u16, 65535);
    EXPECT_EQ(f.GetU8(3, 1, &u8), 0);
    EXPECT_EQ(u8, 255);
    float fl = 0;
    EXPECT_EQ(f.GetFloat(3, 3, &fl), 1);
    EXPECT_EQ(fl, 1.5f);
    EXPECT_EQ(f.GetFloat(3, 1, &fl), 0);
    EXPECT_EQ(fl, 65535.0f);
    int list[3] = {};
    EXPECT_EQ(f.GetIntList(3, 2, list, 3), 2);
    EXPECT_EQ(list[0], 3);
    EXPECT_EQ(list[1], 9);
    EXPECT_EQ(list[2], 65535);
    EXPECT_EQ(f.FindRow(0, 2, 0), 3);
    EXPECT_EQ(f.FindRow(0, 2, 4), -1);
}

TEST_F(TxtTest, RowCellsAndItems) {
    Table("t.txt", {{"1", "3*9", "", "abc", "*5", "2.5", "4**6"}});
    CTxtTable t;
    ASSERT_EQ(t.Load("t.txt", 0, 0, 1), 1);
    const CTxtRow* r = t.GetRow(1);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetCellCount(), 7);
    // "3*9"
    EXPECT_EQ(r->GetInt(1), 3);
    EXPECT_EQ(r->GetItemCount(1), 2);
    EXPECT_EQ(r->GetIntItem(1, 1), 9);
    EXPECT_EQ(r->GetIntItem(1, 2), 65535);
    EXPECT_STREQ(r->GetStringItem(1, 1), "9");
    EXPECT_EQ(r->GetStringItem(1, 2), nullptr);
    // empty cell
    EXPECT_EQ(r->GetInt(2), 65535);
    EXPECT_STREQ(r->GetString(2), " ");
    EXPECT_EQ(r->HasValue(2), 0);
    EXPECT_EQ(r->GetFloat(2), 0.0f);
    EXPECT_EQ(r->GetIntItem(2, 0), 0);
    // letters, empty first item, float, empty middle item
    EXPECT_EQ(r->GetInt(3), 0);
    EXPECT_EQ(r->HasValue(3), 1);
    EXPECT_EQ(r->GetInt(4), 65535);
    EXPECT_EQ(r->GetIntItem(4, 1), 5);
    EXPECT_EQ(r->GetFloat(5), 2.5f);
    EXPECT_EQ(r->GetItemCount(6), 3);
    EXPECT_EQ(r->GetIntItem(6, 1), 0);
    EXPECT_EQ(r->GetIntItem(6, 2), 6);
    // outside the row
    for (int col : {-1, 7, 100000}) {
        SCOPED_TRACE(col);
        EXPECT_EQ(r->GetInt(col), 65535);
        EXPECT_EQ(r->GetString(col), nullptr);
        EXPECT_EQ(r->GetFloat(col), 65535.0f);
        EXPECT_EQ(r->GetIntItem(col, 0), 65535);
        EXPECT_EQ(r->GetItemCount(col), 0);
        EXPECT_EQ(r->HasValue(col), 0);  // range-checked
    }
    EXPECT_STREQ(t.GetCell(1, 3), "abc");
    EXPECT_STREQ(t.GetCell(2, 3), "");
    EXPECT_EQ(t.GetCell(1, 99), nullptr);
}

TEST_F(TxtTest, KeysHeadersAndPositions) {
    Table("k.txt", {{"key", "text"}, {"5", "five"}, {"5", "again"}, {"", "nokey"}, {"9999", "far"}, {"0", "zero"}});
    CTxtTable t;
    ASSERT_EQ(t.Load("k.txt", 0, 1, 1), 1);
    EXPECT_EQ(t.GetRowCount(), 5);
    EXPECT_STREQ(t.GetCell(5, 1), "five");  // the first of two equal keys wins
    EXPECT_STREQ(t.GetRowAt(1)->GetString(1), "again");
    EXPECT_EQ(t.GetRow(9999), nullptr);  // outside rows + 20 slots
    EXPECT_STREQ(t.GetRowAt(3)->GetString(1), "far");
    EXPECT_STREQ(t.GetCell(0, 1), "zero");
    EXPECT_EQ(t.GetRow(65535), nullptr);
    EXPECT_EQ(t.GetRow(-1), nullptr);
    EXPECT_EQ(t.GetRowAt(5), nullptr);
    EXPECT_EQ(t.GetRowAt(0)->GetRowNo(), 0);  // file position minus one
    EXPECT_EQ(t.FindRowByString("FIVE", 1), t.GetRow(5));
    EXPECT_EQ(t.FindRowByString("none", 1), nullptr);
    EXPECT_EQ(t.GetName(), "k.txt");

    // All rows headers: an empty table.
    EXPECT_EQ(t.Load("k.txt", 0, 6, 1), 0);
    EXPECT_EQ(t.GetRowCount(), 0);
}

// Each table has its own cursor: interleaved searches do not disturb each
// other.
TEST_F(TxtTest, SearchesUseOneCursorPerTable) {
    Table("a.txt", {{"1", "7"}, {"2", "8"}, {"3", "7"}, {"4", "7"}});
    CTxtTable a, b;
    ASSERT_EQ(a.Load("a.txt", -1, 0, 1), 1);
    ASSERT_EQ(b.Load("a.txt", -1, 0, 1), 1);
    EXPECT_EQ(a.FindFirstRow(7, 1, 0), a.GetRowAt(0));
    EXPECT_EQ(b.FindFirstRow(7, 1, 1), b.GetRowAt(2));
    EXPECT_EQ(a.FindNextRow(7, 1), a.GetRowAt(2));
    EXPECT_EQ(b.FindNextRow(7, 1), b.GetRowAt(3));
    EXPECT_EQ(a.FindNextRow(7, 1), a.GetRowAt(3));
    EXPECT_EQ(a.FindNextRow(7, 1), nullptr);
    EXPECT_EQ(a.FindNextRow(7, 1), nullptr);  // stays at the end
    EXPECT_EQ(a.CountRows(7, 1), 3);
    EXPECT_EQ(a.FindNextRow(7, 1), nullptr);
    EXPECT_EQ(a.FindFirstRow(8, 1, 0), a.GetRowAt(1));
    EXPECT_EQ(a.CountRows(65535, 5), 4);  // a missing column reads 65535
}

TEST_F(TxtTest, PickRandomRow) {
    Table("p.txt", {{"1", "1", "0"}, {"2", "1", "1"}, {"3", "2", "1"}, {"4", "1", "1"}});
    CTxtTable t;
    ASSERT_EQ(t.Load("p.txt", 0, 0, 1), 1);
    const int cols[] = {1, 2}, one[] = {2, 1}, none[] = {5, 5}, two[] = {1, 1};
    for (int i = 0; i < 20; ++i) EXPECT_EQ(t.PickRandomRow(cols, one, 2), t.GetRow(3));
    EXPECT_EQ(t.PickRandomRow(cols, none, 2), nullptr);
    plat::SRand(1);
    const int first = plat::Rand() % 2;
    plat::SRand(1);
    EXPECT_EQ(t.PickRandomRow(cols, two, 2), t.GetRow(first == 0 ? 2 : 4));
}

TEST_F(TxtTest, MissingFileShowsThePath) {
    CTxtTable t;
    EXPECT_EQ(t.Load("mb\\none.txt", 0, 0, 1), 0);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "mb\\none.txt");
    EXPECT_EQ(t.GetRowCount(), 0);
    EXPECT_EQ(t.GetRow(0), nullptr);
}

// A header count of -1 reads as no header rows, in Load and in Build.
TEST_F(TxtTest, NegativeHeaderCountIsZero) {
    Table("gem.txt", {{"1", "a"}, {"2", "b"}});
    CTxtTable t;
    ASSERT_EQ(t.Load("gem.txt", 0, -1, 1), 1);
    EXPECT_EQ(t.GetRowCount(), 2);
    EXPECT_STREQ(t.GetCell(1, 1), "a");
    CTxtFile raw;
    ASSERT_EQ(raw.Load("gem.txt"), 1);
    CTxtTable u;
    ASSERT_EQ(u.Build(raw, 0, -5, 1), 1);
    EXPECT_EQ(u.GetRowCount(), 2);
    EXPECT_STREQ(u.GetCell(2, 1), "b");
}

// Reloading without rebuild (the 800x600 panel table over the base one):
// rows with known keys are refilled in place and keep their addresses, new
// rows are appended, and wider rows take all their cells.
TEST_F(TxtTest, UpdateWithoutRebuildGrowsSafely) {
    Table("base.txt", {{"id", "x"}, {"1", "10"}, {"2", "20"}});
    datagen::Table over = {{"id", "x", "y"}, {"2", "21", "99"}};
    for (int k = 3; k < 60; ++k) over.push_back({std::to_string(k), std::to_string(k * 10)});
    Table("over.txt", over);

    CTxtTable t;
    ASSERT_EQ(t.Load("base.txt", 0, 1, 1), 1);
    CTxtRow* row1 = t.GetRow(1);
    CTxtRow* row2 = t.GetRow(2);
    ASSERT_EQ(t.Load("over.txt", 0, 1, 0), 1);
    EXPECT_EQ(t.GetRowCount(), 59);
    EXPECT_EQ(t.GetRow(1), row1);
    EXPECT_EQ(t.GetRow(2), row2);
    EXPECT_EQ(row1->GetInt(1), 10);
    EXPECT_EQ(row2->GetInt(1), 21);
    EXPECT_EQ(row2->GetCellCount(), 3);
    EXPECT_EQ(row2->GetInt(2), 99);
    EXPECT_EQ(t.GetRowAt(1), row2);  // keeps its place
    ASSERT_NE(t.GetRow(59), nullptr);
    EXPECT_EQ(t.GetRow(59)->GetInt(1), 590);
    EXPECT_EQ(t.GetRowAt(58), t.GetRow(59));

    // Without a key column the rows are appended; a missing file keeps the
    // table as it was.
    ASSERT_EQ(t.Load("base.txt", -1, 1, 0), 1);
    EXPECT_EQ(t.GetRowCount(), 61);
    EXPECT_EQ(t.Load("none.txt", 0, 1, 0), 0);
    EXPECT_EQ(t.GetRowCount(), 61);
}

// Loads that stop early keep their rows, still succeed, and say where on
// the debugger output.
TEST_F(TxtTest, EarlyStopsAreReported) {
    WriteFile(Dir() + "long.txt", "1\ta\r\n2\t" + std::string(10236, 'x') + "\r\n3\tc\r\n");
    WriteFile(Dir() + "fits.txt", "1\t" + std::string(10234, 'x') + "\r\n");  // 10,237 bytes with CR
    WriteFile(Dir() + "lf.txt", "1\ta\n2\tb\n");
    CTxtFile f;
    ASSERT_EQ(f.Load("long.txt"), 1);
    EXPECT_EQ(f.GetRowCount(), 1);
    EXPECT_TRUE(DebugHas("<long.txt> line 2 : longer than 10237 bytes"));
    ASSERT_EQ(f.Load("fits.txt"), 1);
    EXPECT_EQ(f.GetRowCount(), 1);
    plat::ClearDebugCapture();
    ASSERT_EQ(f.Load("lf.txt"), 1);
    EXPECT_EQ(f.GetRowCount(), 0);
    EXPECT_TRUE(DebugHas("<lf.txt> line 1 : no CR LF"));
}

TEST_F(TxtTest, RowLimitIsEnforced) {
    datagen::Table rows;
    for (int i = 0; i < kTxtMaxRows + 5; ++i) rows.push_back({std::to_string(i), "v"});
    Table("big.txt", rows);
    CTxtTable t;
    ASSERT_EQ(t.Load("big.txt", 0, 0, 1), 1);
    EXPECT_EQ(t.GetRowCount(), kTxtMaxRows);
    EXPECT_NE(t.GetRow(kTxtMaxRows - 1), nullptr);
    EXPECT_EQ(t.GetRow(kTxtMaxRows), nullptr);
    EXPECT_TRUE(DebugHas("<big.txt> line 10001 : more than 10000 rows"));
}

TEST_F(TxtTest, TableInsideAPack) {
    std::string root = Dir();
    std::replace(root.begin(), root.end(), '/', '\\');
    ASSERT_TRUE(datagen::WritePack(Dir() + "mb.fol",
                                   {{"Role.txt", datagen::BuildTable({{"id", "n"}, {"7", "\xBD\xA3"}})}},  // "剑"
                                   true));
    g_PackRoot = root;
    g_PackExt = "fol";
    g_PackNames = {"mb"};
    ASSERT_EQ(InitGameFileProperty(), 1);
    CTxtTable t;
    EXPECT_EQ(t.Load((root + "mb\\role.txt").c_str(), 0, 1, 1), 1);
    EXPECT_STREQ(t.GetCell(7, 1), "\xBD\xA3");
    UnmountPackLibraries();
    g_PackNames.clear();
}

}  // namespace
