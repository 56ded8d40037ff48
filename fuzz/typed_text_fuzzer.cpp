// Arbitrary bytes as typed entries (whole numbers, positions, reference
// pixels) and as header cards with capture-software hints. A refusal is
// checked against the rules read a second way: colons turned into blanks,
// then words.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "coords/number_text.h"
#include "coords/sky_position.h"
#include "coords/typed_text.h"
#include "number_text_check.h"
#include "pipeline/header_hints.h"

namespace {

using fuzz_check::Check;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

// A whole number by strtod: the text without blanks, "D" read as "E", only
// number characters, and strtod takes all of it.
bool IsWholeNumber(std::string_view text) {
  std::string compact;
  for (char c : text) {
    if (IsBlank(c)) continue;
    if (c == '\0' || std::strchr("0123456789+-.eEdD", c) == nullptr) return false;
    compact.push_back(c == 'D' || c == 'd' ? 'e' : c);
  }
  char* end = nullptr;
  std::strtod(compact.c_str(), &end);
  return !compact.empty() && end == compact.c_str() + compact.size();
}

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words(1);
  for (char c : text) {
    if (!IsBlank(c) && c != ':') {
      words.back().push_back(c);
    } else if (!words.back().empty()) {
      words.emplace_back();
    }
  }
  if (words.back().empty()) words.pop_back();
  return words;
}

// Colons only between two parts: none first or last, never two in a row.
bool ColonsBetweenParts(std::string_view text) {
  std::string compact;
  for (char c : text)
    if (!IsBlank(c)) compact.push_back(c);
  return compact.find("::") == std::string::npos &&
         (compact.empty() || (compact.front() != ':' && compact.back() != ':'));
}

using FromFields = float (*)(std::string_view, std::string_view, std::string_view);

void CheckPosition(std::string_view text, std::optional<float> result, FromFields fromFields,
                   const coords::FieldLimit* limits) {
  std::vector<std::string> words = Words(text);
  bool allowed = !words.empty() && words.size() <= 3 && ColonsBetweenParts(text);
  for (std::size_t k = 0; allowed && k < words.size(); ++k)
    allowed = IsWholeNumber(words[k]) &&
              (limits == nullptr || coords::TypingAllowed(words[k], limits[words.size() == 1 ? 0 : k + 1]));
  Check(result.has_value() == allowed);
  if (!result) return;
  Check(std::isfinite(*result));
  words.resize(3);
  const float expected =
      words[1].empty() ? coords::DecimalFieldValue(words[0]) : fromFields(words[0], words[1], words[2]);
  Check(*result == expected);
}

constexpr coords::FieldLimit kRaLimits[] = {coords::kRaDecimalField, coords::kRaHoursField,
                                            coords::kRaMinutesField, coords::kRaSecondsField};
constexpr coords::FieldLimit kDecLimits[] = {coords::kDecDecimalField, coords::kDecDegreesField,
                                             coords::kDecMinutesField, coords::kDecSecondsField};

std::size_t WindowLength(std::string_view text) {
  std::size_t length = 0;
  for (char c : text) length += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  for (char c : text)
    length += static_cast<unsigned char>(c) >= 0xF0 && static_cast<unsigned char>(c) <= 0xF4;
  return length;
}

void CheckHints(std::string_view bytes) {
  std::vector<std::string> cards;
  for (std::size_t i = 0; i < bytes.size(); i += 80) cards.emplace_back(bytes.substr(i, 80));
  const pipeline::HeaderHints hints = pipeline::ReadHeaderHints(cards);
  if (hints.raHours) Check(std::isfinite(*hints.raHours));
  if (hints.decDegrees) Check(std::isfinite(*hints.decDegrees));
  if (hints.scale) {
    Check(hints.scale->cdelt1 > 0.0f && std::isfinite(hints.scale->cdelt1));
    Check(hints.scale->cdelt2 > 0.0f && std::isfinite(hints.scale->cdelt2));
    Check(hints.scale->rotation == 0.0f && !hints.scale->namesTelescope);
  }
  Check(pipeline::MissingHints(hints).empty() == (hints.raHours && hints.decDegrees && hints.scale));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The fuzzer's own buffer, so that a read past its end is an error.
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const coords::LeadingNumber scan = coords::ScanLeadingNumber(text);
  Check(scan.end <= size);
  const auto whole = coords::ParseWholeNumber(text);
  Check(whole.has_value() == IsWholeNumber(text));
  if (whole) Check(std::isfinite(*whole) && *whole == scan.value);

  CheckPosition(text, coords::RaHoursFromText(text), coords::RaHoursFromFields, kRaLimits);
  CheckPosition(text, coords::DecDegreesFromText(text), coords::DecDegreesFromFields, kDecLimits);
  CheckPosition(text, coords::RaHoursFromWrittenText(text), coords::RaHoursFromFields, nullptr);
  CheckPosition(text, coords::DecDegreesFromWrittenText(text), coords::DecDegreesFromFields, nullptr);

  const auto pixel = coords::PixelFromText(text);
  const bool fits = whole && *whole < 32767.5 && *whole >= -32768.5;
  Check(pixel.has_value() == (fits && WindowLength(text) <= 5));
  if (pixel) Check(std::fabs(*pixel - *whole) <= 0.5);

  CheckHints(text);
  return 0;
}
