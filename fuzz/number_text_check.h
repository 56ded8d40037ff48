// Checks shared by the fuzzers on the texts FormatNumberText prints.
#pragma once

#include <cmath>
#include <cstddef>
#include <string_view>

#include "coords/number_text.h"

namespace fuzz_check {

inline void Check(bool condition) {
  if (!condition) __builtin_trap();
}

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A sign column (" " or "-"), digits with at most one point and at most 7
// significant digits, optionally "E", a sign and two or more digits; nothing
// else, so no "NaN" or "Inf" and nothing a reader would stop at early.
inline bool IsNumberText(std::string_view text) {
  if (text.size() < 2 || (text[0] != ' ' && text[0] != '-')) return false;
  std::size_t i = 1;
  bool point = false;
  int significant = 0;
  bool digit = false;
  for (; i < text.size() && (IsDigit(text[i]) || text[i] == '.'); ++i) {
    if (text[i] == '.') {
      if (point) return false;
      point = true;
    } else {
      digit = true;
      if (significant > 0 || text[i] != '0') ++significant;
    }
  }
  if (!digit || significant > 7) return false;
  if (i == text.size()) return true;
  if (text[i] != 'E' || i + 1 >= text.size() || (text[i + 1] != '+' && text[i + 1] != '-')) return false;
  i += 2;
  const std::size_t exponentStart = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  return i == text.size() && i - exponentStart >= 2;
}

// A printed value: a number text that reads back to the value to within
// half a unit of its 7th significant digit.
inline void CheckPrinted(std::string_view text, double value) {
  Check(IsNumberText(text));
  const double back = coords::ParseLeadingNumber(text);
  Check(std::fabs(back - value) <= 1e-6 * std::fabs(value));
}

}  // namespace fuzz_check
