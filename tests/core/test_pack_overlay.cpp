// Packs, tables and key=value files held in the file overlay: they load as
// from the disk, and what the game writes stays in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <sys/stat.h>

#include "core/ini_file.h"
#include "core/pack_file.h"
#include "core/txt_table.h"
#include "datagen/pack_writer.h"
#include "platform/fs.h"
#include "support/test_env.h"

namespace {

class PackOverlayTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        plat::InstallFileOverlay(&overlay_);
        root_ = Dir();
        std::replace(root_.begin(), root_.end(), '/', '\\');
    }
    void TearDown() override {
        UnmountPackLibraries();
        g_PackNames.clear();
        g_PackRoot.clear();
        g_PackExt.clear();
        plat::InstallFileOverlay(nullptr);
        TempDirTest::TearDown();
    }
    plat::FileOverlay overlay_;
    std::string root_;
};

TEST_F(PackOverlayTest, PacksInTheOverlayMountAndOpenAsOnDisk) {
    const std::string table = "id\tname\r\n7\tsword\r\n9\tshield\r\n";
    for (bool scrambled : {false, true}) {
        SCOPED_TRACE(scrambled ? "scrambled" : "plain");
        overlay_.Put(root_ + "MB.fol", datagen::BuildPack({{"Item.txt", table}, {"sub\\a.bin", "0123456"}}, scrambled));
        g_PackRoot = root_;
        g_PackExt = "fol";
        g_PackNames = {"mb"};
        ASSERT_EQ(InitGameFileProperty(), 1);
        ASSERT_EQ(g_PackList.size(), 1u);
        EXPECT_EQ(g_PackList[0]->length, plat::FileSize(root_ + "mb.fol"));

        CPackFile f;
        EXPECT_EQ(f.Open((root_ + "mb\\SUB\\a.bin").c_str(), "rb"), 7);
        char buf[8] = {};
        EXPECT_EQ(f.Seek(3, 0), 0);
        EXPECT_EQ(f.Read(buf, 1, 4), 4);
        EXPECT_EQ(std::string(buf, 4), "3456");
        f.Close();

        CTxtTable t;
        ASSERT_TRUE(t.Load((root_ + "mb\\item.txt").c_str(), 0, 1, 1));
        ASSERT_EQ(t.GetRowCount(), 2);
        EXPECT_STREQ(t.GetRowAt(1)->GetString(1), "shield");
        UnmountPackLibraries();
    }
    struct stat st {};
    EXPECT_NE(::stat((Dir() + "MB.fol").c_str(), &st), 0);
}

TEST_F(PackOverlayTest, KeyValueFilesWriteAtomicallyIntoMemory) {
    for (int scrambled : {0, 1}) {
        SCOPED_TRACE(scrambled);
        {
            CIniFile ini;
            ASSERT_TRUE(ini.OpenFileWrite("cfg\\Setting.ini", scrambled, 1));
            ini.WriteString("name", "vantrel");
            ASSERT_TRUE(ini.Close());
        }
        EXPECT_TRUE(overlay_.Contains("CFG/SETTING.INI"));
        EXPECT_FALSE(overlay_.Contains("cfg/Setting.ini.tmp"));
        CIniFile ini;
        ASSERT_TRUE(ini.OpenFileRead("cfg\\setting.ini"));
        EXPECT_EQ(ini.IsScrambled(), scrambled);
        char value[32] = {};
        ASSERT_TRUE(ini.ReadLine("name", value, sizeof value));
        EXPECT_STREQ(value, "vantrel");
    }
    struct stat st {};
    EXPECT_NE(::stat((Dir() + "cfg").c_str(), &st), 0);
}

} // namespace
