#include "coords/typed_text.h"

#include "coords/number_text.h"
#include "coords/sky_position.h"

namespace coords {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

// The length as the window's QString counts it (UTF-16 units): every byte but
// a continuation byte starts a character, and a four-byte one takes two.
std::size_t WindowLength(std::string_view text) {
  std::size_t length = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++length;
    if (byte >= 0xF0 && byte <= 0xF4) ++length;
  }
  return length;
}

struct Parts {
  std::string_view part[3];
  int count = 0;
};

// One to three non-empty parts between blanks and at most one colon each;
// empty for anything else ("", "6::8", "6:", "1 2 3 4").
std::optional<Parts> SplitParts(std::string_view text) {
  Parts parts;
  std::size_t i = 0;
  const auto skipBlanks = [&] {
    while (i < text.size() && IsBlank(text[i])) ++i;
  };
  skipBlanks();
  while (i < text.size()) {
    const std::size_t start = i;
    while (i < text.size() && !IsBlank(text[i]) && text[i] != ':') ++i;
    if (i == start || parts.count == 3) return std::nullopt;
    parts.part[parts.count++] = text.substr(start, i - start);
    skipBlanks();
    if (i < text.size() && text[i] == ':') {
      ++i;
      skipBlanks();
      if (i == text.size()) return std::nullopt;
    }
  }
  if (parts.count == 0) return std::nullopt;
  return parts;
}

// The fields one coordinate is typed into, and how the window combines them.
struct PositionFields {
  FieldLimit decimal;
  FieldLimit parts[3];
  float (*fromFields)(std::string_view, std::string_view, std::string_view);
};
constexpr PositionFields kRa{
    kRaDecimalField, {kRaHoursField, kRaMinutesField, kRaSecondsField}, RaHoursFromFields};
constexpr PositionFields kDec{
    kDecDecimalField, {kDecDegreesField, kDecMinutesField, kDecSecondsTyped}, DecDegreesFromFields};

std::optional<float> PositionFromText(std::string_view text, const PositionFields& fields, bool typed) {
  const auto parts = SplitParts(text);
  if (!parts) return std::nullopt;
  for (int k = 0; k < parts->count; ++k) {
    const FieldLimit limit = parts->count == 1 ? fields.decimal : fields.parts[k];
    if (!ParseWholeNumber(parts->part[k]) || (typed && !TypingAllowed(parts->part[k], limit)))
      return std::nullopt;
  }
  // One number goes into the decimal field, more into the sexagesimal ones.
  if (parts->count == 1) return DecimalFieldValue(parts->part[0]);
  return fields.fromFields(parts->part[0], parts->part[1], parts->part[2]);
}

}  // namespace

bool TypingAllowed(std::string_view text, FieldLimit limit) {
  if (limit.maxLength > 0 && WindowLength(text) > static_cast<std::size_t>(limit.maxLength)) return false;
  return !limit.fitsInteger || PixelFieldValue(text).has_value();
}

float DecimalFieldValue(std::string_view text) {
  return ToSingle(ParseLeadingNumber(text));
}

std::optional<std::int16_t> PixelFieldValue(std::string_view text) {
  return RoundToInteger(ParseLeadingNumber(text));
}

std::optional<double> ParseWholeNumber(std::string_view text) {
  const LeadingNumber number = ScanLeadingNumber(text);
  if (number.end == 0) return std::nullopt;
  for (std::size_t i = number.end; i < text.size(); ++i)
    if (!IsBlank(text[i])) return std::nullopt;
  return number.value;
}

std::optional<float> RaHoursFromText(std::string_view text) {
  return PositionFromText(text, kRa, true);
}

std::optional<float> DecDegreesFromText(std::string_view text) {
  return PositionFromText(text, kDec, true);
}

std::optional<float> RaHoursFromWrittenText(std::string_view text) {
  return PositionFromText(text, kRa, false);
}

std::optional<float> DecDegreesFromWrittenText(std::string_view text) {
  return PositionFromText(text, kDec, false);
}

std::optional<std::int16_t> PixelFromText(std::string_view text) {
  if (!ParseWholeNumber(text) || !TypingAllowed(text, kPixelField)) return std::nullopt;
  return PixelFieldValue(text);
}

}  // namespace coords
