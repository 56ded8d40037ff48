// Conversions between the decimal and the sexagesimal forms of right ascension
// and declination. Intermediate values are single precision and every cut is a
// floor, so the fields show what the stored value holds (45.1 shows 45 5 59).
#pragma once

#include <string>
#include <string_view>

namespace coords {

struct SexagesimalTexts {
  std::string whole;  // hours or degrees
  std::string minutes;
  std::string seconds;
};

// Hours, minutes and seconds (cut to tenths) of a right ascension in hours.
SexagesimalTexts RaFieldsFromHours(float raHours);

// Right ascension in hours from the three field texts; a negative field
// simply adds, as typed.
float RaHoursFromFields(std::string_view hours, std::string_view minutes, std::string_view seconds);

// CRVAL1 in degrees.
float Crval1FromRaHours(float raHours);

// Degrees (carrying the sign), arc-minutes and whole arc-seconds. A
// declination between -1 and 0 degrees shows its degree field as "-0" so that
// its sign survives the way back.
SexagesimalTexts DecFieldsFromDegrees(float decDegrees);

// Declination from the three field texts: |degrees| + minutes/60 + seconds/3600,
// negated when the degree field reads negative or begins with a minus sign
// ("-0" included).
float DecDegreesFromFields(std::string_view degrees, std::string_view minutes, std::string_view seconds);

}  // namespace coords
