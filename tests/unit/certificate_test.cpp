#include "core/certificate.h"

#include "core/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>

namespace ulz {
namespace {

std::string bytesOf(std::initializer_list<int> values) {
    std::string out;
    for (const int v : values) out += static_cast<char>(v);
    return out;
}

// 10 000 printable ASCII bytes in a fixed, non-repeating-looking order.
std::string longAsciiText() {
    std::string out;
    for (int i = 0; i < 10000; ++i) out += static_cast<char>(32 + (i * 37) % 95);
    return out;
}

// 10 000 bytes covering the whole byte range, high bytes throughout.
std::string longMixedText() {
    std::string out;
    for (int i = 0; i < 10000; ++i) out += static_cast<char>((i * 131 + 7) % 256);
    return out;
}

std::string byteRange(int first, int last) {
    std::string out;
    for (int b = first; b <= last; ++b) out += static_cast<char>(b);
    return out;
}

// Exact model of the checksum in integers only, so that it does not share the
// floating-point unit, the compiler's treatment of long double or the widening
// cast of the code under test. A value is m × 2^e; every rounding is to
// nearest even at a given number of significant bits.
__extension__ using U128 = unsigned __int128;

struct Binary {
    U128 m = 0;
    int e = 0;
};

int bitWidth(U128 m) {
    const auto high = static_cast<std::uint64_t>(m >> 64);
    return high != 0 ? 64 + std::bit_width(high) : std::bit_width(static_cast<std::uint64_t>(m));
}

Binary roundToBits(Binary x, int bits) {
    const int excess = bitWidth(x.m) - bits;
    if (excess <= 0) return x;
    U128 q = x.m >> excess;
    const U128 rest = x.m & ((U128{1} << excess) - 1);
    const U128 half = U128{1} << (excess - 1);
    if (rest > half || (rest == half && (q & 1) != 0)) ++q;
    x = {q, x.e + excess};
    if (bitWidth(x.m) > bits) x = {x.m >> 1, x.e + 1};  // carried into a new bit; low bit is 0
    return x;
}

// Exact sum, then rounded to `bits`. The larger operand is moved to the top
// of a 127-bit window; bits of the smaller that fall off the bottom leave a
// sticky 1, which is enough for a correct rounding to 64 bits or fewer.
Binary addRounded(Binary a, Binary b, int bits) {
    if (a.m == 0) return roundToBits(b, bits);
    if (b.m == 0) return roundToBits(a, bits);
    if (bitWidth(a.m) + a.e < bitWidth(b.m) + b.e) std::swap(a, b);
    const int up = 126 - bitWidth(a.m);
    a = {a.m << up, a.e - up};
    const int down = a.e - b.e;
    U128 bm = 0;
    if (down <= 0) {
        bm = b.m << -down;
    } else if (down < 128) {
        bm = (b.m >> down) | ((b.m & ((U128{1} << down) - 1)) != 0 ? 1 : 0);
    } else {
        bm = 1;
    }
    return roundToBits({a.m + bm, a.e}, bits);
}

std::string modelCertificate(std::string_view bytes) {
    // 1.4142135623730951 = 6369051672525773 × 2^-52
    const Binary sqrt2{6369051672525773, -52};
    Binary s;
    for (const char c : bytes) {
        const unsigned b = static_cast<unsigned char>(c);
        const std::uint64_t v = b < 128 ? b : b + 4294967040ULL;
        const Binary term = roundToBits({U128{v * v} * sqrt2.m, sqrt2.e}, 64);
        s = roundToBits(addRounded(s, term, 64), 24);
    }
    return floatToStr(std::floor(std::ldexp(static_cast<double>(s.m), s.e)));
}

struct Vector {
    const char* name;
    std::string bytes;
    const char* certificate;
};

void PrintTo(const Vector& v, std::ostream* os) {
    *os << v.name;
}

class CertificateVectorTest : public testing::TestWithParam<Vector> {};

TEST_P(CertificateVectorTest, GivesKnownCertificate) {
    EXPECT_EQ(ComputeCertificate(GetParam().bytes), GetParam().certificate);
}

TEST_P(CertificateVectorTest, ModelAgrees) {
    EXPECT_EQ(modelCertificate(GetParam().bytes), GetParam().certificate);
}

// Apart from abc, the three ping texts and the lone é, these values were
// computed separately with exact rational arithmetic; the model agrees.
INSTANTIATE_TEST_SUITE_P(
    Texts, CertificateVectorTest,
    testing::Values(Vector{"Empty", "", "0"}, Vector{"Abc", "abc", "40749"},
                    Vector{"PingReport", "35ms42,37ms120ms0s87 PingZelk", "289858"},
                    // A double-precision accumulator gives 288401 and 43141 for these two.
                    Vector{"PingReportFloatRounding", "20ms42,37ms80ms3s120 PingZelk", "288402"},
                    Vector{"ShortFloatRounding", "66ks", "43142"},
                    Vector{"EmptyPingEdits", "msmsmss PingZelk", "241993"},
                    Vector{"QuestionMark", "?", "5613"},
                    Vector{"LeadingZeroScore", "35ms42,37ms120ms0s087 PingZelk", "293116"},
                    // A high byte is read sign-extended: 0x80 and 0x81-0xFF land on two sums.
                    Vector{"EAcute", "\xE9", "2,60876352041947E19"},
                    Vector{"Byte80", "\x80", "2,60876330051714E19"},
                    Vector{"ByteFF", "\xFF", "2,60876352041947E19"},
                    Vector{"ThreeEAcutes", "\xE9\xE9\xE9", "7,82629034135608E19"},
                    Vector{"FFThen80", "\xFF\x80", "5,21752704083894E19"},
                    Vector{"EAcuteThenAscii",
                           "\xE9"
                           "abc",
                           "2,60876352041947E19"},
                    Vector{"AsciiThenEAcute", "abc\xE9", "2,60876352041947E19"},
                    Vector{"AllHighBytes", byteRange(128, 255), "3,33922012088669E21"},
                    Vector{"AllBytes", byteRange(0, 255), "3,33922012088669E21"},
                    Vector{"LongAscii", longAsciiText(), "98885232"},
                    Vector{"LongMixed", longMixedText(), "1,30434234192623E23"}),
    [](const testing::TestParamInfo<Vector>& info) { return info.param.name; });

TEST(ComputeCertificate, MatchesModelOnEveryOneAndTwoByteText) {
    for (int a = 0; a < 256; ++a) {
        const std::string one = bytesOf({a});
        ASSERT_EQ(ComputeCertificate(one), modelCertificate(one)) << "byte " << a;
        for (int b = 0; b < 256; ++b) {
            const std::string two = bytesOf({a, b});
            ASSERT_EQ(ComputeCertificate(two), modelCertificate(two)) << "bytes " << a << ", " << b;
        }
    }
}

// Every prefix of a long ASCII text: the sums pass through many float
// exponents, where the ulp and therefore the result of each rounding change.
TEST(ComputeCertificate, MatchesModelOnEveryPrefixOfLongText) {
    const std::string text = longAsciiText();
    for (std::size_t n = 0; n <= text.size(); n += 7) {
        const std::string_view prefix(text.data(), n);
        ASSERT_EQ(ComputeCertificate(prefix), modelCertificate(prefix)) << "length " << n;
    }
}

// Same bytes, other order: the roundings fall elsewhere and floor sees 288401.
TEST(ComputeCertificate, ByteOrderMatters) {
    EXPECT_EQ(ComputeCertificate("PingZelk 20ms42,37ms80ms3s120"), "288401");
}

struct Utf8Case {
    const char* name;
    const char* utf8;
    std::string cp1252;
};

void PrintTo(const Utf8Case& c, std::ostream* os) {
    *os << c.name;
}

class CertificateOfTextTest : public testing::TestWithParam<Utf8Case> {};

TEST_P(CertificateOfTextTest, HashesWindows1252Bytes) {
    EXPECT_EQ(ComputeCertificateOfText(GetParam().utf8), ComputeCertificate(GetParam().cp1252));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CertificateOfTextTest,
    testing::Values(Utf8Case{"Ascii", "35ms42,37ms120ms0s87 PingZelk",
                             "35ms42,37ms120ms0s87 PingZelk"},
                    Utf8Case{"EAcute", "\xC3\xA9", "\xE9"},
                    Utf8Case{"Euro", "\xE2\x82\xAC", "\x80"},  // 0x80, not 0xE9's sum
                    Utf8Case{"OutsideCodePage",
                             "a\xE2\x9C\x93"
                             "c",
                             "a?c"},  // U+2713
                    Utf8Case{"Malformed",
                             "a\xC3"
                             "c",
                             "a?c"}),
    [](const testing::TestParamInfo<Utf8Case>& info) { return info.param.name; });

TEST(ComputeCertificateOfText, EAcuteGivesExponentForm) {
    EXPECT_EQ(ComputeCertificateOfText("\xC3\xA9"), "2,60876352041947E19");
    EXPECT_EQ(ComputeCertificateOfText("\xE2\x82\xAC"), "2,60876330051714E19");
}

}  // namespace
}  // namespace ulz
