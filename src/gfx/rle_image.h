#pragma once
// A run-length picture drawn straight from its library entry's memory: the
// row kernels skip transparent pixels without testing them.
#include <cstdint>

#include "gfx/image.h"

class CRleImage : public CImage {
public:
    CRleImage() = default;
    int IsRle() override { return 1; }
    // Size restoration, then the header is checked and the alpha and pixel
    // rows are walked once, so the draws can trust them. 0 when malformed.
    int Attach(uint8_t* frameHeader, uint32_t size) override;
    // Modes: 0, 1 copy the runs; 2 alpha-plane blend and 5 the same faded by
    // the level (only with a compressed alpha plane, else nothing); 3
    // translucent, T[k] of the source + T[15-k] of the destination; 4 every
    // pixel through colour table k; 6 and above nothing. 0 when nothing of
    // the rectangle is visible, else 1.
    int Blt(CSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY, int32_t mode,
            int32_t level, const CGameRect* clip) override;
    int Draw(CSurface* dst, int32_t x, int32_t y, int32_t mode, int32_t level, const CGameRect* clip) override;
    int Kind() override { return 6; }

    // The 16-bit colour at (x, y) of the picture; the colour key of the
    // current pixel format when the pixel is transparent or outside.
    uint32_t GetPixel(int32_t x, int32_t y) const;

    const uint8_t* m_pRowOffsets = nullptr;
    const uint8_t* m_pRowData = nullptr;
    uint8_t* m_pHeader = nullptr;
};
