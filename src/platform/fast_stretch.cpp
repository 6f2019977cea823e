#include "platform/fast_stretch.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace plat {

namespace {

constinit bool g_fast = true;

struct EnvSelection {
    EnvSelection() {
        const char* v = std::getenv("VANTREL_KERNELS");
        if (v && std::strcmp(v, "reference") == 0) g_fast = false;
    }
} g_envSelection;

typedef uint16_t U16 __attribute__((aligned(1), may_alias));

} // namespace

void SelectFastStretch(bool on) { g_fast = on; }
bool FastStretchSelected() { return g_fast; }

void StretchCopy16(uint8_t* dmem, int32_t dpitch, const uint8_t* sbase, int32_t spitch, int32_t sw, int32_t sh,
                   int32_t dw, int32_t dh, int32_t dstLeft, int32_t dstTop, int32_t visLeft, int32_t visTop,
                   int32_t visRight, int32_t visBottom, bool keyed, uint32_t key) {
    if (visLeft >= visRight || visTop >= visBottom || dw <= 0 || dh <= 0) return;
    const int32_t n = visRight - visLeft;
    const bool straight = sw == dw;
    std::vector<int32_t> cols;
    if (!straight) {
        cols.resize(static_cast<size_t>(n));
        for (int32_t i = 0; i < n; ++i)
            cols[static_cast<size_t>(i)] = static_cast<int32_t>(static_cast<int64_t>(visLeft + i - dstLeft) * sw / dw);
    }
    const int32_t firstCol = visLeft - dstLeft;  // source column of visLeft when not stretched across
    for (int32_t y = visTop; y < visBottom; ++y) {
        const int32_t sy = static_cast<int32_t>(static_cast<int64_t>(y - dstTop) * sh / dh);
        const U16* srow = reinterpret_cast<const U16*>(sbase + static_cast<size_t>(sy) * spitch);
        U16* drow = reinterpret_cast<U16*>(dmem + static_cast<size_t>(y) * dpitch) + visLeft;
        if (straight) {
            const U16* s = srow + firstCol;
            if (!keyed) {
                std::memcpy(drow, s, static_cast<size_t>(n) * 2);
            } else {
                for (int32_t i = 0; i < n; ++i) {
                    const uint16_t p = s[i];
                    drow[i] = p == key ? drow[i] : p;
                }
            }
        } else if (!keyed) {
            for (int32_t i = 0; i < n; ++i) drow[i] = srow[cols[static_cast<size_t>(i)]];
        } else {
            for (int32_t i = 0; i < n; ++i) {
                const uint16_t p = srow[cols[static_cast<size_t>(i)]];
                if (p != key) drow[i] = p;
            }
        }
    }
}

} // namespace plat
