// The map-cell image preloader.
#include <gtest/gtest.h>

#include "../../gfx/test_image_fixture.h"
#include "core/directories.h"
#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"
#include "world/map/cell_preloader.h"
#include "world/map/map_grid.h"
#include "world/scene/world_globals.h"

namespace {

constexpr int kW = 5, kH = 9;

class CellPreloaderTest : public imgtest::ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        SetProgramDirectory(0);
        // One picture per cell, each larger than the 2048-byte budget.
        std::vector<std::string> e;
        for (int i = 0; i < kW * kH; ++i) {
            datagen::ImageFrame f;
            f.width = 40;
            f.height = 30;
            f.pixels.assign(40 * 30, static_cast<uint16_t>(0x0841 * (i % 31)));
            e.push_back(datagen::EncodeFrame(f));
        }
        ASSERT_TRUE(datagen::WriteLib(Dir() + "Zy/tiles.lib", e));
    }
    void TearDown() override {
        g_CurMapGrid = nullptr;
        grid_.reset();
        ImageTest::TearDown();
    }
    void MakeGrid() {
        grid_ = std::make_unique<CMapGrid>();
        grid_->Create(kW, kH);
        std::vector<uint16_t> ids(kW * kH);
        for (int i = 0; i < kW * kH; ++i) ids[size_t(i)] = static_cast<uint16_t>(i);
        ASSERT_EQ(grid_->Tiles().Load("tiles.lib", ids.data(), kW * kH), 1);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) grid_->GetCell(x, y)->m_Tile0 = static_cast<uint16_t>(y * kW + x);
        g_CurMapGrid = grid_.get();
    }
    int LoadedTiles() {
        int n = 0;
        for (int i = 0; i < kW * kH; ++i) {
            const CLibEntry* e = grid_->Tiles().Lib()->FindEntry(uint32_t(i));
            n += e && e->m_LoadState == kEntryLoaded;
        }
        return n;
    }
    std::unique_ptr<CMapGrid> grid_;
};

TEST_F(CellPreloaderTest, CoversANonSquareMapFromEachCornerOnePictureACall) {
    for (CGamePoint corner : {CGamePoint{0, 0}, CGamePoint{kW - 1, 0}, CGamePoint{0, kH - 1}, CGamePoint{kW - 1, kH - 1}}) {
        SCOPED_TRACE(std::to_string(corner.x) + "," + std::to_string(corner.y));
        MakeGrid();
        CCellPreloader p;
        p.StartAt(corner.x, corner.y);
        int calls = 0;
        while (p.m_Active && calls < 1000) {
            const int before = LoadedTiles();
            p.Step();
            ++calls;
            // The budget stops the call right after the picture that passed
            // it, still on that cell: the next call revisits it.
            const int loaded = LoadedTiles() - before;
            EXPECT_LE(loaded, 1);
            if (loaded == 1 && p.m_Active) {
                ASSERT_NE(grid_->GetCell(p.m_X, p.m_Y), nullptr);
                const CLibEntry* e = grid_->Tiles().Lib()->FindEntry(uint32_t(p.m_Y * kW + p.m_X));
                EXPECT_TRUE(e && e->m_LoadState == kEntryLoaded);
            }
        }
        EXPECT_FALSE(p.m_Active);
        EXPECT_EQ(LoadedTiles(), kW * kH);
        g_CurMapGrid = nullptr;
        grid_.reset();
    }
}

TEST_F(CellPreloaderTest, ACallWhereEverythingIsLoadedWalks100Cells) {
    MakeGrid();
    for (int i = 0; i < kW * kH; ++i) grid_->Tiles().GetTileImage(i);
    CCellPreloader p;
    p.StartAt(2, 4);
    const uint32_t bytes = GetLibLoadedBytes();
    p.Step();
    EXPECT_EQ(GetLibLoadedBytes(), bytes);
    // Legs 1, 1, 2, 2, ..., 9, 9, 10: the 100th step ends the first leg of 10.
    EXPECT_EQ((CGamePoint{p.m_X, p.m_Y}), (CGamePoint{7, -1}));
    EXPECT_EQ(p.m_Dir, 4);
    EXPECT_EQ(p.m_Leg, 10);
    EXPECT_EQ(p.m_Steps, 0);
    EXPECT_TRUE(p.m_Active);
    CCellPreloader idle;
    idle.Step();  // never started: nothing moves
    EXPECT_EQ(idle.m_X, 0);
}

} // namespace
