// A primary image held as compactly as the file holds it: each element in
// its own type (BITPIX 8, 16, 32, 64, -32, -64) in native byte order, stored
// rows in file order, with the scaling that turns an element into its
// physical value.
#pragma once

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "imageview/image_buffer.h"

namespace imageview {

using PixelStore =
    std::variant<ImageVector<std::uint8_t>, ImageVector<std::int16_t>, ImageVector<std::int32_t>,
                 ImageVector<std::int64_t>, ImageVector<float>, ImageVector<double>>;

struct PixelData {
  std::int32_t width = 0;   // NAXIS1
  std::int32_t height = 0;  // NAXIS2
  PixelStore store;
  double bzero = 0.0;
  double bscale = 1.0;
  std::optional<std::int64_t> blank;  // the stored integer that marks a missing value
  // Of every physical value that is a number (no BLANK, NaN or infinity);
  // hasValues false when there is none.
  double minimum = 0.0;
  double maximum = 0.0;
  bool hasValues = false;
};

// The physical value (BZERO + BSCALE * element) of column x, stored row y,
// both 0-based and inside the image; empty for a BLANK element. NaN and
// infinities of floating-point data come back as they are.
std::optional<double> ValueAt(const PixelData& pixels, std::int32_t x, std::int32_t y);

// The same value, NaN for a BLANK element: for rules that treat every
// missing value alike.
double NumberAt(const PixelData& pixels, std::int32_t x, std::int32_t y);

}  // namespace imageview
