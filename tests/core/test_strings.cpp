#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/strings.h"
#include "platform/debug.h"
#include "platform/fs.h"
#include "support/test_env.h"

namespace {

// "\xd5\x5c" is a GBK character whose second byte is a backslash; "\xc4\x61"
// one whose second byte is 'a'.
constexpr const char* kTrailSlash = "\xd5\x5c";

TEST(Fields, CountFields) {
    struct Case {
        const char* text;
        char delim;
        int expect;
    } cases[] = {
        {"a\tb\t", '\t', 2}, {"\ta", '\t', 2},   {"", '\t', 0},      {"a", '\t', 1},
        {"\t", '\t', 1},     {"a\t\tb", '\t', 3}, {"1*2*3", '*', 3}, {"x\xd5\x5cy", '\\', 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CountFields(c.text, c.delim), c.expect) << c.text;
    EXPECT_EQ(CountFields(nullptr, '\t'), 0);
}

TEST(Fields, GetFieldCountsEveryDelimiter) {
    char out[16];
    EXPECT_EQ(GetField("a\t\tccc\t", out, sizeof out, 2, '\t'), 1);
    EXPECT_STREQ(out, "ccc");
    EXPECT_EQ(GetField("a\t\tccc\t", out, sizeof out, 1, '\t'), 0);  // empty field
    EXPECT_STREQ(out, "");
    EXPECT_EQ(GetField("a\t\tccc\t", out, sizeof out, 3, '\t'), 0);
    EXPECT_EQ(GetField("a\t\tccc", out, sizeof out, 9, '\t'), 0);
    EXPECT_EQ(GetField("a\t\tccc", out, sizeof out, -1, '\t'), 0);
    // Bounded copy, always terminated.
    EXPECT_EQ(GetField("abcdefgh\tx", out, 4, 0, '\t'), 1);
    EXPECT_STREQ(out, "abc");
    // A GBK pair is never split by the bound.
    EXPECT_EQ(GetField("ab\xd6\xd0z", out, 4, 0, '\t'), 1);
    EXPECT_STREQ(out, "ab");
}

TEST(Fields, GetTokenMergesDelimiterRuns) {
    char out[16];
    const char* text = "  a   b";
    EXPECT_EQ(GetToken(text, out, sizeof out, 0, ' '), 1);
    EXPECT_STREQ(out, "a");
    EXPECT_EQ(GetToken(text, out, sizeof out, 1, ' '), 1);
    EXPECT_STREQ(out, "b");
    EXPECT_EQ(GetToken(text, out, sizeof out, 2, ' '), 0);
    EXPECT_EQ(GetToken("   ", out, sizeof out, 0, ' '), 0);
}

TEST(Fields, SplitFunctions) {
    StringList list{"stale"};
    SplitFields("\ta\t\tb\t", '\t', list);
    EXPECT_EQ(list, (StringList{"", "a", "", "b"}));
    SplitFields("", '\t', list);
    EXPECT_TRUE(list.empty());

    list = {"stale"};
    SplitString("  a   b ", ' ', list);
    EXPECT_EQ(list, (StringList{"a", "b"}));

    // SplitByString appends and keeps an empty last piece.
    list = {"keep"};
    SplitByString("a::b::", "::", list);
    EXPECT_EQ(list, (StringList{"keep", "a", "b", ""}));
    list.clear();
    SplitByString("abc", "::", list);
    EXPECT_EQ(list, (StringList{"abc"}));
    // Delimiters inside a GBK pair are not delimiters.
    list.clear();
    SplitFields("x\xd5\x5cy\\z", '\\', list);
    EXPECT_EQ(list, (StringList{"x\xd5\x5cy", "z"}));
}

// The single-field readers pick the same fields SplitFields lists.
TEST(Fields, SplitFieldAtAgreesWithSplitFields) {
    for (const char* text : {"", "*", "**", "a", "a*", "*a", "1*2*3", "1**3*", "\xd5*x*", "x*\xd5", "\xd5\x2a*y"}) {
        StringList list;
        SplitFields(text, '*', list);
        EXPECT_EQ(SplitFieldCount(text, '*'), int(list.size())) << text;
        for (int i = -1; i <= int(list.size()); ++i) {
            std::string_view field;
            const bool found = SplitFieldAt(text, '*', i, field);
            EXPECT_EQ(found, i >= 0 && i < int(list.size())) << text << " " << i;
            if (found) {
                EXPECT_EQ(std::string(field), list[size_t(i)]) << text << " " << i;
            }
        }
    }
}

TEST(Strings, ToUpperAsciiLeavesGbkTrailBytes) {
    char buf[] = "ab\xc4\x61z\xd6\xd0";
    ToUpperAscii(buf);
    EXPECT_STREQ(buf, "AB\xc4\x61Z\xd6\xd0");
    std::string s = "mb\\\xc4\x61role.txt";
    ToUpperAscii(s);
    EXPECT_EQ(s, "MB\\\xc4\x61ROLE.TXT");
}

TEST(Paths, GetPathTail) {
    char out[64];
    struct Case {
        const char* path;
        int n;
        int found;
        const char* expect;
    } cases[] = {
        {"a\\b\\c.txt", 0, 1, "c.txt"}, {"a\\b\\c.txt", 1, 1, "b\\c.txt"}, {"a\\b\\c.txt", 2, 0, "a\\b\\c.txt"},
        {"c.txt", 0, 0, "c.txt"},       {"a\\b\\", 0, 1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetPathTail(c.path, out, sizeof out, c.n), c.found) << c.path << " " << c.n;
        EXPECT_STREQ(out, c.expect);
        EXPECT_EQ(GetPathTail(std::string_view(c.path), c.n), c.expect);
    }
    // The trail byte of a GBK name is not a separator.
    const std::string p = std::string("dir\\x") + kTrailSlash + "y.bmp";
    EXPECT_EQ(GetPathTail(p, 0), std::string("x") + kTrailSlash + "y.bmp");
}

TEST(Paths, GetDirPart) {
    char out[64] = "untouched";
    EXPECT_EQ(GetDirPart("name.txt", out, sizeof out), nullptr);
    EXPECT_STREQ(out, "untouched");
    EXPECT_EQ(GetDirPart("save\\slot1\\a.sav", out, sizeof out), out);
    EXPECT_STREQ(out, "save\\slot1\\");
    EXPECT_EQ(GetDirPart(std::string_view("save\\a")), "save\\");
    EXPECT_EQ(GetDirPart(std::string_view("a")), "");
    const std::string p = std::string("d\\x") + kTrailSlash + "y";
    EXPECT_EQ(GetDirPart(p), "d\\");
}

TEST(Paths, StripExtension) {
    char out[64];
    StripExtension("role.bmp", out, sizeof out);
    EXPECT_STREQ(out, "role");
    StripExtension("a.b.c", out, sizeof out);
    EXPECT_STREQ(out, "a.b");
    StripExtension("noext", out, sizeof out);
    EXPECT_STREQ(out, "noext");
    // Only the first size - 1 bytes are looked at.
    StripExtension("abcdef.txt", out, 5);
    EXPECT_STREQ(out, "abcd");
    StripExtension("ab.cdef", out, 5);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(StripExtension(std::string_view("x\\y.z")), "x\\y");
    // Paths longer than the old 256-byte buffers survive whole.
    const std::string longName = std::string(400, 'n') + ".scn";
    EXPECT_EQ(StripExtension(std::string_view(longName)), std::string(400, 'n'));
}

class CreatePathDirsTest : public vtest::TempDirTest {};

TEST_F(CreatePathDirsTest, CreatesEachLevelBeforeABackslash) {
    EXPECT_EQ(CreatePathDirs("Save\\Slot1\\game.sav"), 1);
    EXPECT_TRUE(plat::IsDirectory("Save"));
    EXPECT_TRUE(plat::IsDirectory("Save\\Slot1"));
    EXPECT_FALSE(plat::PathExists("Save\\Slot1\\game.sav"));
    // Nothing new: 0. Letter case does not matter for what exists.
    EXPECT_EQ(CreatePathDirs("SAVE\\slot1\\"), 0);
    EXPECT_EQ(CreatePathDirs("Save\\Slot1\\Deeper\\"), 1);
    EXPECT_TRUE(plat::IsDirectory("Save\\Slot1\\Deeper"));
    EXPECT_EQ(CreatePathDirs("plain.txt"), 0);
}

class LenStringTest : public vtest::TempDirTest {
protected:
    FILE* Open(const char* mode) { return std::fopen((Dir() + "s.bin").c_str(), mode); }
};

TEST_F(LenStringTest, WritesLengthTextAndNul) {
    FILE* f = Open("wb");
    ASSERT_TRUE(f);
    EXPECT_EQ(WriteLenString(f, "ab"), 1);
    EXPECT_EQ(WriteLenString(f, ""), 1);
    EXPECT_EQ(WriteLenString(f, nullptr), 1);
    std::fclose(f);
    const std::string expect("\x03\x00\x00\x00" "ab\x00" "\x00\x00\x00\x00" "\x00\x00\x00\x00", 15);
    EXPECT_EQ(ReadFile(Dir() + "s.bin"), expect);
}

TEST_F(LenStringTest, ReadsHandWrittenBytes) {
    // 'hi' then a zero length, then GBK text.
    WriteFile(Dir() + "s.bin", std::string("\x03\x00\x00\x00hi\x00\x00\x00\x00\x00\x03\x00\x00\x00\xd6\xd0\x00", 18));
    FILE* f = Open("rb");
    ASSERT_TRUE(f);
    const char* s = ReadLenString(f);
    ASSERT_TRUE(s);
    EXPECT_STREQ(s, "hi");
    EXPECT_EQ(ReadLenString(f), nullptr);  // length 0: nothing more is read
    EXPECT_EQ(std::ftell(f), 11);
    s = ReadLenString(f);
    ASSERT_TRUE(s);
    EXPECT_STREQ(s, "\xd6\xd0");
    EXPECT_EQ(ReadLenString(f), nullptr);  // end of file
    std::fclose(f);
}

TEST_F(LenStringTest, OversizedLengthIsRefusedAndSkipped) {
    // A length from a damaged save larger than the 10,240-byte buffer used to
    // overrun it. It is refused, and the stream steps over its bytes.
    const uint32_t big = 10241;
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<size_t>(i)] = static_cast<char>(big >> (8 * i));
    bytes += std::string(big, 'x');
    bytes += std::string("\x02\x00\x00\x00z\x00", 6);
    WriteFile(Dir() + "s.bin", bytes);
    FILE* f = Open("rb");
    ASSERT_TRUE(f);
    plat::ClearDebugCapture();
    EXPECT_EQ(ReadLenString(f), nullptr);
    ASSERT_EQ(plat::DebugCaptured().size(), 1u);
    EXPECT_NE(plat::DebugCaptured()[0].find("10241"), std::string::npos);
    const char* s = ReadLenString(f);
    ASSERT_TRUE(s);
    EXPECT_STREQ(s, "z");
    std::fclose(f);
}

TEST_F(LenStringTest, LargestLengthAndShortOrUnterminatedData) {
    const std::string text(10239, 'q');
    FILE* f = Open("wb");
    ASSERT_TRUE(f);
    WriteLenString(f, text.c_str());  // length 10,240: fits exactly
    std::fclose(f);
    f = Open("rb");
    const char* s = ReadLenString(f);
    ASSERT_TRUE(s);
    EXPECT_EQ(std::string(s), text);
    std::fclose(f);

    // Stored bytes without their NUL still come back terminated.
    WriteFile(Dir() + "s.bin", std::string("\x03\x00\x00\x00" "abc", 7));
    f = Open("rb");
    s = ReadLenString(f);
    ASSERT_TRUE(s);
    EXPECT_STREQ(s, "abc");
    std::fclose(f);

    // A short read and a short length field give null.
    WriteFile(Dir() + "s.bin", std::string("\x09\x00\x00\x00" "ab", 6));
    f = Open("rb");
    EXPECT_EQ(ReadLenString(f), nullptr);
    std::fclose(f);
    WriteFile(Dir() + "s.bin", std::string("\x01\x00", 2));
    f = Open("rb");
    EXPECT_EQ(ReadLenString(f), nullptr);
    std::fclose(f);
}

TEST(IntHelpers, GetListInt) {
    const StringList list{"12", "-3", "abc", "7x"};
    EXPECT_EQ(GetListInt(list, 0), 12);
    EXPECT_EQ(GetListInt(list, 1), -3);
    EXPECT_EQ(GetListInt(list, 2), 0);
    EXPECT_EQ(GetListInt(list, 3), 7);
    EXPECT_EQ(GetListInt(list, 4), -1);
    EXPECT_EQ(GetListInt(list, -1), -1);
}

TEST(IntHelpers, SumDescending) {
    struct Case {
        int start, maxTerms, sum, terms;
    } cases[] = {{5, 10, 15, 5}, {5, 2, 9, 2}, {1, 3, 1, 1}, {0, 3, 0, 0}, {-4, 3, 0, 0}, {4, 0, 0, 0},
                   {100000, 100000, 2147483647, 100000}};  // saturates rather than wrapping
    for (const Case& c : cases) {
        const SumResult r = SumDescending(c.start, c.maxTerms);
        EXPECT_EQ(r.sum, c.sum) << c.start << " " << c.maxTerms;
        EXPECT_EQ(r.terms, c.terms) << c.start << " " << c.maxTerms;
    }
}

TEST(IntHelpers, RoundHalfUpAndTakeShare) {
    EXPECT_EQ(RoundHalfUp(1.75f), 2);
    EXPECT_EQ(RoundHalfUp(1.5f), 2);
    EXPECT_EQ(RoundHalfUp(1.49f), 1);
    EXPECT_EQ(RoundHalfUp(-1.5f), -1);
    EXPECT_EQ(RoundHalfUp(-1.6f), -2);

    struct Case {
        int value, divisor, doubled, share, rest;
    } cases[] = {
        {7, 2, 0, 2, 5},   // 7 / 2 * 0.5 = 1.75 -> 2
        {7, 2, 1, 7, 0},   // 2 * 7 / 2 = 7
        {10, 3, 1, 7, 3},  // 6.67 -> 7
        {5, 4, 0, 1, 4},   // 0.625 -> 1
        {9, 0, 0, 9, 0},   // divisor below 1: the whole value
        {9, -2, 1, 9, 0},
    };
    for (const Case& c : cases) {
        int v = c.value;
        EXPECT_EQ(TakeShare(&v, c.divisor, c.doubled), c.share) << c.value << "/" << c.divisor;
        EXPECT_EQ(v, c.rest);
    }
}

} // namespace
