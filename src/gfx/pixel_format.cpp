#include "gfx/pixel_format.h"

#include "platform/display.h"

CPixelFormat g_PixelFormat;

uint16_t CPixelFormat::FromRgb(int r, int g, int b) const {
    if (m_Format == kFormat565) {
        return static_cast<uint16_t>(((r & 0xF8) * 8 + ((g & 0xFF) * 64 >> 8)) * 32 + (b & 0xFF) / 8);
    }
    return static_cast<uint16_t>(((r & 0xF8) * 4 + ((g & 0xFF) * 32 >> 8)) * 32 + (b & 0xFF) / 8);
}

void CPixelFormat::ToRgb(uint32_t pixel, int* r, int* g, int* b) const {
    pixel &= 0xFFFF;
    if (m_Format == kFormat565) {
        *r = static_cast<int>(pixel >> 11) * 8;
        *g = static_cast<int>((pixel >> 5) & 63) * 4;
    } else {
        *r = static_cast<int>((pixel >> 10) & 31) * 8;
        *g = static_cast<int>((pixel >> 5) & 31) * 8;
    }
    *b = static_cast<int>(pixel & 31) * 8;
}

int32_t CPixelFormat::Probe(plat::DDSurface* surface) {
    if (!surface) return m_Format;
    plat::DDPixelFormat pf;
    // Any failed read keeps the old code: an unfilled structure would read
    // as "32 bits".
    if (plat::DDFailed(surface->GetPixelFormat(&pf))) return m_Format;
    switch (pf.rgbBitCount) {
    case 8: m_Format = kFormat8; break;
    case 16: m_Format = pf.gBitMask == 0x7E0 ? kFormat565 : kFormat555; break;
    case 24: m_Format = kFormat24; break;
    default: m_Format = kFormat32; break;
    }
    return m_Format;
}
