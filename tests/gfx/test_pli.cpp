#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/pli_writer.h"
#include "gfx/pli.h"

namespace {

std::string Z(size_t n) { return std::string(n, '\0'); }
std::string Field(const std::string& text, size_t n) { return text + Z(n - text.size()); }
std::string U32(uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
}
std::string U16(uint16_t v) { return std::string{static_cast<char>(v), static_cast<char>(v >> 8)}; }

// Two parts; action 0 one frame (BD behind HD), action 1 two frames.
datagen::PliSpec Spec() {
    datagen::PliSpec s;
    s.roleName = "HERO";
    s.mainPart = "BD";
    s.partNames = {"BD", "HD"};
    s.actions = {{{0, 1}}, {{1, 0}, {0, 1}}};
    return s;
}

const std::string kCurrentBytes = std::string("wuyong", 7) + Field("HERO", 10) + Field("BD", 10) + U32(2) + U32(2) +
                                  Field("BD", 5) + Field("HD", 5) + U32(1) + std::string("\x00\x01", 2) + U32(2) +
                                  std::string("\x01\x00\x00\x01", 4);
const std::string kOlderBytes = Field("PLI", 10) + Field("HERO", 20) + U16(0) + U16(0) + "\x02" + Field("BD", 5) +
                                Field("BD", 5) + Z(5) + Field("HD", 5) + Z(5) + Z(32) + U16(2) + U16(1) + std::string("\x00\x01", 2) +
                                U16(2) + std::string("\x01\x00\x00\x01", 4);

int Parse(const std::string& bytes, const std::string& role, int32_t parts, PliHeader* out, std::string* why = nullptr) {
    return ParsePli(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), role, parts, out, why);
}

std::vector<uint8_t> Order(const PliHeader& h, int32_t a, int32_t f) {
    uint32_t len = 0;
    const uint8_t* p = h.FindOrder(a, f, &len);
    return p ? std::vector<uint8_t>(p, p + len) : std::vector<uint8_t>{};
}

TEST(PliWriter, BothFormsMatchHandWrittenBytes) {
    EXPECT_EQ(datagen::BuildPli(Spec()), kCurrentBytes);
    EXPECT_EQ(datagen::BuildOlderPli(Spec()), kOlderBytes);
}

TEST(PliReader, ReadsBothFormsFromHandWrittenBytes) {
    for (const std::string* bytes : {&kCurrentBytes, &kOlderBytes}) {
        SCOPED_TRACE(bytes == &kCurrentBytes ? "current" : "older");
        PliHeader h;
        // The role name is compared ignoring case (the older form has none).
        ASSERT_EQ(Parse(*bytes, "hero", 2, &h), 1);
        EXPECT_EQ(PliFieldText(h.mainPart, sizeof h.mainPart), "BD");
        EXPECT_EQ(h.actionCount, 2u);
        EXPECT_EQ(h.partCount, 2u);
        ASSERT_EQ(h.partNames.size(), 2u);
        EXPECT_EQ(PliFieldText(h.partNames[1].data(), 5), "HD");
        EXPECT_EQ(Order(h, 0, 0), (std::vector<uint8_t>{0, 1}));
        EXPECT_EQ(Order(h, 1, 0), (std::vector<uint8_t>{1, 0}));
        EXPECT_EQ(Order(h, 1, 1), (std::vector<uint8_t>{0, 1}));
        // Lookups outside the file's tables fall back to action 0 / frame 0.
        EXPECT_EQ(Order(h, 2, 1), (std::vector<uint8_t>{0, 1}));
        EXPECT_EQ(Order(h, -1, 0), (std::vector<uint8_t>{0, 1}));
        EXPECT_EQ(Order(h, 1, 5), (std::vector<uint8_t>{1, 0}));
        EXPECT_EQ(PliFieldText(h.roleName, sizeof h.roleName), bytes == &kCurrentBytes ? "HERO" : "");
    }
}

TEST(PliReader, EveryTruncationIsRefused) {
    for (const std::string* bytes : {&kCurrentBytes, &kOlderBytes})
        for (size_t n = 0; n < bytes->size(); ++n) {
            PliHeader h;
            h.partCount = 77;
            EXPECT_EQ(Parse(bytes->substr(0, n), "HERO", 2, &h), 0) << n;
            EXPECT_EQ(h.partCount, 77u) << "touched on failure at " << n;
        }
}

TEST(PliReader, RefusesMismatchesAndOverflowingCounts) {
    struct Case {
        const char* what;
        std::string bytes;
        int32_t parts;
        const char* why;
    };
    std::string otherRole = kCurrentBytes;
    otherRole.replace(7, 4, "HERA");
    std::string hugeActions = kCurrentBytes;
    hugeActions.replace(27, 4, U32(0xFFFFFFFFu));
    std::string hugeFrames = kCurrentBytes;
    hugeFrames.replace(45, 4, U32(0x7FFFFFFFu));
    const Case cases[] = {
        {"other role", otherRole, 2, "file of role \"HERA\""},
        // More parts in the file than the sprite's part table holds.
        {"part count above the sprite's", kCurrentBytes, 1, "part count 2 above the sprite's 1"},
        {"older form, fewer main parts", kOlderBytes, 1, "part count 2 differs from the sprite's 1 (older form)"},
        {"older form, more main parts", kOlderBytes, 3, "part count 2 differs from the sprite's 3 (older form)"},
        {"action count beyond the file", hugeActions, 2, "action count 4294967295 beyond the file"},
        {"frame count beyond the file", hugeFrames, 2, "short read in the order lists of action 0"},
    };
    for (const Case& c : cases) {
        PliHeader h;
        std::string why;
        EXPECT_EQ(Parse(c.bytes, "HERO", c.parts, &h, &why), 0) << c.what;
        EXPECT_EQ(why, c.why) << c.what;
    }
}

TEST(PliReader, NamesFillingTheirFieldsAreReadWithinThem) {
    // Role, main part and part names without a terminating NUL.
    const std::string bytes = std::string("wuyong", 7) + "ABCDEFGHIJ" + "KLMNOPQRST" + U32(1) + U32(1) + "UVWXY" +
                              U32(1) + std::string(1, '\0');
    PliHeader h;
    ASSERT_EQ(Parse(bytes, "abcdefghij", 1, &h), 1);
    EXPECT_EQ(Parse(bytes, "ABCDEFGHIJK", 1, &h), 0);
    // Kept NUL-terminated within the record's fields.
    EXPECT_EQ(PliFieldText(h.roleName, sizeof h.roleName), "ABCDEFGHI");
    EXPECT_EQ(PliFieldText(h.mainPart, sizeof h.mainPart), "KLMNOPQRS");
    EXPECT_EQ(PliFieldText(h.partNames[0].data(), 5), "UVWX");
    EXPECT_EQ(h.partNames[0][4], '\0');
}

TEST(PliReader, NoPartsMeansEmptyOrderLists) {
    // P = 0 with a huge frame count: nothing to allocate, nothing to draw.
    const std::string bytes = std::string("wuyong", 7) + Field("HERO", 10) + Field("BD", 10) + U32(1) + U32(0) +
                              U32(0xFFFFFFFFu);
    PliHeader h;
    ASSERT_EQ(Parse(bytes, "HERO", 3, &h), 1);
    uint32_t len = 9;
    EXPECT_EQ(h.FindOrder(0, 0, &len), nullptr);
    EXPECT_EQ(len, 0u);
    EXPECT_FALSE(h.IsFilledFor("HERO"));
}

} // namespace
