#include "fits/card_text.h"

#include "fits/fits_sizes.h"

namespace fits {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return TrimTrailingBlanks(text);
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::string_view KeywordOf(std::string_view card) {
  return TrimTrailingBlanks(card.substr(0, kKeywordBytes));
}

std::string_view ValueField(std::string_view card) {
  if (card.size() <= 10) return {};
  const std::string_view field = card.substr(10);
  bool quoted = false;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\'') quoted = !quoted;
    if (field[i] == '/' && !quoted) return field.substr(0, i);
  }
  return field;
}

std::size_t ClosingQuote(std::string_view card) {
  if (card.size() < 11 || card[10] != '\'') return std::string_view::npos;
  for (std::size_t i = 11; i < card.size(); ++i) {
    if (card[i] != '\'') continue;
    if (i + 1 < card.size() && card[i + 1] == '\'') {
      ++i;  // a doubled quote stands for one
      continue;
    }
    return i;
  }
  return std::string_view::npos;
}

std::optional<std::string> StringValue(std::string_view card) {
  if (card.size() < 11 || card[10] != '\'') return std::nullopt;
  const std::size_t close = ClosingQuote(card);
  const std::string_view inner = card.substr(11, close == std::string_view::npos ? close : close - 11);
  std::string value;
  for (std::size_t i = 0; i < inner.size(); ++i) {
    value.push_back(inner[i]);
    if (inner[i] == '\'') ++i;  // the second of a doubled quote
  }
  return std::string(TrimTrailingBlanks(value));
}

}  // namespace fits
