#include "imageview/sky_grid.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace imageview {
namespace {

constexpr int kLattice = 16;       // sky sampled on 17 x 17 points over the frame
constexpr int kLineSamples = 200;  // points per line: smooth at any zoom a window shows
constexpr double kFewestLines = 4.0;

// Round steps: declination in arc-seconds, right ascension in seconds of time.
constexpr std::array kDecSteps = {1.0,   2.0,   5.0,    10.0,   15.0,   30.0,    60.0,    120.0,   300.0,
                                  600.0, 900.0, 1800.0, 3600.0, 7200.0, 18000.0, 36000.0, 54000.0, 108000.0};
constexpr std::array kRaSteps = {0.1,   0.2,   0.5,   1.0,   2.0,    5.0,    10.0,   15.0,    30.0,   60.0,
                                 120.0, 300.0, 600.0, 900.0, 1800.0, 3600.0, 7200.0, 10800.0, 21600.0};

// The smallest round step that gives at most about twice kFewestLines lines.
template <std::size_t N>
double StepFor(double span, const std::array<double, N>& steps, double unit) {
  for (const double step : steps)
    if (span / (step * unit) <= 2.0 * kFewestLines) return step * unit;
  return steps.back() * unit;
}

double Wrapped180(double degrees) {
  return std::remainder(degrees, 360.0);
}

bool Inside(const PixelPoint& p, std::int32_t width, std::int32_t height) {
  return p.x >= 0.5 && p.x <= width + 0.5 && p.y >= 0.5 && p.y <= height + 0.5;
}

// Whole units of the step's finest place, so that 59.9999 never shows;
// digits written without the locale, which could make the point a comma.
// A whole day round (wrap 24) is 0h again.
std::string Sexagesimal(double value, double stepInSeconds, const char* const units[3], const char* sign,
                        long long wrap) {
  const long long tenths = stepInSeconds < 1.0 ? 10 : 1;
  const long long total = std::llround(std::abs(value) * 3600.0 * static_cast<double>(tenths));
  const long long whole = total / (3600 * tenths) % wrap, minutes = total / (60 * tenths) % 60;
  const long long seconds = total % (60 * tenths) / tenths, fraction = total % tenths;
  const auto two = [](long long n) { return (n < 10 ? "0" : "") + std::to_string(n); };
  std::string text = sign + std::to_string(whole) + units[0];
  if (stepInSeconds >= 3600.0) return text;
  text += " " + two(minutes) + units[1];
  if (stepInSeconds >= 60.0) return text;
  text += " " + two(seconds);
  if (tenths > 1) text += "." + std::to_string(fraction);
  return text + units[2];
}

void AddPoint(GridLine& line, const std::optional<PixelPoint>& point, std::int32_t width,
              std::int32_t height) {
  if (!point) {
    if (!line.pieces.empty() && !line.pieces.back().empty()) line.pieces.emplace_back();
    return;
  }
  if (line.pieces.empty()) line.pieces.emplace_back();
  line.pieces.back().push_back(*point);
  if (!line.labelAt && Inside(*point, width, height)) line.labelAt = *point;
}

}  // namespace

std::string RaLabel(double degrees, double stepDegrees) {
  static const char* const units[3] = {"h", "m", "s"};
  const double hours = std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0) / 15.0;
  return Sexagesimal(hours, stepDegrees * 240.0, units, "", 24);
}

std::string DecLabel(double degrees, double stepDegrees) {
  static const char* const units[3] = {"°", "′", "″"};
  return Sexagesimal(degrees, stepDegrees * 3600.0, units, degrees < -1e-9 ? "-" : "+", 360);
}

std::vector<GridLine> SkyGrid(const TanWcs& wcs, std::int32_t width, std::int32_t height) {
  const SkyPoint centre = SkyOf(wcs, {(width + 1) / 2.0, (height + 1) / 2.0});
  double raLow = 0.0, raHigh = 0.0, decLow = centre.dec, decHigh = centre.dec;
  for (int i = 0; i <= kLattice; ++i)
    for (int j = 0; j <= kLattice; ++j) {
      const SkyPoint sky =
          SkyOf(wcs, {0.5 + width * i / double{kLattice}, 0.5 + height * j / double{kLattice}});
      const double ra = Wrapped180(sky.ra - centre.ra);
      raLow = std::min(raLow, ra);
      raHigh = std::max(raHigh, ra);
      decLow = std::min(decLow, sky.dec);
      decHigh = std::max(decHigh, sky.dec);
    }
  raLow += centre.ra;
  raHigh += centre.ra;
  // A pole in the frame: every right ascension meets there.
  for (const double pole : {90.0, -90.0})
    if (const auto p = PixelOf(wcs, {0.0, pole}); p && Inside(*p, width, height)) {
      (pole > 0 ? decHigh : decLow) = pole;
      raLow = 0.0;
      raHigh = 360.0;
    }

  std::vector<GridLine> lines;
  const double decStep = StepFor(decHigh - decLow, kDecSteps, 1.0 / 3600.0);
  for (double dec = std::ceil(decLow / decStep) * decStep; dec <= decHigh; dec += decStep) {
    if (std::abs(dec) >= 90.0) continue;  // a pole is a point
    GridLine line{false, dec, DecLabel(dec, decStep), {}, {}};
    for (int k = 0; k <= kLineSamples; ++k)
      AddPoint(line, PixelOf(wcs, {raLow + (raHigh - raLow) * k / kLineSamples, dec}), width, height);
    lines.push_back(std::move(line));
  }
  const double raStep = StepFor(raHigh - raLow, kRaSteps, 1.0 / 240.0);
  // All the way round, 0h and 24h are one line.
  const double raEnd = raHigh - raLow >= 360.0 ? raHigh - raStep / 2.0 : raHigh;
  for (double ra = std::ceil(raLow / raStep) * raStep; ra <= raEnd; ra += raStep) {
    GridLine line{true, ra, RaLabel(ra, raStep), {}, {}};
    for (int k = 0; k <= kLineSamples; ++k)
      AddPoint(line, PixelOf(wcs, {ra, decLow + (decHigh - decLow) * k / kLineSamples}), width, height);
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace imageview
