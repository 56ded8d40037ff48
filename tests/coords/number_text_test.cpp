#include "coords/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace {

TEST(ParseLeadingNumber, ReadsTheLeadingNumberOnly) {
  struct Row {
    const char* text;
    double value;
  };
  const Row rows[] = {
      {"", 0.0},       {"abc", 0.0},     {"-", 0.0},           {".", 0.0},     {"+.", 0.0},
      {"12,5", 12.0},  {"1 2 3", 123.0}, {" \t\n-4.5x", -4.5}, {"1.2.3", 1.2}, {"1E3", 1000.0},
      {"1d3", 1000.0}, {"2.5D-1", 0.25}, {"7E", 7.0},          {"7E+", 7.0},   {"+8", 8.0},
      {".5", 0.5},     {"-.25", -0.25},  {"3 E 2", 300.0},     {"T", 0.0},     {"  512.5 / c", 512.5},
      {"1e-400", 0.0},
  };
  for (const Row& row : rows) EXPECT_DOUBLE_EQ(coords::ParseLeadingNumber(row.text), row.value) << row.text;
  EXPECT_EQ(coords::ParseLeadingNumber("1e999"), std::numeric_limits<double>::max());
  EXPECT_EQ(coords::ParseLeadingNumber("-1e999"), -std::numeric_limits<double>::max());
}

// Whether a value beyond double range is huge or tiny depends on all its
// digits, not only on the sign of its exponent.
TEST(ParseLeadingNumber, BeyondDoubleRangeByItsDigitsAndExponent) {
  const std::string zeros(400, '0');
  constexpr double kMax = std::numeric_limits<double>::max();
  EXPECT_EQ(coords::ParseLeadingNumber("0." + zeros + "1"), 0.0);
  EXPECT_EQ(coords::ParseLeadingNumber("-." + zeros + "1E+5"), 0.0);
  EXPECT_EQ(coords::ParseLeadingNumber("1" + zeros + "e-5"), kMax);
  EXPECT_EQ(coords::ParseLeadingNumber("-1" + zeros + "D-50"), -kMax);
  EXPECT_EQ(coords::ParseLeadingNumber("0" + zeros + "1" + zeros + ".5"), kMax);
}

TEST(FormatNumberText, SignColumnPointAndSevenDigits) {
  struct Row {
    float value;
    const char* text;
  };
  const Row rows[] = {
      {0.0f, " 0"},
      {-0.0f, " 0"},
      {512.0f, " 512"},
      {0.5f, " .5"},
      {-0.5f, "-.5"},
      {-1.25f, "-1.25"},
      {45.1f, " 45.1"},
      {12.51f, " 12.51"},
      {187.65f, " 187.65"},
      {83.63f / 15, " 5.575333"},
      {0.000417f, " .000417"},
      {1234567.0f, " 1234567"},
      {12345678.0f, " 1.234568E+07"},
      {0.00001f, " .00001"},
      {0.000001f, " 1E-06"},
      {1e20f, " 1E+20"},
      {-2.0f, "-2"},
      {359.9f, " 359.9"},
      {100.0f, " 100"},
      {0.1f, " .1"},
  };
  for (const Row& row : rows) EXPECT_EQ(coords::FormatNumberText(row.value), row.text) << row.value;
}

TEST(FormatNumberText, IntegerKeepsAllDigits) {
  EXPECT_EQ(coords::FormatNumberText(std::int16_t{0}), " 0");
  EXPECT_EQ(coords::FormatNumberText(std::int16_t{20000}), " 20000");
  EXPECT_EQ(coords::FormatNumberText(std::int16_t{-50}), "-50");
  EXPECT_EQ(coords::FormatNumberText(std::int16_t{-32768}), "-32768");
}

TEST(FormatNumberText, IgnoresTheProcessLocale) {
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale installed";
  EXPECT_EQ(coords::FormatNumberText(1.5f), " 1.5");
  EXPECT_DOUBLE_EQ(coords::ParseLeadingNumber("1.5"), 1.5);
  std::setlocale(LC_ALL, "C");
}

TEST(NineDecimalText, FloorsTheFractionAtNineDigits) {
  struct Row {
    float value;
    const char* text;
  };
  const Row rows[] = {
      {0.0f, " 0.000000000"},     {-0.5f, "-0.500000000"},     {359.9f, " 359.899993896"},
      {0.00025f, " 0.000250000"}, {-0.00025f, "-0.000250001"}, {1.5f, " 1.500000000"},
      {-12.25f, "-12.250000000"}, {0.000417f, " 0.000417000"}, {0.000139f, " 0.000138999"},
  };
  for (const Row& row : rows) EXPECT_EQ(coords::NineDecimalText(row.value), row.text) << row.value;
}

TEST(RoundToInteger, HalvesGoToTheEvenNeighbour) {
  struct Row {
    double value;
    int rounded;
  };
  const Row rows[] = {{100.5, 100}, {101.5, 102}, {-100.5, -100}, {-101.5, -102},   {512.5, 512},
                      {513.5, 514}, {0.49, 0},    {2.51, 3},      {32767.4, 32767}, {-32768.0, -32768}};
  for (const Row& row : rows) EXPECT_EQ(coords::RoundToInteger(row.value), row.rounded) << row.value;
  EXPECT_FALSE(coords::RoundToInteger(32767.5));  // the even neighbour 32768 does not fit
  EXPECT_FALSE(coords::RoundToInteger(99999.0));
  EXPECT_FALSE(coords::RoundToInteger(-32769.0));
  EXPECT_FALSE(coords::RoundToInteger(std::nan("")));
}

TEST(ToSingle, SaturatesInsteadOfOverflowing) {
  EXPECT_EQ(coords::ToSingle(1e300), std::numeric_limits<float>::max());
  EXPECT_EQ(coords::ToSingle(-1e300), -std::numeric_limits<float>::max());
  EXPECT_EQ(coords::ToSingle(5.1), 5.1f);
}

}  // namespace
