#include "imageview/tan_sky.h"

#include <cmath>
#include <numbers>

namespace imageview {
namespace {

constexpr double kRadian = std::numbers::pi / 180.0;

double Wrapped360(double degrees) {
  const double wrapped = std::fmod(degrees, 360.0);
  return wrapped < 0.0 ? wrapped + 360.0 : wrapped;
}

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
  const double dx = pixel.x - wcs.crpix1, dy = pixel.y - wcs.crpix2;
  const double xi = (wcs.cd[0][0] * dx + wcs.cd[0][1] * dy) * kRadian;
  const double eta = (wcs.cd[1][0] * dx + wcs.cd[1][1] * dy) * kRadian;
  const double dec0 = wcs.crval2 * kRadian;
  const double across = std::cos(dec0) - eta * std::sin(dec0);
  return {Wrapped360(wcs.crval1 + std::atan2(xi, across) / kRadian),
          std::atan2(std::sin(dec0) + eta * std::cos(dec0), std::hypot(xi, across)) / kRadian};
}

std::optional<PixelPoint> PixelOf(const TanWcs& wcs, const SkyPoint& sky) {
  const double dec0 = wcs.crval2 * kRadian, dec = sky.dec * kRadian;
  const double dra = (sky.ra - wcs.crval1) * kRadian;
  const double cosC = std::sin(dec0) * std::sin(dec) + std::cos(dec0) * std::cos(dec) * std::cos(dra);
  if (!(cosC > 1e-9)) return std::nullopt;
  const double xi = std::cos(dec) * std::sin(dra) / cosC / kRadian;
  const double eta =
      (std::cos(dec0) * std::sin(dec) - std::sin(dec0) * std::cos(dec) * std::cos(dra)) / cosC / kRadian;
  const double determinant = wcs.cd[0][0] * wcs.cd[1][1] - wcs.cd[0][1] * wcs.cd[1][0];
  return PixelPoint{wcs.crpix1 + (wcs.cd[1][1] * xi - wcs.cd[0][1] * eta) / determinant,
                    wcs.crpix2 + (wcs.cd[0][0] * eta - wcs.cd[1][0] * xi) / determinant};
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
