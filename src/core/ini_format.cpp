#include "core/ini_format.h"

#include <string.h>  // memrchr

#include <cstring>
#include <limits>

#include "core/cp1252.h"

namespace ulz {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Windows-1252 is the format's own encoding; a file that is valid UTF-8 and
// not plain ASCII was written by a UTF-8 editor and is read and kept as such.
enum class Encoding { Cp1252, Utf8 };

// Index of the first byte above 0x7F, or the size. Eight bytes at a time:
// settings files are mostly ASCII, and this runs over the whole file.
std::size_t firstHighByte(std::string_view s) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, sizeof word);
        if (word & kHighBits) break;
    }
    for (; i < s.size(); ++i) {
        if (static_cast<unsigned char>(s[i]) >= 0x80) return i;
    }
    return s.size();
}

bool hasHighByte(std::string_view s) {
    return firstHighByte(s) < s.size();
}

Encoding detectEncoding(std::string_view file) {
    const std::size_t high = firstHighByte(file);
    if (high == file.size()) return Encoding::Cp1252;
    // Everything before `high` is ASCII, hence valid UTF-8 already.
    return isValidUtf8(file.substr(high)) ? Encoding::Utf8 : Encoding::Cp1252;
}

std::size_t bomLength(std::string_view file) {
    return file.starts_with(kUtf8Bom) ? 3 : 0;
}

// CR counts as a blank so that a stray CR before a line ending is not part of
// a name or a value; writes never store one.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Case folding for ASCII and the letters of Windows-1252, in both encodings.
// Each pair folds to a character of the same encoded length, so names of
// different byte lengths never match.
unsigned char foldCp1252(unsigned char b) {
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) return b + 0x20;
    switch (b) {
        case 0x8A:  // Š
        case 0x8C:  // Œ
        case 0x8E:  // Ž
            return b + 0x10;
        case 0x9F:  // Ÿ
            return 0xFF;
        default:
            return b;
    }
}

char32_t foldCodePoint(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
    switch (c) {
        case 0x152:  // Œ
        case 0x160:  // Š
        case 0x17D:  // Ž
            return c + 1;
        case 0x178:  // Ÿ
            return 0xFF;
        default:
            return c;
    }
}

// Next code point of text already known to be valid UTF-8.
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t cp = len == 1 ? b : (b & (0x7F >> len));
    for (std::size_t k = 1; k < len && i + k < s.size(); ++k) {
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    i += len;
    return cp;
}

bool namesEqual(std::string_view a, std::string_view b, Encoding enc) {
    if (a.size() != b.size()) return false;
    if (enc == Encoding::Cp1252) {
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (foldCp1252(static_cast<unsigned char>(a[i])) !=
                foldCp1252(static_cast<unsigned char>(b[i]))) {
                return false;
            }
        }
        return true;
    }
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (foldCodePoint(nextCodePoint(a, i)) != foldCodePoint(nextCodePoint(b, j))) return false;
    }
    return i >= a.size() && j >= b.size();
}

struct Line {
    std::size_t begin;  // first byte of the line
    std::size_t end;    // end of its text, before the line ending
    std::size_t next;   // first byte of the following line
};

// The line that starts at `pos`. Lines end at LF only, as for the profile
// functions; a CR before the LF belongs to the line ending, and NUL bytes are
// ordinary bytes.
Line lineAt(std::string_view file, std::size_t pos) {
    const char* const data = file.data();
    const void* lf = std::memchr(data + pos, '\n', file.size() - pos);
    const std::size_t stop =
        lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : file.size();
    Line line{pos, stop, lf ? stop + 1 : stop};
    if (stop > pos && data[stop - 1] == '\r') --line.end;
    return line;
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::size_t afterEquals = 0;  // key lines: offset of the byte after the first '='
};

// A line is a section header when its first non-blank byte is '[' and a ']'
// follows; the name runs to the last ']'. Otherwise it holds a key when it has
// an '='. Key lines are only parsed when asked for: outside the wanted section
// they do not matter, and skipping them keeps long files cheap.
ParsedLine parseLine(std::string_view file, const Line& line, bool wantKeys) {
    ParsedLine parsed;
    const char* const data = file.data();
    std::size_t first = line.begin;
    while (first < line.end && isBlank(data[first])) ++first;
    if (first == line.end) return parsed;
    const char* const text = data + first;
    const std::size_t length = line.end - first;
    if (text[0] == '[') {
        const void* close = ::memrchr(text + 1, ']', length - 1);
        if (close) {
            parsed.kind = LineKind::Section;
            parsed.name =
                trim(std::string_view(text + 1, static_cast<const char*>(close) - text - 1));
        }
        return parsed;
    }
    if (!wantKeys) return parsed;
    const void* eq = std::memchr(text, '=', length);
    if (!eq) return parsed;
    const std::size_t nameLength = static_cast<std::size_t>(static_cast<const char*>(eq) - text);
    parsed.kind = LineKind::Key;
    parsed.name = trim(std::string_view(text, nameLength));
    parsed.afterEquals = first + nameLength + 1;
    return parsed;
}

struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    Line keyLine{};
    ParsedLine key;
    // Where a new key line goes: after the section's last key line, or after
    // its header when it has none.
    std::size_t insertAt = 0;
};

// Finds the first section named `section`, then the first key named `key` in
// it. The names are already in the file's encoding; `enc` says how to compare
// them.
Location locate(std::string_view file, Encoding enc, std::string_view section,
                std::string_view key) {
    Location loc;
    for (std::size_t pos = bomLength(file); pos < file.size();) {
        const Line line = lineAt(file, pos);
        pos = line.next;
        const ParsedLine parsed = parseLine(file, line, loc.sectionFound);
        if (!loc.sectionFound) {
            if (parsed.kind == LineKind::Section && namesEqual(parsed.name, section, enc)) {
                loc.sectionFound = true;
                loc.insertAt = line.next;
            }
            continue;
        }
        if (parsed.kind == LineKind::Section) break;
        if (parsed.kind != LineKind::Key) continue;
        if (namesEqual(parsed.name, key, enc)) {
            loc.keyFound = true;
            loc.keyLine = line;
            loc.key = parsed;
            return loc;
        }
        loc.insertAt = line.next;
    }
    return loc;
}

std::string neutraliseLineBreaks(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return out;
}

std::string sectionName(std::string_view section) {
    return std::string(trim(neutraliseLineBreaks(section)));
}

// An '=' in a key would end the name early when the line is read back, and a
// leading '[' would make the line a section header: both become '?'.
std::string keyName(std::string_view key) {
    std::string out(trim(neutraliseLineBreaks(key)));
    for (char& c : out) {
        if (c == '=') c = '?';
    }
    if (!out.empty() && out.front() == '[') out.front() = '?';
    return out;
}

// UTF-8 text in the file's encoding; malformed UTF-8 never reaches a UTF-8
// file, where it would make the whole file read as Windows-1252.
std::string encodeFor(std::string_view utf8, Encoding enc) {
    if (enc == Encoding::Cp1252) return utf8ToCp1252(utf8);
    if (isValidUtf8(utf8)) return std::string(utf8);
    return cp1252ToUtf8(utf8ToCp1252(utf8));
}

std::string decodeValue(std::string_view value, Encoding enc) {
    if (enc == Encoding::Cp1252) return cp1252ToUtf8(value.substr(0, kIniMaxValueChars));
    std::size_t chars = 0, i = 0;
    for (; i < value.size(); ++i) {
        if ((static_cast<unsigned char>(value[i]) & 0xC0) != 0x80) {
            if (chars == kIniMaxValueChars) break;
            ++chars;
        }
    }
    return std::string(value.substr(0, i));
}

// The first line ending decides; a file without one gets CRLF, as on Windows.
std::string_view lineEnding(std::string_view file) {
    const std::size_t lf = file.find('\n');
    if (lf != std::string_view::npos && (lf == 0 || file[lf - 1] != '\r')) return "\n";
    return "\r\n";
}

}  // namespace

std::optional<std::string> iniLookup(std::string_view file, std::string_view section,
                                     std::string_view key) {
    // The encoding costs a pass over the whole file; the names and values the
    // program uses are ASCII, and then it is not needed. ASCII names compare
    // the same way in both encodings, since case folding never maps a
    // non-ASCII character to an ASCII one.
    std::optional<Encoding> enc;
    const auto encoding = [&] {
        if (!enc) enc = detectEncoding(file);
        return *enc;
    };
    std::string sec = sectionName(section);
    std::string name = keyName(key);
    Encoding compareAs = Encoding::Cp1252;
    if (hasHighByte(sec) || hasHighByte(name)) {
        compareAs = encoding();
        sec = encodeFor(sec, compareAs);
        name = encodeFor(name, compareAs);
    }
    const Location loc = locate(file, compareAs, sec, name);
    if (!loc.keyFound) return std::nullopt;
    const std::size_t from = loc.key.afterEquals;
    const std::string_view value = trim(file.substr(from, loc.keyLine.end - from));
    if (!hasHighByte(value)) return std::string(value.substr(0, kIniMaxValueChars));
    return decodeValue(value, encoding());
}

std::string iniReplace(std::string_view file, std::string_view section, std::string_view key,
                       std::string_view value) {
    const Encoding enc = detectEncoding(file);
    const std::string sec = encodeFor(sectionName(section), enc);
    const std::string name = encodeFor(keyName(key), enc);
    const std::string val = encodeFor(neutraliseLineBreaks(value), enc);
    const std::string_view eol = lineEnding(file);
    const Location loc = locate(file, enc, sec, name);

    std::string out;
    out.reserve(file.size() + sec.size() + name.size() + val.size() + 8);
    if (loc.keyFound) {
        // Keep the key as spelled and the spacing after '=', unless the new
        // value brings blanks of its own.
        std::size_t from = loc.key.afterEquals;
        if (val.empty() || (val.front() != ' ' && val.front() != '\t')) {
            while (from < loc.keyLine.end && (file[from] == ' ' || file[from] == '\t')) ++from;
        }
        out.append(file.substr(0, from)).append(val).append(file.substr(loc.keyLine.end));
    } else if (loc.sectionFound) {
        const std::size_t at = loc.insertAt;
        out.append(file.substr(0, at));
        if (at > 0 && file[at - 1] != '\n') out.append(eol);
        out.append(name).append("=").append(val).append(eol).append(file.substr(at));
    } else {
        out.append(file);
        if (file.size() > bomLength(file) && file.back() != '\n') out.append(eol);
        out.append("[").append(sec).append("]").append(eol);
        out.append(name).append("=").append(val).append(eol);
    }

    // Windows-1252 bytes that happen to form valid UTF-8 would be read back as
    // UTF-8 and change meaning: such a file is converted whole, so that its
    // text stays the same and its encoding stays one.
    if (enc == Encoding::Cp1252) {
        const std::size_t bom = bomLength(out);
        const std::string_view body = std::string_view(out).substr(bom);
        if (hasHighByte(body) && isValidUtf8(body)) {
            out = std::string(out.substr(0, bom)) + cp1252ToUtf8(body);
        }
    }
    return out;
}

std::int32_t iniParseInteger(std::string_view text, std::int32_t def) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint32_t value = 0;
        for (const char c : text.substr(2)) {
            int digit;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else if (c >= 'A' && c <= 'F') {
                digit = c - 'A' + 10;
            } else {
                return def;
            }
            if (value > 0x0FFFFFFFu) return def;  // a fifth hex byte would not fit
            value = (value << 4) | static_cast<std::uint32_t>(digit);
        }
        // Read as a 32-bit value: 0xFFFFFFFF is -1.
        return static_cast<std::int32_t>(value);
    }

    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++i;
    if (i == text.size()) return def;
    const std::int64_t limit =
        negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                 : std::numeric_limits<std::int32_t>::max();
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return def;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) return def;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace ulz
