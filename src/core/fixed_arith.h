// Fixed-width arithmetic rules that the figures depend on, each in one place.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace ulz {

// Floating point to a signed 32-bit integer, truncating toward zero. Values
// beyond the range saturate and NaN gives 0, where a plain cast would be undefined.
inline std::int32_t truncateToInt32(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (x <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(x);
}

// h - c * scale in extended precision, as the graphs place a bar's top row.
inline long double heightMinusScaled(int h, std::int32_t c, float scale) {
    return static_cast<long double>(h) - static_cast<long double>(c) * static_cast<long double>(scale);
}

// Extended precision to a signed 32-bit integer, truncating toward zero.
inline std::int32_t truncateToInt32(long double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0L) return std::numeric_limits<std::int32_t>::max();
    if (x <= -2147483648.0L) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(x);
}

}  // namespace ulz
