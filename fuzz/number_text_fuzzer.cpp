// Arbitrary text through the number reader, and the value read through the
// printer and the rounding to 16 bits.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "coords/number_text.h"
#include "number_text_check.h"

namespace {

using fuzz_check::Check;

// The same reading by the C library: blanks dropped, "D" taken as "E", and
// cut before the first character no number has, so that strtod sees neither
// hexadecimal nor "inf"/"nan". The process runs in the "C" locale.
double ReferenceValue(std::string_view text) {
  std::string number;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n') continue;
    if (c == 'D' || c == 'd') c = 'e';
    if (std::strchr("0123456789+-.eE", c) == nullptr || c == '\0') break;
    number.push_back(c);
  }
  const double value = std::strtod(number.c_str(), nullptr);
  if (std::isinf(value)) return std::copysign(std::numeric_limits<double>::max(), value);
  return value;
}

void CheckPrintedFloat(float value) {
  fuzz_check::CheckPrinted(coords::FormatNumberText(value), static_cast<double>(value));
}

// The input with every "*" and count byte after it replaced by that many
// copies of the character before. Coverage does not grow with the length of
// a digit run, so runs of hundreds of digits (values beyond double range
// without an exponent) are otherwise out of reach.
std::string Expanded(std::string_view text) {
  std::string expanded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '*' && i + 1 < text.size() && !expanded.empty()) {
      expanded.append(static_cast<unsigned char>(text[++i]), expanded.back());
    } else {
      expanded.push_back(text[i]);
    }
  }
  return expanded;
}

void CheckReading(std::string_view text) {
  const double value = coords::ParseLeadingNumber(text);
  Check(std::isfinite(value));
  Check(value == ReferenceValue(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckReading(Expanded(text));
  const double value = coords::ParseLeadingNumber(text);
  Check(std::isfinite(value));
  Check(value == ReferenceValue(text));

  CheckPrintedFloat(coords::ToSingle(value));
  if (size >= sizeof(float)) {
    // Every finite float, not only those a short text reaches.
    float raw;
    std::memcpy(&raw, data, sizeof raw);
    if (std::isfinite(raw)) CheckPrintedFloat(raw);
  }

  const auto rounded = coords::RoundToInteger(value);
  if (rounded) {
    Check(std::fabs(static_cast<double>(*rounded) - value) <= 0.5);
  } else {
    // Empty only when the nearest whole number is beyond 16 bits.
    Check(value >= 32767.5 || value < -32768.5);
  }
  return 0;
}
