#pragma once
// The 16-bit pixel layout of the screen (5-6-5 or 5-5-5) and the conversions
// between 8-bit-per-channel RGB and the 16-bit pixel word.
#include <cstdint>

namespace plat { class DDSurface; }

// Format codes, shared with surfaces: 8, 15 (5-5-5), 16 (5-6-5), 24, 32.
enum : int32_t { kFormat8 = 8, kFormat555 = 15, kFormat565 = 16, kFormat24 = 24, kFormat32 = 32 };

// The transparent colour of pictures and keyed copies: magenta.
constexpr uint16_t kColorKey565 = 0xF81F;
constexpr uint16_t kColorKey555 = 0x7C1F;

class CPixelFormat {
public:
    int32_t Get() const { return m_Format; }
    // Red >> 3, green >> 2 (5-6-5) or >> 3 (otherwise), blue >> 3.
    uint16_t FromRgb(int r, int g, int b) const;
    // Each field shifted up so its top bit lands in bit 7; low bits 0, so
    // FromRgb of the result gives the same pixel back.
    void ToRgb(uint32_t pixel, int* r, int* g, int* b) const;
    // Reads the layout of a surface: 8, 16 (green mask 0x7E0), 15 (any other
    // 16-bit mask), 24, or 32 for any other depth. A failed read leaves the
    // format as it was. Returns the format code.
    int32_t Probe(plat::DDSurface* surface);
    // The colour key in the current layout.
    uint16_t ColorKey() const { return m_Format == kFormat565 ? kColorKey565 : kColorKey555; }

    int32_t m_Format = kFormat565;
};

extern CPixelFormat g_PixelFormat;
