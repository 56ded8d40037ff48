#include "coords/tan_projection.h"

#include <cmath>
#include <numbers>

namespace coords {
namespace {

constexpr double kRadian = std::numbers::pi / 180.0;

}  // namespace

SkyPoint TanPixelToSky(const TanWcs& wcs, double x, double y) {
  const double dx = x - wcs.crpix1, dy = y - wcs.crpix2;
  const double xi = (wcs.cd[0][0] * dx + wcs.cd[0][1] * dy) * kRadian;
  const double eta = (wcs.cd[1][0] * dx + wcs.cd[1][1] * dy) * kRadian;
  const double dec0 = wcs.crval2 * kRadian;
  const double across = std::cos(dec0) - eta * std::sin(dec0);
  double ra = std::fmod(wcs.crval1 + std::atan2(xi, across) / kRadian, 360.0);
  if (ra < 0.0) ra += 360.0;
  return {ra, std::atan2(std::sin(dec0) + eta * std::cos(dec0), std::hypot(xi, across)) / kRadian};
}

std::optional<PlanePoint> TanSkyToPlane(const SkyPoint& centre, const SkyPoint& point) {
  const double dec0 = centre.dec * kRadian, dec = point.dec * kRadian;
  const double dra = (point.ra - centre.ra) * kRadian;
  const double cosC = std::sin(dec0) * std::sin(dec) + std::cos(dec0) * std::cos(dec) * std::cos(dra);
  if (!(cosC > 1e-9)) return std::nullopt;
  return PlanePoint{
      std::cos(dec) * std::sin(dra) / cosC / kRadian,
      (std::cos(dec0) * std::sin(dec) - std::sin(dec0) * std::cos(dec) * std::cos(dra)) / cosC / kRadian};
}

}  // namespace coords
