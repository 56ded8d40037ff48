// The gnomonic (TAN) projection between FITS pixels and the sky, as the
// saved header will describe it: CRVAL, CRPIX, and a CD matrix made of
// CDELT1/2 and the rotation CROTA2.
#pragma once

#include <optional>

#include "coords/tan_projection.h"

namespace imageview {

using coords::TanWcs;

// What the window holds: the fields' position and reference pixel (of the
// saved image), the chosen scale and rotation, and whether the rows are
// saved reversed, which reverses CDELT2 as the saved header does.
struct SkyEntries {
  float crval1 = 0.0f;
  float crval2 = 0.0f;
  double crpix1 = 0.0;
  double crpix2 = 0.0;
  float cdelt1 = 0.0f;
  float cdelt2 = 0.0f;
  float rotation = 0.0f;  // CROTA2, degrees
  bool flipped = false;
};

// Empty when no sky can be drawn: a scale of zero or no number, a position
// that is no number or a declination beyond a pole.
std::optional<TanWcs> WcsOf(const SkyEntries& entries);

using coords::SkyPoint;
struct PixelPoint {
  double x = 0.0;  // FITS pixel position, 1-based
  double y = 0.0;
};

SkyPoint SkyOf(const TanWcs& wcs, const PixelPoint& pixel);
// Empty for a point 90 degrees or more from the reference point, which the
// projection cannot show.
std::optional<PixelPoint> PixelOf(const TanWcs& wcs, const SkyPoint& sky);

// Unit vectors in pixel coordinates pointing north and east at a pixel;
// empty where they are undefined (at a pole, off the projection).
struct Compass {
  PixelPoint north;
  PixelPoint east;
};
std::optional<Compass> CompassAt(const TanWcs& wcs, const PixelPoint& pixel);

}  // namespace imageview
