#include "gfx/primitives.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "gfx/color_tables.h"
#include "gfx/kernels.h"

namespace {

uint8_t* Addr(const PixelView& v, int32_t x, int32_t y) {
    return v.base + static_cast<int64_t>(v.rowStride) * y + (static_cast<int64_t>(v.bitsPerPixel) * x) / 8;
}

// Bytes one store writes for the view's format; 0 when the format stores
// nothing, or when a store would be wider than a pixel of the picture.
int32_t StoreBytes(const PixelView& v) {
    int32_t n = 0;
    switch (v.format) {
    case 8: n = 1; break;
    case 15:
    case 16: n = 2; break;
    case 24: n = 3; break;
    case 32: n = 4; break;
    default: return 0;
    }
    return v.bitsPerPixel % 8 == 0 && v.bitsPerPixel >= 8 * n ? n : 0;
}

// Little-endian low bytes of the colour.
inline void Store(uint8_t* p, uint32_t colour, int32_t bytes) {
    for (int32_t i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(colour >> (8 * i));
}

void FillSpans(const PixelView& v, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h) {
    const int32_t bytes = StoreBytes(v);
    if (!bytes || !v.base) return;
    const int32_t step = v.bitsPerPixel / 8;
    for (int32_t row = 0; row < h; ++row) {
        uint8_t* p = Addr(v, x, y + row);
        if (bytes == 1 && step == 1) {
            std::memset(p, static_cast<uint8_t>(colour), static_cast<size_t>(w));
        } else if (bytes == 2 && step == 2) {
            const uint16_t c = static_cast<uint16_t>(colour);
            for (int32_t i = 0; i < w; ++i) std::memcpy(p + 2 * i, &c, 2);
        } else if (bytes == 4 && step == 4) {
            for (int32_t i = 0; i < w; ++i) std::memcpy(p + 4 * i, &colour, 4);
        } else {
            for (int32_t i = 0; i < w; ++i) Store(p + static_cast<int64_t>(step) * i, colour, bytes);
        }
    }
}

bool IsShadeFormat(const PixelView& v) { return (v.format == 15 || v.format == 16) && v.bitsPerPixel == 16; }

void ShadeKernel(const PixelView& v, int32_t x, int32_t y, int32_t w, int32_t h, const uint8_t* mask,
                 int32_t maskStride) {
    if (v.format == 16)
        ShadeRect_565(Addr(v, x, y), mask, v.rowStride, w, h, maskStride);
    else
        ShadeRect_555(Addr(v, x, y), mask, v.rowStride, w, h, maskStride);
}

} // namespace

bool IntersectRect(int32_t& x, int32_t& y, int32_t& w, int32_t& h, int32_t rx, int32_t ry, int32_t rw, int32_t rh) {
    const int64_t x0 = std::max(x, rx);
    const int64_t y0 = std::max(y, ry);
    const int64_t x1 = std::min(static_cast<int64_t>(x) + w - 1, static_cast<int64_t>(rx) + rw - 1);
    const int64_t y1 = std::min(static_cast<int64_t>(y) + h - 1, static_cast<int64_t>(ry) + rh - 1);
    if (x0 > x1 || y0 > y1) return false;
    x = static_cast<int32_t>(x0);
    y = static_cast<int32_t>(y0);
    w = static_cast<int32_t>(x1 - x0 + 1);
    h = static_cast<int32_t>(y1 - y0 + 1);
    return true;
}

void DRAW_PutPixel(const PixelView& v, uint32_t colour, int32_t x, int32_t y) {
    if (x < v.originX || x > v.originX + v.width - 1 || y < v.originY || y > v.originY + v.height - 1) return;
    const int32_t bytes = StoreBytes(v);
    if (bytes && v.base) Store(Addr(v, x, y), colour, bytes);
}

void DRAW_FillRect(const PixelView& v, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (!IntersectRect(x, y, w, h, v.originX, v.originY, v.width, v.height)) return;
    FillSpans(v, colour, x, y, w, h);
}

void DRAW_FillRectClipped(const PixelView& v, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h,
                          const CGameRect* clip) {
    if (clip && !IntersectRect(x, y, w, h, clip->x, clip->y, clip->width, clip->height)) return;
    DRAW_FillRect(v, colour, x, y, w, h);
}

void DRAW_FastFillRect16(const PixelView& v, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (v.bitsPerPixel != 16 || !v.base) return;
    if (!IntersectRect(x, y, w, h, v.originX, v.originY, v.width, v.height)) return;
    FastFill16(Addr(v, x, y), w, h, v.rowStride, colour);
}

void DRAW_FastFillRectClipped(const PixelView& v, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h,
                              const CGameRect* clip) {
    if (clip && !IntersectRect(x, y, w, h, clip->x, clip->y, clip->width, clip->height)) return;
    DRAW_FastFillRect16(v, colour, x, y, w, h);
}

void DRAW_Rect(const PixelView& v, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h, int32_t filled,
               const CGameRect* clip) {
    int32_t X = x, Y = y, W = w, H = h;
    if (clip && !IntersectRect(X, Y, W, H, clip->x, clip->y, clip->width, clip->height)) return;
    if (filled) {
        DRAW_FillRect(v, colour, X, Y, W, H);
        return;
    }
    // An edge is drawn only when the clip did not cut it.
    const int64_t right = static_cast<int64_t>(x) + w, bottom = static_cast<int64_t>(y) + h;
    const bool left = X <= x;
    const bool top = Y <= y;
    const bool keepRight = right <= static_cast<int64_t>(X) + W;
    const bool keepBottom = static_cast<int64_t>(Y) + H >= bottom;
    // Four strips that never overlap.
    if (W - 1 > 0) {
        if (top) DRAW_FillRect(v, colour, X + 1, Y, W - 1, 1);
        if (keepBottom) DRAW_FillRect(v, colour, X, Y + H - 1, W - 1, 1);
    }
    if (H - 1 >= 1) {
        if (keepRight) DRAW_FillRect(v, colour, X + W - 1, Y + 1, 1, H - 1);
        if (left) DRAW_FillRect(v, colour, X, Y, 1, H - 1);
    }
}

int DRAW_Line(const PixelView& v, uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
              const CGameRect* clip) {
    int32_t bx = std::min(x1, x2), by = std::min(y1, y2);
    int32_t bw = std::max(x1, x2) - bx + 1, bh = std::max(y1, y2) - by + 1;
    if (!IntersectRect(bx, by, bw, bh, v.originX, v.originY, v.width, v.height)) return 0;
    if (clip && !IntersectRect(bx, by, bw, bh, clip->x, clip->y, clip->width, clip->height)) return 0;
    const int32_t bx0 = bx, by0 = by, bx1 = bx + bw - 1, by1 = by + bh - 1;

    // Where the infinite line crosses the box edges, in the order left, top,
    // right, bottom; the first crossing inside the box is P, the first later
    // one that differs is Q.
    struct Pt {
        int32_t x, y;
        bool ok;
    };
    const int64_t dx = static_cast<int64_t>(x2) - x1, dy = static_cast<int64_t>(y2) - y1;
    auto atX = [&](int32_t bxEdge) -> int32_t { return static_cast<int32_t>((static_cast<int64_t>(bxEdge) - x1) * dy / dx + y1); };
    auto atY = [&](int32_t byEdge) -> int32_t { return static_cast<int32_t>((static_cast<int64_t>(byEdge) - y1) * dx / dy + x1); };
    Pt pts[4] = {};
    if (x1 == x2) {
        pts[0] = {bx0, by0, true};
        pts[2] = {bx1, by1, true};
    } else {
        pts[0] = {bx0, atX(bx0), true};
        pts[2] = {bx1, atX(bx1), true};
    }
    if (y1 != y2) {
        pts[1] = {atY(by0), by0, true};
        pts[3] = {atY(by1), by1, true};
    }
    const Pt* P = nullptr;
    const Pt* Q = nullptr;
    for (const Pt& p : pts) {
        if (!p.ok || p.x < bx0 || p.x > bx1 || p.y < by0 || p.y > by1) continue;
        if (!P)
            P = &p;
        else if (p.x != P->x || p.y != P->y) {
            Q = &p;
            break;
        }
    }
    if (!P || !Q) return 0;

    const int32_t bytes = StoreBytes(v);
    if (!bytes || !v.base) return 0;
    const int32_t adx = std::abs(Q->x - P->x), ady = std::abs(Q->y - P->y);
    const int32_t n = std::max(adx, ady);
    const int32_t sx = (Q->x > P->x) - (Q->x < P->x), sy = (Q->y > P->y) - (Q->y < P->y);
    int32_t x = P->x, y = P->y, ex = 0, ey = 0;
    for (int32_t i = 0; i < n; ++i) {
        Store(Addr(v, x, y), colour, bytes);
        ex += adx;
        ey += ady;
        if (ex >= n / 2) {
            ex -= n;
            x += sx;
        }
        if (ey >= n / 2) {
            ey -= n;
            y += sy;
        }
    }
    return 1;
}

void DRAW_ShadeBlock32(const PixelView& v, int32_t x, int32_t y, const uint8_t* mask) {
    if (!IsShadeFormat(v) || !v.base || !mask) return;
    int32_t X = x, Y = y, W = 32, H = 32;
    if (!IntersectRect(X, Y, W, H, v.originX, v.originY, v.width, v.height)) return;
    if (W == 32 && H == 32) {
        if (v.format == 16)
            ShadeBlock32_565(Addr(v, x, y), mask, v.rowStride);
        else
            ShadeBlock32_555(Addr(v, x, y), mask, v.rowStride);
        return;
    }
    // A block hanging over the edge: shade only its visible part.
    ShadeKernel(v, X, Y, W, H, mask + (Y - y) * 32 + (X - x), 32);
}

void DRAW_ShadeRect(const PixelView& v, int32_t x, int32_t y, int32_t maskX, int32_t maskY, int32_t w, int32_t h,
                    const uint8_t* mask, const CGameRect* clip) {
    if (!IsShadeFormat(v) || !v.base || !mask) return;
    int32_t X = x, Y = y, W = w, H = h;
    if (clip && !IntersectRect(X, Y, W, H, clip->x, clip->y, clip->width, clip->height)) return;
    if (w == 32 && h == 32 && W == 32 && H == 32) {
        DRAW_ShadeBlock32(v, x, y, mask);
        return;
    }
    if (!IntersectRect(X, Y, W, H, v.originX, v.originY, v.width, v.height)) return;
    const uint8_t* first = mask + static_cast<int64_t>(maskY + (Y - y)) * w + maskX + (X - x);
    ShadeKernel(v, X, Y, W, H, first, w);
}

void DRAW_DimRect(const PixelView& v, int32_t x, int32_t y, int32_t w, int32_t h, int32_t k) {
    const uint16_t* table = GetBlendTable(k);
    if (!table || v.bitsPerPixel != 16 || !v.base) return;
    if (!IntersectRect(x, y, w, h, v.originX, v.originY, v.width, v.height)) return;
    TableMap16(Addr(v, x, y), w, h, v.rowStride, table);
}

bool PlanSoftwareBlt(BltPlan& plan, int32_t dstWidth, int32_t dstHeight, int32_t srcWidth, int32_t srcHeight,
                     int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY, const CGameRect* clip) {
    int32_t bx = 0, by = 0, bw = dstWidth, bh = dstHeight;
    if (clip && !IntersectRect(bx, by, bw, bh, clip->x, clip->y, clip->width, clip->height)) return false;
    int32_t X = x, Y = y, W = w, H = h;
    if (!IntersectRect(X, Y, W, H, bx, by, bw, bh)) return false;
    int32_t sx = srcX + (X - x), sy = srcY + (Y - y);
    // The source rectangle must lie inside the source picture as well.
    const int32_t sx0 = sx, sy0 = sy;
    if (!IntersectRect(sx, sy, W, H, 0, 0, srcWidth, srcHeight)) return false;
    plan = {X + (sx - sx0), Y + (sy - sy0), W, H, sx, sy};
    return true;
}

bool DRAW_SoftwareBlt(const PixelView& dst, const PixelView& src, uint32_t srcKey, const BltPlan& plan,
                      int32_t mode, int32_t level) {
    if (dst.bitsPerPixel != 16 || src.bitsPerPixel != 16 || !dst.base || !src.base) return false;
    uint8_t* d = Addr(dst, plan.dstX, plan.dstY);
    const uint8_t* s = Addr(src, plan.srcX, plan.srcY);
    if (mode == 3) {
        const uint16_t* dstTable = GetBlendTable(level);
        const uint16_t* srcTable = GetBlendTable(15 - std::clamp(level, 0, 15));
        if (!dstTable || !srcTable) return false;
        BlendCopy16(d, s, plan.w, plan.h, dst.rowStride, src.rowStride, dstTable, srcTable, srcKey);
    } else {
        KeyedCopy16(d, s, plan.w, plan.h, dst.rowStride, src.rowStride, srcKey);
    }
    return true;
}
