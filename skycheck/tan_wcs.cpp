#include "skycheck/tan_wcs.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "coords/number_text.h"
#include "fits/card_text.h"
#include "fits/fits_sizes.h"
#include "fits/wcs_forms.h"

namespace skycheck {
namespace {

constexpr double kRadian = std::numbers::pi / 180.0;

bool IsTan(std::string_view value, std::string_view axis) {
  return value == axis || value == std::string(axis) + "-SIP";
}

}  // namespace

SkyPoint PixelToSky(const TanWcs& wcs, double x, double y) {
  return coords::TanPixelToSky(wcs, x, y);
}

double SeparationDegrees(SkyPoint a, SkyPoint b) {
  // The haversine form keeps arc-second offsets exact.
  const double dd = (b.dec - a.dec) * kRadian, da = (b.ra - a.ra) * kRadian;
  const double h = std::pow(std::sin(dd / 2), 2) +
                   std::cos(a.dec * kRadian) * std::cos(b.dec * kRadian) * std::pow(std::sin(da / 2), 2);
  return 2.0 * std::asin(std::min(1.0, std::sqrt(h))) / kRadian;
}

double ScaleArcsec(const TanWcs& wcs) {
  return std::sqrt(std::fabs(wcs.cd[0][0] * wcs.cd[1][1] - wcs.cd[0][1] * wcs.cd[1][0])) * 3600.0;
}

bool IsMirrored(const TanWcs& wcs) {
  return wcs.cd[0][0] * wcs.cd[1][1] - wcs.cd[0][1] * wcs.cd[1][0] > 0.0;
}

double RotationDegrees(const TanWcs& wcs) {
  return std::atan2(-wcs.cd[0][1], wcs.cd[1][1]) / kRadian;
}

TanWcs Recentred(const TanWcs& wcs, double x, double y) {
  TanWcs out;
  out.crpix1 = x;
  out.crpix2 = y;
  const SkyPoint centre = PixelToSky(wcs, x, y);
  out.crval1 = centre.ra;
  out.crval2 = centre.dec;
  // Central differences over a pixel: the projection bends far less than
  // the digits kept over so short a step.
  for (int axis = 0; axis < 2; ++axis) {
    coords::PlanePoint at[2];
    for (int side = 0; side < 2; ++side) {
      const double step = side == 0 ? -0.5 : 0.5;
      // Half a pixel from the tangent point: always on the plane.
      at[side] = *coords::TanSkyToPlane(
          centre, PixelToSky(wcs, x + (axis == 0 ? step : 0.0), y + (axis == 1 ? step : 0.0)));
    }
    out.cd[0][axis] = at[1].xi - at[0].xi;
    out.cd[1][axis] = at[1].eta - at[0].eta;
  }
  return out;
}

TanWcs Mirrored(const TanWcs& wcs, int naxis2) {
  TanWcs out = wcs;
  out.crpix2 = naxis2 + 1 - wcs.crpix2;
  out.cd[0][1] = -wcs.cd[0][1];
  out.cd[1][1] = -wcs.cd[1][1];
  return out;
}

std::optional<TanWcs> TanWcsFromCards(std::span<const std::string> cards) {
  std::optional<double> crpix[2], crval[2], cdelt[2];
  double crota2 = 0.0;
  bool tan[2] = {false, false};
  fits::LinearTransform matrix;
  for (const std::string& card : cards) {
    const std::string_view keyword = fits::KeywordOf(card);
    if (keyword == "END") break;
    if (card.size() < 10 || card.compare(8, 2, "= ") != 0) continue;
    if (keyword == "CTYPE1" || keyword == "CTYPE2") {
      const std::optional<std::string> value = fits::StringValue(card);
      tan[keyword.back() - '1'] = value && IsTan(*value, keyword == "CTYPE1" ? "RA---TAN" : "DEC--TAN");
      continue;
    }
    const double value = coords::ParseLeadingNumber(fits::ValueField(card));
    if (fits::TakeMatrixCard(std::string_view(card).substr(0, fits::kKeywordBytes), value, matrix)) continue;
    for (int i = 0; i < 2; ++i) {
      const char digit = static_cast<char>('1' + i);
      if (keyword == std::string("CRPIX") + digit) crpix[i] = value;
      if (keyword == std::string("CRVAL") + digit) crval[i] = value;
      if (keyword == std::string("CDELT") + digit) cdelt[i] = value;
    }
    if (keyword == "CROTA2") crota2 = value;
  }
  if (!tan[0] || !tan[1] || !crpix[0] || !crpix[1] || !crval[0] || !crval[1]) return std::nullopt;
  TanWcs wcs{*crval[0], *crval[1], *crpix[0], *crpix[1]};
  if (matrix.hasCd) {
    std::copy(&matrix.cd[0][0], &matrix.cd[0][0] + 4, &wcs.cd[0][0]);
  } else if (cdelt[0] && cdelt[1] && matrix.hasPc) {
    for (int i = 0; i < 2; ++i)
      for (int j = 0; j < 2; ++j) wcs.cd[i][j] = *cdelt[i] * matrix.pc[i][j];
  } else if (cdelt[0] && cdelt[1]) {
    const double c = std::cos(crota2 * kRadian), s = std::sin(crota2 * kRadian);
    wcs.cd[0][0] = *cdelt[0] * c;
    wcs.cd[0][1] = -*cdelt[1] * s;
    wcs.cd[1][0] = *cdelt[0] * s;
    wcs.cd[1][1] = *cdelt[1] * c;
  } else {
    return std::nullopt;
  }
  if (!(std::fabs(wcs.cd[0][0] * wcs.cd[1][1] - wcs.cd[0][1] * wcs.cd[1][0]) > 0.0)) return std::nullopt;
  return wcs;
}

std::optional<TanWcs> TanWcsFromHeader(std::string_view header) {
  std::vector<std::string> cards;
  for (std::size_t at = 0; at + fits::kCardBytes <= header.size(); at += fits::kCardBytes)
    cards.emplace_back(header.substr(at, fits::kCardBytes));
  return TanWcsFromCards(cards);
}

}  // namespace skycheck
