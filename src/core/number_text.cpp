#include "core/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace ulz {
namespace {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace

std::string intToStr(std::int64_t value) {
    return std::to_string(value);
}

std::string floatToStr(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0) return "0";

    // Round to 15 significant digits first, so that the choice between the
    // plain and exponent forms sees the rounded value (999999999999999.9 -> 1E15).
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    const std::string_view s(buf);
    const bool negative = s.front() == '-';
    const std::size_t ePos = s.find('e');
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < ePos; ++i) {
        if (s[i] != '.') digits += s[i];
    }
    const int exponent = std::atoi(buf + ePos + 1);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -5) {
        out += digits[0];
        if (digits.size() > 1) out += "," + digits.substr(1);
        out += "E" + std::to_string(exponent);
    } else if (exponent < 0) {
        out += "0," + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else {
        const auto intDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits + std::string(intDigits - digits.size(), '0');
        } else {
            out += digits.substr(0, intDigits) + "," + digits.substr(intDigits);
        }
    }
    return out;
}

std::optional<double> strToFloat(std::string_view text) {
    text = trimBlanks(text);
    std::string plain;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    bool anyDigit = false, separator = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            plain += c;
            anyDigit = true;
        } else if (c == ',' && !separator) {
            plain += '.';
            separator = true;
        } else {
            break;
        }
    }
    if (!anyDigit) return std::nullopt;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        const std::size_t expStart = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') plain += text[i++];
        if (i == expStart) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    // strtod would follow the C locale's separator; the text is already normalised to '.'.
    double value = 0;
    const char* first = plain.data() + (plain.front() == '+' ? 1 : 0);
    const auto [ptr, ec] = std::from_chars(first, plain.data() + plain.size(), value);
    if (ec != std::errc() || ptr != plain.data() + plain.size()) return std::nullopt;
    return value;
}

std::int32_t strToIntDef(std::string_view text, std::int32_t def) {
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return def;
    std::int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size()) return def;
    return value;
}

}  // namespace ulz
