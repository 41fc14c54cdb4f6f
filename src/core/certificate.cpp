#include "core/certificate.h"

#include "core/cp1252.h"
#include "core/number_text.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace ulz {
namespace {

// The checksum is defined by x87-style arithmetic: the term and the sum in
// the 80-bit extended format, the accumulator in single precision. Each
// helper below holds one of those roundings. None can be simplified away: a
// typical text sums to a few hundred thousand, where a float resolves only
// 1/32, so the result of floor depends on every rounding, and a certificate
// computed another way would not match the one printed on a report.
//
// On x86-64, g++ does float and double arithmetic in SSE registers (no excess
// precision), so the 64-bit significand comes only from the explicit long
// double below, and each cast to float is one correctly rounded conversion.
// -ffp-contract does not matter: the x87 unit has no fused multiply-add, so
// the long double product is always rounded before the sum. -ffast-math does
// change the result (it reassociates and drops roundings); never use it here.
static_assert(std::numeric_limits<long double>::digits == 64,
              "the certificate needs the 80-bit extended format (64-bit significand)");
static_assert(std::numeric_limits<float>::digits == 24 && std::numeric_limits<float>::is_iec559,
              "the certificate accumulator is an IEEE single-precision float");

// The byte read as a signed char and sign-extended to 32 bits, then taken as
// unsigned: 0x00-0x7F stay as they are, 0x80-0xFF become 4294967168-4294967295.
std::uint32_t widenByte(unsigned char byte) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int8_t>(byte)));
}

// v² × √2 (√2 rounded to double), the product rounded once to a 64-bit
// significand. v² < 2^64 is exact both as an integer and as a long double.
long double termOf(std::uint32_t v) {
    constexpr double kSqrt2 = 1.4142135623730951;
    const std::uint64_t square = std::uint64_t{v} * v;
    return static_cast<long double>(square) * static_cast<long double>(kSqrt2);
}

// s + t rounded to a 64-bit significand, then that result rounded to single
// precision. Both roundings are part of the definition: rounding the exact
// sum straight to float would be a different function.
float addToAccumulator(float s, long double t) {
    const long double sum = static_cast<long double>(s) + t;
    return static_cast<float>(sum);
}

// floor of the accumulator; every float converts to double exactly, so the
// whole number (up to about 10^38) reaches the formatter unchanged.
double wholePart(float s) {
    return std::floor(static_cast<double>(s));
}

}  // namespace

std::string ComputeCertificate(std::string_view bytes) {
    float s = 0.0f;
    for (const char c : bytes) {
        s = addToAccumulator(s, termOf(widenByte(static_cast<unsigned char>(c))));
    }
    return floatToStr(wholePart(s));
}

std::string ComputeCertificateOfText(std::string_view utf8Text) {
    return ComputeCertificate(utf8ToCp1252(utf8Text));
}

}  // namespace ulz
