#include "imageview/pixel_cards.h"

#include <charconv>
#include <set>

#include "coords/number_text.h"
#include "fits/card_text.h"
#include "fits/fits_sizes.h"

namespace imageview {
namespace {

// An integer value in all its digits: a BLANK of 64-bit data does not fit a double.
std::optional<std::int64_t> IntegerValue(std::string_view card) {
  std::string_view text = fits::TrimBlanks(fits::ValueField(card));
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> RealValue(std::string_view card) {
  const coords::LeadingNumber number = coords::ScanLeadingNumber(fits::ValueField(card));
  if (number.end == 0) return std::nullopt;
  return number.value;
}

RowOrder RowOrderOf(std::string_view value) {
  if (value == "BOTTOM-UP") return RowOrder::BottomUp;
  if (value == "TOP-DOWN") return RowOrder::TopDown;
  return RowOrder::Unknown;
}

}  // namespace

PixelCards ReadPixelCards(std::string_view header) {
  PixelCards cards;
  std::set<std::string_view> seen;
  for (std::size_t at = 0; at + fits::kCardBytes <= header.size(); at += fits::kCardBytes) {
    const std::string_view card = header.substr(at, fits::kCardBytes);
    const std::string_view keyword = fits::KeywordOf(card);
    if (keyword == "END") break;
    if (!seen.insert(keyword).second) continue;
    if (keyword == "BITPIX") {
      cards.bitpix = static_cast<std::int16_t>(IntegerValue(card).value_or(0));
    } else if (keyword == "NAXIS1") {
      cards.naxis1 = IntegerValue(card).value_or(0);
    } else if (keyword == "NAXIS2") {
      cards.naxis2 = IntegerValue(card).value_or(0);
    } else if (keyword == "BZERO") {
      cards.bzero = RealValue(card).value_or(0.0);
    } else if (keyword == "BSCALE") {
      cards.bscale = RealValue(card).value_or(1.0);
    } else if (keyword == "BLANK") {
      cards.blank = IntegerValue(card);
    } else if (keyword == "ROWORDER") {
      cards.rowOrderValue =
          fits::StringValue(card).value_or(std::string(fits::TrimBlanks(fits::ValueField(card))));
      cards.rowOrder = RowOrderOf(fits::TrimBlanks(cards.rowOrderValue));
    }
  }
  return cards;
}

}  // namespace imageview
