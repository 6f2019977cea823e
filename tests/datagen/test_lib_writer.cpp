#include <gtest/gtest.h>

#include <string>

#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"

namespace {

using datagen::BuildLib;

std::string S(const char* bytes, size_t n) { return std::string(bytes, n); }

TEST(LibWriter, LibraryBytes) {
    const std::string lib = BuildLib({"abc", "", "de"});
    std::string want = S("quorLib2.0\0\0\0\0\0\0", 16) + S("\x03\x00\x00\x00", 4) + std::string(236, '\0');
    want += S("\x18\x01\x00\x00\x03\x00\x00\x00", 8);  // 256 + 24 = 0x118, size 3
    want += S("\x1B\x01\x00\x00\x00\x00\x00\x00", 8);
    want += S("\x1B\x01\x00\x00\x02\x00\x00\x00", 8);
    want += "abcde";
    EXPECT_EQ(lib, want);
    EXPECT_EQ(datagen::LibDirRowPos(2), 272u);
}

TEST(LibWriter, ListFile) {
    EXPECT_EQ(datagen::BuildIdxLib({"ui", "anim"}), "num=2\r\nname=ui\r\nname=anim\r\n");
}

TEST(LibWriter, FrameHeaderAndRawPixels) {
    datagen::ImageFrame f;
    f.width = 2;
    f.height = 1;
    f.pixels = {0x1234, 0xF81F};
    f.alpha = {0x10, 0xF0};
    f.ownBuffer = true;
    f.format = 15;
    f.colorKey = datagen::kKey555;
    const std::string got = datagen::EncodeFrame(f);
    std::string want = S("PIC\0\0", 5) + S("\x02\0\0\0\0\0\0\0\x01\0\0\0\0\0\0\0", 16);
    want += S("\x10\x0F\x00\x00", 4);                    // 16 bits, format 15, raw, unused
    want += S("\x01\x01\x00\x00", 4);                    // alpha, own buffer, no copy, plain alpha
    want += S("\x1F\x7C\x00\x00\x00\x00\x00\x00", 8);    // key, compressed size 0
    want += S("\x00\x00\x00", 3) + std::string(8, '\0');  // not altered
    want += S("\x10\xF0", 2) + S("\x34\x12\x1F\xF8", 4);
    EXPECT_EQ(got, want);
}

TEST(LibWriter, AlteredSizeAndRleRows) {
    datagen::ImageFrame f;
    f.width = 3;
    f.height = 1;
    f.rle = true;
    f.pixels = {0x0001, datagen::kKey565, 0x0002};
    f.alpha = {0x80, 0x00, 0x20};
    f.compressAlpha = true;
    f.alterSize = true;
    f.widthDiv = 3;  // D = 4: stored (3 - 1) x 4 + 3 = 11, restored 11 / 4 + 1 = 3
    f.widthAdd = 1;
    f.heightDiv = 0;  // D = 1: stored 1, restored 1
    const std::string got = datagen::EncodeFrame(f);
    ASSERT_GE(got.size(), 48u);
    EXPECT_EQ(got.substr(5, 16), S("\x0B\0\0\0\x01\0\0\0\x01\0\0\0\0\0\0\0", 16));
    EXPECT_EQ(got.substr(37, 3), S("\x01\x03\x00", 3));
    // Alpha: offsets, then skip 0, run 1 (0x80), skip 1, run 1 (0x20).
    const std::string alpha = S("\0\0\0\0", 4) + S("\x00\x00\x01\x00\x80\x01\x00\x01\x00\x20", 10);
    EXPECT_EQ(got.substr(33, 4), S("\x0E\0\0\0", 4));
    // Pixels: skip 0, run 2 bytes, skip 2, run 2 bytes (ends on the run).
    const std::string rows = S("\0\0\0\0", 4) + S("\x00\x00\x02\x00\x01\x00\x02\x00\x02\x00\x02\x00", 12);
    EXPECT_EQ(got.substr(48), alpha + rows);
}

TEST(LibWriter, LongRunsAndSkipsSplitAtSixteenBits) {
    // 40000 opaque pixels (80000 bytes): run 65534, skip 0, run 14466.
    std::vector<uint16_t> px(40000, 0x0101);
    const std::string rows = datagen::EncodeRleRows(px, 40000, 1, datagen::kKey565);
    ASSERT_EQ(rows.size(), 4u + 2 + 2 + 65534 + 2 + 2 + 14466);
    EXPECT_EQ(rows.substr(4, 4), S("\x00\x00\xFE\xFF", 4));
    EXPECT_EQ(rows.substr(8 + 65534, 4), S("\x00\x00\x82\x38", 4));
    // A keyed row of the same width: skip 65534, run 0, skip 14466.
    std::vector<uint16_t> keyed(40000, datagen::kKey565);
    EXPECT_EQ(datagen::EncodeRleRows(keyed, 40000, 1, datagen::kKey565),
              S("\0\0\0\0", 4) + S("\xFE\xFF\x00\x00\x82\x38", 6));
}

TEST(LibWriter, FrameAndAnimationTables) {
    EXPECT_EQ(datagen::BuildFrameTable({"ab", "c"}), S("\x02\0\0\0\x0C\0\0\0\x0E\0\0\0", 12) + "abc");
    datagen::AnimFrameSpec a;
    a.delay = 2;
    a.resId = 0x01200003;
    a.x = -1;
    a.hotY = 5;
    datagen::AnimFrameSpec e;
    e.empty = true;
    const std::string t = datagen::BuildAnimTable({{7, {a, e}}});
    std::string want = S("\x01\0\0\0\x02\0\0\0\x07\0\0\0\x07\0\0\0", 16);
    want += S("\0\0\0\0\x02\0\0\0\x03\0\x20\x01\xFF\xFF\xFF\xFF\0\0\0\0\0\0\0\0\x05\0\0\0", 28);
    want += S("\x01\0\0\0", 4) + std::string(24, '\0');
    EXPECT_EQ(t, want);
}

} // namespace
