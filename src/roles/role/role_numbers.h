#pragma once
// Integer conversions of the role's arithmetic on data values: results
// beyond the integer range saturate; in range a float truncates.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace role_num {

inline int32_t Sat(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

inline int32_t ToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

} // namespace role_num
