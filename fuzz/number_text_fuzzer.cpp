// Arbitrary text through the number reader, and the value read through the
// printer and the rounding to 16 bits.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "number_text_check.h"

using fuzz_check::Check;

// The same reading by the C library; the process runs in the "C" locale.
static void CheckReading(std::string_view text) {
  bool whole;
  double expected = std::strtod(fuzz_check::NumberChars(text, whole).c_str(), nullptr);
  if (std::isinf(expected)) expected = std::copysign(std::numeric_limits<double>::max(), expected);
  Check(coords::ParseLeadingNumber(text) == expected);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // Also with every "*" and count byte after it replaced by that many copies
  // of the character before: coverage does not grow with the length of a
  // digit run, so values beyond double range without an exponent are
  // otherwise out of reach.
  std::string expanded;
  for (std::size_t i = 0; i < size; ++i) {
    if (text[i] == '*' && i + 1 < size && !expanded.empty())
      expanded.append(data[++i], expanded.back());
    else
      expanded.push_back(text[i]);
  }
  CheckReading(expanded);
  CheckReading(text);
  const double value = coords::ParseLeadingNumber(text);
  fuzz_check::CheckPrinted(coords::FormatNumberText(coords::ToSingle(value)), coords::ToSingle(value));
  float raw;  // every finite float, not only those a short text reaches
  if (size >= sizeof raw && (std::memcpy(&raw, data, sizeof raw), std::isfinite(raw)))
    fuzz_check::CheckPrinted(coords::FormatNumberText(raw), raw);
  // Empty only when the nearest whole number is beyond 16 bits.
  const auto rounded = coords::RoundToInteger(value);
  Check(rounded ? std::fabs(*rounded - value) <= 0.5 : value >= 32767.5 || value < -32768.5);
  return 0;
}
