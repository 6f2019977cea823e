#pragma once
// The world's isometric projection as the graphics engine sees it. The
// world sits above the graphics engine, so the engine calls through this
// settable function; the world installs its grid's WorldToScreen when its
// global grid is built. Until then the conversion of a view at the origin
// is used (cells 64 x 64 units shown as 64 x 32 diamonds).
#include <cstdint>

#include "core/geometry.h"

using WorldToScreenFn = CGamePoint (*)(int32_t worldX, int32_t worldY);

// Null restores the default conversion.
void SetWorldToScreen(WorldToScreenFn fn);
CGamePoint WorldToScreen(int32_t worldX, int32_t worldY);
// The default: cell (x / 64, y / 64) at (32 (cx - cy), 16 (cx + cy)) plus
// ((a - b) / 2 + 32, (a + b) / 4) for the position (a, b) inside the cell,
// both by floor division and modulo.
CGamePoint DefaultWorldToScreen(int32_t worldX, int32_t worldY);
