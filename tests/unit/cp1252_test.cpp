#include "core/cp1252.h"

#include <gtest/gtest.h>

namespace ulz {
namespace {

TEST(Cp1252, RoundTripsEveryDefinedByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = cp1252ToUtf8(all);
    EXPECT_TRUE(isValidUtf8(utf8));
    EXPECT_EQ(utf8ToCp1252(utf8), all);
}

TEST(Cp1252, MapsTheSpecialRangeAndLatin1) {
    EXPECT_EQ(cp1252ToUtf8("\x80"), "€");
    EXPECT_EQ(cp1252ToUtf8("\xE9t\xE9"), "été");
    EXPECT_EQ(utf8ToCp1252("Débit €"),
              "D\xE9"
              "bit \x80");
    EXPECT_EQ(utf8ToCp1252("Œuvre"), "\x8Cuvre");
}

TEST(Cp1252, UnrepresentableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(utf8ToCp1252("日本"), "??");
    EXPECT_EQ(utf8ToCp1252("a\xFF"
                           "b"),
              "a?b");
    EXPECT_EQ(utf8ToCp1252("\xC3"), "?");  // truncated sequence
}

TEST(Utf8, Validation) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain ascii"));
    EXPECT_TRUE(isValidUtf8("Hôte : é € 日本 😀"));
    EXPECT_FALSE(isValidUtf8("\xE9t\xE9"));         // Windows-1252 text
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_FALSE(isValidUtf8("abc\xE2\x82"));       // cut short
}

}  // namespace
}  // namespace ulz
