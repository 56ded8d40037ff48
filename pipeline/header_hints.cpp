#include "pipeline/header_hints.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <string_view>

#include "coords/number_text.h"
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

}  // namespace

HeaderHints ReadHeaderHints(std::span<const std::string> cards) {
  HeaderHints hints;
  hints.raHours = FirstValue(cards, "OBJCTRA", RaHoursOfString);
  if (!hints.raHours)
    if (const auto degrees = FirstValue(cards, "RA", NumberValue))
      hints.raHours = coords::ToSingle(*degrees / 15.0);
  hints.decDegrees = FirstValue(cards, "OBJCTDEC", DecDegreesOfString);
  if (!hints.decDegrees)
    if (const auto degrees = FirstValue(cards, "DEC", NumberValue))
      hints.decDegrees = coords::ToSingle(*degrees);

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

}  // namespace pipeline
