// The sky over the frame: the grid's lines and labels, and the status
// line's position texts.
#include <gtest/gtest.h>

#include <cmath>

#include "imageview/sky_grid.h"
#include "imageview/view_text.h"
#include "sky_fields.h"

namespace {

using sky_test::Field;
using sky_test::kFields;
constexpr double kRadian = 3.14159265358979323846 / 180.0;

TEST(SkyGrid, LinesStandAtTheirValuesAndAreLabelledInsideTheFrame) {
  for (const Field& field : kFields) {
    const auto wcs = imageview::WcsOf(field.entries);
    const std::vector<imageview::GridLine> lines = imageview::SkyGrid(*wcs, 1200, 800);
    int ra = 0, dec = 0, labelled = 0;
    for (const imageview::GridLine& line : lines) {
      ++(line.ofRa ? ra : dec);
      labelled += line.labelAt.has_value();
      for (const auto& piece : line.pieces)
        for (const imageview::PixelPoint& point : piece) {
          const imageview::SkyPoint sky = imageview::SkyOf(*wcs, point);
          // Off the line on the sky: right ascension counts less toward a pole.
          const double off = line.ofRa
                                 ? std::remainder(sky.ra - line.value, 360.0) * std::cos(sky.dec * kRadian)
                                 : sky.dec - line.value;
          EXPECT_NEAR(off, 0.0, 1e-6) << field.what << " " << line.label;
        }
    }
    EXPECT_TRUE(ra >= 3 && ra <= 9 && dec >= 3 && dec <= 9 && labelled >= 5)
        << field.what << ": " << ra << " RA lines, " << dec << " Dec lines, " << labelled << " labelled";
  }
}

TEST(ViewText, LabelsAndCursorInTheFieldsFormats) {
  EXPECT_EQ(imageview::RaLabel(92.5, 15.0), "6h");
  EXPECT_EQ(imageview::RaLabel(92.5, 0.25), "6h 10m");
  EXPECT_EQ(imageview::RaLabel(359.9999, 1.0 / 240), "0h 00m 00s");  // a whole day round
  EXPECT_EQ(imageview::RaLabel(92.50125, 0.5 / 240), "6h 10m 00.3s");
  EXPECT_EQ(imageview::DecLabel(-0.5, 0.5), "-0° 30′");
  EXPECT_EQ(imageview::DecLabel(24.3425, 5.0 / 3600), "+24° 20′ 33″");
  EXPECT_EQ(imageview::CursorText(12.4, 7.6, 1523.25, imageview::SkyPoint{92.225, 24.33}),
            "X 12  Y 8  Wert 1523.25  RA 6 8 54 = 6.148334 h  Dek 24 19 47 = 24.33°");
  EXPECT_EQ(imageview::CursorText(1, 2, std::nullopt, std::nullopt), "X 1  Y 2  Wert BLANK");
  EXPECT_EQ(imageview::CursorText(1, 2, NAN, std::nullopt), "X 1  Y 2  Wert NaN");
}

}  // namespace
