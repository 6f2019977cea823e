#pragma once
// The isometric projection: world positions on square cells of 64 units,
// drawn as 64 x 32 diamonds. One cell along world x moves the diamond 32
// pixels right and 16 down; one along world y, 32 left and 16 down. The
// client's painter publishes its view (origin cell and pixel offset) into
// g_IsoGrid whenever the view scrolls.
#include <cstdint>

#include "core/geometry.h"

class CIsoGrid {
public:
    CIsoGrid();
    virtual ~CIsoGrid() = default;

    // The cell's reference pixel: 32 (dx - dy) - offset x, 16 (dx + dy) - offset y
    // with (dx, dy) the cell relative to the view origin.
    CGamePoint CellToScreen(int32_t cellX, int32_t cellY) const;
    // Cell by floor division, the block table by floor modulo, so positions
    // left of or above the grid continue the same pattern.
    CGamePoint WorldToScreen(int32_t worldX, int32_t worldY) const {
        const CGamePoint c = CellToScreen(worldX >> 6, worldY >> 6);
        const Block& b = m_Block[worldX & 63][worldY & 63];
        return {c.x + b.x, c.y + b.y};
    }
    // ((a - b) / 2, (a + b) / 4), rounding toward zero, without the origin.
    static CGamePoint WorldToScreenDelta(int32_t a, int32_t b);
    CGamePoint ScreenToWorld(int32_t screenX, int32_t screenY) const;
    // The cell whose diamond holds the pixel.
    CGamePoint ScreenToCell(int32_t screenX, int32_t screenY) const;
    // True when the half-width of diamond row `row` (0-31) is at least value.
    bool RowIsWider(int32_t value, int32_t row) const { return m_HalfWidth[row & 31] >= value; }

    void SetView(int32_t originX, int32_t originY, int32_t offsetX, int32_t offsetY);

    struct Block {
        int32_t x;
        int32_t y;
    };

    int32_t m_OriginX = 0;
    int32_t m_OriginY = 0;
    int32_t m_OffsetX = 0;
    int32_t m_OffsetY = 0;
    int32_t m_HalfWidth[32];
    // [a][b]: screen offset of the point (a, b) inside a cell from the
    // cell's reference pixel: ((a - b) / 2 + 32, (a + b) / 4).
    Block m_Block[64][64];
};

extern CIsoGrid g_IsoGrid;

// Hands g_IsoGrid's conversion to the graphics engine (afterimage trails)
// and the sound layer (positional effects). Called once at start-up.
void InstallIsoGrid();

// World position <-> map cell (Part of the point helpers every world object
// uses). The cell is (x / 64, y / 64), dividing toward zero: -1 .. -63 fall
// in cell 0. The cell centre is (x * 64 + 32, y * 64 + 32).
CGamePoint PixelToTile(const CGamePoint& world);
CGamePoint TileToPixel(const CGamePoint& cell);
