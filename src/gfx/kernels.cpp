#include "gfx/kernels.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "gfx/color_tables.h"
#include "gfx/fast_kernels.h"
#include "gfx/rle_walk.h"

namespace {

// Pixels may sit at any byte address (library frames are not aligned), so
// every 16- and 32-bit access goes through these unaligned aliases.
typedef uint16_t U16 __attribute__((aligned(1), may_alias));
typedef uint32_t U32 __attribute__((aligned(1), may_alias));

inline uint8_t* Bytes(void* p) { return static_cast<uint8_t*>(p); }
inline const uint8_t* Bytes(const void* p) { return static_cast<const uint8_t*>(p); }
inline U16* Px(uint8_t* p) { return reinterpret_cast<U16*>(p); }
inline const U16* Px(const uint8_t* p) { return reinterpret_cast<const U16*>(p); }

using rle::Rd16;
using rle::Rd32;
using rle::WalkRle;

} // namespace

// ---- Raw pixel rows ----

namespace ref {

void KeyedCopy16(void* dst, const void* src, int32_t w, int32_t h, int32_t dstPitch, int32_t srcPitch,
                 uint32_t key) {
    if (w <= 0 || h <= 0) return;
    uint8_t* d = Bytes(dst);
    const uint8_t* s = Bytes(src);
    if (key > 0xFFFF) {
        // No 16-bit pixel can equal the key.
        for (int32_t y = 0; y < h; ++y, d += dstPitch, s += srcPitch) std::memmove(d, s, static_cast<size_t>(w) * 2);
        return;
    }
    const uint16_t k = static_cast<uint16_t>(key);
    for (int32_t y = 0; y < h; ++y, d += dstPitch, s += srcPitch) {
        U16* dp = Px(d);
        const U16* sp = Px(s);
        // Written as a select so the compiler can vectorise it; a keyed
        // pixel is stored back unchanged.
        for (int32_t x = 0; x < w; ++x) {
            const uint16_t v = sp[x], under = dp[x];
            dp[x] = v != k ? v : under;
        }
    }
}

void BlendCopy16(void* dst, const void* src, int32_t w, int32_t h, int32_t dstPitch, int32_t srcPitch,
                 const uint16_t* dstTable, const uint16_t* srcTable, uint32_t key) {
    if (w <= 0 || h <= 0 || !dstTable || !srcTable) return;
    uint8_t* d = Bytes(dst);
    const uint8_t* s = Bytes(src);
    for (int32_t y = 0; y < h; ++y, d += dstPitch, s += srcPitch) {
        U16* dp = Px(d);
        const U16* sp = Px(s);
        for (int32_t x = 0; x < w; ++x) {
            const uint16_t v = sp[x];
            if (v != key) dp[x] = static_cast<uint16_t>(dstTable[dp[x]] + srcTable[v]);
        }
    }
}

void TableMap16(void* dst, int32_t w, int32_t h, int32_t dstPitch, const uint16_t* table) {
    if (w <= 0 || h <= 0 || !table) return;
    uint8_t* d = Bytes(dst);
    for (int32_t y = 0; y < h; ++y, d += dstPitch) {
        U16* dp = Px(d);
        for (int32_t x = 0; x < w; ++x) dp[x] = table[dp[x]];
    }
}

} // namespace ref

void FastFill16(void* dst, int32_t w, int32_t h, int32_t dstPitch, uint32_t colour) {
    if (w <= 0 || h <= 0) return;
    uint8_t* d = Bytes(dst);
    const int32_t pairs = w / 2;
    const uint16_t low = static_cast<uint16_t>(colour);
    for (int32_t y = 0; y < h; ++y, d += dstPitch) {
        U32* dp = reinterpret_cast<U32*>(d);
        for (int32_t i = 0; i < pairs; ++i) dp[i] = colour;
        if (w & 1) *Px(d + 4 * pairs) = low;
    }
}

// ---- Shade ----

namespace {

// Field masks after shifting a pixel right by 1, 2 and 3 bits: they clear
// the bits that slid in from the next field up, so the shifted fields are
// f >> 1, f >> 2 and f >> 3. 5-5-5 takes red as everything from bit 10 up.
struct ShadeLayout {
    uint16_t half, quarter, eighth;
};
constexpr ShadeLayout k555{0x7DEF, 0x3CE7, 0x1C63};
constexpr ShadeLayout k565{0x7BEF, 0x39E7, 0x18E3};

// One row, every pixel shaded by its own level. Written without lookups or
// branches so that the compiler handles many pixels per memory access.
inline void ShadeRow(uint8_t* d, const uint8_t* m, int32_t w, const ShadeLayout& L) {
    U16* p = Px(d);
    const uint16_t half = L.half, quarter = L.quarter, eighth = L.eighth;
    for (int32_t x = 0; x < w; ++x) {
        const uint16_t v = p[x];
        const uint16_t level = m[x];
        // Eighths kept: the level itself for 0-7, none for 8 (kept whole), 7 above.
        const uint16_t e = level > 8 ? 7 : (level == 8 ? 0 : level);
        const uint16_t keep = level == 8 ? 0xFFFF : 0;
        const uint16_t h = (e & 4) ? 0xFFFF : 0, q = (e & 2) ? 0xFFFF : 0, o = (e & 1) ? 0xFFFF : 0;
        p[x] = static_cast<uint16_t>((v & keep) + (((v >> 1) & half) & h) + (((v >> 2) & quarter) & q) +
                                     (((v >> 3) & eighth) & o));
    }
}

void ShadeRows(uint8_t* d, const uint8_t* mask, int32_t dstPitch, int32_t w, int32_t h, int32_t maskStride,
               const ShadeLayout& L) {
    if (w <= 0 || h <= 0) return;
    for (int32_t y = 0; y < h; ++y, d += dstPitch, mask += maskStride) ShadeRow(d, mask, w, L);
}

} // namespace

void ShadeBlock32_555(void* dst, const uint8_t* mask, int32_t dstPitch) {
    ShadeRows(Bytes(dst), mask, dstPitch, 32, 32, 32, k555);
}
void ShadeBlock32_565(void* dst, const uint8_t* mask, int32_t dstPitch) {
    ShadeRows(Bytes(dst), mask, dstPitch, 32, 32, 32, k565);
}
void ShadeRect_555(void* dst, const uint8_t* mask, int32_t dstPitch, int32_t w, int32_t h, int32_t maskStride) {
    ShadeRows(Bytes(dst), mask, dstPitch, w, h, maskStride, k555);
}
void ShadeRect_565(void* dst, const uint8_t* mask, int32_t dstPitch, int32_t w, int32_t h, int32_t maskStride) {
    ShadeRows(Bytes(dst), mask, dstPitch, w, h, maskStride, k565);
}

// ---- Run-length rows ----

namespace {

void RleAlphaImpl(void* dst, const RleRows& rows, const RleRows& alpha, int32_t widthBytes, int32_t rowCount,
                  int32_t dstPitch, int32_t imageWidth, int32_t skipBytes, int32_t fade) {
    if (!g_BlendTables) return;
    uint16_t* const* T = g_BlendTables;
    rle::WalkRleAlpha(Bytes(dst), rows, alpha, widthBytes, rowCount, dstPitch, imageWidth, skipBytes,
                      [&](uint8_t* d, const uint8_t* s, const uint8_t* al, int32_t n) {
                          for (int32_t k = 0; k < n; ++k) {
                              const int32_t a = (al[k] >> 4) - fade;
                              if (a <= 1) continue;
                              U16* dp = Px(d + 2 * k);
                              *dp = static_cast<uint16_t>(T[a][*Px(s + 2 * k)] + T[15 - a][*dp]);
                          }
                      });
}

} // namespace

namespace ref {

void RleCopy(void* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
             int32_t skipBytes) {
    WalkRle(Bytes(dst), rows, widthBytes, rowCount, dstPitch, skipBytes,
            [](uint8_t* d, const uint8_t* s, int32_t n, int32_t) { std::memcpy(d, s, static_cast<size_t>(n)); });
}

void RleTable16(void* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
                int32_t skipBytes, const uint16_t* table) {
    if (!table) return;
    WalkRle(Bytes(dst), rows, widthBytes, rowCount, dstPitch, skipBytes,
            [table](uint8_t* d, const uint8_t* s, int32_t n, int32_t) {
                U16* dp = Px(d);
                const U16* sp = Px(s);
                for (int32_t k = 0; k < n / 2; ++k) dp[k] = table[sp[k]];
            });
}

void RleBlend16(void* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
                int32_t skipBytes, const uint16_t* srcTable, const uint16_t* dstTable) {
    if (!srcTable || !dstTable) return;
    WalkRle(Bytes(dst), rows, widthBytes, rowCount, dstPitch, skipBytes,
            [srcTable, dstTable](uint8_t* d, const uint8_t* s, int32_t n, int32_t) {
                U16* dp = Px(d);
                const U16* sp = Px(s);
                for (int32_t k = 0; k < n / 2; ++k) dp[k] = static_cast<uint16_t>(srcTable[sp[k]] + dstTable[dp[k]]);
            });
}

void RleAlpha16(void* dst, const RleRows& rows, const RleRows& alpha, int32_t widthBytes, int32_t rowCount,
                int32_t dstPitch, int32_t imageWidth, int32_t skipBytes) {
    RleAlphaImpl(dst, rows, alpha, widthBytes, rowCount, dstPitch, imageWidth, skipBytes, 0);
}

void RleAlphaFaded16(void* dst, const RleRows& rows, const RleRows& alpha, int32_t widthBytes, int32_t rowCount,
                     int32_t dstPitch, int32_t imageWidth, int32_t skipBytes, int32_t fade) {
    // A negative fade would push a above 15, into the grey and tint tables.
    RleAlphaImpl(dst, rows, alpha, widthBytes, rowCount, dstPitch, imageWidth, skipBytes, std::clamp(fade, 0, 15));
}

} // namespace ref

// ---- Dispatch to the kernels in force ----

void KeyedCopy16(void* dst, const void* src, int32_t w, int32_t h, int32_t dstPitch, int32_t srcPitch,
                 uint32_t key) {
    g_Kernels.keyedCopy16(dst, src, w, h, dstPitch, srcPitch, key);
}
void BlendCopy16(void* dst, const void* src, int32_t w, int32_t h, int32_t dstPitch, int32_t srcPitch,
                 const uint16_t* dstTable, const uint16_t* srcTable, uint32_t key) {
    g_Kernels.blendCopy16(dst, src, w, h, dstPitch, srcPitch, dstTable, srcTable, key);
}
void TableMap16(void* dst, int32_t w, int32_t h, int32_t dstPitch, const uint16_t* table) {
    g_Kernels.tableMap16(dst, w, h, dstPitch, table);
}
void RleCopy(void* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
             int32_t skipBytes) {
    g_Kernels.rleCopy(dst, rows, widthBytes, rowCount, dstPitch, skipBytes);
}
void RleTable16(void* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
                int32_t skipBytes, const uint16_t* table) {
    g_Kernels.rleTable16(dst, rows, widthBytes, rowCount, dstPitch, skipBytes, table);
}
void RleBlend16(void* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
                int32_t skipBytes, const uint16_t* srcTable, const uint16_t* dstTable) {
    g_Kernels.rleBlend16(dst, rows, widthBytes, rowCount, dstPitch, skipBytes, srcTable, dstTable);
}
void RleAlpha16(void* dst, const RleRows& rows, const RleRows& alpha, int32_t widthBytes, int32_t rowCount,
                int32_t dstPitch, int32_t imageWidth, int32_t skipBytes) {
    g_Kernels.rleAlpha16(dst, rows, alpha, widthBytes, rowCount, dstPitch, imageWidth, skipBytes);
}
void RleAlphaFaded16(void* dst, const RleRows& rows, const RleRows& alpha, int32_t widthBytes, int32_t rowCount,
                     int32_t dstPitch, int32_t imageWidth, int32_t skipBytes, int32_t fade) {
    g_Kernels.rleAlphaFaded16(dst, rows, alpha, widthBytes, rowCount, dstPitch, imageWidth, skipBytes, fade);
}

// ---- Validation of run-length planes ----

namespace {

// Reads the row table; false when it does not fit the plane.
bool RowTableFits(uint32_t planeSize, int32_t rowCount) {
    return rowCount >= 0 && static_cast<uint64_t>(rowCount) * 4 <= planeSize;
}

} // namespace

bool RleRowsValid(const uint8_t* plane, uint32_t planeSize, int32_t rowCount, int32_t rowBytes,
                  int32_t bytesPerPixel) {
    if (!plane || !RowTableFits(planeSize, rowCount) || rowBytes < 0 || bytesPerPixel <= 0) return false;
    const uint8_t* data = plane + 4 * static_cast<size_t>(rowCount);
    const uint64_t dataSize = planeSize - 4 * static_cast<uint64_t>(rowCount);
    for (int32_t i = 0; i < rowCount; ++i) {
        uint64_t at = Rd32(plane + 4 * i);
        int64_t pos = 0;
        bool run = false;
        // Skip, then run / skip pairs until the row's width is reached.
        for (;;) {
            if (at + 2 > dataSize) return false;
            const int32_t len = Rd16(data + at);
            at += 2;
            if (len % bytesPerPixel != 0) return false;
            if (run) {
                if (at + static_cast<uint64_t>(len) > dataSize) return false;
                at += static_cast<uint64_t>(len);
            }
            pos += len;
            if (pos >= rowBytes) break;
            run = !run;
        }
    }
    return true;
}

bool RleAlphaRowsValid(const uint8_t* plane, uint32_t planeSize, int32_t rowCount, int32_t imageWidth) {
    if (!plane || !RowTableFits(planeSize, rowCount) || imageWidth < 0) return false;
    const uint8_t* data = plane + 4 * static_cast<size_t>(rowCount);
    const uint64_t dataSize = planeSize - 4 * static_cast<uint64_t>(rowCount);
    for (int32_t i = 0; i < rowCount; ++i) {
        uint64_t at = Rd32(plane + 4 * i);
        if (at + 2 > dataSize) return false;
        int64_t pos = Rd16(data + at);
        at += 2;
        while (pos < imageWidth) {
            if (at + 2 > dataSize) return false;
            const int32_t len = Rd16(data + at);
            at += 2;
            if (at + static_cast<uint64_t>(len) > dataSize) return false;
            at += static_cast<uint64_t>(len);
            pos += len;
            if (pos >= imageWidth) break;
            if (at + 2 > dataSize) return false;
            pos += Rd16(data + at);
            at += 2;
        }
    }
    return true;
}
