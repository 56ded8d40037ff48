// Star centroids on synthetic stars: Gaussian profiles on a noisy 16-bit sky,
// at positions spread over a pixel, and the clicks that find nothing.
#include "imageview/star_centroid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

constexpr int kSide = 41;
constexpr double kSky = 1000.0, kNoise = 10.0;

// A star of the given FWHM whose peak stands snr sigmas of the sky's noise
// above it, centred at (x, y) in FITS pixels; without noise when noisy is false.
imageview::PixelData Star(double x, double y, double fwhm, double snr, bool noisy, std::mt19937& random) {
  std::normal_distribution<double> noise(0.0, noisy ? kNoise : 0.0);
  imageview::ImageVector<std::int16_t> elements(kSide * kSide);
  const double s = fwhm / 2.3548;
  for (int row = 1; row <= kSide; ++row)
    for (int column = 1; column <= kSide; ++column) {
      const double r2 = (column - x) * (column - x) + (row - y) * (row - y);
      elements[static_cast<std::size_t>((row - 1) * kSide + column - 1)] = static_cast<std::int16_t>(
          std::lround(kSky + snr * kNoise * std::exp(-r2 / (2 * s * s)) + noise(random)));
    }
  imageview::PixelData pixels;
  pixels.width = pixels.height = kSide;
  pixels.store = std::move(elements);
  return pixels;
}

TEST(FindStar, CentroidWithinFiveHundredthsOfAPixelFromSignalToNoiseTwenty) {
  struct Row {
    double fwhm, snr;  // snr: the peak over the sky's sigma
    bool noisy;
    double largestError, rmsError;
  };
  const Row rows[] = {{2.5, 500, false, 0.01, 0.01},
                      {3.0, 20, true, 0.15, 0.05},
                      {5.0, 20, true, 0.15, 0.05},
                      {3.0, 100, true, 0.05, 0.02},
                      {8.0, 100, true, 0.05, 0.02}};
  std::mt19937 random(11);
  std::uniform_real_distribution<double> offset(-0.5, 0.5), miss(-3.0, 3.0);
  for (const Row& row : rows) {
    double largest = 0.0, squares = 0.0;
    constexpr int kStars = 100;
    for (int i = 0; i < kStars; ++i) {
      const double x = 21.0 + offset(random), y = 21.0 + offset(random);
      const imageview::Star star = imageview::FindStar(Star(x, y, row.fwhm, row.snr, row.noisy, random),
                                                       x + miss(random), y + miss(random));
      ASSERT_EQ(star.code, imageview::StarCode::Found);
      largest = std::max({largest, std::abs(star.x - x), std::abs(star.y - y)});
      squares += (star.x - x) * (star.x - x) + (star.y - y) * (star.y - y);
    }
    const double rms = std::sqrt(squares / (2 * kStars));
    EXPECT_LT(largest, row.largestError) << "FWHM " << row.fwhm << " SNR " << row.snr;
    EXPECT_LT(rms, row.rmsError) << "FWHM " << row.fwhm << " SNR " << row.snr;
  }
}

TEST(FindStar, NothingOnFlatSkyBesideTheImageOrAmongMissingValues) {
  std::mt19937 random(5);
  const imageview::PixelData sky = Star(20, 20, 3, 0, true, random);
  imageview::PixelData blanks = Star(20, 20, 3, 50, false, random);
  blanks.blank = 1000;
  blanks.store = imageview::ImageVector<std::int16_t>(kSide * kSide, 1000);
  struct Row {
    const char* what;
    const imageview::PixelData& pixels;
    double x, y;
    imageview::StarCode code;
  };
  const Row rows[] = {{"flat sky", sky, 20, 20, imageview::StarCode::Flat},
                      {"left of the image", sky, 0.4, 20, imageview::StarCode::Outside},
                      {"above it", sky, 20, kSide + 0.6, imageview::StarCode::Outside},
                      {"only BLANK", blanks, 20, 20, imageview::StarCode::Flat}};
  for (const Row& row : rows)
    EXPECT_EQ(imageview::FindStar(row.pixels, row.x, row.y).code, row.code) << row.what;
}

}  // namespace
