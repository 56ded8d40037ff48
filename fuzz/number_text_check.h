// Checks shared by the fuzzers: the trap, and the texts FormatNumberText prints.
#pragma once

#include <cctype>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "coords/number_text.h"

namespace fuzz_check {

inline void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// The text as strtod should read it: blanks dropped, "D" taken as "E", cut
// before the first character no number has (so neither hexadecimal nor
// "inf"/"nan"); whole tells whether nothing was cut.
inline std::string NumberChars(std::string_view text, bool& whole) {
  std::string number;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n') continue;
    if (c == '\0' || !std::strchr("0123456789+-.eEdD", c)) return whole = false, number;
    number.push_back(c == 'D' || c == 'd' ? 'e' : c);
  }
  return whole = true, number;
}

// A sign column (" " or "-"), digits with at most one point and at most 7
// significant digits, optionally "E", a sign and two or more digits; nothing
// else, so no "NaN" or "Inf" and nothing a reader would stop at early.
inline bool IsNumberText(std::string_view text) {
  if (text.size() < 2 || (text[0] != ' ' && text[0] != '-')) return false;
  std::size_t i = 1, points = 0, digits = 0, significant = 0;
  for (; i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.'); ++i) {
    if (text[i] == '.')
      ++points;
    else
      ++digits, significant += significant > 0 || text[i] != '0';
  }
  if (points > 1 || digits == 0 || significant > 7) return false;
  if (i == text.size()) return true;
  if (text.size() < i + 4 || text[i] != 'E' || (text[i + 1] != '+' && text[i + 1] != '-')) return false;
  return text.find_first_not_of("0123456789", i + 2) == std::string_view::npos;
}

// A printed value reads back to within half a unit of its 7th significant digit.
inline void CheckPrinted(std::string_view text, double value) {
  Check(IsNumberText(text));
  Check(std::fabs(coords::ParseLeadingNumber(text) - value) <= 1e-6 * std::fabs(value));
}

}  // namespace fuzz_check
