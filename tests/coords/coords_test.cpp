// Number texts and sky positions, each row input -> expected.
#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <cmath>
#include <limits>
#include <numbers>

#include "coords/number_text.h"
#include "coords/precession.h"
#include "coords/sky_position.h"

using namespace coords;
constexpr double kMax = std::numeric_limits<double>::max();

TEST(ParseLeadingNumber, ReadsTheLeadingNumberOnly) {
  // Whether a value beyond double range is huge or tiny depends on all its digits.
  const std::string z(400, '0');
  const std::pair<std::string, double> rows[] = {
      {"", 0},         {"abc", 0},      {"-", 0},         {".", 0},
      {"+.", 0},       {"12,5", 12},    {"1 2 3", 123},   {" \t\n-4.5x", -4.5},
      {"1.2.3", 1.2},  {"1E3", 1000},   {"1d3", 1000},    {"2.5D-1", 0.25},
      {"7E", 7},       {"7E+", 7},      {"+8", 8},        {".5", 0.5},
      {"-.25", -0.25}, {"3 E 2", 300},  {"T", 0},         {"  512.5 / c", 512.5},
      {"1e-400", 0},   {"1e999", kMax}, {"-1e999", -kMax}};
  for (const auto& [text, value] : rows) EXPECT_EQ(ParseLeadingNumber(text), value) << text;
  const std::pair<std::string, double> beyond[] = {
      {"0." + z + "1", 0},        {"-." + z + "1E+5", 0},           {"1" + z + "e-5", kMax},
      {"-1" + z + "D-50", -kMax}, {"0" + z + "1" + z + ".5", kMax},
  };
  for (const auto& [text, value] : beyond) EXPECT_EQ(ParseLeadingNumber(text), value) << text;
}

TEST(FormatNumberText, SignColumnPointAndSevenDigitsOrNineDecimals) {
  // clang-format off
  const std::pair<float, const char*> rows[] = {
      {0.0f, " 0"},         {-0.0f, " 0"},           {512.0f, " 512"},         {0.5f, " .5"},
      {-0.5f, "-.5"},       {-1.25f, "-1.25"},       {45.1f, " 45.1"},         {12.51f, " 12.51"},
      {187.65f, " 187.65"}, {5.5753333f, " 5.575333"}, {0.000417f, " .000417"}, {1234567.0f, " 1234567"},
      {0.00001f, " .00001"}, {0.000001f, " 1E-06"},  {1e20f, " 1E+20"},        {12345678.0f, " 1.234568E+07"}};
  // clang-format on
  for (const auto& [value, text] : rows) EXPECT_EQ(FormatNumberText(value), text) << value;
  // The CDELT and CROTA cards: nine decimals, the fraction floored; no number beyond.
  // clang-format off
  const std::pair<float, const char*> nine[] = {
      {0.0f, " 0.000000000"},      {-0.5f, "-0.500000000"},     {359.9f, " 359.899993896"},
      {0.00025f, " 0.000250000"},  {-0.00025f, "-0.000250001"}, {-12.25f, "-12.250000000"},
      {0.000417f, " 0.000417000"}, {0.000139f, " 0.000138999"}, {-INFINITY, "-Inf"}, {NAN, " NaN"}};
  // clang-format on
  for (const auto& [value, text] : nine) EXPECT_EQ(NineDecimalText(value), text) << value;
}

TEST(FormatNumberText, IgnoresTheProcessLocale) {
  // scripts/install-deps.sh test generates the German locale; Windows names it otherwise.
  bool german = false;
  for (const char* name : {"de_DE.UTF-8", "German_Germany.1252"})
    german = german || std::setlocale(LC_ALL, name);
  ASSERT_TRUE(german) << "no German locale installed";
  EXPECT_TRUE(FormatNumberText(1.5f) == " 1.5" && ParseLeadingNumber("1.5") == 1.5);
  std::setlocale(LC_ALL, "C");
}

TEST(RoundToInteger, HalvesGoToTheEvenNeighbourAndNothingBeyondSixteenBits) {
  const std::pair<double, std::optional<std::int16_t>> rows[] = {
      {100.5, 100},  {101.5, 102},  {-100.5, -100},   {-101.5, -102},
      {0.49, 0},     {2.51, 3},     {32767.4, 32767}, {-32768.0, -32768},
      {32767.5, {}}, {99999.0, {}}, {-32769.0, {}},   {std::nan(""), {}}};
  for (const auto& [value, rounded] : rows) EXPECT_EQ(RoundToInteger(value), rounded) << value;
  EXPECT_EQ(ToSingle(1e300), std::numeric_limits<float>::max());
  EXPECT_EQ(ToSingle(-1e300), -std::numeric_limits<float>::max());
}

TEST(SkyPosition, DecimalToFieldsCutsWithFloorAndFieldsGiveDecimal) {
  const std::tuple<bool, float, const char*> rows[] = {
      {true, 12.5f, " 12| 30| 0"},   {true, 5.1f, " 5| 5| 59.9"},    {true, -1.5f, "-2| 30| 0"},
      {true, 0.0f, " 0| 0| 0"},      {false, -12.25f, "-12| 15| 0"}, {false, 45.1f, " 45| 5| 59"},
      {false, 0.999f, " 0| 59| 56"}, {false, -0.5f, "-0| 30| 0"},    {false, -0.999f, "-0| 59| 56"}};
  for (const auto& [ra, value, text] : rows) {
    const SexagesimalTexts f = ra ? RaFieldsFromHours(value) : DecFieldsFromDegrees(value);
    EXPECT_EQ(f.whole + "|" + f.minutes + "|" + f.seconds, text) << value;
  }
  EXPECT_EQ(Crval1FromRaHours(-1.5f), -22.5f);
  // A negative hours field simply adds.
  EXPECT_TRUE(FormatNumberText(RaHoursFromFields(" 12", "30", "36")) == " 12.51" &&
              RaHoursFromFields("-1", "30", "0") == -0.5f);
  // Only the degrees are taken as magnitude; a "-0" still gives the sign.
  for (const auto& [degrees, minutes, value] :
       {std::tuple{"-12", "15", -12.25f}, {"10", "-30", 9.5f}, {" -0", "30", -0.5f}, {"0", "30", 0.5f}})
    EXPECT_EQ(DecDegreesFromFields(degrees, minutes, "0"), value) << degrees << " " << minutes;
  EXPECT_NEAR(DecDegreesFromFields("-0", " 59", " 56"), -0.999, 1.0 / 3600);
}

TEST(Precession, CarriesToJ2000AsAstropyFk5Does) {
  // Julian epoch, RA h, Dec deg -> J2000: astropy 5.2, FK5(equinox=J<epoch>) to FK5(equinox=J2000).
  const std::array<double, 5> rows[] = {{1950.0, 6.148333, 24.329722, 6.199412087, 24.317050744},
                                        {2024.04, 6.148333, 24.329722, 6.123766995, 24.334489374},
                                        {1900.0, 18.5, -45.25, 18.622376775, -45.168477957},
                                        {2100.0, 23.99, -0.5, 23.904556229, -1.056536118},
                                        {2024.04, 2.5, 89.9, 1.047965282, 89.778215872},
                                        {2024.04, 0.01, 0.0, 23.989465846, -0.133828425}};
  for (const auto& [epoch, ra, dec, ra2000, dec2000] : rows) {
    const EquatorialPosition p = PrecessedToJ2000({ra, dec}, epoch);
    const double raArcsec = (p.raHours - ra2000) * 54000.0 * std::cos(dec2000 * std::numbers::pi / 180.0);
    EXPECT_TRUE(std::fabs(raArcsec) < 0.05 && std::fabs(p.decDegrees - dec2000) * 3600.0 < 0.05)
        << epoch << " " << ra << " " << dec << ": " << p.raHours << " " << p.decDegrees;
  }
  EXPECT_NEAR(
      SeparationDegrees({0.0, 89.0}, {12.0, 89.0}) + SeparationDegrees({6.0, 0.0}, {6.0 + 1 / 900.0, 0.0}),
      2.0 + 1 / 60.0, 1e-9);
}
