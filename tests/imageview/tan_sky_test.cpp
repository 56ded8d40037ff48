// Positions and the north and east arrows against astropy, for rotated and
// mirrored WCSs, at the reference pixel and the corners.
#include "imageview/tan_sky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>

#include "shell_commands.h"
#include "sky_fields.h"

namespace {

using sky_test::Field;
using sky_test::kFields;

double Angle(const imageview::PixelPoint& d) {
  return std::atan2(d.y, d.x) * 180.0 / std::numbers::pi;
}

TEST(TanSky, PositionsAndArrowsAsAstropyHasThem) {
  const imageview::PixelPoint pixels[] = {{600, 400}, {1, 1}, {1200, 800}, {1, 800}};
  std::string json = "[";
  for (const Field& field : kFields) {
    const imageview::SkyEntries& e = field.entries;
    std::ostringstream row;
    row.precision(10);
    row << (json.size() > 1 ? "," : "") << "{\"crval\": [" << e.crval1 << ", " << e.crval2
        << "], \"crpix\": [" << e.crpix1 << ", " << e.crpix2 << "], \"cdelt\": [" << e.cdelt1 << ", "
        << (e.flipped ? -e.cdelt2 : e.cdelt2) << "], \"crota2\": " << e.rotation
        << ", \"pixels\": [[600, 400], [1, 1], [1200, 800], [1, 800]]}";
    json += row.str();
  }
  const fits_test::Ran ran =
      fits_test::RunIn(".", std::string(VELORIN_PYTHON) + " " + VELORIN_SKY_ASTROPY + " '" + json + "]'");
  ASSERT_EQ(ran.status, 0) << ran.out;
  std::istringstream astropy(ran.out);
  for (const Field& field : kFields) {
    const auto wcs = imageview::WcsOf(field.entries);
    ASSERT_TRUE(wcs) << field.what;
    for (const imageview::PixelPoint& pixel : pixels) {
      double ra = 0, dec = 0, north = 0, east = 0;
      astropy >> ra >> dec >> north >> east;
      const imageview::SkyPoint sky = imageview::SkyOf(*wcs, pixel);
      const auto compass = imageview::CompassAt(*wcs, pixel);
      ASSERT_TRUE(compass) << field.what;
      const auto back = imageview::PixelOf(*wcs, sky);
      const std::string at =
          std::string(field.what) + " at " + std::to_string(pixel.x) + ", " + std::to_string(pixel.y);
      // A thousandth of an arc-second, and of a degree.
      EXPECT_NEAR(std::remainder(sky.ra - ra, 360.0) * std::cos(dec * std::numbers::pi / 180), 0.0, 3e-7)
          << at;
      EXPECT_NEAR(sky.dec, dec, 3e-7) << at;
      EXPECT_NEAR(std::remainder(Angle(compass->north) - north, 360.0), 0.0, 1e-3) << at;
      EXPECT_NEAR(std::remainder(Angle(compass->east) - east, 360.0), 0.0, 1e-3) << at;
      EXPECT_NEAR(std::hypot(back->x - pixel.x, back->y - pixel.y), 0.0, 1e-6) << at;
    }
  }
}

}  // namespace
