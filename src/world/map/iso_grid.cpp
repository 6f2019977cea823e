#include "world/map/iso_grid.h"

#include "gfx/iso_seam.h"
#include "sound/sound_play.h"

CIsoGrid g_IsoGrid;

CIsoGrid::CIsoGrid() {
    for (int32_t row = 0; row < 16; ++row) {
        m_HalfWidth[row] = 2 + 2 * row;
        m_HalfWidth[31 - row] = 2 + 2 * row;
    }
    for (int32_t a = 0; a < 64; ++a)
        for (int32_t b = 0; b < 64; ++b) m_Block[a][b] = {(a - b) / 2 + 32, (a + b) / 4};
}

CGamePoint CIsoGrid::CellToScreen(int32_t cellX, int32_t cellY) const {
    const int32_t dx = cellX - m_OriginX, dy = cellY - m_OriginY;
    return {32 * (dx - dy) - m_OffsetX, 16 * (dx + dy) - m_OffsetY};
}

CGamePoint CIsoGrid::WorldToScreenDelta(int32_t a, int32_t b) { return {(a - b) / 2, (a + b) / 4}; }

CGamePoint CIsoGrid::ScreenToWorld(int32_t screenX, int32_t screenY) const {
    const int32_t x = m_OffsetX + screenX - 32, y = m_OffsetY + screenY;
    return {64 * m_OriginX + 2 * y + x, 64 * m_OriginY + 2 * y - x};
}

CGamePoint CIsoGrid::ScreenToCell(int32_t screenX, int32_t screenY) const {
    const int32_t x = m_OffsetX + screenX, y = m_OffsetY + screenY;
    // Floor division to go with the non-negative remainders: left of or
    // above the view origin the block is the one the remainder belongs to.
    const int32_t bx = x >> 6, by = y >> 5;
    const int32_t px = x & 63, py = y & 31;
    const int32_t cx = m_OriginX + by + bx, cy = m_OriginY + by - bx;
    const int32_t off = px > 32 ? px - 32 : 32 - px;
    if (m_HalfWidth[py] >= off) return {cx, cy};
    if (px > 32) return py < 17 ? CGamePoint{cx, cy - 1} : CGamePoint{cx + 1, cy};
    return py < 17 ? CGamePoint{cx - 1, cy} : CGamePoint{cx, cy + 1};
}

void CIsoGrid::SetView(int32_t originX, int32_t originY, int32_t offsetX, int32_t offsetY) {
    m_OriginX = originX;
    m_OriginY = originY;
    m_OffsetX = offsetX;
    m_OffsetY = offsetY;
}

void InstallIsoGrid() {
    SetWorldToScreen([](int32_t x, int32_t y) { return g_IsoGrid.WorldToScreen(x, y); });
    SetSoundPointToScreen([](const CGamePoint& p) { return g_IsoGrid.WorldToScreen(p.x, p.y); });
}

CGamePoint PixelToTile(const CGamePoint& world) { return {world.x / 64, world.y / 64}; }

CGamePoint TileToPixel(const CGamePoint& cell) { return {cell.x * 64 + 32, cell.y * 64 + 32}; }
