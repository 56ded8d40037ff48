#include "imageview/tan_sky.h"

#include <cmath>
#include <numbers>

namespace imageview {
namespace {

constexpr double kRadian = std::numbers::pi / 180.0;

std::optional<PixelPoint> Unit(const PixelPoint& from, const std::optional<PixelPoint>& to, double sign) {
  if (!to) return std::nullopt;
  const double dx = to->x - from.x, dy = to->y - from.y, length = std::hypot(dx, dy);
  if (!(length > 0.0)) return std::nullopt;
  return PixelPoint{sign * dx / length, sign * dy / length};
}

}  // namespace

std::optional<TanWcs> WcsOf(const SkyEntries& entries) {
  const double cdelt1 = entries.cdelt1, cdelt2 = entries.flipped ? -entries.cdelt2 : entries.cdelt2;
  const double rho = entries.rotation * kRadian;
  TanWcs wcs{
      entries.crval1,
      entries.crval2,
      entries.crpix1,
      entries.crpix2,
      {{cdelt1 * std::cos(rho), -cdelt2 * std::sin(rho)}, {cdelt1 * std::sin(rho), cdelt2 * std::cos(rho)}}};
  const double determinant = wcs.cd[0][0] * wcs.cd[1][1] - wcs.cd[0][1] * wcs.cd[1][0];
  if (!std::isfinite(determinant) || determinant == 0.0 || !std::isfinite(wcs.crval1) ||
      !(std::abs(wcs.crval2) <= 90.0) || !std::isfinite(wcs.crpix1) || !std::isfinite(wcs.crpix2))
    return std::nullopt;
  return wcs;
}

SkyPoint SkyOf(const TanWcs& wcs, const PixelPoint& pixel) {
  return coords::TanPixelToSky(wcs, pixel.x, pixel.y);
}

std::optional<PixelPoint> PixelOf(const TanWcs& wcs, const SkyPoint& sky) {
  const auto plane = coords::TanSkyToPlane({wcs.crval1, wcs.crval2}, sky);
  if (!plane) return std::nullopt;
  const double determinant = wcs.cd[0][0] * wcs.cd[1][1] - wcs.cd[0][1] * wcs.cd[1][0];
  return PixelPoint{wcs.crpix1 + (wcs.cd[1][1] * plane->xi - wcs.cd[0][1] * plane->eta) / determinant,
                    wcs.crpix2 + (wcs.cd[0][0] * plane->eta - wcs.cd[1][0] * plane->xi) / determinant};
}

std::optional<Compass> CompassAt(const TanWcs& wcs, const PixelPoint& pixel) {
  const SkyPoint sky = SkyOf(wcs, pixel);
  // A hundredth of a pixel: short enough that a circle of declination near
  // a pole is still straight; toward the equator where north would pass the pole.
  const double step = 0.01 * std::sqrt(std::abs(wcs.cd[0][0] * wcs.cd[1][1] - wcs.cd[0][1] * wcs.cd[1][0]));
  const double sign = sky.dec + step < 90.0 ? 1.0 : -1.0;
  const double cosDec = std::cos(sky.dec * kRadian);
  if (!(cosDec > 1e-9)) return std::nullopt;
  const auto north = Unit(pixel, PixelOf(wcs, {sky.ra, sky.dec + sign * step}), sign);
  const auto east = Unit(pixel, PixelOf(wcs, {sky.ra + step / cosDec, sky.dec}), 1.0);
  if (!north || !east) return std::nullopt;
  return Compass{*north, *east};
}

}  // namespace imageview
