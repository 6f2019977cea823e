#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../../gfx/test_image_fixture.h"
#include "core/directories.h"
#include "datagen/map_writer.h"
#include "gfx/image.h"
#include "platform/msgbox.h"
#include "world/map/map_grid.h"

namespace {

std::string Frame(int32_t w, int32_t h) {
    datagen::ImageFrame f;
    f.width = w;
    f.height = h;
    f.pixels.assign(static_cast<size_t>(w) * h, 0x1234);
    return datagen::EncodeFrame(f);
}

class MapGridTest : public imgtest::ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        SetProgramDirectory(0);
        // Three pictures told apart by their widths.
        ASSERT_TRUE(datagen::WriteLib(Dir() + "Zy/t.lib", {Frame(3, 2), Frame(5, 2), Frame(7, 2)}));
    }
    void TearDown() override {
        grid.Clear();
        ImageTest::TearDown();
    }
    std::string Put(const std::string& name, const std::string& bytes) {
        WriteFile(Dir() + "cj/" + name, bytes);
        return "cj\\" + name;
    }
    std::string PutMap(const std::string& name, const datagen::MapSpec& spec) {
        return Put(name, datagen::BuildMap(spec));
    }
    static datagen::MapSpec Small() {
        datagen::MapSpec m = datagen::BuildMapFromAscii({"....", "....", "...."}, "t.lib");
        m.ids = {2, 0};
        for (auto& c : m.cells) c.tile0 = 1;
        return m;
    }
    void ExpectEmpty() {
        EXPECT_EQ(grid.Width(), 0);
        EXPECT_EQ(grid.Height(), 0);
        EXPECT_EQ(grid.CellCount(), 0);
        EXPECT_EQ(grid.Cells(), nullptr);
        EXPECT_EQ(grid.Tiles().Count(), 0);
        EXPECT_EQ(grid.GetCell(0, 0), nullptr);
    }
    std::vector<std::string> Boxes() const {
        std::vector<std::string> v;
        for (const auto& b : plat::RecordedMessageBoxes()) v.push_back(b.text);
        return v;
    }

    CMapGrid grid;
};

// Little-endian bytes, written here without the map writer.
struct Raw {
    std::string s;
    Raw& U8(uint8_t v) { s.push_back(char(v)); return *this; }
    Raw& U16(uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
    Raw& Pad(size_t n, char c = 0) { s.append(n, c); return *this; }
    Raw& Text(const std::string& t, size_t n) { s += t; return Pad(n - t.size()); }
};

TEST_F(MapGridTest, LoadsAMapWrittenByteByByte) {
    Raw r;
    r.Text("QuorMap1.50", 16).U16(4).U16(3).Pad(48, 'h');   // header, reserved words kept
    r.Pad(16, 'x').Text("t.lib", 256).U16(2).Pad(4, 'y');  // tile-library block
    r.U16(2).U16(0);                                          // tile 0 -> entry 2, tile 1 -> entry 0
    for (int i = 0; i < 12; ++i) {
        const uint16_t t0 = i == 5 ? 2 : static_cast<uint16_t>(i % 2);  // 2 is past the tile count
        r.U16(t0).U16(i == 6 ? 1 : 65535).U8(i == 6 ? 0 : 1).U8(uint8_t(10 + i)).U8(uint8_t(i)).U8(i == 7 ? 4 : 0);
        r.U16(uint16_t(1000 + i));
    }
    ASSERT_EQ(grid.LoadMap(Put("hand.map", r.s).c_str()), 1);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(grid.Width(), 4);
    EXPECT_EQ(grid.Height(), 3);
    EXPECT_EQ(grid.CellCount(), 12);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(grid.Header())), "QuorMap1.50");
    EXPECT_EQ(grid.Header()[20], 'h');
    EXPECT_STREQ(grid.Tiles().Name(), "t.lib");
    ASSERT_EQ(grid.Tiles().Count(), 2);
    ASSERT_NE(grid.Tiles().GetTileImage(0), nullptr);
    EXPECT_EQ(grid.Tiles().GetTileImage(0)->m_Width, 7);
    EXPECT_EQ(grid.Tiles().GetTileImage(1)->m_Width, 3);
    for (int32_t t : {2, 65535, -1}) EXPECT_EQ(grid.Tiles().GetTileImage(t), nullptr) << t;

    for (int32_t i = 0; i < 12; ++i) {
        const int32_t x = i % 4, y = i / 4;
        const CMapCell* c = grid.GetCell(x, y);
        ASSERT_EQ(c, grid.Cells() + i);
        SCOPED_TRACE(i);
        EXPECT_EQ(c->m_Tile0, i == 5 ? kNoTile : i % 2) << "a tile at or past the count is no tile";
        EXPECT_EQ(c->m_Tile1, i == 6 ? 1 : kNoTile);
        const bool border = x == 0 || y == 0 || x == 3 || y == 2;
        EXPECT_EQ(c->m_Walkable, border || i == 6 ? 0 : 1);
        EXPECT_EQ(c->m_Special, 10 + i);
        EXPECT_EQ(c->m_Terrain, i);
        EXPECT_EQ(c->m_Surface, i == 7 ? 4 : 0);
        EXPECT_EQ(c->m_FileWord, 1000 + i);
        EXPECT_EQ(c->m_Occupant, kNoObj);
        EXPECT_EQ(c->m_ObjMark, kNoObj);
        EXPECT_EQ(c->m_GroundObj, kNoObj);
        EXPECT_EQ(c->m_Footprint, 0);
        EXPECT_EQ(c->m_Reserved0, 128);
        EXPECT_EQ(c->m_Reserved1, 0);
    }
    EXPECT_EQ(grid.GetCell(4, 0), nullptr);
    EXPECT_EQ(grid.GetCell(0, 3), nullptr);
    EXPECT_EQ(grid.GetCell(-1, 1), nullptr);
}

TEST_F(MapGridTest, CreateFillsDefaults) {
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(grid.Header())), "QuorMap1.50");
    ASSERT_EQ(grid.Create(3, 2), 1);
    EXPECT_EQ(grid.Header()[16], 3);
    EXPECT_EQ(grid.Header()[18], 2);
    const CMapCell& c = *grid.GetCell(2, 1);
    EXPECT_EQ(c.m_Tile0, kNoTile);
    EXPECT_EQ(c.m_Walkable, 1) << "Create forces no border";
    EXPECT_EQ(c.m_Special, 255);
    EXPECT_EQ(c.m_Terrain, 0);
    EXPECT_EQ(c.m_Reserved0, 128);
    EXPECT_EQ(grid.Bounds(), (CGameRect{0, 0, 3, 2}));
    grid.Clear();
    ExpectEmpty();
}

TEST_F(MapGridTest, FailuresAreRefusedCleanly) {
    const std::string good = PutMap("good.map", Small());
    struct Case {
        const char* name;
        std::function<std::string()> make;
        bool keepsGrid;
        std::string box;
    };
    datagen::MapSpec noNul = Small();
    noNul.libName = std::string(300, 'L');
    datagen::MapSpec huge = Small();
    huge.width = huge.height = 65535;
    datagen::MapSpec badMagic = Small();
    badMagic.badMagic = true;
    datagen::MapSpec noLib = Small();
    noLib.libName = "none.lib";
    datagen::MapSpec shortCells = Small();
    shortCells.cells.pop_back();
    const Case cases[] = {
        {"missing", [&] { return std::string("cj\\nosuch.map"); }, true, "Error(1)Map\xCE\xC4\xBC\xFE:<cj\\nosuch.map>"},
        {"magic", [&] { return PutMap("magic.map", badMagic); }, true,
         "Error(1)\xB2\xBB\xCA\xC7Map\xCE\xC4\xBC\xFE:<cj\\magic.map>"},
        {"library", [&] { return PutMap("nolib.map", noLib); }, false, "Error(1)Lib\xBF\xE2:<none.lib>"},
        {"name without NUL", [&] { return PutMap("nonul.map", noNul); }, false,
         "Error(1)Lib\xBF\xE2:<" + std::string(255, 'L') + ">"},
        {"oversized", [&] { return PutMap("huge.map", huge); }, false, ""},
        {"one cell short", [&] { return PutMap("short.map", shortCells); }, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(grid.LoadMap(good.c_str()), 1);
        plat::ClearRecordedMessageBoxes();
        EXPECT_EQ(grid.LoadMap(c.make().c_str()), 0);
        const std::vector<std::string> boxes = Boxes();
        if (c.box.empty()) {
            EXPECT_TRUE(boxes.empty());
        } else {
            ASSERT_FALSE(boxes.empty());
            EXPECT_EQ(boxes.back(), c.box);
        }
        if (c.keepsGrid) {
            EXPECT_EQ(grid.Width(), 4);
            EXPECT_EQ(grid.Tiles().Count(), 2);
            EXPECT_NE(grid.Tiles().GetTileImage(1), nullptr);
        } else {
            ExpectEmpty();
        }
    }
}

TEST_F(MapGridTest, TruncationAtEveryOffsetEmptiesTheGrid) {
    const std::string bytes = datagen::BuildMap(Small());
    const std::string good = Put("good.map", bytes);
    for (size_t n = 0; n < bytes.size(); ++n) {
        SCOPED_TRACE(n);
        // Every cut is refused; every few the grid was full before.
        if (n % 8 == 0 || n + 8 > bytes.size()) {
            ASSERT_EQ(grid.LoadMap(good.c_str()), 1);
        }
        ASSERT_EQ(grid.LoadMap(Put("cut.map", bytes.substr(0, n)).c_str()), 0);
        ExpectEmpty();
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(MapGridTest, NarrowMapsHaveOnlyBorderCells) {
    struct Size {
        int w, h, walkable;
    } sizes[] = {{0, 3, 0}, {3, 0, 0}, {1, 1, 0}, {1, 5, 0}, {2, 2, 0}, {2, 6, 0}, {7, 2, 0}, {3, 3, 1}, {4, 3, 2}};
    for (const Size& s : sizes) {
        SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h));
        ASSERT_EQ(grid.LoadMap(PutMap("n.map", datagen::BuildMapFromAscii(
                                                   std::vector<std::string>(size_t(s.h), std::string(size_t(s.w), '.')),
                                                   "t.lib"))
                                   .c_str()),
                  1);
        int n = 0;
        for (int32_t i = 0; i < grid.CellCount(); ++i) n += grid.Cells()[i].m_Walkable;
        EXPECT_EQ(n, s.walkable);
    }
}

TEST(MapCell, WalkClassRule) {
    struct Case {
        int32_t walkClass;
        uint8_t terrain, walkable;
        bool passes;
    } cases[] = {
        {1, 0, 1, true},    {1, 0, 0, false},   {1, 12, 0, false},  {1, 5, 1, true},
        {11, 12, 0, true},  {11, 14, 1, false}, {11, 16, 1, false}, {11, 3, 1, true},  {11, 3, 0, false},
        {13, 12, 0, true},  {13, 14, 0, true},  {13, 16, 1, false}, {13, 0, 1, true},  {13, 0, 0, false},
        {15, 12, 0, true},  {15, 14, 0, true},  {15, 16, 0, true},  {15, 0, 1, false},
        {5, 5, 0, true},    {5, 6, 1, false},   {0, 0, 0, true},    {12, 12, 0, true}, {12, 0, 1, false},
    };
    for (const Case& c : cases) {
        CMapCell cell;
        cell.m_Terrain = c.terrain;
        cell.m_Walkable = c.walkable;
        EXPECT_EQ(cell.AllowsWalkClass(c.walkClass), c.passes)
            << c.walkClass << " on terrain " << int(c.terrain) << " walkable " << int(c.walkable);
        EXPECT_EQ(CellAllowsWalkClass(&cell, c.walkClass), c.passes);
    }
    EXPECT_FALSE(CellAllowsWalkClass(nullptr, 1));

    CMapCell c;
    for (uint8_t t : {0, 1, 9}) {
        c.m_Terrain = t;
        EXPECT_EQ(c.GetMoveClass(), 1);
    }
    c.m_Terrain = 10;
    EXPECT_EQ(c.GetMoveClass(), 10);
    c.m_Walkable = 0;
    c.m_Surface = 4;
    EXPECT_TRUE(c.IsSurface4());
    c.m_ObjMark = 7;
    EXPECT_FALSE(c.IsSurface4());
    c.m_ObjMark = kNoObj;
    c.m_Walkable = 1;
    EXPECT_FALSE(c.IsSurface4());
}

TEST(MapGrid, FindNearestFreeRings) {
    struct Case {
        const char* what;
        CGamePoint start;
        int32_t radius, walkClass;
        std::function<void(CMapGrid&)> setup;
        int found;
        CGamePoint cell;
    };
    auto block = [](std::vector<CGamePoint> cells) {
        return [cells](CMapGrid& g) {
            for (const CGamePoint& p : cells) g.GetCell(p.x, p.y)->m_Walkable = 0;
        };
    };
    const Case cases[] = {
        {"radius 0 on a free cell", {3, 3}, 0, 1, [](CMapGrid&) {}, 1, {3, 3}},
        {"radius 0 tests only the start", {3, 3}, 0, 1, block({{3, 3}}), 0, {3, 3}},
        {"occupant 0 is not free here", {3, 3}, 1, 1, [](CMapGrid& g) { g.GetCell(3, 3)->SetOccupant(0); }, 1, {2, 2}},
        {"top row first", {3, 3}, 1, 1, block({{3, 3}}), 1, {2, 2}},
        {"then the bottom row", {3, 3}, 1, 1, block({{3, 3}, {2, 2}, {3, 2}, {4, 2}}), 1, {2, 4}},
        {"then the left column", {3, 3}, 1, 1, block({{3, 3}, {2, 2}, {3, 2}, {4, 2}, {2, 4}, {3, 4}, {4, 4}}), 1,
         {2, 3}},
        {"then the right column", {3, 3}, 1, 1,
         block({{3, 3}, {2, 2}, {3, 2}, {4, 2}, {2, 4}, {3, 4}, {4, 4}, {2, 3}}), 1, {4, 3}},
        {"ring 2 after ring 1", {3, 3}, 2, 1,
         block({{3, 3}, {2, 2}, {3, 2}, {4, 2}, {2, 4}, {3, 4}, {4, 4}, {2, 3}, {4, 3}}), 1, {1, 1}},
        {"clamped ring at a corner", {0, 0}, 1, 1, block({{0, 0}, {1, 0}}), 1, {0, 1}},
        {"outside the grid clamps in", {-5, 9}, 5, 1, [](CMapGrid&) {}, 1, {0, 6}},
        {"none within the radius", {3, 3}, 1, 1,
         block({{3, 3}, {2, 2}, {3, 2}, {4, 2}, {2, 4}, {3, 4}, {4, 4}, {2, 3}, {4, 3}}), 0, {3, 3}},
        {"another walk class needs its terrain", {3, 3}, 3, 5, [](CMapGrid& g) { g.GetCell(5, 4)->m_Terrain = 5; }, 1,
         {5, 4}},
        {"a huge radius ends", {3, 3}, 1 << 30, 5, [](CMapGrid&) {}, 0, {3, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CMapGrid g;
        g.Create(7, 7);
        c.setup(g);
        CGamePoint p = c.start;
        EXPECT_EQ(g.FindNearestFree(&p, c.walkClass, c.radius), c.found);
        EXPECT_EQ(p, c.cell);
    }
    CMapGrid empty;
    CGamePoint p{0, 0};
    EXPECT_EQ(empty.FindNearestFree(&p, 1, 3), 0);
}

TEST_F(MapGridTest, DemoMapLoadsWithItsTiles) {
    ASSERT_TRUE(datagen::WriteDemoMap(Dir()));
    ASSERT_EQ(grid.LoadMap("cj\\Start.map"), 1);
    ASSERT_EQ(grid.Width(), 64);
    ASSERT_EQ(grid.Height(), 64);
    ASSERT_EQ(grid.Tiles().Count(), datagen::kDemoTileCount);
    for (int32_t t = 0; t < datagen::kDemoTileCount; ++t) {
        CImage* img = grid.Tiles().GetTileImage(t);
        ASSERT_NE(img, nullptr) << t;
        EXPECT_EQ(img->m_Width, 64);
        EXPECT_EQ(img->m_Height, 32);
    }
    const std::vector<std::string> art = datagen::DemoMapArt();
    int water = 0, walls = 0;
    for (int32_t y = 1; y < 63; ++y)
        for (int32_t x = 1; x < 63; ++x) {
            const CMapCell* c = grid.GetCell(x, y);
            const char ch = art[size_t(y)][size_t(x)];
            EXPECT_EQ(c->m_Walkable, ch == '.' || ch == ',' ? 1 : 0) << x << "," << y;
            water += c->IsSurface4();
            walls += c->m_Tile0 == datagen::kTileWall;
        }
    EXPECT_GT(water, 20);
    EXPECT_EQ(walls, 4 * 16 - 3);
}

} // namespace
