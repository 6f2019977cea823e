#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "core/constants.h"

namespace {

uint32_t Bits(float f) { return std::bit_cast<uint32_t>(f); }

TEST(Angles, TheTwoPisStayApart) {
    EXPECT_EQ(Bits(kPi1), 0x40490FDBu);
    EXPECT_EQ(Bits(kPi2), 0x40490FDAu);
    EXPECT_EQ(kPi2x0_001, 0.0031415925f);
    // The same fraction of each pi differs.
    EXPECT_EQ(kPi1x0_125, 0.39269909f);
    EXPECT_EQ(kPi2Sixteenths[2], 0.39269906f);
    EXPECT_NE(Bits(kPi1x0_125), Bits(kPi2Sixteenths[2]));
    EXPECT_EQ(kPi2Sixteenths[16], kPi2);
    EXPECT_EQ(Bits(kPi2Sixteenths[32]), Bits(kPi2) + 0x00800000u);  // 2 * pi2: exponent + 1
    EXPECT_EQ(Bits(kPi1x4), Bits(kPi1) + 0x01000000u);
    EXPECT_EQ(kPi1x0_0625, kPi1 / 16);
}

TEST(Angles, ProductsAreFormedInDoubleThenRounded) {
    // Thirds and sixths are where float and double products can differ.
    EXPECT_EQ(kPi1x2_3, static_cast<float>(3.1415927410125732 * 2.0 / 3.0));
    EXPECT_EQ(kPi1x1_3, static_cast<float>(3.1415927410125732 / 3.0));
    EXPECT_EQ(kPi1x1_6, static_cast<float>(3.1415927410125732 / 6.0));
    EXPECT_EQ(kPi1x3, static_cast<float>(3.1415927410125732 * 3.0));
    EXPECT_EQ(kPi1x1_5, static_cast<float>(3.1415927410125732 * 1.5));
    for (int k = 1; k <= 32; ++k)
        EXPECT_EQ(kPi2Sixteenths[k], static_cast<float>(3.1415925025939941 * k / 16.0)) << k;
    EXPECT_EQ(kCombatZoomLimit, 0.0375f);
}

TEST(Colours, WordsMatchTheirFieldsInBothLayouts) {
    struct Fields {
        int r, g555, b, g565;
    };
    // (red, green, blue) in 555 and the 565 green, colour by colour.
    const Fields fields[24] = {
        {31, 31, 31, 63}, {1, 1, 1, 3},     {0, 0, 31, 0},    {0, 0, 13, 1},    {18, 18, 31, 37}, {31, 31, 0, 63},
        {18, 18, 0, 37},  {31, 31, 15, 63}, {0, 31, 0, 63},   {1, 15, 1, 30},   {15, 29, 15, 59}, {31, 0, 0, 0},
        {13, 0, 0, 1},    {31, 10, 10, 20}, {3, 13, 23, 26},  {16, 22, 28, 44}, {31, 0, 31, 0},   {28, 12, 3, 25},
        {31, 29, 20, 59}, {31, 24, 8, 49},  {7, 3, 2, 7},     {28, 3, 5, 6},    {13, 13, 13, 26}, {31, 28, 18, 56},
    };
    for (int i = 0; i < 24; ++i) {
        const Fields& f = fields[i];
        const ColourWords& c = kColourTable[i];
        EXPECT_EQ(c.w555, (f.r << 10) | (f.g555 << 5) | f.b) << "colour " << i + 1;
        EXPECT_EQ(c.w565, (f.r << 11) | (f.g565 << 5) | f.b) << "colour " << i + 1;
        EXPECT_EQ(c.Pick(false), c.w555);
        EXPECT_EQ(c.Pick(true), c.w565);
    }
    EXPECT_EQ(kColMagenta.w555, 0x7C1F);
    EXPECT_EQ(kColMagenta.w565, 0xF81F);
    EXPECT_EQ(kColourTable[16].w565, kColMagenta.w565);
}

} // namespace
