#include "gfx/raw_image.h"

#include <algorithm>
#include <cstring>

#include "gfx/primitives.h"
#include "gfx/surface.h"

namespace {

int32_t BytesPerPixel(int32_t bits) { return bits == 16 ? 2 : bits == 24 ? 3 : 1; }

} // namespace

CRawImage::CRawImage(const uint8_t* h) {
    const uint8_t bits = h[frame::kBits];
    m_BitsPerPixel = (bits == 16 || bits == 24) ? bits : 8;
    m_Format = h[frame::kFormat];
    m_ColorKey = LeU32(h + frame::kColorKey);
    AllocOwn(LeI32(h + frame::kWidth), LeI32(h + frame::kHeight));
}

CRawImage::~CRawImage() { FreeOwn(); }

void CRawImage::AllocOwn(int32_t w, int32_t h) {
    FreeOwn();
    if (w < 0 || h < 0) w = h = 0;
    const int32_t bpp = BytesPerPixel(m_BitsPerPixel);
    m_Own.reset(new uint8_t[static_cast<size_t>(w) * static_cast<size_t>(h) * static_cast<size_t>(bpp) + 1]());
    m_pPixels = m_Own.get();
    m_OwnsPixels = 1;
    m_Width = w;
    m_Height = h;
    m_PixelCount = w * h;
    m_Pitch = w * bpp;
    m_RowCount = h;
}

void CRawImage::FreeOwn() {
    if (m_OwnsPixels) m_pPixels = nullptr;
    m_Own.reset();
    m_OwnsPixels = 0;
}

int CRawImage::Attach(uint8_t* h, uint32_t size) {
    m_pHeader = h;
    FrameLayout L;
    if (!ReadFrameLayout(h, size, false, &L)) {
        if (!m_OwnsPixels) m_pPixels = nullptr;
        return 0;
    }
    const bool own = h[frame::kOwnBuffer] != 0, copy = h[frame::kCopy] != 0;
    m_BitsPerPixel = static_cast<uint8_t>(L.bitsPerPixel);
    m_ColorKey = LeU32(h + frame::kColorKey);
    m_Format = h[frame::kFormat];
    m_pAlpha = L.alpha;
    m_AlphaCompressed = L.alphaCompressed ? 1 : 0;
    if (own) AllocOwn(L.width, L.height);
    const int32_t framePitch = L.width * (L.bitsPerPixel / 8);
    if (copy && m_OwnsPixels) {
        // Both sides step one pitch a row; only the overlap is copied. Rows
        // of no bytes (a frame 0 pixels wide) copy nothing however many
        // there are, so they are not walked: a height of 2^31 - 1 would
        // stall the game for seconds.
        const int32_t bytes = std::min(m_Pitch, framePitch);
        const int32_t rows = bytes > 0 ? std::min(m_Height, L.height) : 0;
        for (int32_t r = 0; r < rows; ++r)
            std::memcpy(m_pPixels + static_cast<size_t>(r) * m_Pitch, L.pixels + static_cast<size_t>(r) * framePitch,
                        static_cast<size_t>(bytes));
    }
    if (!copy && !m_OwnsPixels) {
        m_pPixels = L.pixels;
        m_Width = L.width;
        m_Height = L.height;
        m_PixelCount = L.width * L.height;
        m_Pitch = framePitch;
        m_RowCount = L.height;
    }
    return 1;
}

int CRawImage::Blt(CSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY,
                   int32_t mode, int32_t level, const CGameRect* clip) {
    if (!dst || !m_pPixels) return 0;
    return SoftwareBltPicture(*this, *dst, x, y, w, h, srcX, srcY, mode, level, clip);
}

int CRawImage::Draw(CSurface* dst, int32_t x, int32_t y, int32_t mode, int32_t level, const CGameRect* clip) {
    return Blt(dst, x, y, m_Width, m_Height, 0, 0, mode == kDrawBlend ? kDrawBlend : kDrawCopy, level, clip);
}

void CRawImage::PutPixel(uint32_t colour, int32_t x, int32_t y) {
    DrawLocked(*this, [&](const PixelView& v) { DRAW_PutPixel(v, colour, x, y); });
}
void CRawImage::FillRectClipped(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h, const CGameRect* clip) {
    DrawLocked(*this, [&](const PixelView& v) { DRAW_FillRectClipped(v, colour, x, y, w, h, clip); });
}
void CRawImage::FillRect(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h) {
    DrawLocked(*this, [&](const PixelView& v) { DRAW_FillRect(v, colour, x, y, w, h); });
}
void CRawImage::FillAll(uint32_t colour) { FillRect(colour, m_OriginX, m_OriginY, m_Width, m_Height); }
void CRawImage::FastFillRectClipped(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h,
                                    const CGameRect* clip) {
    DrawLocked(*this, [&](const PixelView& v) { DRAW_FastFillRectClipped(v, colour, x, y, w, h, clip); });
}
void CRawImage::FastFillRect16(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h) {
    DrawLocked(*this, [&](const PixelView& v) { DRAW_FastFillRect16(v, colour, x, y, w, h); });
}
void CRawImage::FastFillAll(uint32_t colour) { FastFillRect16(colour, m_OriginX, m_OriginY, m_Width, m_Height); }
void CRawImage::DrawRect(uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h, int32_t filled,
                         const CGameRect* clip) {
    DrawLocked(*this, [&](const PixelView& v) { DRAW_Rect(v, colour, x, y, w, h, filled, clip); });
}
int CRawImage::DrawLine(uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2, const CGameRect* clip) {
    int result = 0;
    DrawLocked(*this, [&](const PixelView& v) { result = DRAW_Line(v, colour, x1, y1, x2, y2, clip); });
    return result;
}
void CRawImage::ShadeBlock32(int32_t x, int32_t y, const uint8_t* mask) {
    DrawLocked(*this, [&](const PixelView& v) { DRAW_ShadeBlock32(v, x, y, mask); });
}
void CRawImage::ShadeRect(int32_t x, int32_t y, int32_t maskX, int32_t maskY, int32_t w, int32_t h,
                          const uint8_t* mask, const CGameRect* clip) {
    DrawLocked(*this, [&](const PixelView& v) { DRAW_ShadeRect(v, x, y, maskX, maskY, w, h, mask, clip); });
}
