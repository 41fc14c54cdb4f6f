// The one number formatter and parser of the program. Numbers are written
// with "," as the decimal separator everywhere, so texts agree on every machine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ulz {

// Plain decimal, "-" when negative, no grouping.
std::string intToStr(std::int64_t value);

// General form: at most 15 significant digits, no trailing zeros, no
// separator for a whole number, "," as separator; exponent form ("1,5E20",
// "1E-6") from 10^15 up and below 0.00001.
std::string floatToStr(double value);

// Inverse of floatToStr: optional blanks around, optional sign, digits with
// at most one ",", optional exponent. Anything else gives nothing.
std::optional<double> strToFloat(std::string_view text);

// Signed 32-bit decimal with optional sign and surrounding blanks, else `def`.
std::int32_t strToIntDef(std::string_view text, std::int32_t def);

}  // namespace ulz
