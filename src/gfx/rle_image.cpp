#include "gfx/rle_image.h"

#include <algorithm>

#include "gfx/color_tables.h"
#include "gfx/kernels.h"
#include "gfx/pixel_format.h"
#include "gfx/primitives.h"
#include "gfx/surface.h"

int CRleImage::Attach(uint8_t* h, uint32_t size) {
    m_pHeader = h;
    m_pRowOffsets = m_pRowData = nullptr;
    m_pAlpha = nullptr;
    m_AlphaCompressed = 0;
    FrameLayout L;
    if (!ReadFrameLayout(h, size, true, &L)) {
        m_Width = m_Height = m_PixelCount = 0;
        return 0;
    }
    m_Width = L.width;
    m_Height = L.height;
    m_BitsPerPixel = static_cast<uint8_t>(L.bitsPerPixel);
    m_Format = h[frame::kFormat];
    m_pAlpha = L.alpha;
    m_AlphaCompressed = L.alphaCompressed ? 1 : 0;
    m_pRowOffsets = L.pixels;
    m_pRowData = L.pixels + 4 * static_cast<size_t>(L.height);
    m_PixelCount = L.width * L.height;
    return 1;
}

int CRleImage::Draw(CSurface* dst, int32_t x, int32_t y, int32_t mode, int32_t level, const CGameRect* clip) {
    return Blt(dst, x, y, m_Width, m_Height, 0, 0, mode, level, clip);
}

int CRleImage::Blt(CSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY,
                   int32_t mode, int32_t level, const CGameRect* clip) {
    if (!dst || !m_pRowOffsets) return 0;
    // Clip to the destination and the clip rectangle, and keep the source
    // part inside the picture (a caller's region may reach past it).
    BltPlan plan;
    if (!PlanSoftwareBlt(plan, dst->m_Width, dst->m_Height, m_Width, m_Height, x, y, w, h, srcX, srcY, clip))
        return 0;
    const int32_t bpp = m_BitsPerPixel / 8;
    // Bytes are copied as they are, so the destination must store the same
    // pixel size; the table modes are 16-bit only.
    if (dst->m_BitsPerPixel != m_BitsPerPixel) return 1;
    const bool table16 = mode >= kDrawAlpha;
    if (table16 && m_BitsPerPixel != 16) return 1;
    uint8_t* base = dst->Lock(nullptr);
    if (base) {
        const int32_t pitch = static_cast<int32_t>(dst->m_PitchFactor) * dst->m_Pitch;
        uint8_t* d = base + static_cast<ptrdiff_t>(pitch) * plan.dstY + static_cast<ptrdiff_t>(plan.dstX) * bpp;
        const RleRows rows{m_pRowData, m_pRowOffsets + 4 * static_cast<size_t>(plan.srcY)};
        const int32_t widthBytes = plan.w * bpp, skipBytes = plan.srcX * bpp;
        const bool alphaRows = m_pAlpha && m_AlphaCompressed;
        const RleRows alpha = alphaRows ? RleRows{m_pAlpha + 4 * static_cast<size_t>(m_Height),
                                                  m_pAlpha + 4 * static_cast<size_t>(plan.srcY)}
                                        : RleRows{nullptr, nullptr};
        const int32_t k = std::clamp(level, 0, 15);
        switch (mode) {
        case kDrawCopy:
        case kDrawCopy1: RleCopy(d, rows, widthBytes, plan.h, pitch, skipBytes); break;
        case kDrawAlpha:
            if (alphaRows) RleAlpha16(d, rows, alpha, widthBytes, plan.h, pitch, m_Width, skipBytes);
            break;
        case kDrawBlend:
            RleBlend16(d, rows, widthBytes, plan.h, pitch, skipBytes, GetBlendTable(k), GetBlendTable(15 - k));
            break;
        case kDrawTable: RleTable16(d, rows, widthBytes, plan.h, pitch, skipBytes, GetColorTable(level)); break;
        case kDrawAlphaFaded:
            if (alphaRows) RleAlphaFaded16(d, rows, alpha, widthBytes, plan.h, pitch, m_Width, skipBytes, level);
            break;
        default: break;
        }
    }
    dst->Unlock();
    return 1;
}

uint32_t CRleImage::GetPixel(int32_t x, int32_t y) const {
    const uint32_t key = g_PixelFormat.ColorKey();
    if (!m_pRowOffsets || m_BitsPerPixel != 16 || x < 0 || y < 0 || x >= m_Width || y >= m_Height) return key;
    // Rows were checked on attach: every length read here lies inside them.
    const uint8_t* p = m_pRowData + LeU32(m_pRowOffsets + 4 * static_cast<size_t>(y));
    const int32_t rowBytes = m_Width * 2;
    int32_t used = LeU16(p);
    p += 2;
    while (used < rowBytes) {
        const int32_t run = LeU16(p);
        p += 2;
        const int32_t pos = used / 2;
        if (x >= pos && x < pos + run / 2) return LeU16(p + 2 * (x - pos));
        used += run;
        p += run;
        if (used >= rowBytes) break;
        used += LeU16(p);
        p += 2;
    }
    return key;
}
