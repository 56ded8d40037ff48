// The cards of a primary header that say how its data unit reads as
// numbers and which way its rows run: BITPIX, NAXIS1/2, BZERO, BSCALE,
// BLANK and ROWORDER.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace imageview {

// ROWORDER as capture programs write it: none (FITS's own order, row 1 at
// the bottom), 'BOTTOM-UP' (the same, said), 'TOP-DOWN' (the camera's first
// row is the picture's top), or another value, read as FITS's own order.
enum class RowOrder : std::int8_t { None, BottomUp, TopDown, Unknown };

struct PixelCards {
  std::int16_t bitpix = 0;
  std::int64_t naxis1 = 0;
  std::int64_t naxis2 = 0;
  double bzero = 0.0;
  double bscale = 1.0;
  std::optional<std::int64_t> blank;  // integer data only
  RowOrder rowOrder = RowOrder::None;
  std::string rowOrderValue;  // as written, empty without the card
};

// Reads the header's cards, 80 bytes each, up to END; the first card of a
// keyword counts. A value that is no number leaves the default (BSCALE 1).
PixelCards ReadPixelCards(std::string_view header);

}  // namespace imageview
