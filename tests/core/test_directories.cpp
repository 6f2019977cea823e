// Program directory, sub-directory getters, Text.txt loading and the view
// rectangle.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/directories.h"
#include "core/txt_table.h"
#include "datagen/table_writer.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "support/test_env.h"

namespace {

class DirTest : public vtest::TempDirTest {
protected:
    void TearDown() override {
        g_TextTable.Clear();
        TempDirTest::TearDown();
    }
};

TEST_F(DirTest, FoldersAreUpperCasedWindowsForm) {
    const std::string home = "/nonexistent-vt/Games/x";
    setenv("VANTREL_HOME", home.c_str(), 1);
    EXPECT_EQ(SetProgramDirectory(0), 1);
    EXPECT_STREQ(GetProgramDirectory(), "\\NONEXISTENT-VT\\GAMES\\X\\");
    EXPECT_STREQ(GetMbDirectory(), "\\NONEXISTENT-VT\\GAMES\\X\\MB\\");
    EXPECT_STREQ(GetCjDirectory(), "\\NONEXISTENT-VT\\GAMES\\X\\CJ\\");

    // One shared buffer: the first result shows what the second call wrote.
    const char* zy = GetZyDirectory();
    EXPECT_STREQ(zy, "\\NONEXISTENT-VT\\GAMES\\X\\ZY\\");
    const char* mb = GetMbDirectory();
    EXPECT_EQ(zy, mb);
    EXPECT_STREQ(zy, "\\NONEXISTENT-VT\\GAMES\\X\\MB\\");
}

TEST_F(DirTest, ProgramDirectoryBecomesCurrentAndLoadsText) {
    ASSERT_TRUE(datagen::WriteTable(Dir() + "mb/Text.txt", {{"0", "zero"}, {"21", "\xC7\xEB\xC9\xFD\xBC\xB6"}}));  // "请升级"
    const std::string elsewhere = Dir() + "sub";
    ASSERT_TRUE(plat::CreateDirectory(elsewhere));
    ASSERT_TRUE(plat::SetCurrentDir(elsewhere));

    EXPECT_EQ(SetProgramDirectory(1), 1);
    std::string expect = Dir();
    for (char& c : expect)
        if (c == '/') c = '\\';
    EXPECT_STREQ(GetProgramDirectory(), plat::UpperGbk(expect).c_str());
    EXPECT_EQ(plat::GetCurrentDir() + "/", Dir());
    EXPECT_STREQ(g_TextTable.GetCell(21, 1), "\xC7\xEB\xC9\xFD\xBC\xB6");
    EXPECT_STREQ(g_TextTable.GetCell(0, 1), "zero");
}

TEST_F(DirTest, ViewRectCentre) {
    SetViewRect({10, 20, 641, 479, 7});
    const ViewRect* r = GetViewRect();
    EXPECT_EQ(r, &g_ViewRect);
    EXPECT_EQ(r->x, 10);
    EXPECT_EQ(r->height, 479);
    EXPECT_EQ(r->extra, 7);
    EXPECT_EQ(g_ViewCenterX, 320);
    EXPECT_EQ(g_ViewCenterY, 239);
}

}  // namespace
