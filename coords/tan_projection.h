// The gnomonic (TAN) projection between FITS pixels and the sky, as a header
// with CRVAL, CRPIX and a CD matrix describes it (no distortion terms): one
// rule for the image view's overlay and the check against the sky.
#pragma once

#include <optional>

namespace coords {

struct TanWcs {
  double crval1 = 0.0;  // degrees
  double crval2 = 0.0;
  double crpix1 = 0.0;  // FITS pixels: (1, 1) is the centre of the first stored pixel
  double crpix2 = 0.0;
  double cd[2][2] = {{0.0, 0.0}, {0.0, 0.0}};  // degrees per pixel
};

struct SkyPoint {
  double ra = 0.0;  // degrees, 0 to 360
  double dec = 0.0;
};

// Standard coordinates on the plane touching the sphere, in degrees; xi grows to the east.
struct PlanePoint {
  double xi = 0.0;
  double eta = 0.0;
};

SkyPoint TanPixelToSky(const TanWcs& wcs, double x, double y);

// The point on the plane touching the sphere at centre; empty for a point
// 90 degrees or more from it, which the projection cannot show.
std::optional<PlanePoint> TanSkyToPlane(const SkyPoint& centre, const SkyPoint& point);

}  // namespace coords
