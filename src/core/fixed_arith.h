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
    return static_cast<long double>(h) -
           static_cast<long double>(c) * static_cast<long double>(scale);
}

// Extended precision to a signed 32-bit integer, truncating toward zero.
inline std::int32_t truncateToInt32(long double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0L) return std::numeric_limits<std::int32_t>::max();
    if (x <= -2147483648.0L) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(x);
}

// A single-precision variable assigned from an expression that was evaluated
// in extended precision: the one rounding happens at the store.
inline float storeSingle(long double x) {
    return static_cast<float>(x);
}

// One partial result of a single-precision sum: the addition in extended
// precision, the result stored back as a single.
inline float addSingle(float sum, long double addend) {
    return storeSingle(static_cast<long double>(sum) + addend);
}

// floor of an expression evaluated in extended precision, which goes through
// double on its way to floor (so 97.99999999999999999 becomes 98 first).
inline double floorViaDouble(long double x) {
    return std::floor(static_cast<double>(x));
}

// An interface counter sample in hundredths of a ko: ((now - last) * 100) >> 10
// with the subtraction, the product and the shift all in unsigned 32 bits, so
// one wrap of the counter between reads is absorbed and the product wraps
// beyond 42 949 672 octets. At most 4 194 303.
inline std::uint32_t counterSample(std::uint32_t now, std::uint32_t last) {
    return static_cast<std::uint32_t>(static_cast<std::uint32_t>(now - last) * 100u) >> 10;
}

// a - b in signed 32 bits, wrapping as the machine does instead of overflowing.
inline std::int32_t wrappingSub(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

}  // namespace ulz
