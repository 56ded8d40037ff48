#include "imageview/star_centroid.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>
#include <vector>

namespace imageview {
namespace {

// The sky is measured in a square ring around the peak, out of a normal
// star's reach.
constexpr std::int32_t kSkyInner = 10;
constexpr std::int32_t kSkyOuter = 14;
constexpr std::size_t kFewestSkyPixels = 16;
constexpr double kMadToSigma = 1.4826;
constexpr double kFwhmToSigma = 1.0 / 2.3548;
constexpr double kLargestFwhm = 12.0;
constexpr int kRefinements = 20;

struct Box {
  std::int32_t left, top, right, bottom;  // inclusive, inside the image
};

Box BoxAround(const PixelData& pixels, std::int32_t x, std::int32_t y, std::int32_t half) {
  return {std::max(0, x - half), std::max(0, y - half), std::min(pixels.width - 1, x + half),
          std::min(pixels.height - 1, y + half)};
}

template <typename Visit>
void ForEachNumber(const PixelData& pixels, const Box& box, Visit visit) {
  for (std::int32_t y = box.top; y <= box.bottom; ++y)
    for (std::int32_t x = box.left; x <= box.right; ++x)
      if (const double value = NumberAt(pixels, x, y); std::isfinite(value)) visit(x, y, value);
}

double MedianOf(std::vector<double>& values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// The sky's level and sigma from the ring around the peak; from the whole
// box where the image is too small for a ring.
void MeasureSky(const PixelData& pixels, std::int32_t px, std::int32_t py, Star& star) {
  std::vector<double> ring, all;
  ForEachNumber(pixels, BoxAround(pixels, px, py, kSkyOuter), [&](std::int32_t x, std::int32_t y, double v) {
    all.push_back(v);
    if (std::max(std::abs(x - px), std::abs(y - py)) >= kSkyInner) ring.push_back(v);
  });
  std::vector<double>& sky = ring.size() >= kFewestSkyPixels ? ring : all;
  star.background = MedianOf(sky);
  for (double& v : sky) v = std::abs(v - star.background);
  star.noise = kMadToSigma * MedianOf(sky);
}

}  // namespace

Star FindStar(const PixelData& pixels, double x, double y) {
  Star star;
  const auto cx = static_cast<std::int32_t>(std::lround(x - 1.0));
  const auto cy = static_cast<std::int32_t>(std::lround(y - 1.0));
  if (!(x >= 0.5 && y >= 0.5 && cx < pixels.width && cy < pixels.height)) {
    star.code = StarCode::Outside;
    return star;
  }
  std::int32_t px = -1, py = -1;
  ForEachNumber(pixels, BoxAround(pixels, cx, cy, kStarSearchRadius),
                [&](std::int32_t x, std::int32_t y, double v) {
                  if (px < 0 || v > star.peak) std::tie(px, py, star.peak) = std::tuple(x, y, v);
                });
  if (px < 0) return star;
  MeasureSky(pixels, px, py, star);
  const double amplitude = star.peak - star.background;
  if (!(amplitude > 0.0 && amplitude > kStarDetectionSigmas * star.noise)) return star;

  int aboveHalf = 0;
  ForEachNumber(pixels, BoxAround(pixels, px, py, kStarSearchRadius),
                [&](std::int32_t, std::int32_t, double v) {
                  if (v - star.background >= amplitude / 2.0) ++aboveHalf;
                });
  star.fwhm = std::clamp(2.0 * std::sqrt(aboveHalf / std::numbers::pi), 1.0, kLargestFwhm);

  // First the plain centroid of what rises above the sky in a box of the star's size.
  double sum = 0.0, sx = 0.0, sy = 0.0;
  ForEachNumber(pixels, BoxAround(pixels, px, py, static_cast<std::int32_t>(std::ceil(star.fwhm))),
                [&](std::int32_t x, std::int32_t y, double v) {
                  const double w = std::max(0.0, v - star.background);
                  sum += w;
                  sx += w * x;
                  sy += w * y;
                });
  const double boxX = sx / sum, boxY = sy / sum;
  if (!std::isfinite(boxX) || !std::isfinite(boxY)) return star;  // infinite values weigh nothing measurable

  // Then weights of the star's own width around the estimate, as FITS
  // catalogues' windowed positions: at low signal-to-noise they keep the
  // noise of the box's far pixels out, which moves a plain centroid by a
  // tenth of a pixel.
  const double s = star.fwhm * kFwhmToSigma;
  const auto half = static_cast<std::int32_t>(std::ceil(4.0 * s));
  double wx = boxX, wy = boxY;
  for (int i = 0; i < kRefinements; ++i) {
    double weight = 0.0, mx = 0.0, my = 0.0;
    ForEachNumber(pixels,
                  BoxAround(pixels, static_cast<std::int32_t>(std::lround(wx)),
                            static_cast<std::int32_t>(std::lround(wy)), half),
                  [&](std::int32_t x, std::int32_t y, double v) {
                    const double dx = x - wx, dy = y - wy;
                    const double w = std::exp(-(dx * dx + dy * dy) / (2.0 * s * s)) * (v - star.background);
                    weight += w;
                    mx += w * dx;
                    my += w * dy;
                  });
    if (!(weight > 0.0)) break;
    const double stepX = 2.0 * mx / weight, stepY = 2.0 * my / weight;
    wx += stepX;
    wy += stepY;
    if (std::hypot(stepX, stepY) < 1e-4) break;
  }
  // A refinement that wandered off the star (a neighbour, a ragged sky, the
  // image's edge) is not taken.
  const bool refined = std::hypot(wx - boxX, wy - boxY) < star.fwhm && wx >= -0.5 && wy >= -0.5 &&
                       wx <= pixels.width - 0.5 && wy <= pixels.height - 0.5;
  star.x = (refined ? wx : boxX) + 1.0;
  star.y = (refined ? wy : boxY) + 1.0;
  star.code = StarCode::Found;
  return star;
}

}  // namespace imageview
