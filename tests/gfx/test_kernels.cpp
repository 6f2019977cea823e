// Pixel kernels, checked pixel by pixel against plain per-channel models.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "gfx/color_tables.h"
#include "gfx/kernels.h"

namespace {

constexpr uint16_t kGuard = 0xA5A5;

// A 16-bit canvas with a padded pitch whose padding must stay untouched.
// Pixels start one byte into the buffer when `odd` is set, so the kernels
// are also run on addresses that are not 2- or 4-byte aligned.
struct Canvas {
    int w, h, pitch;
    bool odd;
    std::vector<uint8_t> buf;
    Canvas(int w_, int h_, int padPixels = 3, bool odd_ = false)
        : w(w_), h(h_), pitch((w_ + padPixels) * 2), odd(odd_), buf(size_t(pitch) * h_ + 2) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w + padPixels; ++x) Raw(x, y) = kGuard;
    }
    uint8_t* Base() { return buf.data() + (odd ? 1 : 0); }
    uint8_t* At(int x, int y) { return Base() + y * pitch + 2 * x; }
    struct Ref {
        uint8_t* p;
        operator uint16_t() const { return uint16_t(p[0] | p[1] << 8); }
        Ref& operator=(uint16_t v) {
            p[0] = uint8_t(v);
            p[1] = uint8_t(v >> 8);
            return *this;
        }
    };
    Ref Raw(int x, int y) { return Ref{At(x, y)}; }
    uint16_t Get(int x, int y) { return Raw(x, y); }
    void Set(int x, int y, uint16_t v) { Raw(x, y) = v; }
    bool PaddingIntact() {
        for (int y = 0; y < h; ++y)
            for (int x = w; x < pitch / 2; ++x)
                if (Get(x, y) != kGuard) return false;
        return true;
    }
};

uint16_t Pattern(int x, int y) { return uint16_t((x * 0x9E37 + y * 0x7F4A7C15u + 0x1234) >> 3); }

// 5-6-5 channel model, independent of the tables.
struct Ch {
    int r, g, b;
};
Ch Split(uint16_t p) { return {(p >> 11) * 8, ((p >> 5) & 63) * 4, (p & 31) * 8}; }
uint16_t Join(Ch c) { return uint16_t(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3)); }
uint16_t Frac(uint16_t p, int k) {
    Ch c = Split(p);
    return Join({c.r * k / 16, c.g * k / 16, c.b * k / 16});
}
// k/16 of one pixel plus (15-k)/16 of the other, as two table lookups added.
uint16_t Mix(uint16_t weighted, uint16_t other, int k) { return uint16_t(Frac(weighted, k) + Frac(other, 15 - k)); }

class KernelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        FreeColorTables();
        BuildColorTables(16);
    }
    static void TearDownTestSuite() { FreeColorTables(); }
};

// ---- Raw rows ----

TEST_F(KernelTest, KeyedCopySkipsOnlyTheKeyAndKeepsStrides) {
    for (bool odd : {false, true}) {
        Canvas src(7, 4, 5), dst(7, 4, 2, odd);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 7; ++x) {
                src.Set(x, y, (x + y) % 3 == 0 ? 0xF81F : Pattern(x, y));
                dst.Set(x, y, 0x1111);
            }
        src.Set(1, 1, 0xFFFF);
        KeyedCopy16(dst.At(0, 0), src.At(0, 0), 7, 4, dst.pitch, src.pitch, 0xF81F);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 7; ++x)
                EXPECT_EQ(dst.Get(x, y), (x + y) % 3 == 0 ? 0x1111 : src.Get(x, y)) << x << "," << y;
        EXPECT_TRUE(dst.PaddingIntact());

        // A key of -1 never matches a 16-bit pixel, not even 0xFFFF.
        KeyedCopy16(dst.At(0, 0), src.At(0, 0), 7, 4, dst.pitch, src.pitch, 0xFFFFFFFFu);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 7; ++x) EXPECT_EQ(dst.Get(x, y), src.Get(x, y));
        EXPECT_TRUE(dst.PaddingIntact());
    }
}

TEST_F(KernelTest, KeyedCopyOfAllKeyChangesNothing) {
    Canvas src(5, 3), dst(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            src.Set(x, y, 0x7C1F);
            dst.Set(x, y, Pattern(x, y));
        }
    Canvas before = dst;
    KeyedCopy16(dst.At(0, 0), src.At(0, 0), 5, 3, dst.pitch, src.pitch, 0x7C1F);
    EXPECT_EQ(dst.buf, before.buf);
}

TEST_F(KernelTest, TranslucentBlendWeighsTheDestinationByLevel) {
    for (int k : {0, 1, 7, 15}) {
        Canvas src(9, 3, 1), dst(9, 3, 4, true);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 9; ++x) {
                src.Set(x, y, x == 4 ? 0xF81F : Pattern(x, y));
                dst.Set(x, y, Pattern(y, x + 5));
            }
        Canvas before = dst;
        BlendCopy16(dst.At(0, 0), src.At(0, 0), 9, 3, dst.pitch, src.pitch, g_BlendTables[k], g_BlendTables[15 - k],
                    0xF81F);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 9; ++x) {
                uint16_t want = x == 4 ? before.Get(x, y) : Mix(before.Get(x, y), src.Get(x, y), k);
                EXPECT_EQ(dst.Get(x, y), want) << "k " << k << " at " << x << "," << y;
            }
        EXPECT_TRUE(dst.PaddingIntact());
    }
    // Level 0: fifteen sixteenths of the source whatever lies underneath.
    Canvas src(1, 1), dst(1, 1);
    src.Set(0, 0, 0xFFFF);
    dst.Set(0, 0, 0x1234);
    BlendCopy16(dst.At(0, 0), src.At(0, 0), 1, 1, dst.pitch, src.pitch, g_BlendTables[0], g_BlendTables[15], 0xF81F);
    EXPECT_EQ(dst.Get(0, 0), 0xEF7D);
}

TEST_F(KernelTest, TableMapAndFastFill) {
    Canvas c(5, 3, 2, true);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) c.Set(x, y, Pattern(x, y));
    Canvas before = c;
    TableMap16(c.At(1, 0), 3, 2, c.pitch, g_ColorTables[32]);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            Ch p = Split(before.Get(x, y));
            int m = std::max({p.r, p.g, p.b});
            bool inside = x >= 1 && x <= 3 && y <= 1;
            EXPECT_EQ(c.Get(x, y), inside ? Join({m, m, m}) : before.Get(x, y));
        }

    // Pairs are counted from the first pixel of the rectangle, not from memory
    // alignment: low half, high half, then the low half alone for odd widths.
    for (int w : {1, 2, 3, 4, 5}) {
        Canvas f(7, 3, 2, true);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x) f.Set(x, y, 0x0BAD);
        FastFill16(f.At(1, 1), w, 2, f.pitch, 0x22221111u);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x) {
                bool inside = y >= 1 && x >= 1 && x < 1 + w;
                uint16_t want = !inside ? 0x0BAD : ((x - 1) % 2 == 0 ? 0x1111 : 0x2222);
                EXPECT_EQ(f.Get(x, y), want) << "w " << w << " at " << x << "," << y;
            }
        EXPECT_TRUE(f.PaddingIntact());
    }
}

// ---- Shade ----

// Per field, by the level table: 0 black, n eighths for 1-7, 8 kept, above 8
// as 7.
int ShadeField(int f, int m) {
    switch (m) {
    case 0: return 0;
    case 1: return f >> 3;
    case 2: return f >> 2;
    case 3: return (f >> 3) + (f >> 2);
    case 4: return f >> 1;
    case 5: return (f >> 3) + (f >> 1);
    case 6: return (f >> 2) + (f >> 1);
    case 8: return f;
    default: return (f >> 3) + (f >> 2) + (f >> 1);
    }
}
uint16_t ShadeModel(uint16_t c, int m, bool is565) {
    if (m == 8) return c;
    if (is565) return uint16_t(ShadeField(c >> 11, m) << 11 | ShadeField((c >> 5) & 63, m) << 5 | ShadeField(c & 31, m));
    return uint16_t(ShadeField(c >> 10, m) << 10 | ShadeField((c >> 5) & 31, m) << 5 | ShadeField(c & 31, m));
}

TEST_F(KernelTest, ShadeEveryPixelAtEveryLevelBothLayouts) {
    // 256 x 256 canvas holding every pixel value; one level per row group.
    const int levels[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 200, 255};
    for (bool is565 : {true, false}) {
        for (int m : levels) {
            Canvas c(256, 256, 2, true);
            for (int y = 0; y < 256; ++y)
                for (int x = 0; x < 256; ++x) c.Set(x, y, uint16_t(y * 256 + x));
            // Mask with a stride wider than the width; all bytes the level.
            std::vector<uint8_t> mask(size_t(300) * 256, uint8_t(m));
            if (is565)
                ShadeRect_565(c.At(0, 0), mask.data(), c.pitch, 256, 256, 300);
            else
                ShadeRect_555(c.At(0, 0), mask.data(), c.pitch, 256, 256, 300);
            for (int y = 0; y < 256; ++y)
                for (int x = 0; x < 256; ++x) {
                    uint16_t p = uint16_t(y * 256 + x);
                    ASSERT_EQ(c.Get(x, y), ShadeModel(p, m, is565))
                        << (is565 ? "565" : "555") << " level " << m << " pixel 0x" << std::hex << p;
                }
            EXPECT_TRUE(c.PaddingIntact());
        }
    }
    EXPECT_EQ(ShadeModel(0xFFFF, 4, true), 0x7BEF);
}

TEST_F(KernelTest, ShadeEveryLevelValue) {
    // All 256 levels, each on 256 different pixels.
    for (bool is565 : {true, false}) {
        Canvas c(256, 256, 1);
        std::vector<uint8_t> mask(256 * 256);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                c.Set(x, y, uint16_t(y * 256 + x));
                mask[y * 256 + x] = uint8_t(x * 7 + y);
            }
        if (is565)
            ShadeRect_565(c.At(0, 0), mask.data(), c.pitch, 256, 256, 256);
        else
            ShadeRect_555(c.At(0, 0), mask.data(), c.pitch, 256, 256, 256);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                ASSERT_EQ(c.Get(x, y), ShadeModel(uint16_t(y * 256 + x), mask[y * 256 + x], is565))
                    << "level " << int(mask[y * 256 + x]);
    }
}

TEST_F(KernelTest, ShadeMixedLevelsFollowTheMaskPositions) {
    for (bool is565 : {true, false}) {
        // Block 32 x 32 with a different level in every byte.
        Canvas a(32, 32, 4, true), b(32, 32, 1);
        std::vector<uint8_t> mask(32 * 32);
        for (int i = 0; i < 32 * 32; ++i) mask[i] = uint8_t((i * 7 + i / 32) % 11);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                a.Set(x, y, Pattern(x, y));
                b.Set(x, y, Pattern(x, y));
            }
        if (is565) {
            ShadeBlock32_565(a.At(0, 0), mask.data(), a.pitch);
            ShadeRect_565(b.At(0, 0), mask.data(), b.pitch, 32, 32, 32);
        } else {
            ShadeBlock32_555(a.At(0, 0), mask.data(), a.pitch);
            ShadeRect_555(b.At(0, 0), mask.data(), b.pitch, 32, 32, 32);
        }
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                uint16_t want = ShadeModel(Pattern(x, y), mask[y * 32 + x], is565);
                EXPECT_EQ(a.Get(x, y), want);
                EXPECT_EQ(b.Get(x, y), want);
            }
        EXPECT_TRUE(a.PaddingIntact());
        EXPECT_TRUE(b.PaddingIntact());
    }
    // Widths 1..7 cover groups of four, the pair and the single pixel.
    for (int w = 1; w <= 7; ++w) {
        Canvas c(8, 2, 2);
        std::vector<uint8_t> mask = {1, 2, 3, 4, 5, 6, 7, 0, 9, 9, 9, 4, 4, 4, 4, 4, 4, 4, 4, 4};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 8; ++x) c.Set(x, y, 0xFFFF);
        ShadeRect_565(c.At(0, 0), mask.data(), c.pitch, w, 2, 10);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(c.Get(x, y), x < w ? ShadeModel(0xFFFF, mask[y * 10 + x], true) : 0xFFFF)
                    << "w " << w << " at " << x << "," << y;
    }
}

// ---- RLE rows ----

// One image of 16-bit pixels where kT marks a transparent pixel.
constexpr int kT = -1;

// Plane as images store it: u32 row offsets, then rows of u16 skip,
// (u16 run, bytes, u16 skip)..., lengths in bytes.
std::vector<uint8_t> EncodeRle(const std::vector<std::vector<int>>& img) {
    std::vector<uint8_t> data;
    std::vector<uint32_t> offsets;
    auto put16 = [&](int v) {
        data.push_back(uint8_t(v));
        data.push_back(uint8_t(v >> 8));
    };
    for (const auto& row : img) {
        offsets.push_back(uint32_t(data.size()));
        const int w = int(row.size());
        int x = 0;
        int skip = 0;
        while (x < w && row[x] == kT) ++x, ++skip;
        put16(skip * 2);
        while (x < w) {
            int start = x;
            while (x < w && row[x] != kT) ++x;
            put16((x - start) * 2);
            for (int i = start; i < x; ++i) put16(row[i]);
            if (x == w) break;
            skip = 0;
            while (x < w && row[x] == kT) ++x, ++skip;
            put16(skip * 2);
        }
    }
    std::vector<uint8_t> plane;
    for (uint32_t o : offsets)
        for (int i = 0; i < 4; ++i) plane.push_back(uint8_t(o >> (8 * i)));
    plane.insert(plane.end(), data.begin(), data.end());
    return plane;
}

RleRows RowsOf(const std::vector<uint8_t>& plane, int rowCount, int firstRow = 0) {
    return RleRows{plane.data() + 4 * rowCount, plane.data() + 4 * firstRow};
}

const std::vector<std::vector<int>> kImage = {
    {kT, kT, 0x1111, 0x2222, 0x3333, kT, 0x4444, kT, kT, kT, 0x5555, 0x6666},
    {0x7777, 0x8888, kT, kT, kT, kT, kT, 0x9999, 0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD},
    {kT, kT, kT, kT, kT, kT, kT, kT, kT, kT, kT, kT},
    {0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007, 0x0008, 0x0009, 0x000A, 0x000B, kT},
};

TEST_F(KernelTest, RleRowReadFromHandWrittenBytes) {
    // Four pixels: skip 1, run of 2, skip 1.
    const std::vector<uint8_t> plane = {0, 0, 0, 0, 2, 0, 4, 0, 0x11, 0x11, 0x22, 0x22, 2, 0};
    ASSERT_TRUE(RleRowsValid(plane.data(), uint32_t(plane.size()), 1, 8, 2));
    Canvas c(4, 1);
    for (int x = 0; x < 4; ++x) c.Set(x, 0, 0x0BAD);
    RleCopy(c.At(0, 0), RowsOf(plane, 1), 8, 1, c.pitch, 0);
    EXPECT_EQ(c.Get(0, 0), 0x0BAD);
    EXPECT_EQ(c.Get(1, 0), 0x1111);
    EXPECT_EQ(c.Get(2, 0), 0x2222);
    EXPECT_EQ(c.Get(3, 0), 0x0BAD);
    EXPECT_TRUE(c.PaddingIntact());
}

// Every visible window of every row, through all three pixel RLE kernels.
TEST_F(KernelTest, RleRowsCutAnywhereByTheWindow) {
    const std::vector<uint8_t> plane = EncodeRle(kImage);
    const int W = 12, H = int(kImage.size());
    ASSERT_TRUE(RleRowsValid(plane.data(), uint32_t(plane.size()), H, W * 2, 2));
    const uint16_t* grey = g_ColorTables[32];
    for (int kernel = 0; kernel < 3; ++kernel) {
        for (int sx = 0; sx < W; ++sx) {
            for (int vw = 1; sx + vw <= W; ++vw) {
                Canvas c(vw, H, 2, true);
                for (int y = 0; y < H; ++y)
                    for (int x = 0; x < vw; ++x) c.Set(x, y, Pattern(x, y));
                const RleRows rows = RowsOf(plane, H);
                if (kernel == 0) RleCopy(c.At(0, 0), rows, vw * 2, H, c.pitch, sx * 2);
                if (kernel == 1) RleTable16(c.At(0, 0), rows, vw * 2, H, c.pitch, sx * 2, grey);
                if (kernel == 2) RleBlend16(c.At(0, 0), rows, vw * 2, H, c.pitch, sx * 2, g_BlendTables[11], g_BlendTables[4]);
                for (int y = 0; y < H; ++y)
                    for (int x = 0; x < vw; ++x) {
                        const int s = kImage[y][sx + x];
                        const uint16_t d = Pattern(x, y);
                        uint16_t want = d;
                        if (s != kT) {
                            if (kernel == 0) want = uint16_t(s);
                            if (kernel == 1) {
                                Ch p = Split(uint16_t(s));
                                int m = std::max({p.r, p.g, p.b});
                                want = Join({m, m, m});
                            }
                            // The source is weighed by the level here.
                            if (kernel == 2) want = Mix(uint16_t(s), d, 11);
                        }
                        ASSERT_EQ(c.Get(x, y), want)
                            << "kernel " << kernel << " window " << sx << "+" << vw << " at " << x << "," << y;
                    }
                ASSERT_TRUE(c.PaddingIntact());
            }
        }
    }
    // Starting part-way down the image: the offsets pointer names the first row.
    Canvas c(W, 1);
    RleCopy(c.At(0, 0), RowsOf(plane, H, 3), W * 2, 1, c.pitch, 0);
    EXPECT_EQ(c.Get(10, 0), 0x000B);
    EXPECT_EQ(c.Get(11, 0), kGuard);
}

// Compressed alpha rows: u16 skip in pixels, then while below the width
// u16 run, one byte per pixel, u16 skip. kT = outside every alpha run.
std::vector<uint8_t> EncodeAlpha(const std::vector<std::vector<int>>& alpha) {
    std::vector<uint8_t> data;
    std::vector<uint32_t> offsets;
    auto put16 = [&](int v) {
        data.push_back(uint8_t(v));
        data.push_back(uint8_t(v >> 8));
    };
    for (const auto& row : alpha) {
        offsets.push_back(uint32_t(data.size()));
        const int w = int(row.size());
        int x = 0;
        while (x < w && row[x] == kT) ++x;
        put16(x);
        while (x < w) {
            int start = x;
            while (x < w && row[x] != kT) ++x;
            put16(x - start);
            for (int i = start; i < x; ++i) data.push_back(uint8_t(row[i]));
            if (x == w) break;
            start = x;
            while (x < w && row[x] == kT) ++x;
            put16(x - start);
        }
    }
    std::vector<uint8_t> plane;
    for (uint32_t o : offsets)
        for (int i = 0; i < 4; ++i) plane.push_back(uint8_t(o >> (8 * i)));
    plane.insert(plane.end(), data.begin(), data.end());
    return plane;
}

const std::vector<std::vector<int>> kAlpha = {
    {0xF0, kT, 0x20, 0x10, 0xFF, 0x80, kT, kT, 0x00, 0x30, 0x2F, 0x1F},
    {0x20, 0x10, 0x40, kT, kT, kT, kT, 0x90, 0xA0, kT, 0xF0, 0xE0},
    {kT, kT, kT, kT, kT, kT, kT, kT, kT, kT, kT, kT},
    {kT, kT, 0x50, 0x60, 0x70, 0x80, 0x90, 0xA0, 0xB0, 0xC0, 0xD0, kT},
};

TEST_F(KernelTest, RleAlphaBlendsInsideAlphaRunsAboveLevelOne) {
    const std::vector<uint8_t> plane = EncodeRle(kImage);
    const std::vector<uint8_t> alpha = EncodeAlpha(kAlpha);
    const int W = 12, H = int(kImage.size());
    ASSERT_TRUE(RleAlphaRowsValid(alpha.data(), uint32_t(alpha.size()), H, W));
    // -1 (the usual "none") fades like 0; 15 leaves nothing to draw.
    for (int fade : {0, 1, 3, -1, -20, 15, 99}) {
        const int f = fade < 0 ? 0 : (fade > 15 ? 15 : fade);
        for (int sx = 0; sx < W; ++sx) {
            for (int vw = 1; sx + vw <= W; ++vw) {
                Canvas c(vw, H, 2, true);
                for (int y = 0; y < H; ++y)
                    for (int x = 0; x < vw; ++x) c.Set(x, y, Pattern(x, y));
                if (fade == 0)
                    RleAlpha16(c.At(0, 0), RowsOf(plane, H), RowsOf(alpha, H), vw * 2, H, c.pitch, W, sx * 2);
                else
                    RleAlphaFaded16(c.At(0, 0), RowsOf(plane, H), RowsOf(alpha, H), vw * 2, H, c.pitch, W, sx * 2,
                                    fade);
                for (int y = 0; y < H; ++y)
                    for (int x = 0; x < vw; ++x) {
                        const int s = kImage[y][sx + x];
                        const int al = kAlpha[y][sx + x];
                        const uint16_t d = Pattern(x, y);
                        uint16_t want = d;
                        if (s != kT && al != kT) {
                            const int a = (al >> 4) - f;
                            if (a > 1) want = Mix(uint16_t(s), d, a);
                        }
                        ASSERT_EQ(c.Get(x, y), want)
                            << "fade " << fade << " window " << sx << "+" << vw << " at " << x << "," << y;
                    }
                ASSERT_TRUE(c.PaddingIntact());
            }
        }
    }
    // Alpha 0x10 (a = 1) is not drawn; 0x20 (a = 2) is T[2] of the source
    // plus T[13] of the destination.
    Canvas c(4, 1);
    for (int x = 0; x < 4; ++x) c.Set(x, 0, 0x8410);
    RleAlpha16(c.At(0, 0), RowsOf(plane, H), RowsOf(alpha, H), 8, 1, c.pitch, W, 2 * 2);
    EXPECT_EQ(c.Get(0, 0), uint16_t(g_BlendTables[2][0x1111] + g_BlendTables[13][0x8410]));
    EXPECT_EQ(c.Get(1, 0), 0x8410);
}

TEST_F(KernelTest, RleAlphaDrawsNothingWithoutTables) {
    const std::vector<uint8_t> plane = EncodeRle(kImage);
    const std::vector<uint8_t> alpha = EncodeAlpha(kAlpha);
    FreeColorTables();
    Canvas c(12, 4);
    Canvas before = c;
    RleAlpha16(c.At(0, 0), RowsOf(plane, 4), RowsOf(alpha, 4), 24, 4, c.pitch, 12, 0);
    EXPECT_EQ(c.buf, before.buf);
    BuildColorTables(16);
}

TEST(RleValidation, RefusesPlanesTheKernelsCouldOverrun) {
    const std::vector<uint8_t> good = EncodeRle(kImage);
    EXPECT_TRUE(RleRowsValid(good.data(), uint32_t(good.size()), 4, 24, 2));
    // Truncated anywhere.
    for (size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_FALSE(RleRowsValid(good.data(), uint32_t(cut), 4, 24, 2)) << cut;
    // A row offset past the data.
    std::vector<uint8_t> bad = good;
    bad[4] = 0xF0;
    EXPECT_FALSE(RleRowsValid(bad.data(), uint32_t(bad.size()), 4, 24, 2));
    // Odd byte lengths in a 16-bit plane.
    const std::vector<uint8_t> odd = {0, 0, 0, 0, 1, 0, 3, 0, 1, 2, 3};
    EXPECT_FALSE(RleRowsValid(odd.data(), uint32_t(odd.size()), 1, 4, 2));
    // Zero-length runs and skips forever never reach the row's width.
    std::vector<uint8_t> zeros(4 + 64, 0);
    EXPECT_FALSE(RleRowsValid(zeros.data(), uint32_t(zeros.size()), 1, 8, 2));
    EXPECT_FALSE(RleRowsValid(good.data(), uint32_t(good.size()), -1, 24, 2));

    const std::vector<uint8_t> alpha = EncodeAlpha(kAlpha);
    EXPECT_TRUE(RleAlphaRowsValid(alpha.data(), uint32_t(alpha.size()), 4, 12));
    for (size_t cut = 0; cut < alpha.size(); ++cut)
        EXPECT_FALSE(RleAlphaRowsValid(alpha.data(), uint32_t(cut), 4, 12)) << cut;
    EXPECT_FALSE(RleAlphaRowsValid(zeros.data(), uint32_t(zeros.size()), 1, 8));
}

} // namespace
