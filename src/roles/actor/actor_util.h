#pragma once
// Small cell and direction sums shared by the actor's files.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "core/geometry.h"

namespace actor_util {

constexpr uint32_t kFlagRunning = 0x10000;
constexpr uint32_t kFlagPlaying = 512;
constexpr int32_t kWeatherWind = 9;

inline int32_t Chebyshev(const CGamePoint& a, const CGamePoint& b) {
    const int32_t dx = std::abs(a.x - b.x), dy = std::abs(a.y - b.y);
    return dx > dy ? dx : dy;
}

inline CGamePoint CellCentre(const CGamePoint& cell) { return {cell.x * 64 + 32, cell.y * 64 + 32}; }

// A sector difference folded into 0..count/2.
inline int32_t FoldDir(int32_t k, int32_t count) {
    k = std::abs(k) % count;
    return k > count / 2 ? count - k : k;
}

// Euclidean distance, truncated.
inline int32_t DistanceTrunc(int32_t dx, int32_t dy) {
    return static_cast<int32_t>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
}

} // namespace actor_util
