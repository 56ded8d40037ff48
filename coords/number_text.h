// The number text rules shared by the entry fields, the header cards and the
// configuration file. All of them use "." as decimal point whatever the locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace coords {

// Reads the leading number of a text. Blanks, tabs and line feeds are skipped
// wherever they stand; then an optional sign, digits with at most one ".", and
// an optional exponent ("E" or "D", either case, optional sign and digits).
// Reading stops at the first character that cannot continue the number; a text
// without a leading number gives 0. A value beyond double range saturates to
// the largest finite double of its sign.
double ParseLeadingNumber(std::string_view text);

// The same reading, and where it stops: end is the index just past the
// number's last character (blanks inside it included), 0 when the text has no
// leading number.
struct LeadingNumber {
  double value = 0.0;
  std::size_t end = 0;
};
LeadingNumber ScanLeadingNumber(std::string_view text);

// A single-precision value with at most 7 significant digits: " 512", "-1.25",
// " .5" (no "0" before the point), exponent form (" 1.234568E+07", " 1E-06")
// only outside 1E-05 <= |x| < 1E+07. Zero, and minus zero, give " 0".
std::string FormatNumberText(float value);

// A 16-bit integer with all its digits and the sign column: " 512", "-50".
std::string FormatNumberText(std::int16_t value);

// Sign column, whole part, ".", nine fraction digits taken with floor:
// " 359.899993896", "-0.000250001" (the float nearest -0.00025). Infinity and
// NaN give " Inf", "-Inf", " NaN", as FormatNumberText does.
std::string NineDecimalText(float value);

// Rounds to the nearest whole number, halves to the even neighbour
// (100.5 -> 100, 101.5 -> 102). Empty when the result does not fit 16 bits.
std::optional<std::int16_t> RoundToInteger(double value);

// Narrows to single precision, saturating at the largest finite float so that
// an over-long entry never turns into infinity.
float ToSingle(double value);

}  // namespace coords
