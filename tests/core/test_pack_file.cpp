// Pack mounting, CPackFile on packs and on disk, ReadTxtLine, FileExists and
// CBinFile.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/bin_file.h"
#include "core/pack_file.h"
#include "datagen/bytes.h"
#include "datagen/pack_writer.h"
#include "platform/debug.h"
#include "platform/text.h"
#include "support/test_env.h"

namespace {

std::string Win(std::string native) {
    std::replace(native.begin(), native.end(), '/', '\\');
    return native;
}

bool DebugHas(const std::string& needle) {
    for (const std::string& s : plat::DebugCaptured())
        if (s.find(needle) != std::string::npos) return true;
    return false;
}

class PackTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        root_ = Win(Dir());
        g_PackRoot = root_;
        g_PackExt = "fol";
        g_PackNames = {"mb", "slr", "cj"};
    }
    void TearDown() override {
        g_SharedFile.Close();
        UnmountPackLibraries();
        g_PackNames.clear();
        g_PackRoot.clear();
        g_PackExt.clear();
        TempDirTest::TearDown();
    }
    void WritePackFile(const std::string& name, const std::vector<datagen::PackItem>& items, bool scrambled) {
        ASSERT_TRUE(datagen::WritePack(Dir() + name, items, scrambled));
    }
    std::string ReadAll(CPackFile& f) {
        std::string out;
        char c;
        while (f.Read(&c, 1, 1) == 1) out.push_back(c);
        return out;
    }
    std::string root_;
};

// A plain pack written byte by byte: one entry "Text.txt" holding "hello".
std::string HandPlainPack() {
    datagen::Bytes b;
    b.U32(1);
    b.Fixed("Text.txt", 128).U32(4 + 136).U32(5);
    b.Raw("hello");
    return b.str();
}

TEST_F(PackTest, ReadsHandWrittenPlainPack) {
    ASSERT_TRUE(datagen::WriteBytes(Dir() + "mb.fol", HandPlainPack()));
    EXPECT_EQ(InitGameFileProperty(), 0);  // slr and cj are missing
    ASSERT_EQ(g_PackList.size(), 1u);
    EXPECT_EQ(g_PackList[0]->count, 1);

    CPackFile f;
    EXPECT_EQ(f.Open((root_ + "MB\\text.TXT").c_str(), "rb"), 5);
    EXPECT_TRUE(f.IsPackEntry());
    EXPECT_EQ(f.GetLength(), 5);
    char buf[8] = {};
    EXPECT_EQ(f.Read(buf, 100, 1), 0);  // more than is left: nothing read
    EXPECT_EQ(f.Read(buf, 2, 1), 1);
    EXPECT_EQ(std::string(buf, 2), "he");
    EXPECT_EQ(f.Read(buf, 4, 1), 0);  // 3 remain
    EXPECT_EQ(f.IsEof(), 0);
    EXPECT_EQ(f.Read(buf, 3, 1), 1);  // exactly the rest
    EXPECT_EQ(std::string(buf, 3), "llo");
    EXPECT_EQ(f.IsEof(), 1);
}

// A scrambled pack built by hand with key 0: index word j is stored plus
// 9*j^3, data word j plus 99*j^2, the tail bytes plain; then the key and
// 97 trailing words.
TEST_F(PackTest, ReadsHandWrittenScrambledPack) {
    const uint32_t dataAt = 4 + 136;
    datagen::Bytes b;
    b.U32(0x80000001u);
    // Name "X.BIN": word 0 "X.BI", word 1 "N\0\0\0", words 2..31 zero.
    b.U32(0x49422E58u + 0);
    b.U32(0x4Eu + 9);
    for (uint32_t j = 2; j < 32; ++j) b.U32(9u * j * j * j);
    b.U32(dataAt + 9u * 32 * 32 * 32);
    b.U32(10u + 9u * 33 * 33 * 33);
    b.U32(0x44434241u);        // "ABCD" + 0
    b.U32(0x48474645u + 99u);  // "EFGH" + 99
    b.Raw("IJ");               // plain tail
    b.U32(0);                  // key of entry 0
    for (int t = 0; t < 97; ++t) b.U32(0);
    ASSERT_TRUE(datagen::WriteBytes(Dir() + "cj.fol", b.str()));

    InitGameFileProperty();
    ASSERT_EQ(g_PackList.size(), 1u);
    CPackFile f;
    ASSERT_EQ(f.Open((root_ + "cj\\x.bin").c_str(), "rb"), 10);
    EXPECT_EQ(ReadAll(f), "ABCDEFGHIJ");
}

TEST_F(PackTest, WriterPacksRoundTripBothForms) {
    const std::string odd = "0123456789abcdefg";  // 17 bytes: one tail byte
    for (bool scrambled : {false, true}) {
        SCOPED_TRACE(scrambled);
        WritePackFile("mb.fol", {{"Role.txt", "role"}, {"Sub\\Mixed.Txt", odd}, {"role.txt", "second"}}, scrambled);
        g_PackNames = {"mb"};
        EXPECT_EQ(InitGameFileProperty(), 1);
        ASSERT_EQ(g_PackList.size(), 1u);
        EXPECT_EQ(g_PackList[0]->scrambled, scrambled ? 1 : 0);

        CPackFile f;
        EXPECT_EQ(f.Open((root_ + "mb\\sub\\MIXED.txt").c_str(), "rb"), 17);
        EXPECT_EQ(ReadAll(f), odd);
        // The first of two names that differ only in case wins.
        EXPECT_EQ(f.Open((root_ + "MB\\ROLE.TXT").c_str(), "rb"), 4);
        EXPECT_EQ(ReadAll(f), "role");
        UnmountPackLibraries();
    }
}

TEST_F(PackTest, RequestsOutsideThePackGoToDisk) {
    WritePackFile("mb.fol", {{"a.txt", "packed"}}, false);
    WriteFile(Dir() + "mb/b.txt", "disk");
    WriteFile(Dir() + "Save/s.sav", "save");
    g_PackNames = {"mb"};
    ASSERT_EQ(InitGameFileProperty(), 1);

    CPackFile f;
    EXPECT_EQ(f.Open((root_ + "mb\\b.txt").c_str(), "rb"), -1);  // in the folder, not in the pack
    EXPECT_EQ(ReadAll(f), "disk");
    EXPECT_EQ(f.Open((root_ + "Save\\s.sav").c_str(), "rb"), -1);  // folder without a pack
    EXPECT_EQ(f.Open((root_ + "mb\\none.txt").c_str(), "rb"), -2);
    EXPECT_EQ(f.Read(nullptr, 1, 1), 0);
    EXPECT_EQ(f.GetLength(), -1);

    UnmountPackLibraries();
    EXPECT_EQ(f.Open((root_ + "mb\\a.txt").c_str(), "rb"), -2);  // unmounted: disk only
}

TEST_F(PackTest, SeekStaysInsideTheEntry) {
    WritePackFile("mb.fol", {{"pad.bin", "zz"}, {"a.bin", "0123456789"}}, false);
    g_PackNames = {"mb"};
    InitGameFileProperty();
    CPackFile f;
    ASSERT_EQ(f.Open((root_ + "mb\\a.bin").c_str(), "rb"), 10);
    EXPECT_EQ(f.Seek(10, 0), 0);  // the end itself
    EXPECT_EQ(f.IsEof(), 1);
    EXPECT_EQ(f.Seek(11, 0), -1);
    EXPECT_EQ(f.Seek(-1, 0), -1);
    EXPECT_EQ(f.Seek(-3, 2), 0);
    char c;
    ASSERT_EQ(f.Read(&c, 1, 1), 1);
    EXPECT_EQ(c, '7');
    EXPECT_EQ(f.Seek(-8, 1), 0);
    ASSERT_EQ(f.Read(&c, 1, 1), 1);
    EXPECT_EQ(c, '0');
    EXPECT_EQ(f.Seek(-2, 1), -1);
}

// Each file of a pack has its own read position: two entries of one pack
// can be read in turn.
TEST_F(PackTest, TwoEntriesOfOnePackReadIndependently) {
    WritePackFile("mb.fol", {{"a", "AAAA"}, {"b", "BBBB"}}, true);
    g_PackNames = {"mb"};
    InitGameFileProperty();
    CPackFile a, b;
    ASSERT_EQ(a.Open((root_ + "mb\\a").c_str(), "rb"), 4);
    ASSERT_EQ(b.Open((root_ + "mb\\b").c_str(), "rb"), 4);
    char x[2], y[2];
    ASSERT_EQ(a.Read(x, 2, 1), 1);
    ASSERT_EQ(b.Read(y, 2, 1), 1);
    ASSERT_EQ(a.Read(x, 2, 1), 1);
    EXPECT_EQ(std::string(x, 2), "AA");
    EXPECT_EQ(std::string(y, 2), "BB");
}

// A missing pack no longer stops the later ones from mounting; the result
// still says that not all mounted.
TEST_F(PackTest, MissingPackDoesNotStopLaterPacks) {
    WritePackFile("slr.fol", {{"s.pli", "s"}}, false);
    WritePackFile("cj.fol", {{"c.map", "c"}}, true);
    EXPECT_EQ(InitGameFileProperty(), 0);
    ASSERT_EQ(g_PackList.size(), 2u);
    EXPECT_TRUE(FileExists((root_ + "SLR\\S.PLI").c_str()));
    EXPECT_TRUE(FileExists((root_ + "cj\\c.map").c_str()));

    UnmountPackLibraries();
    g_PackNames.clear();
    EXPECT_EQ(InitGameFileProperty(), 1);  // nothing to mount
    EXPECT_TRUE(g_PackList.empty());
}

// Malformed indexes: each is refused as a whole ("cannot be read"), the
// other packs still mount, and nothing reads outside the file.
TEST_F(PackTest, MalformedIndexesAreRefused) {
    const std::string good = datagen::BuildPack({{"a.txt", "abcdef"}, {"b.txt", "xy"}}, false);
    const std::string goodScr = datagen::BuildPack({{"a.txt", "abcdef"}}, true);
    auto patch32 = [](std::string s, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) s[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
        return s;
    };
    const size_t e0 = datagen::PackEntryPos(0), e1 = datagen::PackEntryPos(1);
    std::string noNul = good;
    std::fill(noNul.begin() + long(e1), noNul.begin() + long(e1 + 128), 'N');
    struct Case {
        const char* what;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"empty file", "", "shorter than its header"},
        {"three bytes", "\x01\x00\x00", "shorter than its header"},
        {"zero entries", patch32(good, 0, 0), "no entries"},
        {"count overflowing N x 136", patch32(good, 0, 0x7FFFFFFFu), "index runs past"},
        {"count one too many", patch32(good, 0, 3), "index runs past"},
        {"name without NUL", noNul, "without NUL"},
        {"offset beyond the file", patch32(good, e0 + 128, 0x10000u), "beyond the end"},
        {"size beyond the file", patch32(good, e1 + 132, 3), "beyond the end"},
        {"size wrapping around", patch32(good, e1 + 132, 0xFFFFFFF0u), "too large"},
        {"index truncated", good.substr(0, e1 + 20), "index runs past"},
        {"scrambled, key block before the file", patch32(good, 0, 0x80000002u), "key block"},
        {"scrambled, trailer cut", goodScr.substr(0, goodScr.size() - 300), "key block"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        plat::ClearDebugCapture();
        ASSERT_TRUE(datagen::WriteBytes(Dir() + "mb.fol", c.bytes));
        WritePackFile("cj.fol", {{"ok.txt", "ok"}}, false);
        EXPECT_EQ(InitGameFileProperty(), 0);
        ASSERT_EQ(g_PackList.size(), 1u);
        EXPECT_EQ(g_PackList[0]->folder, plat::UpperGbk(root_ + "cj"));
        EXPECT_TRUE(DebugHas("mb.fol> cannot be read : "));
        EXPECT_TRUE(DebugHas(c.reason));
        UnmountPackLibraries();
    }
}

TEST_F(PackTest, ReadPackIndexRejectsNullStream) {
    int n = 7, s = 7;
    std::vector<CPackEntry> e;
    std::vector<uint32_t> k;
    EXPECT_EQ(ReadPackIndex(nullptr, &n, &s, &e, &k), 0);
    EXPECT_EQ(n, 7);
}

TEST_F(PackTest, FileExistsAndBinFile) {
    WritePackFile("mb.fol", {{"data.bin", std::string("\x01\x02\x03\x04\x05", 5)}, {"empty.bin", ""}}, true);
    g_PackNames = {"mb"};
    InitGameFileProperty();
    WriteFile(Dir() + "disk.bin", "disk");
    WriteFile(Dir() + "zero.bin", "");
    WriteFile(Dir() + "folder/x", "x");

    EXPECT_EQ(FileExists((root_ + "mb\\DATA.BIN").c_str()), 1);
    EXPECT_EQ(FileExists((root_ + "disk.bin").c_str()), 1);
    EXPECT_EQ(FileExists((root_ + "nothing").c_str()), 0);
    EXPECT_EQ(FileExists((root_ + "folder").c_str()), 0);  // a folder is not a file

    CBinFile bin;
    ASSERT_EQ(bin.Load((root_ + "mb\\data.bin").c_str()), 1);
    EXPECT_EQ(bin.GetSize(), 5);
    uint8_t two[2];
    EXPECT_EQ(bin.Read(two, 2, 1), 1);
    EXPECT_EQ(two[1], 2);
    EXPECT_EQ(bin.Read(two, 2, 2), 0);  // 4 bytes would pass the end
    EXPECT_EQ(bin.GetPos(), 2);
    EXPECT_EQ(bin.Read(two, 1, 2), 2);
    EXPECT_EQ(bin.Load((root_ + "mb\\empty.bin").c_str()), 0);
    EXPECT_EQ(bin.Load((root_ + "zero.bin").c_str()), 0);
    EXPECT_EQ(bin.Load((root_ + "nothing").c_str()), 0);
    ASSERT_EQ(bin.Load((root_ + "disk.bin").c_str()), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bin.GetData()), 4), "disk");
}

TEST_F(PackTest, PlainFilesWrittenInTextModeGetCrLf) {
    CPackFile f;
    ASSERT_EQ(f.Open("t.txt", "wt"), -1);
    EXPECT_EQ(f.Write("a\nb\n", 4, 1), 1);
    f.Close();
    ASSERT_EQ(f.Open("b.bin", "wb"), -1);
    EXPECT_EQ(f.Write("a\nb", 3, 1), 1);
    EXPECT_EQ(f.GetLength(), 3);
    f.Close();
    EXPECT_EQ(ReadFile(Dir() + "t.txt"), "a\r\nb\r\n");
    EXPECT_EQ(ReadFile(Dir() + "b.bin"), "a\nb");
}

// Packs are read-only: writing a path that a pack serves goes to the disk,
// and reading it is still served by the pack.
TEST_F(PackTest, WritesBypassPacks) {
    WritePackFile("mb.fol", {{"a.txt", "packed"}}, false);
    WriteFile(Dir() + "mb/keep", "");
    g_PackNames = {"mb"};
    InitGameFileProperty();
    CPackFile f;
    ASSERT_EQ(f.Open((root_ + "mb\\a.txt").c_str(), "wb"), -1);
    EXPECT_EQ(f.Write("disk", 4, 1), 1);
    f.Close();
    EXPECT_EQ(ReadFile(Dir() + "mb/a.txt"), "disk");
    ASSERT_EQ(f.Open((root_ + "mb\\a.txt").c_str(), "rb"), 6);
    EXPECT_EQ(f.Write("x", 1, 1), 0);
}

TEST_F(PackTest, ReadTxtLineStopsAndSaysWhy) {
    WriteFile(Dir() + "t.txt", "ab\r\nc\nd\r\n\r\ntail");
    ASSERT_EQ(g_SharedFile.Open("t.txt", "rb"), -1);
    char buf[16];
    int stop = -1;
    ASSERT_EQ(ReadTxtLine(buf, sizeof buf, &stop), 1);
    EXPECT_EQ(std::string(buf), "ab\r\r\n");
    ASSERT_EQ(ReadTxtLine(buf, sizeof buf, &stop), 1);
    EXPECT_EQ(std::string(buf), "c\nd\r\r\n");  // a lone LF does not end a line
    ASSERT_EQ(ReadTxtLine(buf, sizeof buf, &stop), 1);
    EXPECT_EQ(std::string(buf), "\r\r\n");
    EXPECT_EQ(ReadTxtLine(buf, sizeof buf, &stop), 0);
    EXPECT_EQ(stop, kTxtLinePartial);
    EXPECT_EQ(ReadTxtLine(buf, sizeof buf, &stop), 0);
    EXPECT_EQ(stop, kTxtLineEnd);

    // Content plus CR may take size - 3 bytes; one more is too long.
    WriteFile(Dir() + "l.txt", std::string(12, 'x') + "\r\n" + std::string(13, 'y') + "\r\n");
    ASSERT_EQ(g_SharedFile.Open("l.txt", "rb"), -1);
    ASSERT_EQ(ReadTxtLine(buf, sizeof buf, &stop), 1);
    EXPECT_EQ(std::string(buf), std::string(12, 'x') + "\r\r\n");
    EXPECT_EQ(ReadTxtLine(buf, sizeof buf, &stop), 0);
    EXPECT_EQ(stop, kTxtLineTooLong);
    EXPECT_LT(std::strlen(buf), sizeof buf);
}

}  // namespace
