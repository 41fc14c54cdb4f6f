// Fuzz target for the settings-file format: the input is a file's bytes, and
// its last line also serves as a value to write. Beyond not crashing, it checks
// that a write reads back, changes no other value, and repeats as a no-op.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "core/cp1252.h"
#include "core/ini_format.h"

#define INI_FUZZ_CHECK(cond)                                                                  \
    do {                                                                                      \
        if (!(cond)) {                                                                        \
            std::fprintf(stderr, "ini_fuzz: check failed at line %d: %s\n", __LINE__, #cond); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (0)

namespace {

// Distinct without regard to case, and one of each pair outside ASCII.
constexpr std::string_view kSections[] = {"ping", "Débit"};
constexpr std::string_view kKeys[] = {"taille", "Clé", "hote"};

std::size_t countChars(std::string_view utf8) {
    std::size_t n = 0;
    for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// What a lookup gives back for a written value.
std::string expectedReadBack(std::string value) {
    for (char& c : value) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    const std::size_t first = value.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    value = value.substr(first, value.find_last_not_of(" \t") - first + 1);
    std::size_t chars = 0, i = 0;
    for (; i < value.size(); ++i) {
        if ((static_cast<unsigned char>(value[i]) & 0xC0) != 0x80) {
            if (chars == ulz::kIniMaxValueChars) break;
            ++chars;
        }
    }
    return value.substr(0, i);
}

void checkIntegers(std::string_view input) {
    ulz::iniParseInteger(input, 0);
    if (input.size() < 4) return;
    std::uint32_t bits;
    std::memcpy(&bits, input.data(), sizeof bits);
    const auto value = static_cast<std::int32_t>(bits);
    INI_FUZZ_CHECK(ulz::iniParseInteger(std::to_string(value), value ^ 1) == value);
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(bits));
    INI_FUZZ_CHECK(ulz::iniParseInteger(hex, value ^ 1) == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const std::size_t lastLine = file.rfind('\n');
    // Windows-1252 decoding turns any bytes into text every encoding can hold.
    const std::string value =
        ulz::cp1252ToUtf8(lastLine == std::string_view::npos ? file : file.substr(lastLine + 1));

    for (const std::string_view section : kSections) {
        for (const std::string_view key : kKeys) {
            const std::optional<std::string> before = ulz::iniLookup(file, section, key);
            if (before) {
                INI_FUZZ_CHECK(ulz::isValidUtf8(*before));
                INI_FUZZ_CHECK(countChars(*before) <= ulz::kIniMaxValueChars);
                ulz::iniParseInteger(*before, 0);
            }

            const std::string written = ulz::iniReplace(file, section, key, value);
            INI_FUZZ_CHECK(ulz::iniLookup(written, section, key) == expectedReadBack(value));
            INI_FUZZ_CHECK(ulz::iniReplace(written, section, key, value) == written);
            for (const std::string_view otherSection : kSections) {
                for (const std::string_view otherKey : kKeys) {
                    if (otherSection == section && otherKey == key) continue;
                    INI_FUZZ_CHECK(ulz::iniLookup(written, otherSection, otherKey) ==
                                   ulz::iniLookup(file, otherSection, otherKey));
                }
            }
        }
    }
    checkIntegers(file);
    return 0;
}
