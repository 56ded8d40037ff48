#include "coords/sky_position.h"

#include <gtest/gtest.h>

#include "coords/number_text.h"

namespace {

using coords::SexagesimalTexts;

void ExpectTexts(const SexagesimalTexts& texts, const char* whole, const char* minutes, const char* seconds,
                 float input) {
  EXPECT_EQ(texts.whole, whole) << input;
  EXPECT_EQ(texts.minutes, minutes) << input;
  EXPECT_EQ(texts.seconds, seconds) << input;
}

TEST(RightAscension, DecimalHoursToFieldsCutsWithFloor) {
  ExpectTexts(coords::RaFieldsFromHours(12.5f), " 12", " 30", " 0", 12.5f);
  ExpectTexts(coords::RaFieldsFromHours(5.1f), " 5", " 5", " 59.9", 5.1f);
  ExpectTexts(coords::RaFieldsFromHours(-1.5f), "-2", " 30", " 0", -1.5f);
  ExpectTexts(coords::RaFieldsFromHours(0.0f), " 0", " 0", " 0", 0.0f);
  EXPECT_EQ(coords::Crval1FromRaHours(12.5f), 187.5f);
  EXPECT_EQ(coords::Crval1FromRaHours(5.1f), 76.5f);
  EXPECT_EQ(coords::Crval1FromRaHours(-1.5f), -22.5f);
}

TEST(RightAscension, FieldsToDecimalHours) {
  const float hours = coords::RaHoursFromFields(" 12", "30", "36");
  EXPECT_EQ(coords::FormatNumberText(hours), " 12.51");
  EXPECT_EQ(coords::FormatNumberText(coords::Crval1FromRaHours(hours)), " 187.65");
  // A negative hours field simply adds, as typed.
  EXPECT_EQ(coords::RaHoursFromFields("-1", "30", "0"), -0.5f);
}

TEST(Declination, DecimalDegreesToFields) {
  ExpectTexts(coords::DecFieldsFromDegrees(-12.25f), "-12", " 15", " 0", -12.25f);
  ExpectTexts(coords::DecFieldsFromDegrees(45.1f), " 45", " 5", " 59", 45.1f);
  ExpectTexts(coords::DecFieldsFromDegrees(0.0f), " 0", " 0", " 0", 0.0f);
  // Whole arc-seconds, cut: 0.999 degrees is 59' 56.4".
  ExpectTexts(coords::DecFieldsFromDegrees(0.999f), " 0", " 59", " 56", 0.999f);
}

TEST(Declination, FieldsToDecimalDegrees) {
  EXPECT_EQ(coords::DecDegreesFromFields("-12", "15", "0"), -12.25f);
  EXPECT_EQ(coords::DecDegreesFromFields(" 45", " 5", " 59"),
            coords::ToSingle(45.0 + 5 / 60.0 + 59 / 3600.0));
  // Only the degrees are taken as magnitude; minutes keep their own sign.
  EXPECT_EQ(coords::DecDegreesFromFields("10", "-30", "0"), 9.5f);
}

TEST(Declination, SmallNegativeKeepsItsSignBothWays) {
  for (const float dec : {-0.5f, -0.25f, -0.999f}) {
    const SexagesimalTexts fields = coords::DecFieldsFromDegrees(dec);
    EXPECT_EQ(fields.whole, "-0") << dec;
    const float back = coords::DecDegreesFromFields(fields.whole, fields.minutes, fields.seconds);
    EXPECT_LT(back, 0.0f) << dec;
    EXPECT_NEAR(back, dec, 1.0 / 3600) << dec;
  }
  EXPECT_EQ(coords::DecDegreesFromFields(" -0", "30", "0"), -0.5f);
  EXPECT_EQ(coords::DecDegreesFromFields("0", "30", "0"), 0.5f);
}

}  // namespace
