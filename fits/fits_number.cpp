#include "fits/fits_number.h"

#include "fits/card_text.h"
#include "fits/fits_sizes.h"

namespace fits {
namespace {

std::size_t SkipDigits(std::string_view text, std::size_t i) {
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  return i;
}

std::size_t SkipSign(std::string_view text, std::size_t i) {
  return i < text.size() && (text[i] == '+' || text[i] == '-') ? i + 1 : i;
}

}  // namespace

bool IsFitsNumber(std::string_view text) {
  std::size_t i = SkipSign(text, 0);
  const std::size_t whole = SkipDigits(text, i);
  bool digits = whole > i;
  i = whole;
  if (i < text.size() && text[i] == '.') {
    const std::size_t fraction = SkipDigits(text, i + 1);
    digits = digits || fraction > i + 1;
    i = fraction;
  }
  if (!digits) return false;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'D')) {
    const std::size_t start = SkipSign(text, i + 1);
    i = SkipDigits(text, start);
    if (i == start) return false;
  }
  return i == text.size();
}

std::optional<UnwritableValue> FirstUnwritableValue(const HeaderPlan& plan) {
  const ComposedHeader header = ComposeHeader(plan);
  const std::string& bytes = header.bytes;
  const auto velorinBytes = static_cast<std::size_t>(header.velorinCards) * kCardBytes;
  for (std::size_t at = 0; at < velorinBytes; at += kCardBytes) {
    const std::string_view card = std::string_view(bytes).substr(at, kCardBytes);
    const std::string_view field = TrimTrailingBlanks(ValueField(card));
    const std::string_view value = TrimBlanks(field);
    const bool number =
        card.substr(8, 2) == "= " && !value.empty() && value.front() != '\'' && value != "T" && value != "F";
    // A value running into column 80 may have lost its end to the card's width.
    if (number && (!IsFitsNumber(value) || field.size() >= kCardBytes - 10))
      return UnwritableValue{std::string(KeywordOf(card)), std::string(value)};
  }
  return std::nullopt;
}

}  // namespace fits
