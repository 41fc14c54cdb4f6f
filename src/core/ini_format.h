// The settings-file format of the Windows profile functions, worked on the
// file's bytes in memory: no I/O, so that it can be tested and fuzzed alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ulz {

// Longest value, in characters, that a lookup returns.
inline constexpr std::size_t kIniMaxValueChars = 2047;

// The value (UTF-8) of `key` in `section`, both UTF-8 and matched without regard
// to case; nothing when the section or the key is missing. Only the first
// matching section and the first matching key in it are looked at.
std::optional<std::string> iniLookup(std::string_view file, std::string_view section,
                                     std::string_view key);

// The file's bytes once `key` in `section` holds `value` (all three UTF-8).
// Lines other than the one written keep their bytes; the file keeps its
// encoding and line endings. CR and LF in the names and the value become
// spaces so that a write never adds lines of its own.
std::string iniReplace(std::string_view file, std::string_view section, std::string_view key,
                       std::string_view value);

// "0x"/"0X" followed by up to 32 bits of hexadecimal digits, or a signed
// decimal int32; anything else gives `def`.
std::int32_t iniParseInteger(std::string_view text, std::int32_t def);

}  // namespace ulz
