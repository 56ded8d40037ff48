// Grey-level images of the stretched data, rows in stored order: any region
// at full resolution, and the whole image halved again and again down to a
// size a window shows whole, so that a zoomed-out view never touches every
// pixel and a 100-megapixel frame costs a quarter of its pixels once.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "imageview/pixel_data.h"
#include "imageview/stretch.h"

namespace imageview {

struct LevelImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  ImageVector<std::uint8_t> levels;  // row by row, 0 to kTopLevel, kBlankLevel where nothing is known
};

// How elements become grey levels: for 8- and 16-bit integers a table over
// every element value (BLANK included), for other data a fine table over
// the brightness curve, so no pixel costs more than a few operations.
struct LevelTable {
  std::vector<std::uint8_t> byElement;
  std::vector<std::uint8_t> byBrightness;
  double black = 0.0;
  double steps = 0.0;  // table entries per unit of physical value
};
LevelTable MakeLevelTable(const PixelData& pixels, const DisplayMap& map);

// Columns x0 to x0 + width - 1 of stored rows y0 to y0 + height - 1, clipped
// to the image.
LevelImage MapRegion(const PixelData& pixels, const LevelTable& table, std::int32_t x0, std::int32_t y0,
                     std::int32_t width, std::int32_t height);

// No halving below this many pixels on the longer side.
inline constexpr std::int32_t kSmallestHalvedSide = 512;

// Element [k] has 1/2^(k+1) of the image's width and height, rounded up;
// each of its pixels is the mean of the grey levels of 2 x 2 below it,
// missing values left out. Empty for an image no longer than
// kSmallestHalvedSide, and when cancelled.
std::vector<LevelImage> HalvedLevels(const PixelData& pixels, const LevelTable& table,
                                     const std::atomic<bool>& cancelled);

}  // namespace imageview
