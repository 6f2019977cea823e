#pragma once
// An uncompressed picture: a library frame drawn in place from the entry's
// memory, or a picture with its own pixel buffer. It shares the drawing
// interface of surfaces, so primitives draw into it as into a surface.
#include <cstdint>
#include <memory>

#include "gfx/image.h"

class CRawImage : public CImage {
public:
    // Empty: 8 bits, format 8, no pixels (draws nothing until attached).
    CRawImage() = default;
    // Own buffer of the size, bits, format and colour key of a 48-byte frame
    // header (16 bits: 2 bytes a pixel, 24: 3, anything else 1). The buffer
    // starts zeroed. A negative size gives an empty picture.
    explicit CRawImage(const uint8_t* frameHeader);
    ~CRawImage() override;
    CRawImage(const CRawImage&) = delete;
    CRawImage& operator=(const CRawImage&) = delete;

    int IsRle() override { return 0; }
    int Attach(uint8_t* frameHeader, uint32_t size) override;
    // The software blit (colour-keyed copy; mode 3 translucent with
    // destination table k and source table 15-k).
    int Blt(CSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY, int32_t mode,
            int32_t level, const CGameRect* clip) override;
    // The whole picture: mode 3 as Blt, every other mode a colour-keyed copy.
    // 0 when nothing is visible.
    int Draw(CSurface* dst, int32_t x, int32_t y, int32_t mode, int32_t level, const CGameRect* clip) override;
    int Kind() override { return 4; }

    virtual uint32_t GetColorKey() { return m_ColorKey; }
    virtual uint32_t SetColorKey(uint32_t key) { return m_ColorKey = key; }
    // The pixel pointer; nothing is locked.
    virtual uint8_t* Lock(const CGameRect* rect) {
        (void)rect;
        return m_pPixels;
    }
    virtual int Unlock() { return 1; }

    // Drawing primitives, shared with surfaces.
    virtual void PutPixelAt(uint32_t colour, const CGamePoint& point) { PutPixel(colour, point.x, point.y); }
    virtual void PutPixel(uint32_t colour, int32_t x, int32_t y);
    virtual void FillRectClipped(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h, const CGameRect* clip);
    virtual void FillRect(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h);
    virtual void FillAll(uint32_t colour);
    virtual void FastFillRectClipped(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h,
                                     const CGameRect* clip);
    virtual void FastFillRect16(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h);
    virtual void FastFillAll(uint32_t colour);
    virtual void DrawRect(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h, int32_t filled,
                          const CGameRect* clip);
    virtual int DrawLine(uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2, const CGameRect* clip);
    virtual void ShadeBlock32(int32_t x, int32_t y, const uint8_t* mask);
    virtual void ShadeRect(int32_t x, int32_t y, int32_t maskX, int32_t maskY, int32_t w, int32_t h,
                           const uint8_t* mask, const CGameRect* clip);

    int16_t m_PitchFactor = 1;
    int32_t m_Pitch = 0;
    int32_t m_RowCount = 0;
    uint32_t m_ColorKey = 0;
    int32_t m_OwnsPixels = 0;
    uint8_t* m_pPixels = nullptr;
    uint8_t* m_pHeader = nullptr;

private:
    // Allocates an own zeroed buffer for (w, h) at the current bits per pixel.
    void AllocOwn(int32_t w, int32_t h);
    void FreeOwn();
    std::unique_ptr<uint8_t[]> m_Own;
};
