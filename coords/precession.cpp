#include "coords/precession.h"

#include <array>
#include <cmath>
#include <numbers>

namespace coords {
namespace {

using Vector = std::array<double, 3>;

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
constexpr double kRadiansPerArcsec = kRadiansPerDegree / 3600.0;

Vector UnitVector(EquatorialPosition p) {
  const double ra = p.raHours * 15.0 * kRadiansPerDegree, dec = p.decDegrees * kRadiansPerDegree;
  return {std::cos(dec) * std::cos(ra), std::cos(dec) * std::sin(ra), std::sin(dec)};
}

// A polynomial in t with coefficients in arc-seconds, lowest power first, in radians.
double Angle(const std::array<double, 6>& arcsec, double t) {
  double sum = 0.0;
  for (auto c = arcsec.rbegin(); c != arcsec.rend(); ++c) sum = sum * t + *c;
  return sum * kRadiansPerArcsec;
}

// Turns v about axis (0 x, 1 y, 2 z) by angle, as the frame turns: R_axis(angle) v.
Vector Turned(const Vector& v, std::size_t axis, double angle) {
  const std::size_t i = (axis + 1) % 3, j = (axis + 2) % 3;
  const double c = std::cos(angle), s = std::sin(angle);
  Vector out = v;
  out[i] = c * v[i] + s * v[j];
  out[j] = -s * v[i] + c * v[j];
  return out;
}

}  // namespace

EquatorialPosition PrecessedToJ2000(EquatorialPosition position, double julianEpoch) {
  const double t = (julianEpoch - 2000.0) / 100.0;  // Julian centuries from J2000
  const double zeta = Angle({2.650545, 2306.083227, 0.2988499, 0.01801828, -0.000005971, -0.0000003173}, t);
  const double z = Angle({-2.650545, 2306.077181, 1.0927348, 0.01826837, -0.000028596, -0.0000002904}, t);
  const double theta = Angle({0.0, 2004.191903, -0.4294934, -0.04182264, -0.000007089, -0.0000001274}, t);
  // J2000 to the epoch is R3(-z) R2(theta) R3(-zeta); back is its transpose.
  const Vector v = Turned(Turned(Turned(UnitVector(position), 2, z), 1, -theta), 2, zeta);
  double ra = std::atan2(v[1], v[0]) / kRadiansPerDegree / 15.0;
  if (ra < 0.0) ra += 24.0;
  return {ra, std::atan2(v[2], std::hypot(v[0], v[1])) / kRadiansPerDegree};
}

double SeparationDegrees(EquatorialPosition a, EquatorialPosition b) {
  const Vector u = UnitVector(a), v = UnitVector(b);
  const Vector cross = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
  const double dot = u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
  return std::atan2(std::hypot(cross[0], cross[1], cross[2]), dot) / kRadiansPerDegree;
}

}  // namespace coords
