// The display stretch from sampled statistics, the grey levels it gives by
// table, and the halved levels a zoomed-out view draws.
#include "imageview/stretch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "imageview/display_levels.h"

namespace {

using imageview::ImageVector;

template <typename T>
imageview::PixelData Image(std::int32_t width, std::int32_t height, ImageVector<T> elements) {
  imageview::PixelData pixels;
  pixels.width = width;
  pixels.height = height;
  pixels.store = std::move(elements);
  return pixels;
}

// A 16-bit sky of 1000 counts with a sigma of 10 and a star of 30000 counts
// every 50 pixels.
imageview::PixelData Sky() {
  std::mt19937 random(7);
  std::normal_distribution<double> noise(1000.0, 10.0);
  ImageVector<std::int16_t> elements(600 * 600);
  for (std::size_t i = 0; i < elements.size(); ++i)
    elements[i] = static_cast<std::int16_t>(i % 50 == 0 ? 30000 : std::lround(noise(random)));
  imageview::PixelData pixels = Image(600, 600, std::move(elements));
  pixels.minimum = 900;  // below any sample, as the whole data's range is
  pixels.maximum = 30000;
  return pixels;
}

TEST(Stretch, AutomaticPutsTheSkyAtAQuarterAndClipsShadowsBelowIt) {
  const imageview::PixelData pixels = Sky();
  const imageview::SampleStatistics statistics = imageview::SampleOf(pixels);
  EXPECT_NEAR(statistics.median, 1000.0, 1.0);
  EXPECT_NEAR(statistics.sigma, 10.0, 0.5);
  const imageview::DisplayMap automatic = imageview::MapFor(imageview::Curve::Auto, statistics, pixels);
  EXPECT_NEAR(automatic.black, statistics.median - 2.8 * statistics.sigma, 1e-9);
  EXPECT_NEAR(imageview::Brightness(automatic, statistics.median), 0.25, 1e-9);
  // A star three sigmas up shows clearly brighter than the sky, the brightest white.
  EXPECT_GT(imageview::Brightness(automatic, statistics.median + 3 * statistics.sigma), 0.4);
  EXPECT_EQ(imageview::Brightness(automatic, 30000.0), 1.0);
  const imageview::DisplayMap linear = imageview::MapFor(imageview::Curve::Linear, statistics, pixels);
  EXPECT_EQ(std::tuple(imageview::Brightness(linear, 900), imageview::Brightness(linear, 15450)),
            std::tuple(0.0, 0.5));
}

TEST(LevelTable, GreyLevelsAsTheCurveGivesThemAndMissingValuesApart) {
  struct Row {
    imageview::PixelData pixels;
    imageview::Curve curve;
  };
  imageview::PixelData withBlank = Image<std::int16_t>(4, 2, {-3, 0, 7, 100, 250, 999, -32768, 12});
  withBlank.blank = -32768;
  withBlank.bzero = 5.0;
  Row rows[] = {
      {std::move(withBlank), imageview::Curve::Auto},
      {Image<float>(4, 2, {-3.f, 0.f, 7.5f, 100.f, 250.f, 999.f, NAN, 12.f}), imageview::Curve::Log},
      {Image<double>(4, 2, {-3, 0, 7.5, 100, 250, 999, 1e6, 12}), imageview::Curve::Linear}};
  for (Row& row : rows) {
    row.pixels.minimum = -3;
    row.pixels.maximum = 1e6;
    const imageview::DisplayMap map = imageview::MapFor(row.curve, {10.0, 5.0, 8}, row.pixels);
    const imageview::LevelImage levels =
        imageview::MapRegion(row.pixels, imageview::MakeLevelTable(row.pixels, map), -1, 0, 9, 2);
    ASSERT_EQ(std::pair(levels.width, levels.height), std::pair(4, 2));
    for (std::int32_t i = 0; i < 8; ++i) {
      const double value = imageview::NumberAt(row.pixels, i % 4, i / 4);
      const int expected = std::isnan(value)
                               ? imageview::kBlankLevel
                               : static_cast<int>(std::lround(imageview::Brightness(map, value) * 254));
      EXPECT_NEAR(levels.levels[static_cast<std::size_t>(i)], expected, 1)
          << static_cast<int>(row.curve) << " " << i;
    }
  }
}

TEST(HalvedLevels, EachPixelTheMeanOfTheKnownOnesBelowIt) {
  // 1031 x 3 pixels whose grey level is their value: linear from 0 to 254.
  constexpr std::size_t kWidth = 1031;
  ImageVector<float> elements(kWidth * 3, 100.0f);
  elements[0] = 10.0f, elements[1] = 20.0f, elements[kWidth] = 40.0f, elements[kWidth + 1] = 50.0f;
  elements[2] = NAN;                                                              // one missing value
  elements[4] = elements[5] = elements[kWidth + 4] = elements[kWidth + 5] = NAN;  // none known
  elements[kWidth - 1] = 0.0f;    // the last column stands alone
  elements[2 * kWidth] = 254.0f;  // so does the last row
  imageview::PixelData pixels = Image(1031, 3, std::move(elements));
  pixels.minimum = 0.0;
  pixels.maximum = 254.0;
  const imageview::DisplayMap map = imageview::MapFor(imageview::Curve::Linear, {}, pixels);
  const std::atomic<bool> cancelled{false};
  const auto halves = imageview::HalvedLevels(pixels, imageview::MakeLevelTable(pixels, map), cancelled);
  ASSERT_EQ(halves.size(), 2u);  // 516 x 2, then 258 x 1: no longer than 512
  EXPECT_EQ(std::tuple(halves[0].width, halves[0].height, halves[1].width, halves[1].height),
            std::tuple(516, 2, 258, 1));
  const auto at = [&](std::size_t i) { return static_cast<int>(halves[0].levels[i]); };
  // (10 + 20 + 40 + 50) / 4; 100 from three known; none known; (0 + 100) / 2; (254 + 100) / 2.
  EXPECT_EQ(std::tuple(at(0), at(1), at(2), at(515), at(516)), std::tuple(30, 100, 255, 50, 177));
}

}  // namespace
