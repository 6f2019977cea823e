#include "gfx/color_tables.h"

#include "gfx/pixel_format.h"

#include <algorithm>
#include <memory>

uint16_t** g_ColorTables = nullptr;
uint16_t** g_BlendTables = nullptr;

namespace {

// One block for all entries; the pointer array is what callers see. Plain
// pointers without destructors: other globals free the tables from their
// own destructors at exit, in whatever order the linker gave them.
uint16_t* g_tableBlock = nullptr;
uint16_t** g_tablePointers = nullptr;

struct Rgb {
    int32_t r, g, b;
};

// Channels as 0-255 values with the low bits 0, as the pixel format decodes.
Rgb Decode(uint32_t pixel, bool is565) {
    if (is565) return {static_cast<int32_t>((pixel >> 11) & 31) * 8, static_cast<int32_t>((pixel >> 5) & 63) * 4,
                       static_cast<int32_t>(pixel & 31) * 8};
    return {static_cast<int32_t>((pixel >> 10) & 31) * 8, static_cast<int32_t>((pixel >> 5) & 31) * 8,
            static_cast<int32_t>(pixel & 31) * 8};
}

uint16_t Encode(int32_t r, int32_t g, int32_t b, bool is565) {
    if (is565) return static_cast<uint16_t>(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | ((b & 0xFF) >> 3));
    return static_cast<uint16_t>(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | ((b & 0xFF) >> 3));
}

// Channel times factor in double precision, truncated toward zero.
int32_t Scale(int32_t channel, double factor) { return static_cast<int32_t>(channel * factor); }
int32_t ScaleClamped(int32_t channel, double factor) { return std::min(255, Scale(channel, factor)); }

// Factors per channel; a negative factor keeps the channel as it is.
struct Factors {
    double r, g, b;
    bool clamp;
};

void FillTable(uint16_t* table, const Factors& f, bool is565) {
    for (uint32_t c = 0; c < static_cast<uint32_t>(kColorTableEntries); ++c) {
        Rgb in = Decode(c, is565);
        int32_t r = in.r, g = in.g, b = in.b;
        if (f.r >= 0) r = f.clamp ? ScaleClamped(r, f.r) : Scale(r, f.r);
        if (f.g >= 0) g = f.clamp ? ScaleClamped(g, f.g) : Scale(g, f.g);
        if (f.b >= 0) b = f.clamp ? ScaleClamped(b, f.b) : Scale(b, f.b);
        table[c] = Encode(r, g, b, is565);
    }
}

void FillGrey(uint16_t* table, bool is565) {
    for (uint32_t c = 0; c < static_cast<uint32_t>(kColorTableEntries); ++c) {
        Rgb in = Decode(c, is565);
        int32_t m = std::max({in.r, in.g, in.b});
        table[c] = Encode(m, m, m, is565);
    }
}

constexpr double kKeep = -1.0;

// Level factors of the ambient modes.
constexpr double kModeF[16] = {0.65, 0.68, 0.71, 0.74, 0.77, 0.79, 0.81, 0.83,
                               0.85, 0.87, 0.89, 0.92, 0.94, 0.96, 0.98, 1.0};
constexpr double kMode1F[16] = {0.15, 0.2, 0.25, 0.3, 0.35, 0.4, 0.45, 0.5,
                                0.55, 0.6, 0.65, 0.7, 0.75, 0.8, 0.9, 1.0};
constexpr double kMode5F[16] = {0.2, 0.25, 0.3, 0.35, 0.4, 0.45, 0.5, 0.55,
                                0.6, 0.65, 0.7, 0.75, 0.8, 0.85, 0.9, 1.0};
constexpr double kMode5G[16] = {0.6, 0.64, 0.68, 0.72, 0.76, 0.82, 0.84, 0.88,
                                0.92, 0.96, 1.0, 1.0, 1.0, 1.04, 1.06, 1.08};

void FillBrightness(int32_t mode, bool is565) {
    for (int k = 0; k < 16; ++k) {
        uint16_t* t = g_ColorTables[k];
        const double f = kModeF[k];
        switch (mode) {
        case 0: FillTable(t, {f, f, kKeep, false}, is565); break;
        case 1: FillTable(t, {kMode1F[k], kMode1F[k], kMode1F[k], false}, is565); break;
        case 2: FillTable(t, {kKeep, f, f, false}, is565); break;
        case 3: FillTable(t, {f, kKeep, f, false}, is565); break;
        case 4: FillTable(t, {kKeep, kKeep, f, false}, is565); break;
        case 5:
            // Only blue is clamped: red and green never grow.
            for (uint32_t c = 0; c < static_cast<uint32_t>(kColorTableEntries); ++c) {
                Rgb in = Decode(c, is565);
                t[c] = Encode(Scale(in.r, kMode5F[k]), Scale(in.g, kMode5F[k]), ScaleClamped(in.b, kMode5G[k]), is565);
            }
            break;
        default: break;
        }
    }
}

} // namespace

void BuildColorTables() { BuildColorTables(g_PixelFormat.Get()); }

void BuildColorTables(int32_t formatCode) {
    if (g_ColorTables) return;
    const bool is565 = formatCode == kFormat565;
    FreeColorTables();
    g_tableBlock = new uint16_t[static_cast<size_t>(kColorTableCount) * kColorTableEntries]();
    g_tablePointers = new uint16_t*[kColorTableCount];
    for (int k = 0; k < kColorTableCount; ++k)
        g_tablePointers[k] = g_tableBlock + static_cast<size_t>(k) * kColorTableEntries;
    g_ColorTables = g_tablePointers;
    g_BlendTables = g_ColorTables + kFirstBlendTable;

    FillBrightness(0, is565);
    for (int k = 0; k < 16; ++k) {
        const double f = k / 16.0;
        FillTable(g_BlendTables[k], {f, f, f, false}, is565);
    }
    FillGrey(g_ColorTables[kGreyTable], is565);
    FillTable(g_ColorTables[33], {1.3, 1.3, 2.0, true}, is565);
    FillTable(g_ColorTables[34], {1.35, 1.35, 1.35, true}, is565);
    g_ColorTables[34][0] = Encode(14, 14, 14, is565);
    FillTable(g_ColorTables[35], {0.5, 0.5, 2.0, true}, is565);
    FillTable(g_ColorTables[36], {1.0, 0.3, 0.3, true}, is565);
    FillTable(g_ColorTables[37], {0.3, 1.0, 0.3, true}, is565);
    FillTable(g_ColorTables[38], {1.0, 1.0, 0.3, true}, is565);
}

void FreeColorTables() {
    g_ColorTables = nullptr;
    g_BlendTables = nullptr;
    delete[] g_tablePointers;
    g_tablePointers = nullptr;
    delete[] g_tableBlock;
    g_tableBlock = nullptr;
}

void BuildBrightnessTables(int32_t mode) { BuildBrightnessTables(mode, g_PixelFormat.Get()); }

void BuildBrightnessTables(int32_t mode, int32_t formatCode) {
    if (!g_ColorTables || mode < 0 || mode > 5) return;
    FillBrightness(mode, formatCode == kFormat565);
}

const uint16_t* GetColorTable(int32_t k) {
    if (!g_ColorTables || k < 0 || k > kLastColorTable) return nullptr;
    return g_ColorTables[k];
}

const uint16_t* GetBlendTable(int32_t level) {
    if (!g_BlendTables) return nullptr;
    return g_BlendTables[std::clamp(level, 0, 15)];
}

const uint16_t* GetBrightnessTable(int32_t level) {
    if (!g_ColorTables) return nullptr;
    return g_ColorTables[std::clamp(level, 0, 15)];
}
