#include "gfx/iso_seam.h"

namespace {
WorldToScreenFn g_WorldToScreenFn = nullptr;
}

void SetWorldToScreen(WorldToScreenFn fn) { g_WorldToScreenFn = fn; }

CGamePoint WorldToScreen(int32_t worldX, int32_t worldY) {
    return g_WorldToScreenFn ? g_WorldToScreenFn(worldX, worldY) : DefaultWorldToScreen(worldX, worldY);
}

CGamePoint DefaultWorldToScreen(int32_t worldX, int32_t worldY) {
    // Floor division and modulo: a negative position (a body part flung off
    // the grid) continues the pattern instead of indexing backwards.
    const int32_t cx = worldX >> 6, cy = worldY >> 6;
    const int32_t a = worldX & 63, b = worldY & 63;
    return CGamePoint{32 * (cx - cy) + (a - b) / 2 + 32, 16 * (cx + cy) + (a + b) / 4};
}
