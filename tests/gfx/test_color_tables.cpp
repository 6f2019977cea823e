// Colour tables against an independent model: channels decoded by masks,
// factors as exact hundredths in integer arithmetic.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "gfx/color_tables.h"
#include "gfx/pixel_format.h"

namespace {

struct Ch {
    int r, g, b;
};

Ch Split(uint32_t p, bool is565) {
    if (is565) return {int((p & 0xF800) >> 8), int((p & 0x07E0) >> 3), int((p & 0x001F) << 3)};
    return {int((p & 0x7C00) >> 7), int((p & 0x03E0) >> 2), int((p & 0x001F) << 3)};
}

uint16_t Join(int r, int g, int b, bool is565) {
    if (is565) return uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
    return uint16_t(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}

// Factor in hundredths; -1 keeps the channel.
int Mul(int ch, int hundredths, bool clamp) {
    if (hundredths < 0) return ch;
    int v = ch * hundredths / 100;
    return clamp ? std::min(v, 255) : v;
}

std::vector<uint16_t> Model(int fr, int fg, int fb, bool clamp, bool is565) {
    std::vector<uint16_t> t(65536);
    for (uint32_t c = 0; c < 65536; ++c) {
        Ch x = Split(c, is565);
        t[c] = Join(Mul(x.r, fr, clamp), Mul(x.g, fg, clamp), Mul(x.b, fb, clamp), is565);
    }
    return t;
}

std::vector<uint16_t> BlendModel(int k, bool is565) {
    std::vector<uint16_t> t(65536);
    for (uint32_t c = 0; c < 65536; ++c) {
        Ch x = Split(c, is565);
        t[c] = Join(x.r * k / 16, x.g * k / 16, x.b * k / 16, is565);
    }
    return t;
}

std::vector<uint16_t> GreyModel(bool is565) {
    std::vector<uint16_t> t(65536);
    for (uint32_t c = 0; c < 65536; ++c) {
        Ch x = Split(c, is565);
        int m = std::max({x.r, x.g, x.b});
        t[c] = Join(m, m, m, is565);
    }
    return t;
}

const int kF0[16] = {65, 68, 71, 74, 77, 79, 81, 83, 85, 87, 89, 92, 94, 96, 98, 100};
const int kF1[16] = {15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 90, 100};
const int kF5[16] = {20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90, 100};
const int kG5[16] = {60, 64, 68, 72, 76, 82, 84, 88, 92, 96, 100, 100, 100, 104, 106, 108};

std::vector<uint16_t> BrightnessModel(int mode, int k, bool is565) {
    const int f = kF0[k];
    switch (mode) {
    case 0: return Model(f, f, -1, false, is565);
    case 1: return Model(kF1[k], kF1[k], kF1[k], false, is565);
    case 2: return Model(-1, f, f, false, is565);
    case 3: return Model(f, -1, f, false, is565);
    case 4: return Model(-1, -1, f, false, is565);
    default: {
        // Mode 5: only blue may grow, and only blue is clamped.
        std::vector<uint16_t> t(65536);
        for (uint32_t c = 0; c < 65536; ++c) {
            Ch x = Split(c, is565);
            t[c] = Join(x.r * kF5[k] / 100, x.g * kF5[k] / 100, std::min(255, x.b * kG5[k] / 100), is565);
        }
        return t;
    }
    }
}

uint64_t Fnv(const uint16_t* t) {
    uint64_t h = 1469598103934665603ull;
    for (int i = 0; i < 65536; ++i) {
        h = (h ^ (t[i] & 0xFF)) * 1099511628211ull;
        h = (h ^ (t[i] >> 8)) * 1099511628211ull;
    }
    return h;
}

// Whole-table checksum plus the first differing entry, for a readable failure.
void ExpectTable(int index, const std::vector<uint16_t>& want) {
    const uint16_t* got = GetColorTable(index);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(Fnv(got), Fnv(want.data())) << "table " << index;
    for (int c = 0; c < 65536; ++c) {
        if (got[c] != want[c]) {
            ADD_FAILURE() << "table " << index << " entry 0x" << std::hex << c << ": got 0x" << got[c]
                          << " want 0x" << want[c];
            return;
        }
    }
}

class ColorTablesTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        FreeColorTables();
        BuildColorTables(GetParam());
    }
    void TearDown() override { FreeColorTables(); }
    bool Is565() const { return GetParam() == 16; }
};

TEST_P(ColorTablesTest, EveryTableMatchesTheModel) {
    const bool is565 = Is565();
    // Brightness levels are filled at allocation, for ambient mode 0.
    for (int k = 0; k < 16; ++k) ExpectTable(k, BrightnessModel(0, k, is565));
    for (int k = 0; k < 16; ++k) ExpectTable(16 + k, BlendModel(k, is565));
    ExpectTable(32, GreyModel(is565));
    std::vector<uint16_t> brighten = Model(135, 135, 135, true, is565);
    brighten[0] = Join(14, 14, 14, is565);
    ExpectTable(33, Model(130, 130, 200, true, is565));
    ExpectTable(34, brighten);
    ExpectTable(35, Model(50, 50, 200, true, is565));
    ExpectTable(36, Model(100, 30, 30, true, is565));
    ExpectTable(37, Model(30, 100, 30, true, is565));
    ExpectTable(38, Model(100, 100, 30, true, is565));
}

TEST_P(ColorTablesTest, BrightnessModesRebuildOnlyTheLevels) {
    const bool is565 = Is565();
    const uint64_t greyBefore = Fnv(GetColorTable(32));
    for (int mode = 1; mode <= 5; ++mode) {
        BuildBrightnessTables(mode, GetParam());
        for (int k = 0; k < 16; ++k) ExpectTable(k, BrightnessModel(mode, k, is565));
    }
    // Modes above 5 leave the levels as they were.
    BuildBrightnessTables(6, GetParam());
    ExpectTable(3, BrightnessModel(5, 3, is565));
    EXPECT_EQ(Fnv(GetColorTable(32)), greyBefore);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ColorTablesTest, ::testing::Values(16, 15),
                         [](const auto& info) { return info.param == 16 ? "565" : "555"; });

TEST(ColorTables, KnownEntries) {
    FreeColorTables();
    BuildColorTables(16);
    EXPECT_EQ(g_BlendTables, g_ColorTables + 16);
    for (int c : {0x0000, 0x1234, 0xFFFF, 0xF81F}) EXPECT_EQ(g_BlendTables[0][c], 0);
    EXPECT_EQ(g_BlendTables[15][0xFFFF], 0xEF7D);
    EXPECT_EQ(g_ColorTables[32][0x001F], 0xFFDF);
    EXPECT_EQ(g_ColorTables[34][0x0000], 0x0861);
    // Mode 0 keeps blue; level 15 is the identity for red and green.
    EXPECT_EQ(g_ColorTables[15][0xFFFF], 0xFFFF);
    EXPECT_EQ(g_ColorTables[0][0x001F], 0x001F);
    // Mode 5 raises blue at the top level: 0x10 x 8 = 128 x 1.08 = 138.
    BuildBrightnessTables(5, 16);
    EXPECT_EQ(g_ColorTables[15][0x0010], 138 >> 3);
    FreeColorTables();

    BuildColorTables(15);
    EXPECT_EQ(g_BlendTables[15][0x7FFF], 0x77BD); // 248 x 15/16 = 232 -> 29 per field
    EXPECT_EQ(g_ColorTables[32][0x001F], 0x7FFF);
    EXPECT_EQ(g_ColorTables[34][0x0000], 0x0421);
    FreeColorTables();
}

TEST(ColorTables, BuiltOnceForTheLayoutInForce) {
    FreeColorTables();
    EXPECT_EQ(GetColorTable(0), nullptr);
    EXPECT_EQ(GetBlendTable(3), nullptr);
    BuildColorTables(16);
    uint16_t** first = g_ColorTables;
    BuildColorTables(15); // a later layout does not rebuild
    EXPECT_EQ(g_ColorTables, first);
    EXPECT_EQ(g_ColorTables[32][0x001F], 0xFFDF);
    FreeColorTables();
    EXPECT_EQ(g_ColorTables, nullptr);
    EXPECT_EQ(g_BlendTables, nullptr);
}

TEST(ColorTables, BuiltForThePixelFormatInForce) {
    FreeColorTables();
    const int32_t saved = g_PixelFormat.m_Format;
    g_PixelFormat.m_Format = 15;
    BuildColorTables();
    EXPECT_EQ(g_ColorTables[32][0x001F], 0x7FFF);
    EXPECT_EQ(g_ColorTables[34][0x0000], 0x0421);
    // The levels follow the format in force when they are rebuilt.
    g_PixelFormat.m_Format = 16;
    BuildBrightnessTables(1);
    EXPECT_EQ(g_ColorTables[7][0xFFFF], 0x7BEF); // 248 x 0.5 = 124, 252 x 0.5 = 126
    EXPECT_EQ(g_ColorTables[32][0x001F], 0x7FFF);
    g_PixelFormat.m_Format = saved;
    FreeColorTables();
}

TEST(ColorTables, LevelsAndTableNumbersAreRangeChecked) {
    FreeColorTables();
    BuildColorTables(16);
    EXPECT_EQ(GetColorTable(-1), nullptr);
    EXPECT_EQ(GetColorTable(39), nullptr);
    EXPECT_EQ(GetColorTable(38), g_ColorTables[38]);
    // -1 is the usual "none" level: it must not reach table 15 (level L[15]).
    EXPECT_EQ(GetBlendTable(-1), g_BlendTables[0]);
    EXPECT_EQ(GetBlendTable(16), g_BlendTables[15]);
    EXPECT_EQ(GetBrightnessTable(-5), g_ColorTables[0]);
    EXPECT_EQ(GetBrightnessTable(99), g_ColorTables[15]);
    FreeColorTables();
}

} // namespace
