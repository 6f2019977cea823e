#pragma once
// Nearest-neighbour copies of 16-bit pixels for the display stand-in: the
// same pixels as its per-pixel loop, with the source column of every
// destination column worked out once per call instead of once per pixel.
#include <cstdint>

namespace plat {

// On by default; VANTREL_KERNELS=reference in the environment starts with
// it off. The graphics kernels' selector switches it with them.
void SelectFastStretch(bool on);
bool FastStretchSelected();

// Draws the part [visLeft, visRight) x [visTop, visBottom) of the
// destination rectangle whose top-left is (dstLeft, dstTop) and size dw x dh,
// from a sw x sh source (sbase at its top-left): destination pixel (x, y)
// takes source pixel ((x - dstLeft) x sw / dw, (y - dstTop) x sh / dh).
// With keyed set, source pixels equal to key are not drawn. The source must
// not overlap the destination.
void StretchCopy16(uint8_t* dmem, int32_t dpitch, const uint8_t* sbase, int32_t spitch, int32_t sw, int32_t sh,
                   int32_t dw, int32_t dh, int32_t dstLeft, int32_t dstTop, int32_t visLeft, int32_t visTop,
                   int32_t visRight, int32_t visBottom, bool keyed, uint32_t key);

} // namespace plat
