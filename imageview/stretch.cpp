#include "imageview/stretch.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <variant>
#include <vector>

namespace imageview {
namespace {

constexpr std::int64_t kSampleTarget = 250'000;
constexpr double kMadToSigma = 1.4826;
constexpr double kShadowSigmas = 2.8;
constexpr double kTargetBackground = 0.25;
constexpr double kLogStretch = 1000.0;

// The midtones transfer function: 0, m and 1 go to 0, 1/2 and 1.
double Midtones(double m, double x) {
  if (x <= 0.0) return 0.0;
  if (x >= 1.0) return 1.0;
  return (m - 1.0) * x / ((2.0 * m - 1.0) * x - m);
}

double MedianOf(std::vector<double>& values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

}  // namespace

SampleStatistics SampleOf(const PixelData& pixels) {
  const std::int64_t total = std::int64_t{pixels.width} * pixels.height;
  // One pixel in step, along rows; a step that is a multiple of the width
  // would sample the same columns only, so it is nudged off it.
  std::int64_t step = std::max<std::int64_t>(1, total / kSampleTarget);
  if (step > 1 && step % pixels.width == 0) ++step;
  std::vector<double> values;
  values.reserve(static_cast<std::size_t>(total / step + 1));
  std::visit(
      [&](const auto& elements) {
        for (std::int64_t i = 0; i < total; i += step) {
          const auto element = elements[static_cast<std::size_t>(i)];
          if constexpr (std::is_integral_v<std::decay_t<decltype(element)>>) {
            if (pixels.blank && static_cast<std::int64_t>(element) == *pixels.blank) continue;
          }
          const double value = pixels.bzero + pixels.bscale * static_cast<double>(element);
          if (std::isfinite(value)) values.push_back(value);
        }
      },
      pixels.store);
  SampleStatistics statistics;
  statistics.count = static_cast<std::int64_t>(values.size());
  if (values.empty()) return statistics;
  statistics.median = MedianOf(values);
  for (double& value : values) value = std::abs(value - statistics.median);
  statistics.sigma = kMadToSigma * MedianOf(values);
  return statistics;
}

DisplayMap MapFor(Curve curve, const SampleStatistics& statistics, const PixelData& pixels) {
  DisplayMap map{curve, pixels.minimum, pixels.maximum, 0.5};
  if (curve != Curve::Auto) return map;
  map.black =
      std::clamp(statistics.median - kShadowSigmas * statistics.sigma, pixels.minimum, pixels.maximum);
  const double range = map.white - map.black;
  const double background = range > 0.0 ? (statistics.median - map.black) / range : 0.0;
  // The balance that takes the background to the target: the function is its own inverse in this sense.
  map.midtones = Midtones(kTargetBackground, background);
  return map;
}

double Brightness(const DisplayMap& map, double value) {
  const double range = map.white - map.black;
  if (!std::isfinite(value) || !(range > 0.0)) return value > map.black ? 1.0 : 0.0;
  const double x = std::clamp((value - map.black) / range, 0.0, 1.0);
  switch (map.curve) {
    case Curve::Linear:
      return x;
    case Curve::Log:
      return std::log1p(kLogStretch * x) / std::log1p(kLogStretch);
    case Curve::Auto:
      break;
  }
  return Midtones(map.midtones, x);
}

}  // namespace imageview
