#include "pipeline/header_hints.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <string_view>

#include "coords/number_text.h"
#include "coords/precession.h"
#include "coords/typed_text.h"
#include "fits/card_text.h"

namespace pipeline {
namespace {

// A card with a value: "=" in column 9.
bool HasValue(std::string_view card) {
  return card.size() > 9 && card[8] == '=';
}

// A FITS number: the value field up to its comment.
std::optional<double> NumberValue(std::string_view card) {
  if (!HasValue(card)) return std::nullopt;
  return coords::ParseWholeNumber(fits::TrimBlanks(fits::ValueField(card)));
}

std::optional<double> PositiveValue(std::string_view card) {
  const auto value = NumberValue(card);
  if (value && *value > 0.0) return value;
  return std::nullopt;
}

std::optional<float> RaHoursOfString(std::string_view card) {
  const auto text = HasValue(card) ? fits::StringValue(card) : std::nullopt;
  return text ? coords::RaHoursFromWrittenText(*text) : std::nullopt;
}

std::optional<float> DecDegreesOfString(std::string_view card) {
  const auto text = HasValue(card) ? fits::StringValue(card) : std::nullopt;
  return text ? coords::DecDegreesFromWrittenText(*text) : std::nullopt;
}

// The first card with the keyword whose value reads.
template <typename Read>
auto FirstValue(std::span<const std::string> cards, std::string_view keyword, Read read) {
  for (const std::string& card : cards)
    if (fits::KeywordOf(card) == keyword)
      if (const auto value = read(card)) return value;
  return decltype(read(std::string_view{})){};
}

// Pixel size over focal length, in radians, as degrees; empty when that is no
// positive finite float.
std::optional<float> DegreesPerPixel(double pixelSizeUm, double focalLengthMm) {
  const double degrees = pixelSizeUm * 1e-3 / focalLengthMm * (180.0 / std::numbers::pi);
  const float single = coords::ToSingle(degrees);
  if (!(degrees <= std::numeric_limits<float>::max()) || !(single > 0.0f)) return std::nullopt;
  return single;
}

bool OnTheSphere(const std::optional<float>& decDegrees) {
  return decDegrees && std::fabs(*decDegrees) <= 90.0f;
}

// The shortest text that reads back as the value: "2024.04", "1950".
std::string ShortestText(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

// Capture programs write both pairs for one pointing; an arc-minute apart
// they name two, and neither can be trusted.
void CompareBothPairs(std::span<const std::string> cards, HeaderHints& hints) {
  const auto ra = FirstValue(cards, "RA", NumberValue), dec = FirstValue(cards, "DEC", NumberValue);
  const auto objctra = FirstValue(cards, "OBJCTRA", RaHoursOfString);
  const auto objctdec = FirstValue(cards, "OBJCTDEC", DecDegreesOfString);
  if (!ra || !dec || !objctra || !OnTheSphere(objctdec) || !(std::fabs(*dec) <= 90.0)) return;
  const double apart = coords::SeparationDegrees({*objctra, *objctdec}, {*ra / 15.0, *dec}) * 60.0;
  if (!(apart > 1.0)) return;
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", apart);
  hints.positionRefused = "OBJCTRA/OBJCTDEC und RA/DEC liegen " + std::string(text) +
                          " Bogenminuten auseinander (mehr als 1), --ra/--dec entscheiden";
}

// A position of another equinox is carried to J2000, as the WCS written is.
void CarryToJ2000(std::span<const std::string> cards, HeaderHints& hints) {
  auto equinox = FirstValue(cards, "EQUINOX", NumberValue);
  if (!equinox) equinox = FirstValue(cards, "EPOCH", NumberValue);
  if (!equinox || *equinox == 2000.0 || !hints.raHours || !OnTheSphere(hints.decDegrees)) return;
  // The precession's polynomials hold for some thousand years around J2000.
  if (!(*equinox >= 1000.0 && *equinox <= 3000.0)) {
    hints.positionRefused = "Äquinoktium " + ShortestText(*equinox) + " der Position " + hints.positionCards +
                            " nicht auf J2000 umrechenbar (nur 1000 bis 3000)";
    return;
  }
  const coords::EquatorialPosition j2000 =
      coords::PrecessedToJ2000({*hints.raHours, *hints.decDegrees}, *equinox);
  hints.raHours = coords::ToSingle(j2000.raHours);
  hints.decDegrees = coords::ToSingle(j2000.decDegrees);
  hints.precessionLine = "Position aus " + hints.positionCards + " von Äquinoktium " +
                         ShortestText(*equinox) + " auf J2000 umgerechnet";
}

}  // namespace

HeaderHints ReadHeaderHints(std::span<const std::string> cards) {
  HeaderHints hints;
  hints.raHours = FirstValue(cards, "OBJCTRA", RaHoursOfString);
  hints.positionCards = hints.raHours ? "OBJCTRA/" : "RA/";
  if (!hints.raHours)
    if (const auto degrees = FirstValue(cards, "RA", NumberValue))
      hints.raHours = coords::ToSingle(*degrees / 15.0);
  hints.decDegrees = FirstValue(cards, "OBJCTDEC", DecDegreesOfString);
  hints.positionCards += hints.decDegrees ? "OBJCTDEC" : "DEC";
  if (!hints.decDegrees)
    if (const auto degrees = FirstValue(cards, "DEC", NumberValue))
      hints.decDegrees = coords::ToSingle(*degrees);
  CompareBothPairs(cards, hints);
  CarryToJ2000(cards, hints);

  hints.focalLengthMm = FirstValue(cards, "FOCALLEN", PositiveValue);
  hints.pixelSizeUm = FirstValue(cards, "XPIXSZ", PositiveValue);
  if (!hints.focalLengthMm || !hints.pixelSizeUm) return hints;
  const double pixelHeight = FirstValue(cards, "YPIXSZ", PositiveValue).value_or(*hints.pixelSizeUm);
  const auto cdelt1 = DegreesPerPixel(*hints.pixelSizeUm, *hints.focalLengthMm);
  const auto cdelt2 = DegreesPerPixel(pixelHeight, *hints.focalLengthMm);
  if (cdelt1 && cdelt2) hints.scale = config::Instrument{"", *cdelt1, *cdelt2, 0.0f, false};
  return hints;
}

std::string MissingHints(const HeaderHints& hints) {
  std::string missing;
  const auto add = [&missing](std::string_view name) {
    if (!missing.empty()) missing += ", ";
    missing += name;
  };
  if (!hints.raHours || !hints.decDegrees) add("OBJCTRA/OBJCTDEC oder RA/DEC");
  if (!hints.scale) {
    // Both read, yet no usable quotient: neither value can be trusted.
    const bool both = hints.focalLengthMm && hints.pixelSizeUm;
    if (!hints.focalLengthMm || both) add("FOCALLEN");
    if (!hints.pixelSizeUm || both) add("XPIXSZ");
  }
  return missing;
}

std::string ScaleMismatchWarning(const HeaderHints& hints, const config::Instrument& row,
                                 std::string_view rowName) {
  if (!hints.scale) return {};
  // The axis further off speaks for both.
  double chosen = 0.0, hinted = 0.0, off = 0.0;
  for (const auto& [own, read] :
       {std::pair{row.cdelt1, hints.scale->cdelt1}, {row.cdelt2, hints.scale->cdelt2}}) {
    const double axisOff = std::fabs(std::fabs(double{own}) / double{read} - 1.0);
    if (!(axisOff <= off)) {
      off = axisOff;
      chosen = std::fabs(double{own});
      hinted = read;
    }
  }
  if (!(off > 0.02)) return {};
  char text[160];
  std::snprintf(text, sizeof text,
                " weicht um %.1f %% vom Maßstab aus FOCALLEN und XPIXSZ/YPIXSZ ab (%.3f statt %.3f "
                "Bogensekunden je Pixel)",
                off * 100.0, chosen * 3600.0, hinted * 3600.0);
  return "Warnung: Maßstab von " + std::string(rowName) + text;
}

}  // namespace pipeline
