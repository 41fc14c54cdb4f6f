#include "core/ini_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "core/ini_file.h"

namespace ulz {
namespace {

std::string repeat(const std::string& piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

// ---- lookup ----

struct LookupCase {
    std::string name;
    std::string file;
    std::string section;
    std::string key;
    std::optional<std::string> expected;
};

std::vector<LookupCase> lookupCases() {
    using namespace std::string_literals;
    return {
        {"SectionHeaderMatchedWithoutCase", "[PING]\r\nHote=a\r\n", "ping", "HOTE", "a"},
        {"NamesAndValueTrimmed", "  [ s ]  \n \t key \t=\t two  words \t \n", "s", "key",
         "two  words"},
        {"EmptyValueIsAValue", "[s]\nk=\nj=1\n", "s", "k", ""},
        {"ValueKeepsLaterEquals", "[s]\nk = a=b \n", "s", "k", "a=b"},
        {"FirstKeyWins", "[s]\nk=1\nK=2\n", "s", "k", "1"},
        {"OnlyFirstSectionSearched", "[s]\nk=1\n[S]\nk=2\nj=3\n", "s", "j", std::nullopt},
        {"KeyBeforeAnySectionIgnored", "k=0\n[s]\nj=1\n", "s", "k", std::nullopt},
        {"KeyOfAnotherSection", "[a]\nk=1\n[b]\nj=2\n", "b", "k", std::nullopt},
        {"OtherLinesSkipped", "[s]\njunk\n; note\n[unclosed\nk=1\n", "s", "k", "1"},
        {"HeaderWithTrailingText", "[s] ; note\nk=1\n", "s", "k", "1"},
        {"LastLineWithoutEnding", "[s]\r\nk=1", "s", "k", "1"},
        {"LineEndingNotInValue", "[s]\r\nk=v \r\n", "s", "k", "v"},
        {"NulBytesDoNotEndParsing", "[s]\n\0junk\0\nk=1\n"s, "s", "k", "1"},
        {"MissingSection", "[a]\nk=1\n", "b", "k", std::nullopt},
        {"MissingKey", "[a]\nk=1\n", "a", "j", std::nullopt},
        {"EmptyFile", "", "a", "k", std::nullopt},
        {"BinaryGarbage", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR[\xFF]=\x01"s, "s", "k", std::nullopt},
        {"Utf8FileReadAsUtf8", "[Débit]\nClé=été €\n", "DÉBIT", "clé", "été €"},
        {"Cp1252FileReadAsCp1252",
         "[D\xE9"
         "bit]\nCl\xE9=\xE9t\xE9 \x80\n",
         "débit", "CLÉ", "été €"},
        {"Cp1252LettersBeyondLatin1Fold", "[\x8Cuvre]\nk=1\n", "œuvre", "k", "1"},
        {"Utf8ByteOrderMarkSkipped", "\xEF\xBB\xBF[s]\nk=é\n", "s", "k", "é"},
        {"LongValueCut", "[s]\nk=" + std::string(3000, 'a') + "\n", "s", "k",
         std::string(kIniMaxValueChars, 'a')},
        {"LongUtf8ValueCutInCharacters", "[s]\nk=" + repeat("é", 3000) + "\n", "s", "k",
         repeat("é", kIniMaxValueChars)},
        {"LongCp1252ValueCut", "[s]\nk=" + std::string(3000, '\xE9') + "\n", "s", "k",
         repeat("é", kIniMaxValueChars)},
    };
}

void PrintTo(const LookupCase& c, std::ostream* os) {
    *os << c.name;
}

class IniLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(IniLookup, FindsTheValue) {
    const LookupCase& c = GetParam();
    EXPECT_EQ(iniLookup(c.file, c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniLookup, ::testing::ValuesIn(lookupCases()),
                         [](const auto& info) { return info.param.name; });

TEST(IniLookupGarbage, RandomBytesGiveNothingAndDoNotHideALaterSection) {
    std::mt19937 random(1234);
    for (int round = 0; round < 50; ++round) {
        std::string file(1 + random() % 5000, '\0');
        for (char& c : file) c = static_cast<char>(random());
        EXPECT_EQ(iniLookup(file, "ping", "taille"), std::nullopt);
        file += "\n[ping]\ntaille=7\n";
        EXPECT_EQ(iniLookup(file, "ping", "taille"), "7") << "round " << round;
    }
}

// ---- replace ----

struct ReplaceCase {
    std::string name;
    std::string file;
    std::string section;
    std::string key;
    std::string value;
    std::string expected;
    std::string readBack;  // what a lookup of the same names then returns
};

std::vector<ReplaceCase> replaceCases() {
    return {
        {"InPlaceKeepsKeySpellingAndOtherLines",
         "; head\r\n[PING]\r\n  Hote = old  \r\nX=1\r\n\r\n[b]\r\nHote=z\r\n", "ping", "HOTE",
         "new", "; head\r\n[PING]\r\n  Hote = new\r\nX=1\r\n\r\n[b]\r\nHote=z\r\n", "new"},
        {"EmptyValue", "[s]\nk=old\n", "s", "k", "", "[s]\nk=\n", ""},
        {"NewKeyAfterLastKeyLine", "[a]\nk=1\n; c\n\n[b]\nj=2\n", "a", "n", "v",
         "[a]\nk=1\nn=v\n; c\n\n[b]\nj=2\n", "v"},
        {"NewKeyInSectionWithoutKeys", "[a]\n\n[b]\n", "a", "n", "v", "[a]\nn=v\n\n[b]\n", "v"},
        {"NewSectionAtEndCrlf", "[a]\r\nk=1\r\n", "s", "n", "v", "[a]\r\nk=1\r\n[s]\r\nn=v\r\n",
         "v"},
        {"NewSectionAfterUnterminatedLine", "[a]\nk=1", "s", "n", "v", "[a]\nk=1\n[s]\nn=v\n", "v"},
        {"NewKeyAfterUnterminatedLine", "[a]\nk=1", "a", "n", "v", "[a]\nk=1\nn=v\n", "v"},
        {"NewFileUsesCrlf", "", "s", "k", "v", "[s]\r\nk=v\r\n", "v"},
        {"OnlyFirstOfDuplicatesReplaced", "[s]\nk=1\nk=2\n[s]\nk=3\n", "s", "k", "new",
         "[s]\nk=new\nk=2\n[s]\nk=3\n", "new"},
        {"KeyBeforeAnySectionUntouched", "k=0\n[s]\nj=1\n", "s", "k", "v", "k=0\n[s]\nj=1\nk=v\n",
         "v"},
        {"LineBreaksInValueBecomeSpaces", "[s]\nk=1\nj=2\n", "s", "k", "a\r\nb\nc",
         "[s]\nk=a  b c\nj=2\n", "a  b c"},
        {"LineBreaksInNamesBecomeSpaces", "", "s\nt", "x\r\ny", "v", "[s t]\r\nx  y=v\r\n", "v"},
        {"KeyCannotHoldEqualsOrStartAHeader", "", "s", "[a=b", "v", "[s]\r\n?a?b=v\r\n", "v"},
        {"Utf8FileStaysUtf8", "[s]\nnom=é\n", "s", "k", "ü€", "[s]\nnom=é\nk=ü€\n", "ü€"},
        {"Cp1252FileStaysCp1252", "[s]\nnom=\xE9\n", "s", "k", "ü€", "[s]\nnom=\xE9\nk=\xFC\x80\n",
         "ü€"},
        {"AsciiFileGetsCp1252", "[s]\nk=1\n", "s", "k", "é", "[s]\nk=\xE9\n", "é"},
        {"CharacterOutsideCp1252BecomesQuestionMark", "[s]\nk=\xE9\n", "s", "k", "日本",
         "[s]\nk=??\n", "??"},
        {"Cp1252BytesThatFormUtf8ConvertTheFile", "[s]\nk=1\n", "s", "k", "Ã©", "[s]\nk=Ã©\n",
         "Ã©"},
        {"ByteOrderMarkKept", "\xEF\xBB\xBF[s]\nk=1\n", "s", "k", "é", "\xEF\xBB\xBF[s]\nk=é\n",
         "é"},
    };
}

void PrintTo(const ReplaceCase& c, std::ostream* os) {
    *os << c.name;
}

class IniReplace : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(IniReplace, ChangesOnlyTheValueLine) {
    const ReplaceCase& c = GetParam();
    const std::string out = iniReplace(c.file, c.section, c.key, c.value);
    EXPECT_EQ(out, c.expected);
    EXPECT_EQ(iniLookup(out, c.section, c.key), c.readBack);
    // Writing the same value again changes nothing.
    EXPECT_EQ(iniReplace(out, c.section, c.key, c.value), out);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniReplace, ::testing::ValuesIn(replaceCases()),
                         [](const auto& info) { return info.param.name; });

TEST(IniReplaceEncoding, OtherValuesKeepTheirTextWhenTheFileIsConverted) {
    // Read as Windows-1252 ("Ã©") only because of the é in k's old value.
    const std::string file = "[s]\nnom=\xC3\xA9\nk=\xE9\n";
    ASSERT_EQ(iniLookup(file, "s", "nom"), "Ã©");
    const std::string out = iniReplace(file, "s", "k", "x");
    EXPECT_EQ(iniLookup(out, "s", "nom"), "Ã©");
    EXPECT_EQ(iniLookup(out, "s", "k"), "x");
}

// ---- integers ----

struct IntegerCase {
    std::string text;
    std::int32_t expected;
};

constexpr std::int32_t kDef = 4242;

void PrintTo(const IntegerCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class IniParseInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IniParseInteger, ReadsWholeNumbersOnly) {
    EXPECT_EQ(iniParseInteger(GetParam().text, kDef), GetParam().expected)
        << "text \"" << GetParam().text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Decimal, IniParseInteger,
    ::testing::Values(IntegerCase{"0", 0}, IntegerCase{"16", 16}, IntegerCase{"00012", 12},
                      IntegerCase{"+7", 7}, IntegerCase{"-5", -5}, IntegerCase{"-0", 0},
                      IntegerCase{"2147483647", std::numeric_limits<std::int32_t>::max()},
                      IntegerCase{"-2147483648", std::numeric_limits<std::int32_t>::min()},
                      IntegerCase{"2147483648", kDef}, IntegerCase{"-2147483649", kDef},
                      IntegerCase{"99999999999999999999", kDef}, IntegerCase{"", kDef},
                      IntegerCase{"+", kDef}, IntegerCase{"-", kDef}, IntegerCase{"12abc", kDef},
                      IntegerCase{"1.5", kDef}, IntegerCase{"1e3", kDef}, IntegerCase{" 5", kDef},
                      IntegerCase{"--5", kDef}));

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, IniParseInteger,
    ::testing::Values(IntegerCase{"0x10", 16}, IntegerCase{"0X1f", 31},
                      IntegerCase{"0x7FFFFFFF", std::numeric_limits<std::int32_t>::max()},
                      IntegerCase{"0x80000000", std::numeric_limits<std::int32_t>::min()},
                      IntegerCase{"0xFFFFFFFF", -1}, IntegerCase{"0x0000000010", 16},
                      IntegerCase{"0x100000000", kDef}, IntegerCase{"0x", kDef},
                      IntegerCase{"0X", kDef}, IntegerCase{"0xg1", kDef}, IntegerCase{"0x-1", kDef},
                      IntegerCase{"0x1 ", kDef}, IntegerCase{"x10", kDef},
                      IntegerCase{"-0x10", kDef}));

// readInteger and writeInteger go through readString and writeString.
class MemoryIni : public IniFile {
public:
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& def) const override {
        return iniLookup(bytes, section, key).value_or(def);
    }
    void writeString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        bytes = iniReplace(bytes, section, key, value);
    }
    std::string path() const override { return "/dossier/perso.ini"; }

    std::string bytes;
};

TEST(IniFileIntegers, ReadParsesTheTextOrGivesTheDefault) {
    MemoryIni ini;
    ini.bytes = "[s]\nhex=0x10\nempty=\nbad=12abc\nneg= -3 \n";
    const std::vector<std::pair<std::string, std::int32_t>> cases = {
        {"hex", 16}, {"empty", 99}, {"bad", 99}, {"neg", -3}, {"missing", 99}};
    for (const auto& [key, expected] : cases) {
        EXPECT_EQ(ini.readInteger("s", key, 99), expected) << key;
    }
    EXPECT_EQ(ini.readInteger("nosection", "hex", 99), 99);
}

TEST(IniFileIntegers, WriteIsSignedDecimal) {
    MemoryIni ini;
    ini.writeInteger("s", "k", std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ini.bytes, "[s]\r\nk=-2147483648\r\n");
    EXPECT_EQ(ini.readInteger("s", "k", 0), std::numeric_limits<std::int32_t>::min());
    ini.writeInteger("s", "k", 0x7FFFFFFF);
    EXPECT_EQ(ini.bytes, "[s]\r\nk=2147483647\r\n");
}

TEST(IniWriteError, NamesTheFile) {
    EXPECT_STREQ(IniWriteError("/dossier/perso.ini").what(),
                 "Impossible d'écrire dans /dossier/perso.ini");
}

}  // namespace
}  // namespace ulz
