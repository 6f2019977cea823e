#pragma once
// Drawing primitives on locked picture memory. Every picture with addressable
// pixels (surfaces, raw images) draws through these: the picture locks
// itself, describes its memory as a PixelView, calls the primitive and
// unlocks. One lock per operation, never one per pixel.
//
// Clip rectangles are (x, y, w, h) with inclusive corners (x, y) and
// (x + w - 1, y + h - 1); an empty intersection draws nothing.
#include <cstdint>

#include "core/geometry.h"

// Locked memory of one picture. Pixel (x, y) lives at
// base + rowStride * y + (bitsPerPixel * x) / 8.
struct PixelView {
    uint8_t* base = nullptr;  // what Lock returned
    int32_t rowStride = 0;    // pitch factor x row pitch, in bytes
    int32_t originX = 0;      // bounds (origin x, origin y, width, height)
    int32_t originY = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 16;
    int32_t format = 16;      // store form: 8, 15, 16, 24 or 32; others store nothing
};

// Inclusive-corner intersection of (x, y, w, h) with (rx, ry, rw, rh), in
// place; false (and the rectangle unchanged) when empty.
bool IntersectRect(int32_t& x, int32_t& y, int32_t& w, int32_t& h, int32_t rx, int32_t ry, int32_t rw, int32_t rh);

// Nothing outside the bounds; else one store of the colour at (x, y).
void DRAW_PutPixel(const PixelView& v, uint32_t colour, int32_t x, int32_t y);
// Every pixel of the rectangle, intersected with the bounds, takes the colour
// (8-bit: the low byte; 16-bit: the low word; 24-bit: three bytes; 32-bit:
// the word).
void DRAW_FillRect(const PixelView& v, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h);
// The same, first intersected with clip when given.
void DRAW_FillRectClipped(const PixelView& v, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h,
                          const CGameRect* clip);
// 16-bit pictures only: the rectangle, intersected with the bounds, filled
// with 32-bit stores of the colour argument per pixel pair counted from the
// rectangle's first pixel (its high half lands on the second pixel of each
// pair).
void DRAW_FastFillRect16(const PixelView& v, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h);
void DRAW_FastFillRectClipped(const PixelView& v, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h,
                              const CGameRect* clip);
// Filled, or an outline of four one-pixel strips; an edge cut away by the
// clip is not drawn.
void DRAW_Rect(const PixelView& v, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h, int32_t filled,
               const CGameRect* clip);
// The line from (x1, y1) towards (x2, y2) inside its clipped bounding box;
// the end point itself is not stored. 0 when nothing is drawn.
int DRAW_Line(const PixelView& v, uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
              const CGameRect* clip);
// Shades the 32 x 32 block at (x, y) by a mask of 1,024 levels, 32 per row
// (0 black, 8 unchanged, 1-7 eighths, above 8 seven eighths). Formats 15 and
// 16 only. A block reaching outside the picture is shaded only where it lies
// inside.
void DRAW_ShadeBlock32(const PixelView& v, int32_t x, int32_t y, const uint8_t* mask);
// Shades (x, y, w, h), intersected with clip and the picture; mask rows are w
// bytes apart and the level of the rectangle's first visible pixel is at
// (maskX + its offset, maskY + its offset).
void DRAW_ShadeRect(const PixelView& v, int32_t x, int32_t y, int32_t maskX, int32_t maskY, int32_t w, int32_t h,
                    const uint8_t* mask, const CGameRect* clip);
// Every 16-bit pixel of the rectangle (intersected with the bounds) through
// blend table k (k clamped into 0..15): the colour scaled by k/16.
void DRAW_DimRect(const PixelView& v, int32_t x, int32_t y, int32_t w, int32_t h, int32_t k);

// The software blit, split so that the picture classes can lock between the
// two halves (destination first, then source).
struct BltPlan {
    int32_t dstX, dstY, w, h, srcX, srcY;
};
// Clips the destination rectangle (x, y, w, h) to dst (0, 0, dstWidth,
// dstHeight) and clip, and the source rectangle to (0, 0, srcWidth,
// srcHeight). False when nothing is left.
bool PlanSoftwareBlt(BltPlan& plan, int32_t dstWidth, int32_t dstHeight, int32_t srcWidth, int32_t srcHeight,
                     int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY, const CGameRect* clip);
// Draws a planned blit between two locked 16-bit pictures. Mode 3: translucent,
// destination through T[level], source through T[15 - level], level clamped
// into 0..15; every other mode: keyed copy. Source pixels equal to srcKey are
// skipped. False (nothing drawn) when a side is not 16-bit or mode 3 finds no
// tables.
bool DRAW_SoftwareBlt(const PixelView& dst, const PixelView& src, uint32_t srcKey, const BltPlan& plan,
                      int32_t mode, int32_t level);

// ---- Pictures ----
// Any picture class with the shared fields (m_OriginX, m_OriginY, m_Width,
// m_Height, m_BitsPerPixel, m_Format, m_PitchFactor, m_Pitch) and
// Lock (rect) / Unlock / GetColorKey: surfaces and raw images.

// The view of a picture whose Lock returned base (Lock refreshes the pitch,
// so build the view after locking).
template <class Pic>
PixelView ViewOf(const Pic& pic, uint8_t* base) {
    PixelView v;
    v.base = base;
    v.rowStride = static_cast<int32_t>(pic.m_PitchFactor) * pic.m_Pitch;
    v.originX = pic.m_OriginX;
    v.originY = pic.m_OriginY;
    v.width = pic.m_Width;
    v.height = pic.m_Height;
    v.bitsPerPixel = pic.m_BitsPerPixel;
    v.format = pic.m_Format;
    return v;
}

// Locks the whole picture, runs draw(view) and unlocks; nothing when the
// lock fails.
template <class Pic, class Fn>
void DrawLocked(Pic& pic, Fn&& draw) {
    uint8_t* base = pic.Lock(nullptr);
    if (!base) return;
    draw(ViewOf(pic, base));
    pic.Unlock();
}

// The software blit of (srcX, srcY, w, h) of src to (x, y) on dst: clipped,
// destination locked first, then the source (once when both are the same
// picture); unlocked in the opposite order. 1 when drawn, 0 when nothing was
// left after clipping, a lock failed or a side is not 16-bit.
template <class Src, class Dst>
int SoftwareBltPicture(Src& src, Dst& dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY,
                       int32_t mode, int32_t level, const CGameRect* clip) {
    BltPlan plan;
    if (!PlanSoftwareBlt(plan, dst.m_Width, dst.m_Height, src.m_Width, src.m_Height, x, y, w, h, srcX, srcY, clip))
        return 0;
    const bool same = static_cast<const void*>(&src) == static_cast<const void*>(&dst);
    uint8_t* d = dst.Lock(nullptr);
    uint8_t* s = same ? d : (d ? src.Lock(nullptr) : nullptr);
    if (!d || !s) {
        if (d) dst.Unlock();
        return 0;
    }
    const bool ok = DRAW_SoftwareBlt(ViewOf(dst, d), ViewOf(src, s), src.GetColorKey(), plan, mode, level);
    if (!same) src.Unlock();
    dst.Unlock();
    return ok ? 1 : 0;
}
