// Where the star nearest a click stands: the brightest pixel near the click,
// the local sky level around it, an intensity-weighted centroid of the
// background-subtracted pixels in a box of the star's size, then refined
// with weights that fall off as the star does. Never the clicked pixel
// itself.
#pragma once

#include <cstdint>

#include "imageview/pixel_data.h"

namespace imageview {

enum class StarCode : std::int8_t {
  Found = 0,
  Flat = 1,     // nothing stands out of the sky's noise near the click
  Outside = 2,  // the click lies beside the image
};

struct Star {
  StarCode code = StarCode::Flat;
  double x = 0.0;  // FITS pixel position, 1-based: column, and stored row
  double y = 0.0;
  double peak = 0.0;        // the brightest value, as stored
  double background = 0.0;  // the local sky level
  double noise = 0.0;       // the sky's sigma (MAD x 1.4826)
  double fwhm = 0.0;        // in pixels, from the area above half the peak
};

// Pixels from the click within which the brightest one is looked for.
inline constexpr std::int32_t kStarSearchRadius = 6;
// How many sigmas of the sky's noise a star's peak must rise above it.
inline constexpr double kStarDetectionSigmas = 5.0;

// x and y are the click's FITS position (1-based column and stored row).
Star FindStar(const PixelData& pixels, double x, double y);

}  // namespace imageview
