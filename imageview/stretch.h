// How physical values become grey levels on the screen. The automatic
// stretch is the one FITS viewers show by default: robust statistics of a
// sample (median and MAD), shadows clipped at median - 2.8 sigma, and a
// midtones transfer function that puts the sky background at a quarter of
// the display range. Linear and logarithmic run from the smallest to the
// largest value.
#pragma once

#include <cstdint>

#include "imageview/pixel_data.h"

namespace imageview {

enum class Curve : std::int8_t { Auto = 0, Linear = 1, Log = 2 };

struct SampleStatistics {
  double median = 0.0;
  double sigma = 0.0;      // MAD x 1.4826, a normal distribution's sigma
  std::int64_t count = 0;  // values sampled that are numbers
};

// From at most about 250 000 pixels spread over the whole image, so a
// 100-megapixel frame costs milliseconds.
SampleStatistics SampleOf(const PixelData& pixels);

struct DisplayMap {
  Curve curve = Curve::Auto;
  double black = 0.0;     // this value and below show black
  double white = 1.0;     // this value and above show white
  double midtones = 0.5;  // the midtones balance of Curve::Auto
};

DisplayMap MapFor(Curve curve, const SampleStatistics& statistics, const PixelData& pixels);

// The brightness of a value, 0 (black) to 1 (white); NaN gives 0.
double Brightness(const DisplayMap& map, double value);

// Grey levels as drawn: 0 to kTopLevel, kBlankLevel for a missing value,
// which the view paints in a colour of its own.
inline constexpr std::uint8_t kTopLevel = 254;
inline constexpr std::uint8_t kBlankLevel = 255;

}  // namespace imageview
