#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "support/test_env.h"

namespace {

// A scratch folder with an overlay installed for the test's lifetime.
class FileOverlayTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        plat::InstallFileOverlay(&overlay_);
    }
    void TearDown() override {
        plat::InstallFileOverlay(nullptr);
        TempDirTest::TearDown();
    }
    static std::string ReadAll(std::string_view path) {
        FILE* f = plat::OpenFile(path, "rb");
        if (!f) return "<none>";
        std::string out;
        for (int c; (c = std::fgetc(f)) != EOF;) out += char(c);
        std::fclose(f);
        return out;
    }
    static bool OnDisk(const std::string& native) {
        struct stat st {};
        return ::stat(native.c_str(), &st) == 0;
    }
    plat::FileOverlay overlay_;
};

TEST_F(FileOverlayTest, FoundThroughTheGamesPathTranslation) {
    overlay_.Put(Dir() + "Data/Mb/Role.txt", "role");
    const std::string home = plat::ProgramDirWin();
    for (const std::string& path : {home + "data\\MB\\role.TXT", std::string("Data\\\\mb\\\\ROLE.txt"),
                                    std::string("./data/../DATA/Mb/./role.txt"), Dir() + "data//mb/Role.txt"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(ReadAll(path), "role");
        EXPECT_TRUE(plat::PathExists(path));
        EXPECT_FALSE(plat::IsDirectory(path));
        EXPECT_EQ(plat::FileSize(path), 4);
    }
    // Its folders exist; a folder does not open as a file.
    EXPECT_TRUE(plat::IsDirectory("data\\mb\\"));
    EXPECT_TRUE(plat::PathExists("DATA"));
    EXPECT_EQ(plat::OpenFile("data\\mb", "rb"), nullptr);
    EXPECT_FALSE(plat::PathExists("data\\mb\\role.txt\\x"));
    EXPECT_FALSE(OnDisk(Dir() + "Data"));
}

TEST_F(FileOverlayTest, ShadowsTheDiskAndFallsThroughToIt) {
    WriteFile(Dir() + "a.txt", "disk a");
    WriteFile(Dir() + "b.txt", "disk b");
    overlay_.Put("A.TXT", "memory a");
    EXPECT_EQ(ReadAll("a.txt"), "memory a");
    EXPECT_EQ(ReadAll("b.txt"), "disk b");
    EXPECT_EQ(ReadAll("c.txt"), "<none>");
    EXPECT_EQ(plat::FileSize("a.txt"), 8);

    std::vector<std::string> names;
    for (const plat::FindEntry& e : plat::FindFiles("*.TXT")) names.push_back(e.name + ":" + std::to_string(e.size));
    EXPECT_EQ(names, (std::vector<std::string>{"A.TXT:8", "b.txt:6"}));

    plat::InstallFileOverlay(nullptr);
    EXPECT_EQ(ReadAll("a.txt"), "disk a");
    EXPECT_EQ(plat::InstalledFileOverlay(), nullptr);
}

TEST_F(FileOverlayTest, StreamsReadSeekAndMeasureLikeDiskFiles) {
    overlay_.Put("f.bin", "0123456789");
    FILE* f = plat::OpenFile("f.bin", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(plat::StreamLength(f), 10);
    char buf[8] = {};
    EXPECT_EQ(std::fread(buf, 1, 3, f), 3u);
    EXPECT_EQ(std::string(buf, 3), "012");
    EXPECT_EQ(plat::StreamLength(f), 10);  // and the position stays
    EXPECT_EQ(std::ftell(f), 3);
    EXPECT_EQ(std::fseek(f, -2, SEEK_END), 0);
    EXPECT_EQ(std::fgetc(f), '8');
    EXPECT_EQ(std::fseek(f, -1, SEEK_SET), -1);
    EXPECT_EQ(std::fseek(f, 20, SEEK_SET), 0);
    EXPECT_EQ(std::fread(buf, 1, 1, f), 0u);
    EXPECT_TRUE(std::feof(f));
    // Replacing or removing the file leaves an open stream its bytes.
    overlay_.Put("f.bin", "new");
    overlay_.Remove("F.BIN");
    std::rewind(f);
    EXPECT_EQ(std::fread(buf, 1, 8, f), 8u);
    EXPECT_EQ(std::string(buf, 8), "01234567");
    std::fclose(f);
    EXPECT_EQ(ReadAll("f.bin"), "<none>");
}

TEST_F(FileOverlayTest, WritesGoToMemoryAndNeverToTheDisk) {
    WriteFile(Dir() + "log.txt", "one\n");
    struct Case {
        const char* name;
        const char* mode;
        const char* text;
        const char* expected;  // the overlay's bytes after the write; null: it does not open
    };
    const Case cases[] = {
        {"new.txt", "wt", "abc", "abc"},
        {"log.txt", "at", "two\n", "one\ntwo\n"},  // starts from the disk's bytes
        {"log.txt", "a", "three", "one\ntwo\nthree"},
        {"log.txt", "r+b", "ONE", "ONE\ntwo\nthree"},
        {"missing.txt", "r+", "x", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.mode);
        FILE* f = plat::OpenFile(c.name, c.mode);
        if (!c.expected) {
            EXPECT_EQ(f, nullptr);
            continue;
        }
        ASSERT_NE(f, nullptr);
        std::fputs(c.text, f);
        std::fclose(f);
        std::string bytes;
        EXPECT_TRUE(overlay_.Get(c.name, &bytes));
        EXPECT_EQ(bytes, c.expected);
    }
    EXPECT_EQ(ReadFile(Dir() + "log.txt"), "one\n");
    EXPECT_FALSE(OnDisk(Dir() + "new.txt"));

    // A seek past the end leaves zeros; "w" empties the file.
    FILE* f = plat::OpenFile("hole.bin", "wb");
    std::fseek(f, 3, SEEK_SET);
    std::fputc('z', f);
    std::fclose(f);
    std::string bytes;
    overlay_.Get("hole.bin", &bytes);
    EXPECT_EQ(bytes, std::string("\0\0\0z", 4));
    std::fclose(plat::OpenFile("hole.bin", "w"));
    EXPECT_EQ(plat::FileSize("hole.bin"), 0);

    EXPECT_TRUE(plat::WriteFileAtomic("Save\\s1.sav", "save", 4));
    EXPECT_EQ(ReadAll("save/S1.SAV"), "save");
    EXPECT_FALSE(OnDisk(Dir() + "Save"));
}

TEST_F(FileOverlayTest, RenameDeleteAndFoldersActOnItsOwnFiles) {
    WriteFile(Dir() + "disk.txt", "d");
    overlay_.Put("cfg\\Setting.ini.tmp", "new");
    overlay_.Put("cfg\\setting.ini", "old");
    EXPECT_TRUE(plat::RenameFile("cfg\\Setting.ini.tmp", "CFG\\Setting.ini"));
    EXPECT_EQ(ReadAll("cfg/setting.ini"), "new");
    EXPECT_FALSE(overlay_.Contains("cfg\\Setting.ini.tmp"));
    EXPECT_EQ(overlay_.FileCount(), 1u);
    EXPECT_EQ(plat::FindFiles("cfg\\*").at(0).name, "Setting.ini");  // the new spelling

    EXPECT_TRUE(plat::DeleteFile("cfg\\SETTING.INI"));
    EXPECT_FALSE(plat::PathExists("cfg"));
    EXPECT_FALSE(plat::DeleteFile("cfg\\setting.ini"));
    // The disk's own files are renamed and deleted on the disk.
    EXPECT_TRUE(plat::RenameFile("disk.txt", "disk2.txt"));
    EXPECT_TRUE(OnDisk(Dir() + "disk2.txt"));
    EXPECT_TRUE(plat::DeleteFile("disk2.txt"));
    EXPECT_FALSE(OnDisk(Dir() + "disk2.txt"));

    EXPECT_TRUE(plat::CreateDirectory("Saves"));
    EXPECT_FALSE(plat::CreateDirectory("saves"));
    EXPECT_TRUE(plat::IsDirectory("SAVES"));
    EXPECT_FALSE(OnDisk(Dir() + "Saves"));
    const std::vector<plat::FindEntry> all = plat::FindFiles("*");
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].name, "Saves");
    EXPECT_TRUE(all[0].isDir);
    EXPECT_TRUE(plat::RemoveDirectory("saves"));
    EXPECT_FALSE(plat::PathExists("Saves"));
}

TEST(FileOverlayKey, FoldsCaseSeparatorsAndDots) {
    struct Case {
        const char* path;
        const char* key;
    };
    const Case cases[] = {
        {"\\a\\\\B/c.txt", "/A/B/C.TXT"},
        {"/a/./b/../c/", "/A/C"},
        {"/../x", "/X"},
        {"/", "/"},
        {"/\xD6\x5C\x61", "/\xD6\x5C" "A"},  // a GBK trail byte 0x5C is no separator
    };
    for (const Case& c : cases) EXPECT_EQ(plat::FileOverlay::Key(c.path), c.key) << c.path;
    EXPECT_EQ(plat::FileOverlay::Key("rel"), plat::FileOverlay::Key(plat::GetCurrentDir() + "/REL"));
}

} // namespace
