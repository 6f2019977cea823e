// Drawing primitives on locked picture memory, checked byte by byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gfx/color_tables.h"
#include "gfx/primitives.h"

namespace {

constexpr uint8_t kPad = 0xEE;

// A picture in plain memory with the fields and operations the picture
// helpers use. The pitch is padded; padding bytes must stay kPad.
struct MemPic {
    int32_t m_OriginX = 0, m_OriginY = 0, m_Width, m_Height;
    uint8_t m_BitsPerPixel, m_Format;
    int16_t m_PitchFactor = 1;
    int32_t m_Pitch;
    uint32_t m_ColorKey = 0xF81F;
    std::vector<uint8_t> mem;
    bool failLock = false;
    int locks = 0, unlocks = 0;

    MemPic(int w, int h, int bits = 16, int format = 16)
        : m_Width(w), m_Height(h), m_BitsPerPixel(uint8_t(bits)), m_Format(uint8_t(format)),
          m_Pitch(w * bits / 8 + 6), mem(size_t(m_Pitch) * h, kPad) {
        for (int y = 0; y < h; ++y) std::memset(Row(y), 0, size_t(w * bits / 8));
    }
    uint8_t* Lock(const CGameRect*) {
        ++locks;
        return failLock ? nullptr : mem.data();
    }
    int Unlock() {
        ++unlocks;
        return 1;
    }
    uint32_t GetColorKey() { return m_ColorKey; }
    PixelView View() { return ViewOf(*this, mem.data()); }
    uint8_t* Row(int y) { return mem.data() + size_t(y) * m_Pitch; }
    uint16_t Get(int x, int y) { return uint16_t(Row(y)[2 * x] | Row(y)[2 * x + 1] << 8); }
    void Set(int x, int y, uint16_t v) {
        Row(y)[2 * x] = uint8_t(v);
        Row(y)[2 * x + 1] = uint8_t(v >> 8);
    }
    bool PaddingIntact() {
        for (int y = 0; y < m_Height; ++y)
            for (int i = m_Width * m_BitsPerPixel / 8; i < m_Pitch; ++i)
                if (Row(y)[i] != kPad) return false;
        return true;
    }
    // 16-bit pixels as a picture: '#' the colour, '.' zero, '?' anything else.
    std::string Picture(uint16_t colour) {
        std::string s;
        for (int y = 0; y < m_Height; ++y) {
            for (int x = 0; x < m_Width; ++x) s += Get(x, y) == colour ? '#' : (Get(x, y) == 0 ? '.' : '?');
            s += '\n';
        }
        return s;
    }
};

std::string Lines(std::initializer_list<const char*> rows) {
    std::string s;
    for (const char* r : rows) s += std::string(r) + "\n";
    return s;
}

constexpr uint16_t C = 0x1234;

TEST(Primitives, PutPixelStoresPerFormatInsideTheBounds) {
    struct Case {
        int bits, format;
        std::vector<uint8_t> row; // bytes of row 1 after PutPixel(0x11223344, 1, 1)
    };
    const Case cases[] = {
        {8, 8, {0, 0x44, 0}},
        {16, 16, {0, 0, 0x44, 0x33, 0, 0}},
        {16, 15, {0, 0, 0x44, 0x33, 0, 0}},
        {24, 24, {0, 0, 0, 0x44, 0x33, 0x22, 0, 0, 0}},
        {32, 32, {0, 0, 0, 0, 0x44, 0x33, 0x22, 0x11, 0, 0, 0, 0}},
        {16, 12, {0, 0, 0, 0, 0, 0}}, // unknown format: nothing stored
    };
    for (const Case& c : cases) {
        MemPic p(3, 2, c.bits, c.format);
        DRAW_PutPixel(p.View(), 0x11223344u, 1, 1);
        DRAW_PutPixel(p.View(), 0x11223344u, 3, 1);  // one right of the last column
        DRAW_PutPixel(p.View(), 0x11223344u, 1, 2);  // one below the last row
        DRAW_PutPixel(p.View(), 0x11223344u, -1, 0);
        EXPECT_EQ(std::vector<uint8_t>(p.Row(1), p.Row(1) + c.row.size()), c.row) << "format " << c.format;
        EXPECT_EQ(std::vector<uint8_t>(p.Row(0), p.Row(0) + c.row.size()), std::vector<uint8_t>(c.row.size(), 0));
        EXPECT_TRUE(p.PaddingIntact());
    }
}

TEST(Primitives, FillsAreClippedToBoundsAndClip) {
    MemPic p(8, 5);
    DRAW_FillRect(p.View(), C, -2, 3, 4, 9);
    const CGameRect clip{4, 0, 3, 2};
    DRAW_FillRectClipped(p.View(), C, 3, 1, 10, 10, &clip);
    DRAW_FillRectClipped(p.View(), C, 0, 0, 2, 2, nullptr);
    EXPECT_EQ(p.Picture(C), Lines({"##......", "##..###.", "........", "##......", "##......"}));
    EXPECT_TRUE(p.PaddingIntact());

    // 24-bit: three bytes per pixel.
    MemPic q(3, 1, 24, 24);
    DRAW_FillRect(q.View(), 0xAABBCCDDu, 1, 0, 5, 1);
    EXPECT_EQ(std::vector<uint8_t>(q.Row(0), q.Row(0) + 10),
              (std::vector<uint8_t>{0, 0, 0, 0xDD, 0xCC, 0xBB, 0xDD, 0xCC, 0xBB, kPad}));
    // 8-bit: the low byte.
    MemPic r(4, 1, 8, 8);
    DRAW_FillRect(r.View(), 0x1234u, 1, 0, 2, 1);
    EXPECT_EQ(std::vector<uint8_t>(r.Row(0), r.Row(0) + 5), (std::vector<uint8_t>{0, 0x34, 0x34, 0, kPad}));
}

TEST(Primitives, FastFillPairsCountFromTheRectangleStart) {
    MemPic p(7, 3);
    DRAW_FastFillRect16(p.View(), 0xBBBBAAAAu, 1, 1, 3, 5);  // w = 3: exactly three pixels per row
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) {
            uint16_t want = (y >= 1 && x >= 1 && x <= 3) ? (x == 2 ? 0xBBBB : 0xAAAA) : 0;
            EXPECT_EQ(p.Get(x, y), want) << x << "," << y;
        }
    const CGameRect clip{5, 0, 10, 1};
    DRAW_FastFillRectClipped(p.View(), 0x00020001u, 0, 0, 7, 7, &clip);
    EXPECT_EQ(p.Get(5, 0), 1);
    EXPECT_EQ(p.Get(6, 0), 2);
    EXPECT_EQ(p.Get(4, 0), 0);
    EXPECT_TRUE(p.PaddingIntact());
    // Only for 16-bit pictures.
    MemPic q(4, 1, 32, 32);
    DRAW_FastFillRect16(q.View(), 0xFFFFFFFFu, 0, 0, 4, 1);
    EXPECT_EQ(q.Row(0)[0], 0);
}

TEST(Primitives, RectOutlinesAndClippedEdges) {
    struct Case {
        int x, y, w, h, filled;
        bool hasClip;
        CGameRect clip;
        std::string want;
    };
    const Case cases[] = {
        {1, 1, 4, 3, 0, false, {}, Lines({"......", ".####.", ".#..#.", ".####.", "......"})},
        // The clip cuts the left part away: no left edge, and the top strip
        // starts one pixel right of the clipped corner.
        {1, 1, 4, 3, 0, true, {2, 0, 10, 10}, Lines({"......", "...##.", "....#.", "..###.", "......"})},
        // Cut at the bottom: no bottom edge.
        {1, 1, 4, 3, 0, true, {0, 0, 10, 3}, Lines({"......", ".####.", "....#.", "......", "......"})},
        {0, 0, 2, 2, 0, false, {}, Lines({"##....", "##....", "......", "......", "......"})},
        {3, 3, 1, 1, 0, false, {}, Lines({"......", "......", "......", "......", "......"})},
        {1, 1, 4, 3, 1, true, {3, 2, 9, 9}, Lines({"......", "......", "...##.", "...##.", "......"})},
        {1, 1, 4, 3, 0, true, {10, 10, 2, 2}, Lines({"......", "......", "......", "......", "......"})},
    };
    for (const Case& c : cases) {
        MemPic p(6, 5);
        DRAW_Rect(p.View(), C, c.x, c.y, c.w, c.h, c.filled, c.hasClip ? &c.clip : nullptr);
        EXPECT_EQ(p.Picture(C), c.want) << c.x << "," << c.y << " " << c.w << "x" << c.h;
        EXPECT_TRUE(p.PaddingIntact());
    }
}

TEST(Primitives, LinesFollowTheBoxCrossingsAndStopBeforeTheEnd) {
    struct Case {
        int x1, y1, x2, y2;
        bool hasClip;
        CGameRect clip;
        int result;
        std::string want;
    };
    const Case cases[] = {
        {0, 0, 10, 0, false, {}, 1, Lines({"##########..", "............", "............", "............"})},
        {4, 2, 4, 2, false, {}, 0, Lines({"............", "............", "............", "............"})},
        // Both directions of a line start at its left crossing.
        {0, 0, 4, 2, false, {}, 1, Lines({"#...........", ".##.........", "...#........", "............"})},
        {4, 2, 0, 0, false, {}, 1, Lines({"#...........", ".##.........", "...#........", "............"})},
        {0, 0, 1, 3, false, {}, 1, Lines({"#...........", ".#..........", ".#..........", "............"})},
        // Clipped: drawn from the clip box's left crossing (2, 2) towards its
        // bottom crossing (3, 3), which is not stored.
        {0, 0, 9, 9, true, {2, 1, 3, 9}, 1, Lines({"............", "............", "..#.........", "............"})},
        // Running off the picture: clipped to its bounds, from (8, 0) to the
        // right crossing (11, 1).
        {8, 0, 14, 3, false, {}, 1, Lines({"........#...", ".........##.", "............", "............"})},
        {0, 0, 5, 0, true, {0, 2, 5, 2}, 0, Lines({"............", "............", "............", "............"})},
    };
    for (const Case& c : cases) {
        MemPic p(12, 4);
        const int r = DRAW_Line(p.View(), C, c.x1, c.y1, c.x2, c.y2, c.hasClip ? &c.clip : nullptr);
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(p.Picture(C), c.want) << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2;
        EXPECT_TRUE(p.PaddingIntact());
    }
}

// Shade by level, per field of a 5-6-5 pixel: levels above 8 act as 7.
uint16_t Shade565(uint16_t c, int m) {
    if (m == 8) return c;
    auto f = [m](int v) {
        const int eighths = m > 8 ? 7 : m;
        int r = 0;
        if (eighths & 4) r += v >> 1;
        if (eighths & 2) r += v >> 2;
        if (eighths & 1) r += v >> 3;
        return r;
    };
    return uint16_t(f(c >> 11) << 11 | f((c >> 5) & 63) << 5 | f(c & 31));
}

TEST(Primitives, ShadeRectAndBlockAgreeAndUseTheMaskOffsets) {
    std::vector<uint8_t> mask(40 * 40);
    for (size_t i = 0; i < mask.size(); ++i) mask[i] = uint8_t((i * 5 + i / 40) % 13);
    auto fresh = [] {
        MemPic p(40, 36);
        for (int y = 0; y < 36; ++y)
            for (int x = 0; x < 40; ++x) p.Set(x, y, uint16_t(0xFFFF - x * 131 - y * 977));
        return p;
    };
    MemPic a = fresh(), b = fresh(), before = fresh();
    DRAW_ShadeBlock32(a.View(), 3, 2, mask.data());
    DRAW_ShadeRect(b.View(), 3, 2, 0, 0, 32, 32, mask.data(), nullptr);
    EXPECT_EQ(a.mem, b.mem);
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 40; ++x) {
            bool inside = x >= 3 && x < 35 && y >= 2 && y < 34;
            uint16_t want = inside ? Shade565(before.Get(x, y), mask[(y - 2) * 32 + (x - 3)]) : before.Get(x, y);
            ASSERT_EQ(a.Get(x, y), want) << x << "," << y;
        }

    // Any size, clipped: the first level used is at (maskX + dx, maskY + dy),
    // rows w bytes apart.
    MemPic c = fresh();
    const CGameRect clip{6, 5, 100, 2};
    DRAW_ShadeRect(c.View(), 4, 4, 2, 1, 7, 5, mask.data(), &clip);
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 40; ++x) {
            bool inside = x >= 6 && x < 11 && y >= 5 && y < 7;
            uint16_t want =
                inside ? Shade565(before.Get(x, y), mask[(1 + y - 4) * 7 + 2 + (x - 4)]) : before.Get(x, y);
            ASSERT_EQ(c.Get(x, y), want) << x << "," << y;
        }

    // A block hanging over the picture's corner is shaded only inside.
    MemPic d = fresh();
    DRAW_ShadeBlock32(d.View(), 20, 20, mask.data());
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 40; ++x) {
            bool inside = x >= 20 && y >= 20;
            uint16_t want = inside ? Shade565(before.Get(x, y), mask[(y - 20) * 32 + (x - 20)]) : before.Get(x, y);
            ASSERT_EQ(d.Get(x, y), want) << x << "," << y;
        }
    EXPECT_TRUE(d.PaddingIntact());

    // Only 15 and 16 shade.
    MemPic e(32, 32, 16, 8);
    DRAW_ShadeBlock32(e.View(), 0, 0, mask.data());
    EXPECT_EQ(e.Get(0, 0), 0);
}

class TablePrimitives : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        FreeColorTables();
        BuildColorTables(16);
    }
    static void TearDownTestSuite() { FreeColorTables(); }
};

TEST_F(TablePrimitives, DimRectScalesByKAndClampsTheLevel) {
    struct Case {
        int k, table;
    };
    for (Case c : {Case{5, 5}, Case{0, 0}, Case{15, 15}, Case{-1, 0}, Case{16, 15}, Case{99, 15}}) {
        MemPic p(4, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) p.Set(x, y, 0xFFFF);
        DRAW_DimRect(p.View(), -1, 1, 3, 5, c.k);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(p.Get(x, y), (y >= 1 && x <= 1) ? g_BlendTables[c.table][0xFFFF] : 0xFFFF) << "k " << c.k;
        EXPECT_TRUE(p.PaddingIntact());
    }
}

TEST_F(TablePrimitives, SoftwareBltKeysEveryModeAndBlendsModeThree) {
    MemPic src(4, 3), before(6, 4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) src.Set(x, y, (x == 1 && y == 1) ? 0xF81F : uint16_t(0x1000 * (x + 1) + y));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) before.Set(x, y, uint16_t(0x8421 + x * 3 + y));
    for (int mode : {0, 1, 2, 3, 4, 5, 9}) {
        MemPic dst = before;
        EXPECT_EQ(SoftwareBltPicture(src, dst, 1, 1, 4, 3, 0, 0, mode, 0, nullptr), 1);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                uint16_t want = before.Get(x, y);
                bool inside = x >= 1 && x < 5 && y >= 1;
                if (inside && !(x == 2 && y == 2)) {
                    uint16_t s = src.Get(x - 1, y - 1);
                    // Mode 3, level 0: T[0] of the destination plus T[15] of the source.
                    want = mode == 3 ? uint16_t(g_BlendTables[0][want] + g_BlendTables[15][s]) : s;
                }
                EXPECT_EQ(dst.Get(x, y), want) << "mode " << mode << " at " << x << "," << y;
            }
        EXPECT_TRUE(dst.PaddingIntact());
        EXPECT_EQ(dst.locks, 1);
        EXPECT_EQ(dst.unlocks, 1);
    }
    // Level -1 is clamped to 0 rather than reaching the brightness tables.
    MemPic a = before, b = before;
    SoftwareBltPicture(src, a, 0, 0, 4, 3, 0, 0, 3, -1, nullptr);
    SoftwareBltPicture(src, b, 0, 0, 4, 3, 0, 0, 3, 0, nullptr);
    EXPECT_EQ(a.mem, b.mem);
}

TEST_F(TablePrimitives, SoftwareBltClipsBothRectangles) {
    MemPic src(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) src.Set(x, y, uint16_t(0x100 * (y + 1) + x + 1));
    struct Case {
        int x, y, w, h, sx, sy;
        bool hasClip;
        CGameRect clip;
        int result;
        std::vector<std::pair<int, int>> drawn; // destination pixel -> source pixel follows by offset
        int offX, offY;                          // source = destination + offset
    };
    const Case cases[] = {
        // Source overhanging right and bottom: only its inside is copied.
        {0, 0, 6, 6, 2, 1, false, {}, 1, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}, 2, 1},
        // Negative source start: the destination moves along.
        {2, 2, 3, 3, -1, -2, false, {}, 1, {{3, 4}, {4, 4}}, -3, -4},
        // Destination clipped by clip and the picture's edge.
        {-1, 0, 4, 2, 0, 0, true, {0, 1, 2, 5}, 1, {{0, 1}, {1, 1}}, 1, -0},
        // Entirely outside the source.
        {0, 0, 2, 2, 5, 0, false, {}, 0, {}, 0, 0},
        {0, 0, 2, 2, 0, 0, true, {9, 9, 1, 1}, 0, {}, 0, 0},
    };
    for (const Case& c : cases) {
        MemPic dst(6, 5);
        const int r = SoftwareBltPicture(src, dst, c.x, c.y, c.w, c.h, c.sx, c.sy, 0, 0, c.hasClip ? &c.clip : nullptr);
        EXPECT_EQ(r, c.result);
        MemPic want(6, 5);
        for (auto [x, y] : c.drawn) want.Set(x, y, src.Get(x + c.offX, y + c.offY));
        EXPECT_EQ(dst.mem, want.mem) << "blt at " << c.x << "," << c.y << " from " << c.sx << "," << c.sy;
        EXPECT_EQ(dst.locks, c.result);
    }
}

TEST_F(TablePrimitives, LockFailureDrawsNothing) {
    MemPic src(2, 2), dst(2, 2);
    src.Set(0, 0, 0x1111);
    dst.failLock = true;
    EXPECT_EQ(SoftwareBltPicture(src, dst, 0, 0, 2, 2, 0, 0, 0, 0, nullptr), 0);
    EXPECT_EQ(src.locks, 0);
    dst.failLock = false;
    dst.locks = 0;
    src.failLock = true;
    EXPECT_EQ(SoftwareBltPicture(src, dst, 0, 0, 2, 2, 0, 0, 0, 0, nullptr), 0);
    EXPECT_EQ(dst.locks, 1);
    EXPECT_EQ(dst.unlocks, 1);
    EXPECT_EQ(dst.Get(0, 0), 0);

    MemPic p(2, 2);
    p.failLock = true;
    DrawLocked(p, [](const PixelView& v) { DRAW_FillRect(v, C, 0, 0, 2, 2); });
    EXPECT_EQ(p.unlocks, 0);
    p.failLock = false;
    DrawLocked(p, [](const PixelView& v) { DRAW_FillRect(v, C, 0, 0, 2, 2); });
    EXPECT_EQ(p.Picture(C), Lines({"##", "##"}));
    EXPECT_EQ(p.unlocks, 1);
}

} // namespace
