// Arbitrary bytes as number texts (read, printed back, rounded to 16 bits),
// as typed entries (whole numbers, positions, reference pixels) and as header
// cards with capture-software hints. A refusal is checked against the rules
// read a second way: colons turned into blanks, then words.
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "coords/sky_position.h"
#include "coords/typed_text.h"
#include "number_text_check.h"
#include "pipeline/header_hints.h"

using fuzz_check::Check;

// A whole number by strtod: only number characters, and strtod takes all of them.
static bool IsWholeNumber(std::string_view text) {
  bool whole;
  const std::string s = fuzz_check::NumberChars(text, whole);
  char* end = nullptr;
  return whole && !s.empty() && (std::strtod(s.c_str(), &end), end == s.c_str() + s.size());
}

// The same reading by the C library; the process runs in the "C" locale.
static void CheckReading(std::string_view text) {
  bool whole;
  double expected = std::strtod(fuzz_check::NumberChars(text, whole).c_str(), nullptr);
  if (std::isinf(expected)) expected = std::copysign(std::numeric_limits<double>::max(), expected);
  Check(coords::ParseLeadingNumber(text) == expected);
}

// The number text rules: the reading, the printing of the value read and of
// every finite float, and the rounding to 16 bits.
static void CheckNumberText(const std::uint8_t* data, std::string_view text) {
  // Also with every "*" and count byte after it replaced by that many copies
  // of the character before: coverage does not grow with the length of a
  // digit run, so values beyond double range without an exponent are
  // otherwise out of reach.
  std::string expanded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '*' && i + 1 < text.size() && !expanded.empty())
      expanded.append(data[++i], expanded.back());
    else
      expanded.push_back(text[i]);
  }
  CheckReading(expanded);
  CheckReading(text);
  const double value = coords::ParseLeadingNumber(text);
  fuzz_check::CheckPrinted(coords::FormatNumberText(coords::ToSingle(value)), coords::ToSingle(value));
  float raw;  // every finite float, not only those a short text reaches
  if (text.size() >= sizeof raw && (std::memcpy(&raw, data, sizeof raw), std::isfinite(raw)))
    fuzz_check::CheckPrinted(coords::FormatNumberText(raw), raw);
  // Empty only when the nearest whole number is beyond 16 bits.
  const auto rounded = coords::RoundToInteger(value);
  Check(rounded ? std::fabs(*rounded - value) <= 0.5 : value >= 32767.5 || value < -32768.5);
}

using FromFields = float (*)(std::string_view, std::string_view, std::string_view);

// Words split at blanks and colons; colons only between two parts: none
// first or last, never two in a row.
static void CheckPosition(std::string_view text, std::optional<float> result, FromFields fromFields,
                          const coords::FieldLimit* limits) {
  std::vector<std::string> words(1);
  std::string compact;
  for (char c : text) {
    const bool blank = c == ' ' || c == '\t' || c == '\n';
    if (!blank) compact.push_back(c);
    if (!blank && c != ':')
      words.back().push_back(c);
    else if (!words.back().empty())
      words.emplace_back();
  }
  if (words.back().empty()) words.pop_back();
  bool allowed = !words.empty() && words.size() <= 3 && compact.find("::") == std::string::npos &&
                 compact.front() != ':' && compact.back() != ':';
  for (std::size_t k = 0; allowed && k < words.size(); ++k)
    allowed = IsWholeNumber(words[k]) &&
              (!limits || coords::TypingAllowed(words[k], limits[words.size() == 1 ? 0 : k + 1]));
  Check(result.has_value() == allowed);
  if (!result) return;
  words.resize(3);
  Check(std::isfinite(*result) && *result == (words[1].empty() ? coords::DecimalFieldValue(words[0])
                                                               : fromFields(words[0], words[1], words[2])));
}

constexpr coords::FieldLimit kRa[] = {coords::kRaDecimalField, coords::kRaHoursField, coords::kRaMinutesField,
                                      coords::kRaSecondsField};
constexpr coords::FieldLimit kDec[] = {coords::kDecDecimalField, coords::kDecDegreesField,
                                       coords::kDecMinutesField, coords::kDecSecondsTyped};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The fuzzer's own buffer, so that a read past its end is an error.
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckNumberText(data, text);
  const auto whole = coords::ParseWholeNumber(text);
  Check(coords::ScanLeadingNumber(text).end <= size && whole.has_value() == IsWholeNumber(text));
  if (whole) Check(std::isfinite(*whole) && *whole == coords::ScanLeadingNumber(text).value);
  CheckPosition(text, coords::RaHoursFromText(text), coords::RaHoursFromFields, kRa);
  CheckPosition(text, coords::DecDegreesFromText(text), coords::DecDegreesFromFields, kDec);
  CheckPosition(text, coords::RaHoursFromWrittenText(text), coords::RaHoursFromFields, nullptr);
  CheckPosition(text, coords::DecDegreesFromWrittenText(text), coords::DecDegreesFromFields, nullptr);
  // A pixel: a whole number within 16 bits, at most 5 UTF-16 units as the window counts them.
  std::size_t units = 0;
  for (unsigned char c : text) units += ((c & 0xC0) != 0x80) + (c >= 0xF0 && c <= 0xF4);
  const auto pixel = coords::PixelFromText(text);
  Check(pixel.has_value() == (whole && *whole < 32767.5 && *whole >= -32768.5 && units <= 5));
  if (pixel) Check(std::fabs(*pixel - *whole) <= 0.5);
  // The same bytes as 80-column cards: hints are finite, a scale positive and unrotated.
  std::vector<std::string> cards;
  for (std::size_t i = 0; i < size; i += 80) cards.emplace_back(text.substr(i, 80));
  const pipeline::HeaderHints h = pipeline::ReadHeaderHints(cards);
  Check((!h.raHours || std::isfinite(*h.raHours)) && (!h.decDegrees || std::isfinite(*h.decDegrees)));
  if (!h.precessionLine.empty())  // carried to J2000: on the sphere, in 0 to 24 hours
    Check(std::fabs(*h.decDegrees) <= 90.0f && *h.raHours >= 0.0f && *h.raHours <= 24.0f);
  if (h.scale)
    Check(h.scale->cdelt1 > 0 && std::isfinite(h.scale->cdelt1) && h.scale->cdelt2 > 0 &&
          std::isfinite(h.scale->cdelt2) && h.scale->rotation == 0 && !h.scale->namesTelescope);
  Check(pipeline::MissingHints(h).empty() == (h.raHours && h.decDegrees && h.scale));
  return 0;
}
