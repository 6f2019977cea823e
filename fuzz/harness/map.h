#pragma once
// Map files ("QuorMap1.50"): the input is "cj\fuzz.map", loose or in
// "cj.fol". An accepted map is walked cell by cell (border unwalkable,
// tile numbers below the tile count or none, every tile picture fetched),
// searched with FindNearestFree and the walk-class rule around random
// cells, the centre of each sampled cell goes to the screen and back, then
// the grid is cleared: it must be empty and every loaded byte given back.
// A refused map leaves the grid empty (it was empty before).
//
// Setup (once): a display, colour tables and the demo tile library
// "Zy\maptile.lib", which the seeds name (PrepareMapTiles).
#include <algorithm>
#include <string>

#include "core/directories.h"
#include "datagen/lib_writer.h"
#include "datagen/map_writer.h"
#include "env.h"
#include "gfx/image.h"
#include "gfx/res_lib.h"
#include "platform/random.h"
#include "world/map/iso_grid.h"
#include "world/map/map_grid.h"

namespace fuzzharness {

inline bool PrepareMapTiles() {
    const fuzzenv::Home& home = fuzzenv::ProgramHome();
    SetProgramDirectory(0);
    g_LibMemBudget = 0;
    return fuzzenv::PutFile(home.native + "Zy/maptile.lib", datagen::BuildLib(datagen::DemoTileEntries()));
}

inline void CheckCell(const CMapGrid& grid, int32_t x, int32_t y) {
    const CMapCell* c = grid.GetCell(x, y);
    if (!c) fuzzenv::Fail("a cell inside the grid is missing");
    const bool border = x == 0 || y == 0 || x == grid.Width() - 1 || y == grid.Height() - 1;
    if (border && c->m_Walkable) fuzzenv::Fail("a border cell is walkable");
    for (uint16_t t : {c->m_Tile0, c->m_Tile1}) {
        if (t != kNoTile && t >= grid.Tiles().Count()) fuzzenv::Fail("a tile number at or past the tile count");
        if (CImage* img = grid.Tiles().GetTileImage(t); img && (img->m_Width <= 0 || img->m_Height <= 0))
            fuzzenv::Fail("a tile picture without pixels");
    }
    c->GetMoveClass();
    c->IsSurface4();
}

inline int RunMap(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzzenv::PlacedFiles files("cj", {{"fuzz.map", bytes}}, fuzzenv::PlaceFor(data, size));
    if (!files.Ready()) fuzzenv::Fail("the pack did not mount");
    const uint32_t loadedBefore = g_LibLoadedBytes;

    CMapGrid grid;
    const int accepted = grid.LoadMap(files.Path().c_str());
    if (accepted) {
        const int32_t w = grid.Width(), h = grid.Height();
        if (int64_t(w) * h != grid.CellCount()) fuzzenv::Fail("the cell count is not width x height");
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) CheckCell(grid, x, y);
        for (int32_t t = 0; t < grid.Tiles().Count(); ++t) grid.Tiles().GetTileImage(t);
        if (grid.GetCell(w, 0) || grid.GetCell(0, h) || grid.GetCell(-1, 0)) fuzzenv::Fail("a cell outside the grid");

        CIsoGrid iso;
        for (int k = 0; k < 16 && w > 0 && h > 0; ++k) {
            const CGamePoint at{plat::Rand() % (w + 4) - 2, plat::Rand() % (h + 4) - 2};
            CGamePoint p = at;
            static const int kWalkClasses[] = {1, 11, 13, 15, 5};
            const int walkClass = kWalkClasses[k % 5];
            if (grid.FindNearestFree(&p, walkClass, k % 9)) {
                const CMapCell* c = grid.GetCell(p.x, p.y);
                if (!c || !c->AllowsWalkClass(walkClass) || c->m_Occupant != kNoObj)
                    fuzzenv::Fail("FindNearestFree gave a cell that does not fit");
                if (std::max(std::abs(p.x - std::clamp(at.x, 0, w - 1)), std::abs(p.y - std::clamp(at.y, 0, h - 1))) >
                    k % 9)
                    fuzzenv::Fail("FindNearestFree went past its radius");
            } else if (p != at) {
                fuzzenv::Fail("a failed FindNearestFree moved the cell");
            }
            iso.SetView(at.x, at.y, k * 7 - 40, k * 3 - 20);
            const CGamePoint centre = TileToPixel(at);
            const CGamePoint s = iso.WorldToScreen(centre.x, centre.y);
            if (iso.ScreenToCell(s.x, s.y) != at) fuzzenv::Fail("a cell centre does not map back to its cell");
            const CGamePoint back = iso.ScreenToWorld(s.x, s.y);
            if (iso.WorldToScreen(back.x, back.y) != s) fuzzenv::Fail("screen -> world -> screen moved the pixel");
        }
    }
    grid.Clear();
    if (grid.Width() || grid.Height() || grid.CellCount() || grid.Cells() || grid.Tiles().Count())
        fuzzenv::Fail("a cleared grid is not empty");
    if (g_LibLoadedBytes != loadedBefore) fuzzenv::Fail("clearing the grid did not give back its loaded bytes");
    return accepted;
}

} // namespace fuzzharness
