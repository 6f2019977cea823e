#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "datagen/image_encoder.h"
#include "gfx/color_tables.h"
#include "gfx/light_grid.h"
#include "gfx/pixel_format.h"
#include "gfx/rle_image.h"
#include "gfx/surface.h"
#include "platform/display.h"
#include "platform/window.h"
#include "support/test_env.h"
#include "test_image_fixture.h"

namespace {

constexpr uint16_t kKey = 0xF81F;

uint16_t GridPattern(int32_t x, int32_t y) { return static_cast<uint16_t>(0x1234 + x * 0x0841 + y * 0x2107); }

// An RLE picture over its own frame bytes.
struct RleImage {
    std::vector<uint8_t> bytes;
    CRleImage image;
};

// w x h picture of Pattern with the key at every pixel where (x + 2y) % 5 == 0.
std::unique_ptr<RleImage> MakeRle(int32_t w, int32_t h) {
    datagen::ImageFrame f;
    f.width = w;
    f.height = h;
    f.rle = true;
    f.colorKey = kKey;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) f.pixels.push_back((x + 2 * y) % 5 == 0 ? kKey : GridPattern(x + 7, y + 3));
    auto r = std::make_unique<RleImage>();
    const std::string enc = datagen::EncodeFrame(f);
    r->bytes.assign(enc.begin(), enc.end());
    EXPECT_EQ(r->image.Attach(r->bytes.data(), static_cast<uint32_t>(r->bytes.size())), 1);
    return r;
}
uint16_t RlePixel(int32_t x, int32_t y) { return (x + 2 * y) % 5 == 0 ? kKey : GridPattern(x + 7, y + 3); }

class LightGridTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        plat::UseHeadlessBackend();
        plat::ClearDisplayFaults();
        UseFormat(kFormat565);
        display_ = std::make_unique<CSurface>();
        // The device lives while any off-screen surface does.
        keeper_ = std::make_unique<CSurface>(1, 1, 1);
    }
    void TearDown() override {
        grid_.reset();  // frees the colour tables, as at exit
        EXPECT_EQ(g_ColorTables, nullptr);
        keeper_.reset();
        display_.reset();
        UseFormat(kFormat565);
        FreeColorTables();
        TempDirTest::TearDown();
    }
    static void UseFormat(int32_t format) {
        plat::SetDisplayLayout(format == kFormat565 ? plat::PixelLayout::k565 : plat::PixelLayout::k555);
        g_PixelFormat.m_Format = format;
        FreeColorTables();
        BuildColorTables(format);
    }
    static std::vector<uint16_t> Read(CSurface& s) { return imgtest::ReadSurface(s); }
    static std::unique_ptr<CSurface> Surface(int32_t w, int32_t h, uint16_t (*fill)(int32_t, int32_t)) {
        auto s = std::make_unique<CSurface>(w, h, 1);
        uint8_t* p = s->Lock(nullptr);
        EXPECT_NE(p, nullptr);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const uint16_t v = fill(x, y);
                std::memcpy(p + static_cast<size_t>(y) * s->m_Pitch + 2 * x, &v, 2);
            }
        s->Unlock();
        return s;
    }
    void SetCell(int32_t c, int32_t r, uint8_t level) {
        grid_->m_Map.m_Levels[static_cast<size_t>(r * grid_->m_Map.m_Width + c)] = level;
    }

    std::unique_ptr<CSurface> display_;
    std::unique_ptr<CSurface> keeper_;
    std::unique_ptr<CLightGrid> grid_ = std::make_unique<CLightGrid>();
};

TEST_F(LightGridTest, InitSizesTheGridBelowTheViewAndLevelAtClamps) {
    CLightGrid& g = *grid_;
    EXPECT_EQ(g.m_AmbientMode, -1);
    g.Init(8, 645, 480);
    EXPECT_EQ(g.m_Cols, 80);
    EXPECT_EQ(g.m_Rows, 60 + 12 + 1);
    EXPECT_EQ(g.m_Map.m_Count, 80 * 73);
    EXPECT_EQ(g.m_BaseLevel, 15);
    EXPECT_EQ(std::vector<uint8_t>(g.m_Map.m_Levels), std::vector<uint8_t>(80 * 73, 15));

    g.Fill(4);
    EXPECT_EQ(g.m_BaseLevel, 4);
    SetCell(0, 0, 1);
    SetCell(79, 0, 2);
    SetCell(0, 72, 3);
    SetCell(79, 72, 5);
    SetCell(3, 2, 9);
    EXPECT_EQ(g.LevelAt(-100, -100), 1);
    EXPECT_EQ(g.LevelAt(10000, -1), 2);
    EXPECT_EQ(g.LevelAt(-1, 10000), 3);
    EXPECT_EQ(g.LevelAt(644, 700), 5);
    EXPECT_EQ(g.LevelAt(31, 23), 9);
    EXPECT_EQ(g.LevelAt(32, 23), 4);

    g.Init(0, 100, 100);  // refused: the grid stays as it was
    EXPECT_EQ(g.m_CellSize, 8);
    EXPECT_EQ(g.m_Cols, 80);
}

TEST_F(LightGridTest, SpotOfRadius160IsAHalfHeightEllipse) {
    CLightGrid& g = *grid_;
    g.Init(8, 640, 480);
    const uint8_t full[10][20] = {
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0},
        {0, 0, 0, 0, 1, 2, 2, 3, 3, 3, 4, 3, 3, 3, 2, 2, 1, 0, 0, 0},
        {0, 0, 1, 1, 2, 3, 4, 5, 5, 5, 6, 5, 5, 5, 4, 3, 2, 1, 1, 0},
        {0, 0, 1, 2, 3, 4, 5, 6, 7, 7, 8, 7, 7, 6, 5, 4, 3, 2, 1, 0},
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1},
        {0, 0, 1, 2, 3, 4, 5, 6, 7, 7, 8, 7, 7, 6, 5, 4, 3, 2, 1, 0},
        {0, 0, 1, 1, 2, 3, 4, 5, 5, 5, 6, 5, 5, 5, 4, 3, 2, 1, 1, 0},
        {0, 0, 0, 0, 1, 2, 2, 3, 3, 3, 4, 3, 3, 3, 2, 2, 1, 0, 0, 0},
        {0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0},
    };
    // Level 9 (0x99 / 17) lies below h = 10, so it sets the peak.
    const uint8_t nine[10][20] = {
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {0, 0, 0, 0, 0, 1, 1, 2, 2, 2, 3, 2, 2, 2, 1, 1, 0, 0, 0, 0},
        {0, 0, 0, 0, 1, 2, 3, 4, 4, 4, 5, 4, 4, 4, 3, 2, 1, 0, 0, 0},
        {0, 0, 0, 1, 2, 3, 4, 5, 6, 6, 7, 6, 6, 5, 4, 3, 2, 1, 0, 0},
        {0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0},
        {0, 0, 0, 1, 2, 3, 4, 5, 6, 6, 7, 6, 6, 5, 4, 3, 2, 1, 0, 0},
        {0, 0, 0, 0, 1, 2, 3, 4, 4, 4, 5, 4, 4, 4, 3, 2, 1, 0, 0, 0},
        {0, 0, 0, 0, 0, 1, 1, 2, 2, 2, 3, 2, 2, 2, 1, 1, 0, 0, 0, 0},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    };
    struct Case {
        uint32_t colour;
        const uint8_t (*bytes)[20];
    };
    for (const Case& c : {Case{0x00FFFFFF, full}, Case{0x0000FF00, full}, Case{0x00993300, nine}}) {
        SCOPED_TRACE(c.colour);
        const CLightMap* s = g.GetSpot(160, c.colour);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->m_Width, 20);
        EXPECT_EQ(s->m_Height, 10);
        EXPECT_EQ(s->m_Count, 200);
        EXPECT_EQ(s->m_Radius, 160);
        EXPECT_EQ(s->m_Color, c.colour);
        for (int r = 0; r < 10; ++r)
            for (int col = 0; col < 20; ++col) EXPECT_EQ(s->At(col, r), c.bytes[r][col]) << col << "," << r;
    }
    // Level 0 (0x10 / 17): a spot of zeros.
    const CLightMap* dark = g.GetSpot(160, 0x00101010);
    EXPECT_EQ(std::vector<uint8_t>(dark->m_Levels), std::vector<uint8_t>(200, 0));
}

TEST_F(LightGridTest, SpotsAreCachedByRadiusAndColour) {
    CLightGrid& g = *grid_;
    g.Init(8, 640, 480);
    CLightMap* a = g.GetSpot(160, 0xFFFFFF);
    EXPECT_EQ(a->m_RefCount, 1);
    EXPECT_EQ(g.GetSpot(160, 0xFFFFFF), a);
    EXPECT_EQ(a->m_RefCount, 2);
    CLightMap* b = g.GetSpot(160, 0xFFFFFE);
    CLightMap* c = g.GetSpot(168, 0xFFFFFF);
    EXPECT_NE(b, a);
    EXPECT_NE(c, a);
    ASSERT_EQ(g.m_Spots.size(), 3u);
    EXPECT_EQ(g.m_Spots[0].get(), a);
    EXPECT_EQ(g.m_Spots[2].get(), c);
    // Below two cells: h = 0, an empty spot that stamps nothing.
    CLightMap* tiny = g.GetSpot(15, 0xFFFFFF);
    EXPECT_EQ(tiny->m_Count, 0);
    EXPECT_EQ(g.Stamp(tiny, 100, 100), 0);
    EXPECT_EQ(g.GetSpot(-40, 0xFFFFFF)->m_Count, 0);
}

TEST_F(LightGridTest, StampsRaiseLevelsWithoutAddingAndClipToTheGrid) {
    CLightGrid& g = *grid_;
    g.Init(8, 320, 160);  // 40 x 33 cells
    g.Fill(3);
    const CLightMap* nine = g.GetSpot(208, 0x00990000);   // level 9, 26 x 13 cells
    const CLightMap* twelve = g.GetSpot(208, 0x000000CC); // level 12
    ASSERT_EQ(nine->m_Width, 26);
    ASSERT_EQ(nine->At(13, 6), 9);
    ASSERT_EQ(twelve->At(13, 6), 12);
    // Centre cell (20, 10) from pixel (167, 87); top-left cell (7, 4).
    EXPECT_EQ(g.Stamp(twelve, 167, 87), 1);
    EXPECT_EQ(g.Stamp(nine, 160, 80), 1);
    for (int32_t r = 0; r < g.m_Rows; ++r)
        for (int32_t c = 0; c < g.m_Cols; ++c) {
            uint8_t want = 3;
            if (c >= 7 && c < 33 && r >= 4 && r < 17)
                want = std::max<uint8_t>({3, nine->At(c - 7, r - 4), twelve->At(c - 7, r - 4)});
            ASSERT_EQ(g.m_Map.At(c, r), want) << c << "," << r;
        }
    EXPECT_EQ(g.LevelAt(160, 80), 12);

    // Half outside the top-left corner: only the part inside is stamped.
    g.Fill(0);
    EXPECT_EQ(g.Stamp(nine, 0, 0), 1);  // top-left cell (-13, -6)
    EXPECT_EQ(g.m_Map.At(0, 0), 9);
    EXPECT_EQ(g.m_Map.At(12, 0), nine->At(25, 6));
    EXPECT_EQ(g.m_Map.At(13, 0), 0);
    // Wholly outside: 0 and nothing changes.
    const std::vector<uint8_t> before = g.m_Map.m_Levels;
    EXPECT_EQ(g.Stamp(nine, -400, 0), 0);
    EXPECT_EQ(g.Stamp(nine, 0, 5000), 0);
    EXPECT_EQ(g.m_Map.m_Levels, before);
}

TEST_F(LightGridTest, AmbientModeRebuildsOnlyOnChange) {
    CLightGrid& g = *grid_;
    g.SetAmbientMode(1, nullptr);
    EXPECT_EQ(g.m_AmbientMode, 1);
    // Mode 1, level 0: every channel x 0.15 (248 -> 37, 252 -> 37, 248 -> 37).
    EXPECT_EQ(g_ColorTables[0][0xFFFF], (4 << 11) | (9 << 5) | 4);

    // The same mode under another pixel format: nothing is rebuilt.
    g_PixelFormat.m_Format = kFormat555;
    g.SetAmbientMode(1, nullptr);
    EXPECT_EQ(g_ColorTables[0][0xFFFF], (4 << 11) | (9 << 5) | 4);
    // A new mode is built in the current format (555 white: 248 x 0.65 -> 161).
    g.SetAmbientMode(0, nullptr);
    EXPECT_EQ(g_ColorTables[0][0x7FFF], (20 << 10) | (20 << 5) | 31);
    // Modes 6 and above are stored, the tables left alone.
    g.SetAmbientMode(7, nullptr);
    EXPECT_EQ(g.m_AmbientMode, 7);
    EXPECT_EQ(g_ColorTables[0][0x7FFF], (20 << 10) | (20 << 5) | 31);

    // Without tables the mode is not taken, so it is built once they exist.
    FreeColorTables();
    g.SetAmbientMode(1, nullptr);
    EXPECT_EQ(g.m_AmbientMode, 7);
}

TEST_F(LightGridTest, ApplyUsesEachCellsTableAndKeepsThePartColumnInItsRow) {
    CLightGrid& g = *grid_;
    // 21 pixels wide: two whole columns and a five-pixel part group.
    g.Init(8, 21, 16);
    ASSERT_EQ(g.m_Cols, 2);
    const uint8_t levels[3][2] = {{3, 7}, {11, 33}, {0, 15}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c) SetCell(c, r, levels[r][c]);
    SetCell(0, 1, 11);  // the cell a read past the row end would find
    auto src = Surface(21, 20, GridPattern);
    auto dst = Surface(21, 20, [](int32_t, int32_t) -> uint16_t { return 0x5555; });
    EXPECT_EQ(g.Apply(dst.get(), src.get(), &g.m_Map, CGameRect{0, 0, 21, 20}), 1);
    const std::vector<uint16_t> out = Read(*dst);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 21; ++x) {
            const int32_t r = y / 8, c = std::min(x / 8, 1);
            const uint8_t level = r < 3 ? levels[r][c] : 15;
            ASSERT_EQ(out[static_cast<size_t>(y * 21 + x)], g_ColorTables[level][GridPattern(x, y)]) << x << "," << y;
        }
}

TEST_F(LightGridTest, ApplyStaysInsideAGridSizedMapAndTheSurfaces) {
    CLightGrid& g = *grid_;
    g.Init(8, 21, 16);
    // A map exactly as large as the view's whole cells: the last row's part
    // group would run past its end.
    CLightMap map;
    map.m_Width = 2;
    map.m_Height = 2;
    map.m_Count = 4;
    map.m_Levels = {1, 2, 3, 4};
    auto src = Surface(21, 16, GridPattern);
    auto dst = Surface(21, 16, [](int32_t, int32_t) -> uint16_t { return 0; });
    // The rectangle reaches past both surfaces: clipped to them.
    EXPECT_EQ(g.Apply(dst.get(), src.get(), &map, CGameRect{0, 8, 40, 40}), 1);
    const std::vector<uint16_t> out = Read(*dst);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 21; ++x) {
            const uint16_t want = y < 8 ? 0 : g_ColorTables[x < 8 ? 3 : 4][GridPattern(x, y)];
            ASSERT_EQ(out[static_cast<size_t>(y * 21 + x)], want) << x << "," << y;
        }
    EXPECT_EQ(g.Apply(dst.get(), src.get(), &map, CGameRect{30, 0, 5, 5}), 0);
    FreeColorTables();
    EXPECT_EQ(g.Apply(dst.get(), src.get(), &map, CGameRect{0, 0, 21, 16}), 0);
}

TEST_F(LightGridTest, DrawAtLevelPassesVisiblePixelsThroughOneTable) {
    CLightGrid& g = *grid_;
    g.Init(8, 32, 24);
    auto img = MakeRle(6, 4);
    for (int32_t level : {5, 34}) {
        SCOPED_TRACE(level);
        auto dst = Surface(16, 8, GridPattern);
        const CGameRect clip{0, 0, 16, 4};  // cuts the picture's bottom row
        EXPECT_EQ(g.DrawAtLevel(dst.get(), &img->image, -1, 1, level, &clip), 1);
        const std::vector<uint16_t> out = Read(*dst);
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = 0; x < 16; ++x) {
                const int32_t ix = x + 1, iy = y - 1;
                uint16_t want = GridPattern(x, y);
                if (ix < 6 && iy >= 0 && y < 4 && RlePixel(ix, iy) != kKey) want = g_ColorTables[level][RlePixel(ix, iy)];
                ASSERT_EQ(out[static_cast<size_t>(y * 16 + x)], want) << x << "," << y;
            }
    }
    auto dst = Surface(16, 8, GridPattern);
    EXPECT_EQ(g.DrawAtLevel(dst.get(), &img->image, 0, 0, 39, nullptr), 0);
    EXPECT_EQ(g.DrawAtLevel(dst.get(), &img->image, 20, 0, 5, nullptr), 0);
    EXPECT_EQ(Read(*dst), Read(*Surface(16, 8, GridPattern)));
}

TEST_F(LightGridTest, DrawThroughGridFollowsTheCellUnderEachPixel) {
    CLightGrid& g = *grid_;
    g.Init(8, 32, 24);  // 4 x 16 cells
    for (int32_t r = 0; r < g.m_Rows; ++r)
        for (int32_t c = 0; c < g.m_Cols; ++c) SetCell(c, r, static_cast<uint8_t>((c * 5 + r * 3) % 16));
    auto img = MakeRle(20, 13);
    auto dst = Surface(32, 24, GridPattern);
    const CGameRect clip{0, 0, 30, 24};
    EXPECT_EQ(g.DrawThroughGrid(dst.get(), &img->image, &g.m_Map, 13, 6, &clip), 1);
    const std::vector<uint16_t> out = Read(*dst);
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x < 32; ++x) {
            const int32_t ix = x - 13, iy = y - 6;
            uint16_t want = GridPattern(x, y);
            if (ix >= 0 && ix < 20 && iy >= 0 && iy < 13 && x < 30 && RlePixel(ix, iy) != kKey)
                want = g_ColorTables[(x / 8 * 5 + y / 8 * 3) % 16][RlePixel(ix, iy)];
            ASSERT_EQ(out[static_cast<size_t>(y * 32 + x)], want) << x << "," << y;
        }
}

TEST_F(LightGridTest, HalfAndHalfAveragesEachFieldRoundingDown) {
    struct Case {
        int32_t format;
        uint16_t lit, under, want;
    };
    // Level 15 of ambient mode 0 keeps every pixel, so the drawn pixel is the
    // picture's own.
    const Case cases[] = {
        {kFormat565, 0xFFFF, 0x0000, 0x7BEF},
        {kFormat565, 0x0821, 0x0000, 0x0000},  // 1 + 0 in each field: 0, not 0x0410
        {kFormat565, 0xF800, 0x0800, 0x8000},
        {kFormat565, 0x07E0, 0x0020, 0x0400},
        {kFormat565, 0x001F, 0x0001, 0x0010},
        {kFormat555, 0x7FFF, 0x0000, 0x3DEF},
        {kFormat555, 0x0421, 0x0000, 0x0000},
        {kFormat555, 0x7C00, 0x0400, 0x4000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.format << " " << std::hex << c.lit << " " << c.under);
        UseFormat(c.format);
        CLightGrid& g = *grid_;
        g.Init(8, 8, 8);
        datagen::ImageFrame f;
        f.width = 2;
        f.height = 1;
        f.rle = true;
        f.colorKey = c.format == kFormat565 ? kColorKey565 : kColorKey555;
        f.pixels = {c.lit, c.lit};
        const std::string enc = datagen::EncodeFrame(f);
        std::vector<uint8_t> bytes(enc.begin(), enc.end());
        CRleImage img;
        ASSERT_EQ(img.Attach(bytes.data(), static_cast<uint32_t>(bytes.size())), 1);
        auto dst = std::make_unique<CSurface>(4, 1, 1);
        dst->FillAll(c.under);
        EXPECT_EQ(g.DrawThroughGridHalf(dst.get(), &img, &g.m_Map, 1, 0, nullptr), 1);
        EXPECT_EQ(Read(*dst), (std::vector<uint16_t>{c.under, c.want, c.want, c.under}));
    }
}

TEST_F(LightGridTest, DrawThroughGridRowUsesTheGroundRowOrTheBaseLevel) {
    CLightGrid& g = *grid_;
    g.Init(8, 32, 16);  // 4 x 15 cells
    g.Fill(5);
    for (int32_t r = 0; r < g.m_Rows; ++r)
        for (int32_t c = 0; c < g.m_Cols; ++c) SetCell(c, r, static_cast<uint8_t>(r * 4 + c < 16 ? r * 4 + c : 1));
    auto img = MakeRle(20, 10);
    struct Case {
        int32_t groundY;
        int32_t row;  // -1: the base level
    };
    for (const Case& c : {Case{-1, -1}, Case{9, 1}, Case{16, 2}, Case{119, 14}, Case{120, -1}}) {
        SCOPED_TRACE(c.groundY);
        auto dst = Surface(32, 16, GridPattern);
        EXPECT_EQ(g.DrawThroughGridRow(dst.get(), &img->image, &g.m_Map, 6, 3, nullptr, c.groundY), 1);
        const std::vector<uint16_t> out = Read(*dst);
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 32; ++x) {
                const int32_t ix = x - 6, iy = y - 3;
                uint16_t want = GridPattern(x, y);
                if (ix >= 0 && ix < 20 && iy >= 0 && iy < 10 && RlePixel(ix, iy) != kKey) {
                    const int32_t level = c.row < 0 ? 5 : g.m_Map.At(x / 8, c.row);
                    want = g_ColorTables[level][RlePixel(ix, iy)];
                }
                ASSERT_EQ(out[static_cast<size_t>(y * 32 + x)], want) << x << "," << y;
            }
    }
}

} // namespace
