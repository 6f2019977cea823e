#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/fs.h"
#include "platform/lock.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "platform/sysinfo.h"
#include "platform/text.h"
#include "support/test_env.h"

namespace {

TEST(Random, ClassicFifteenBitSequence) {
    plat::SRand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int e : expected) EXPECT_EQ(plat::Rand(), e);
    plat::SRand(12345);
    int a = plat::Rand();
    plat::SRand(12345);
    EXPECT_EQ(plat::Rand(), a);
    for (int i = 0; i < 1000; ++i) {
        int r = plat::Rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, plat::kRandMax);
    }
}

TEST(Clock, FakeClockIsInstalledAndRemoved) {
    {
        vtest::FakeClockScope clock(1000);
        EXPECT_EQ(plat::TimeGetTime(), 1000u);
        clock->Advance(35);
        EXPECT_EQ(plat::TimeGetTime(), 1035u);
        plat::SleepMs(10);  // advances instead of blocking
        EXPECT_EQ(plat::TimeGetTime(), 1045u);
        clock->Set(0xFFFFFFF0u);
        clock->Advance(0x20);  // wraps like the 32-bit multimedia clock
        EXPECT_EQ(plat::TimeGetTime(), 0x10u);
    }
    uint32_t a = plat::TimeGetTime();
    uint32_t b = plat::TimeGetTime();
    EXPECT_LE(a, b);
}

TEST(Text, GbkUtf8RoundTripAndBadBytes) {
    const std::string gbk = "A\xD6\xD0\xCE\xC4z";  // "A中文z"
    EXPECT_EQ(plat::GbkToUtf8(gbk), "A\xE4\xB8\xAD\xE6\x96\x87z");
    EXPECT_EQ(plat::Utf8ToGbk("A\xE4\xB8\xAD\xE6\x96\x87z"), gbk);
    EXPECT_EQ(plat::GbkToUtf32(gbk), std::u32string(U"A\u4E2D\u6587z"));
    // A lone lead byte at the end is replaced, not dropped with the line.
    EXPECT_EQ(plat::GbkToUtf8("ab\xD6"), "ab\xEF\xBF\xBD");
    // Characters GBK cannot hold become '?'.
    EXPECT_EQ(plat::Utf8ToGbk("x\xF0\x9F\x98\x80y"), "x?y");
}

TEST(Text, CaseFoldingSkipsGbkTrailBytes) {
    // 0x81 0x61: a GBK character whose trail byte is ASCII 'a'.
    std::string s = "ab\x81\x61x";
    plat::ToUpperGbk(s);
    EXPECT_EQ(s, "AB\x81\x61X");
    char buf[] = "mb\\\xB0\x61.txt";
    plat::ToUpperGbk(buf);
    EXPECT_STREQ(buf, "MB\\\xB0\x61.TXT");
    EXPECT_EQ(plat::CompareNoCase("Role.TXT", "role.txt"), 0);
    EXPECT_NE(plat::CompareNoCase("\x81\x61", "\x81\x41"), 0);  // trail bytes differ
    EXPECT_LT(plat::CompareNoCase("abc", "abd"), 0);
    EXPECT_LT(plat::CompareNoCase("ab", "abc"), 0);
    EXPECT_TRUE(plat::EqualsNoCase("", ""));
}

class FsTest : public vtest::TempDirTest {};

TEST_F(FsTest, WindowsPathsTranslateAndMatchAnyCase) {
    WriteFile(Dir() + "Data/Mb/Role.txt", "hello");
    EXPECT_EQ(plat::ToNativePath("mb\\\\Role.txt"), "mb/Role.txt");
    EXPECT_EQ(plat::ToNativePath("a\\\xB0\\\\b"), "a/\xB0\\/b");  // trail 0x5C kept

    FILE* f = plat::OpenFile("DATA\\MB\\ROLE.TXT", "rb");
    ASSERT_NE(f, nullptr);
    char buf[8] = {};
    EXPECT_EQ(std::fread(buf, 1, 5, f), 5u);
    std::fclose(f);
    EXPECT_STREQ(buf, "hello");

    // Absolute, upper-cased program folder form.
    std::string abs = plat::ProgramDirWin();
    plat::ToUpperGbk(abs);
    EXPECT_TRUE(plat::PathExists(abs + "data\\mb\\role.txt"));
    EXPECT_EQ(plat::FileSize("data\\mb\\ROLE.txt"), 5);
    EXPECT_EQ(plat::FileSize("data\\mb\\none.txt"), -1);
    EXPECT_EQ(plat::OpenFile("data\\mb", "rb"), nullptr);  // folders never open as files

    // Creating a file in an existing folder of another case uses that folder.
    FILE* w = plat::OpenFile("DATA\\mb\\New.txt", "wt");
    ASSERT_NE(w, nullptr);
    std::fclose(w);
    EXPECT_EQ(ReadFile(Dir() + "Data/Mb/New.txt"), "");
    EXPECT_TRUE(plat::DeleteFile("data\\MB\\new.TXT"));
    EXPECT_FALSE(plat::PathExists("data\\mb\\new.txt"));
}

TEST_F(FsTest, FolderCreationListingAndAtomicWrite) {
    EXPECT_TRUE(plat::CreateDirectory("Save"));
    EXPECT_FALSE(plat::CreateDirectory("SAVE"));  // exists already, in any case
    WriteFile(Dir() + "Save/a.sav", "1");
    WriteFile(Dir() + "Save/B.SAV", "22");
    WriteFile(Dir() + "Save/c.001", "333");
    auto list = plat::FindFiles("save\\*.sav");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "B.SAV");
    EXPECT_EQ(list[0].size, 2);
    EXPECT_EQ(list[1].name, "a.sav");
    EXPECT_EQ(plat::FindFiles("save\\?.00?").size(), 1u);
    EXPECT_EQ(plat::FindFiles("nowhere\\*").size(), 0u);

    EXPECT_TRUE(plat::WriteFileAtomic("save\\a.sav", "new", 3));
    EXPECT_EQ(ReadFile(Dir() + "Save/a.sav"), "new");
    EXPECT_FALSE(plat::PathExists("save\\a.sav.tmp"));
    EXPECT_FALSE(plat::WriteFileAtomic("missing\\x.sav", "n", 1));
}

TEST_F(FsTest, ProgramFolderFollowsVantrelHome) {
    EXPECT_EQ(plat::ProgramDirNative(), Dir());
    std::string win = plat::ProgramDirWin();
    EXPECT_EQ(win.back(), '\\');
    EXPECT_EQ(win.find('/'), std::string::npos);
    unsetenv("VANTREL_HOME");
    std::string exeDir = plat::ProgramDirNative();
    EXPECT_EQ(exeDir.back(), '/');
    EXPECT_NE(exeDir, Dir());
}

TEST(Debug, CapturedHookedAndOrdered) {
    plat::ClearDebugCapture();
    std::vector<std::string> hooked;
    plat::SetDebugHook([&](const std::string& s) { hooked.push_back(s); });
    plat::OutputDebugString("one\n");
    plat::DebugPrintf("CIniFile::ReadLine() Error(0) : <%s>%d\n", "Key", 7);
    plat::SetDebugHook({});
    ASSERT_EQ(plat::DebugCaptured().size(), 2u);
    EXPECT_EQ(plat::DebugCaptured()[1], "CIniFile::ReadLine() Error(0) : <Key>7\n");
    EXPECT_EQ(hooked, plat::DebugCaptured());
}

TEST(MessageBox, RecordedNeverModal) {
    plat::ClearRecordedMessageBoxes();
    EXPECT_EQ(plat::MessageBox("Error(1)Map\xCE\xC4", "ERROR", plat::MB_OK), plat::IDOK);
    EXPECT_EQ(plat::MessageBox("Quit?", "Q", plat::MB_YESNO), plat::IDYES);
    int seen = 0;
    plat::SetMessageBoxPresenter([&](const std::string& t, const std::string&, unsigned) {
        EXPECT_EQ(t, "\xE6\x96\x87");  // UTF-8 at the edge
        ++seen;
        return plat::IDCANCEL;
    });
    EXPECT_EQ(plat::MessageBox("\xCE\xC4", "c", plat::MB_OKCANCEL), plat::IDCANCEL);
    plat::SetMessageBoxPresenter({});
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 3u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "Error(1)Map\xCE\xC4");
    EXPECT_EQ(seen, 1);
}

TEST(SysInfo, HonestKernelVersion) {
    plat::OsVersion v = plat::GetOsVersion();
    EXPECT_GT(v.major, 0);
    EXPECT_NE(v.extra.find("Linux"), std::string::npos);
    EXPECT_GT(plat::GetMemoryStatus().totalPhys, 0u);
}

TEST(Lock, Recursive) {
    plat::CriticalSection cs;
    plat::LockGuard a(cs);
    plat::LockGuard b(cs);  // the same thread may enter twice
    SUCCEED();
}

} // namespace
