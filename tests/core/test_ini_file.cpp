// CIniFile: sequential reading (plain and scrambled), writing, atomic
// replacement and the scramble helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "core/ini_file.h"
#include "core/pack_file.h"
#include "datagen/ini_writer.h"
#include "datagen/pack_writer.h"
#include "platform/debug.h"
#include "platform/fs.h"
#include "support/test_env.h"

namespace {

class IniTest : public vtest::TempDirTest {
protected:
    // Reads `key` from a fresh reader over `bytes`; "<fail>" when absent.
    std::string ReadOne(const std::string& bytes, const char* key, int size = 64) {
        WriteFile(Dir() + "one.ini", bytes);
        CIniFile ini;
        if (!ini.OpenFileRead("one.ini")) return "<open>";
        std::string buf(size_t(size), '\x7F');
        if (!ini.ReadLine(key, buf.data(), size)) return "<fail>";
        return std::string(buf.c_str());
    }
    static std::string Scramble(const std::string& plain) {
        std::string s(1, '\x80');
        for (char c : plain) s.push_back(char(uint8_t(c) ^ 0xA5));
        return s;
    }
    static const std::vector<std::string>& Debug() { return plat::DebugCaptured(); }
};

TEST_F(IniTest, ReadingRulesOnHandWrittenBytes) {
    struct Case {
        const char* what;
        std::string bytes;
        const char* key;
        int size;
        std::string want;
    } cases[] = {
        {"case-insensitive key", "a=1\nB=2\n", "b", 64, "2"},
        {"leading blank is part of the name", " k=5\n", "k", 64, "<fail>"},
        {"blank before '=' is part of the name", "k =5\nk=6\n", "k", 64, "6"},
        {"x=a=b answers a with b", "x=a=b\n", "a", 64, "b"},
        {"CR LF line", "k=val\r\n", "k", 64, "val"},
        {"only one CR is removed", "k=val\r\r\n", "k", 64, "val\r"},
        {"value cut to size - 1", "k=abcdefgh\r\n", "k", 4, "abc"},
        {"no final LF", "a=1\r\nk=last", "k", 64, "last"},
        {"0xFF ends a value", "k=ab\xFF" "cd\n", "k", 64, "ab"},
        {"section and comment lines are skipped", "[s]\n;c\nk=1\n", "k", 64, "1"},
        {"empty value", "k=\r\n", "k", 64, ""},
        {"GBK value", "k=\xC4\xE3\xBA\xC3\r\n", "k", 64, "\xC4\xE3\xBA\xC3"},  // "你好"
        {"scrambled twin", Scramble("a=1\nk=v\r\n"), "k", 64, "v"},
        {"0x80 first by chance: read as scrambled", "\x80k=v\n", "k", 64, "<fail>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ReadOne(c.bytes, c.key, c.size), c.want);
    }
}

TEST_F(IniTest, KeysAreReadInFileOrderOnly) {
    WriteFile(Dir() + "a.ini", "a=1\r\nB=2\r\nc=3\r\n");
    CIniFile ini;
    ASSERT_EQ(ini.OpenFileRead("a.ini"), 1);
    EXPECT_EQ(ini.GetState(), 1);
    int v = -1;
    EXPECT_EQ(ini.ReadInt("b", &v), 1);
    EXPECT_EQ(v, 2);
    v = 77;
    EXPECT_EQ(ini.ReadInt("a", &v), 0);  // passed, and the rest is gone too
    EXPECT_EQ(v, 77);
    EXPECT_EQ(ini.ReadInt("c", &v), 0);
    ASSERT_FALSE(Debug().empty());
    EXPECT_EQ(Debug().back(), "CIniFile::ReadLine() Error(0) : Reach the end of the file in reading named <c>\n");
}

// A value cut short still leaves the reader at the next line.
TEST_F(IniTest, LongValueSkipsRestOfLine) {
    WriteFile(Dir() + "a.ini", "k=" + std::string(3000, 'x') + "\r\nn=9\r\n");
    CIniFile ini;
    ASSERT_EQ(ini.OpenFileRead("a.ini"), 1);
    char buf[8];
    ASSERT_EQ(ini.ReadLine("k", buf, sizeof buf), 1);
    EXPECT_EQ(std::string(buf), "xxxxxxx");
    int n = 0;
    EXPECT_EQ(ini.ReadInt("n", &n), 1);
    EXPECT_EQ(n, 9);
}

// The start-up configuration case: a key listed early is passed by the
// search for a later one.
TEST_F(IniTest, OutOfOrderKeyCostsTheRest) {
    datagen::WriteIni(Dir() + "define.ini",
                      {{"PoisonRate", "70"}, {"MaxIceDp", "1"}, {"MaxFireDp", "2"}, {"MaxPoisonDp", "3"}, {"FireRate", "50"}},
                      false);
    CIniFile ini;
    ASSERT_EQ(ini.OpenFileRead("define.ini"), 1);
    int ice = 0, fire = 0, poison = 0, prate = 90, frate = 60;
    EXPECT_EQ(ini.ReadInt("MaxIceDp", &ice), 1);
    EXPECT_EQ(ini.ReadInt("MaxFireDp", &fire), 1);
    EXPECT_EQ(ini.ReadInt("MaxPoisonDp", &poison), 1);
    EXPECT_EQ(ini.ReadInt("PoisonRate", &prate), 0);
    EXPECT_EQ(ini.ReadInt("FireRate", &frate), 0);
    EXPECT_EQ(ice + fire + poison, 6);
    EXPECT_EQ(prate, 90);
    EXPECT_EQ(frate, 60);
}

TEST_F(IniTest, TypedReaders) {
    WriteFile(Dir() + "t.ini", "i=-12abc\nf=8.1\ns=70000\nbig=99999999999\n");
    CIniFile ini;
    ASSERT_EQ(ini.OpenFileRead("t.ini"), 1);
    int i = 0;
    float f = 0;
    uint16_t s = 0;
    EXPECT_EQ(ini.ReadInt("i", &i), 1);
    EXPECT_EQ(i, -12);
    EXPECT_EQ(ini.ReadFloat("f", &f), 1);
    EXPECT_EQ(f, 8.1f);
    EXPECT_EQ(ini.ReadShort("s", &s), 1);
    EXPECT_EQ(s, 70000 & 0xFFFF);
    EXPECT_EQ(ini.ReadInt("big", &i), 1);
    EXPECT_EQ(i, 2147483647);
}

TEST_F(IniTest, EmptyAndMissingFiles) {
    WriteFile(Dir() + "empty.ini", "");
    EXPECT_EQ(IsScrambledFile("empty.ini"), -1);
    EXPECT_EQ(IsScrambledFile("none.ini"), -1);
    WriteFile(Dir() + "p.ini", "a=1");
    EXPECT_EQ(IsScrambledFile("p.ini"), 0);
    WriteFile(Dir() + "s.ini", "\x80");
    EXPECT_EQ(IsScrambledFile("s.ini"), 1);

    CIniFile ini;
    ASSERT_EQ(ini.OpenFileRead("empty.ini"), 1);
    char buf[8];
    EXPECT_EQ(ini.ReadLine("a", buf, sizeof buf), 0);
    EXPECT_EQ(Debug().back(), "CIniFile::ReadLine() Error(0) : Reach the end of the file in reading named <a>\n");

    EXPECT_EQ(ini.OpenFileRead("none.ini"), 0);
    EXPECT_EQ(ini.GetState(), -1);
    EXPECT_EQ(Debug().back(), "CIniFile::OpenFileRead() Error (0) : Could not open file for read : <none.ini>\n");
    EXPECT_EQ(ini.OpenFileWrite("no/such/dir/x.ini"), 0);
    EXPECT_EQ(Debug().back(),
              "CIniFile::OpenFileWrite() Error (0) : Could not open file for write : <no/such/dir/x.ini>\n");
    EXPECT_EQ(ini.OpenFileWrite("no/such/dir/x.ini", 0, 1), 0);
    EXPECT_EQ(Debug().back(),
              "CIniFile::OpenFileWrite() Error (0) : Could not open file for write : <no/such/dir/x.ini>\n");
}

TEST_F(IniTest, PlainWriterLeavesCrLfOnDisk) {
    {
        CIniFile ini;
        ASSERT_EQ(ini.OpenFileWrite("w.ini", 0), 1);
        EXPECT_EQ(ini.GetState(), 0);
        EXPECT_EQ(ini.WriteInt("3dFunc", 1), 1);
        EXPECT_EQ(ini.WriteString("DXVersion", "9.0"), 1);
        EXPECT_EQ(ini.WriteLine("raw"), 1);
    }  // the destructor closes
    EXPECT_EQ(ReadFile(Dir() + "w.ini"), "3dFunc=1\r\nDXVersion=9.0\r\nraw");
    CIniFile ini;
    ASSERT_EQ(ini.OpenFileRead("w.ini"), 1);
    char buf[16];
    ASSERT_EQ(ini.ReadLine("dxversion", buf, sizeof buf), 1);
    EXPECT_EQ(std::string(buf), "9.0");
}

TEST_F(IniTest, ScrambledWriterAndCallersBuffer) {
    CIniFile ini;
    ASSERT_EQ(ini.OpenFileWrite("s.ini", 1), 1);
    EXPECT_EQ(ini.IsScrambled(), 1);
    char line[] = "k=v\n";
    EXPECT_EQ(ini.WriteLine(line), 1);
    EXPECT_STREQ(line, "k=v\n");  // scrambled as a copy, not in place
    EXPECT_EQ(ini.WriteInt("n", -5), 1);
    ini.Close();
    EXPECT_EQ(ini.IsScrambled(), 0);
    EXPECT_EQ(ReadFile(Dir() + "s.ini"), Scramble("k=v\nn=-5\n"));

    ASSERT_EQ(ini.OpenFileRead("s.ini"), 1);
    EXPECT_EQ(ini.IsScrambled(), 1);
    int n = 0;
    EXPECT_EQ(ini.ReadInt("n", &n), 1);
    EXPECT_EQ(n, -5);
}

TEST_F(IniTest, ScrambleHelpers) {
    uint8_t b = 0x41;
    ScrambleByte(&b);
    EXPECT_EQ(b, 0x41 ^ 0xA5);
    uint8_t buf[3] = {1, 2, 3};
    ScrambleBuffer(buf, 0);
    ScrambleBuffer(buf, -4);
    EXPECT_EQ(buf[0], 1);
    ScrambleBuffer(buf, 2);
    EXPECT_EQ(buf[1], 2 ^ 0xA5);
    EXPECT_EQ(buf[2], 3);
}

TEST_F(IniTest, AtomicWriteReplacesOnClose) {
    WriteFile(Dir() + "set.ini", "old=1\r\n");
    CIniFile ini;
    ASSERT_EQ(ini.OpenFileWrite("set.ini", 0, 1), 1);
    ini.WriteInt("new", 2);
    EXPECT_EQ(ReadFile(Dir() + "set.ini"), "old=1\r\n");  // untouched until Close
    EXPECT_EQ(ini.Close(), 1);
    EXPECT_EQ(ReadFile(Dir() + "set.ini"), "new=2\r\n");
    EXPECT_FALSE(plat::PathExists(Dir() + "set.ini.tmp"));
}

TEST_F(IniTest, WriterRoundTripsThroughDatagenAndPacks) {
    const datagen::KeyValues kv = {{"BeginScn", "3"}, {"Version", "1.5"}};
    for (bool scrambled : {false, true}) {
        SCOPED_TRACE(scrambled);
        ASSERT_TRUE(datagen::WriteIni(Dir() + "tamiro.ini", kv, scrambled));
        CIniFile ini;
        ASSERT_EQ(ini.OpenFileRead("TAMIRO.INI"), 1);  // case-insensitive look-up
        EXPECT_EQ(ini.IsScrambled(), scrambled ? 1 : 0);
        int scn = 0;
        float ver = 0;
        EXPECT_EQ(ini.ReadInt("BeginScn", &scn), 1);
        EXPECT_EQ(ini.ReadFloat("Version", &ver), 1);
        EXPECT_EQ(scn, 3);
        EXPECT_EQ(ver, 1.5f);
    }

    // A key=value file inside a scrambled pack.
    std::string root = Dir();
    std::replace(root.begin(), root.end(), '/', '\\');
    ASSERT_TRUE(datagen::WritePack(Dir() + "mb.fol", {{"define.ini", datagen::BuildIni({{"FireRate", "44"}}, true)}}, true));
    g_PackRoot = root;
    g_PackExt = "fol";
    g_PackNames = {"mb"};
    ASSERT_EQ(InitGameFileProperty(), 1);
    CIniFile ini;
    ASSERT_EQ(ini.OpenFileRead((root + "MB\\define.ini").c_str()), 1);
    int rate = 0;
    EXPECT_EQ(ini.ReadInt("FireRate", &rate), 1);
    EXPECT_EQ(rate, 44);
    ini.Close();
    UnmountPackLibraries();
    g_PackNames.clear();
}

}  // namespace
