// The right ascension and declination grid over a frame: lines at round
// values, about four to eight across, each as polylines in FITS pixels with
// its label and the place where it enters the frame.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imageview/tan_sky.h"

namespace imageview {

struct GridLine {
  bool ofRa = false;   // a line of constant right ascension, else of declination
  double value = 0.0;  // degrees
  std::string label;   // "6h 10m", "+24° 20′"
  std::vector<std::vector<PixelPoint>> pieces;
  std::optional<PixelPoint> labelAt;  // the first point inside the frame
};

std::vector<GridLine> SkyGrid(const TanWcs& wcs, std::int32_t width, std::int32_t height);

// Labels with as many places as the step needs: "6h", "6h 10m",
// "6h 10m 30s", "6h 10m 30.5s"; "+24°", "-0° 30′", "+24° 20′ 30″".
std::string RaLabel(double degrees, double stepDegrees);
std::string DecLabel(double degrees, double stepDegrees);

}  // namespace imageview
