#include "fits/wcs_forms.h"

#include <cmath>
#include <numbers>

#include "coords/number_text.h"
#include "fits/card_text.h"

namespace fits {
namespace {

// Digits from pos on, at least one; advances pos.
bool Digits(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
  return pos > start;
}

// prefix, digits, "_", digits, and nothing after.
bool IsIndexedPair(std::string_view keyword, std::string_view prefix) {
  if (keyword.substr(0, prefix.size()) != prefix) return false;
  std::size_t pos = prefix.size();
  if (!Digits(keyword, pos) || pos >= keyword.size() || keyword[pos] != '_') return false;
  ++pos;
  return Digits(keyword, pos) && pos == keyword.size();
}

// prefix, then digits only.
bool IsIndexed(std::string_view keyword, std::string_view prefix) {
  if (keyword.substr(0, prefix.size()) != prefix) return false;
  std::size_t pos = prefix.size();
  return Digits(keyword, pos) && pos == keyword.size();
}

}  // namespace

bool TakeMatrixCard(std::string_view keyword, double value, LinearTransform& transform) {
  const std::string_view key = TrimTrailingBlanks(keyword);
  if (key.size() != 5 || key[3] != '_') return false;
  const int i = key[2] - '1';
  const int j = key[4] - '1';
  if (i < 0 || i > 1 || j < 0 || j > 1) return false;
  if (key.substr(0, 2) == "CD") {
    transform.cd[i][j] = value;
    transform.hasCd = true;
    return true;
  }
  if (key.substr(0, 2) == "PC") {
    transform.pc[i][j] = value;
    transform.hasPc = true;
    return true;
  }
  return false;
}

std::optional<ScaleAndRotation> ScaleFromMatrix(const LinearTransform& transform, bool hasCdelt,
                                                double cdelt1, double cdelt2) {
  double cd[2][2];
  if (transform.hasCd && !hasCdelt) {
    for (int i = 0; i < 2; ++i)
      for (int j = 0; j < 2; ++j) cd[i][j] = transform.cd[i][j];
  } else if (transform.hasPc && hasCdelt) {
    const double cdelt[2] = {cdelt1, cdelt2};
    for (int i = 0; i < 2; ++i)
      for (int j = 0; j < 2; ++j) cd[i][j] = cdelt[i] * transform.pc[i][j];
  } else {
    return std::nullopt;
  }
  const double determinant = cd[0][0] * cd[1][1] - cd[0][1] * cd[1][0];
  const double scale1 = std::hypot(cd[0][0], cd[1][0]);
  ScaleAndRotation result;
  result.cdelt1 = coords::ToSingle(determinant < 0.0 ? -scale1 : scale1);
  result.cdelt2 = coords::ToSingle(std::hypot(cd[0][1], cd[1][1]));
  result.crota2 = coords::ToSingle(std::atan2(-cd[0][1], cd[1][1]) * 180.0 / std::numbers::pi);
  return result;
}

bool IsPrimaryWcsCard(std::string_view keyword) {
  const std::string_view key = TrimTrailingBlanks(keyword);
  for (const std::string_view exact : {"EQUINOX", "RADESYS", "LONPOLE", "LATPOLE", "WCSAXES", "RADECSYS",
                                       "EPOCH", "A_ORDER", "B_ORDER", "AP_ORDER", "BP_ORDER"})
    if (key == exact) return true;
  for (const std::string_view prefix : {"CTYPE", "CRVAL", "CRPIX", "CDELT", "CROTA", "CUNIT"})
    if (IsIndexed(key, prefix)) return true;
  for (const std::string_view prefix : {"CD", "PC", "PV", "PS"})
    if (IsIndexedPair(key, prefix)) return true;
  for (const std::string_view prefix : {"A_", "B_", "AP_", "BP_"}) {
    // A_i_j: the prefix already holds the first underscore.
    if (key.substr(0, prefix.size()) != prefix) continue;
    std::size_t pos = prefix.size();
    if (Digits(key, pos) && pos < key.size() && key[pos] == '_' && Digits(key, ++pos) && pos == key.size())
      return true;
  }
  return false;
}

}  // namespace fits
