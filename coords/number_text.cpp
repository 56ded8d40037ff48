#include "coords/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace coords {
namespace {

bool IsSkipped(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The digits and decimal exponent of a float rounded to 7 significant digits.
struct Digits {
  std::string mantissa;  // 1 to 7 digits, trailing zeros removed
  int exponent = 0;      // value = 0.d1d2... * 10^(exponent + 1)
};

Digits SevenDigits(float magnitude) {
  char buffer[32];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 6);
  const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const std::size_t e = text.find('e');
  Digits digits;
  digits.mantissa.push_back(text[0]);
  digits.mantissa.append(text.substr(2, e - 2));
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), digits.exponent);
  while (digits.mantissa.size() > 1 && digits.mantissa.back() == '0') digits.mantissa.pop_back();
  return digits;
}

// The power of ten of the first non-zero digit of a number text as built
// below (sign, digits with at most one point, optional "e" exponent). Out of
// double range, its sign tells overflow from underflow; the exponent's sign
// alone does not ("0.000...1" has none, "1000...e-5" a negative one).
long long LeadingPowerOfTen(std::string_view number) {
  const std::size_t e = number.find('e');
  const std::string_view mantissa = number.substr(0, e);
  long long exponent = 0;
  if (e != std::string_view::npos) {
    std::size_t j = e + 1;
    const bool negative = j < number.size() && number[j] == '-';
    if (j < number.size() && (number[j] == '+' || number[j] == '-')) ++j;
    // Far beyond any text length; a longer exponent changes nothing.
    constexpr long long kCap = 1'000'000'000'000'000;
    for (; j < number.size(); ++j) exponent = std::min(exponent * 10 + (number[j] - '0'), kCap);
    if (negative) exponent = -exponent;
  }
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return -1;  // zero never overflows
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const long long lead =
      first < point ? static_cast<long long>(point - first) - 1 : -static_cast<long long>(first - point);
  return lead + exponent;
}

}  // namespace

LeadingNumber ScanLeadingNumber(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (char c : text)
    if (!IsSkipped(c)) compact.push_back(c);

  // Find the extent of the number: sign, digits with one point, exponent.
  std::size_t i = 0;
  std::string number;
  if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) number.push_back(compact[i++]);
  bool seenPoint = false;
  bool seenDigit = false;
  for (; i < compact.size(); ++i) {
    const char c = compact[i];
    if (IsDigit(c)) {
      seenDigit = true;
    } else if (c == '.' && !seenPoint) {
      seenPoint = true;
    } else {
      break;
    }
    number.push_back(c);
  }
  if (!seenDigit) return {};
  if (i < compact.size() &&
      (compact[i] == 'E' || compact[i] == 'e' || compact[i] == 'D' || compact[i] == 'd')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < compact.size() && (compact[j] == '+' || compact[j] == '-')) exponent.push_back(compact[j++]);
    const std::size_t firstDigit = j;
    while (j < compact.size() && IsDigit(compact[j])) exponent.push_back(compact[j++]);
    if (j > firstDigit) {
      number += exponent;
      i = j;
    }
  }
  // Just past the i-th character that was not skipped.
  std::size_t end = 0;
  for (std::size_t taken = 0; taken < i; ++end)
    if (!IsSkipped(text[end])) ++taken;

  const char* begin = number.data();
  if (*begin == '+') ++begin;  // from_chars takes no plus sign
  double value = 0.0;
  const auto result = std::from_chars(begin, number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Underflow reads as zero, overflow saturates.
    const bool negative = number[0] == '-';
    const bool huge = LeadingPowerOfTen(number) >= 0;
    const double magnitude = huge ? std::numeric_limits<double>::max() : 0.0;
    return {negative ? -magnitude : magnitude, end};
  }
  return {value, end};
}

double ParseLeadingNumber(std::string_view text) {
  return ScanLeadingNumber(text).value;
}

std::string FormatNumberText(float value) {
  if (std::isnan(value)) return " NaN";
  std::string text = std::signbit(value) && value != 0.0f ? "-" : " ";
  const float magnitude = std::fabs(value);
  if (magnitude == 0.0f) return text + "0";
  if (std::isinf(magnitude)) return text + "Inf";

  const Digits digits = SevenDigits(magnitude);
  const int e = digits.exponent;
  const int count = static_cast<int>(digits.mantissa.size());
  if (e >= 7 || e < -5) {
    text += digits.mantissa[0];
    if (count > 1) text += "." + digits.mantissa.substr(1);
    std::string digitsOfExponent = std::to_string(std::abs(e));
    if (digitsOfExponent.size() < 2) digitsOfExponent.insert(0, 1, '0');
    return text + (e < 0 ? "E-" : "E+") + digitsOfExponent;
  }
  if (e < 0) return text + "." + std::string(static_cast<std::size_t>(-e - 1), '0') + digits.mantissa;
  if (count <= e + 1)
    return text + digits.mantissa + std::string(static_cast<std::size_t>(e + 1 - count), '0');
  return text + digits.mantissa.substr(0, static_cast<std::size_t>(e + 1)) + "." +
         digits.mantissa.substr(static_cast<std::size_t>(e + 1));
}

std::string FormatNumberText(std::int16_t value) {
  return (value < 0 ? "" : " ") + std::to_string(value);
}

std::string NineDecimalText(float value) {
  if (!std::isfinite(value)) return FormatNumberText(value);  // no whole part to cast
  const bool negative = value < 0.0f;
  const float whole = std::trunc(value);
  const double wholeMagnitude = std::fabs(static_cast<double>(whole));
  std::string integerPart;
  if (wholeMagnitude < 1e15) {
    integerPart = std::to_string(static_cast<long long>(wholeMagnitude));
  } else {
    integerPart = FormatNumberText(static_cast<float>(wholeMagnitude)).substr(1);
  }
  const float fraction = value - whole;  // exact in single precision, keeps the sign
  const double scaled = std::floor(static_cast<double>(fraction) * 1e9);
  std::string fractionDigits = std::to_string(static_cast<long long>(std::fabs(scaled)));
  if (fractionDigits.size() < 9) fractionDigits.insert(0, 9 - fractionDigits.size(), '0');
  return (negative ? "-" : " ") + integerPart + "." + fractionDigits;
}

std::optional<std::int16_t> RoundToInteger(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  double rounded = std::round(value);  // halves away from zero
  if (std::fabs(value - std::trunc(value)) == 0.5) rounded = 2.0 * std::round(value / 2.0);
  if (rounded < std::numeric_limits<std::int16_t>::min() ||
      rounded > std::numeric_limits<std::int16_t>::max())
    return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

float ToSingle(double value) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (std::isnan(value)) return 0.0f;
  return static_cast<float>(std::clamp(value, -kMax, kMax));
}

}  // namespace coords
