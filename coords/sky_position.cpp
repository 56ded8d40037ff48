#include "coords/sky_position.h"

#include <cmath>

#include "coords/number_text.h"

namespace coords {
namespace {

// The part after the whole units, times 60, held in single precision.
float SixtyFold(float value) {
  return ToSingle((static_cast<double>(value) - std::floor(static_cast<double>(value))) * 60.0);
}

bool BeginsWithMinus(std::string_view text) {
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n') continue;
    return c == '-';
  }
  return false;
}

}  // namespace

SexagesimalTexts RaFieldsFromHours(float raHours) {
  const float minutes = SixtyFold(raHours);
  const float seconds = SixtyFold(minutes);
  const float tenths = ToSingle(std::floor(static_cast<double>(seconds) * 10.0) / 10.0);
  return {FormatNumberText(std::floor(raHours)), FormatNumberText(std::floor(minutes)),
          FormatNumberText(tenths)};
}

float RaHoursFromFields(std::string_view hours, std::string_view minutes, std::string_view seconds) {
  return ToSingle(ParseLeadingNumber(hours) + ParseLeadingNumber(minutes) / 60.0 +
                  ParseLeadingNumber(seconds) / 3600.0);
}

float Crval1FromRaHours(float raHours) {
  return ToSingle(static_cast<double>(raHours) * 15.0);
}

SexagesimalTexts DecFieldsFromDegrees(float decDegrees) {
  const float whole = std::trunc(decDegrees);
  const std::string degrees = decDegrees < 0.0f && whole == 0.0f ? "-0" : FormatNumberText(whole);
  const float minutes = SixtyFold(std::fabs(decDegrees));
  const float seconds = SixtyFold(minutes);
  return {degrees, FormatNumberText(std::floor(minutes)), FormatNumberText(std::floor(seconds))};
}

float DecDegreesFromFields(std::string_view degrees, std::string_view minutes, std::string_view seconds) {
  const double g = ParseLeadingNumber(degrees);
  float decDegrees =
      ToSingle(std::fabs(g) + ParseLeadingNumber(minutes) / 60.0 + ParseLeadingNumber(seconds) / 3600.0);
  if (g < 0.0 || BeginsWithMinus(degrees)) decDegrees = -decDegrees;
  return decDegrees;
}

}  // namespace coords
