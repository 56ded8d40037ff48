#include "coords/typed_text.h"

#include <gtest/gtest.h>

#include <array>

#include "coords/sky_position.h"

namespace {

TEST(TypedText, RefusesWhatTheFieldsWouldNotTakeAndPartsGiveWhatTheyGive) {
  for (const char* text :
       {"", "abc", "12,5", "1.5x", "1e", "6::8", "6:", "6 8 54 1", "1234 0 0", "6 8 54.123"})
    EXPECT_FALSE(coords::RaHoursFromText(text)) << text;
  for (const char* text : {"+24 19 47.123", "12345 0", "10,5"})
    EXPECT_FALSE(coords::DecDegreesFromText(text)) << text;
  for (const char* text : {"32768", "001234", "12ab", ""}) EXPECT_FALSE(coords::PixelFromText(text)) << text;
  // Lengths count as the window counts them: UTF-16 units, not bytes.
  EXPECT_FALSE(coords::TypingAllowed("\U0001F600\U0001F600", coords::kRaHoursField));
  EXPECT_TRUE(coords::TypingAllowed("äöü", coords::kRaHoursField));
  using Row = std::array<const char*, 4>;  // text, then the three field texts
  for (const auto& [text, whole, minutes, seconds] :
       {Row{"6 8 54", "6", "8", "54"}, Row{" 06:08:54 ", "06", "08", "54"}, Row{"-1 : 30", "-1", "30", ""},
        Row{"-0 30 0", "-0", "30", "0"}, Row{"24 19 47.5", "24", "19", "47.5"}}) {
    EXPECT_EQ(coords::RaHoursFromText(text), coords::RaHoursFromFields(whole, minutes, seconds)) << text;
    EXPECT_EQ(coords::DecDegreesFromText(text), coords::DecDegreesFromFields(whole, minutes, seconds))
        << text;
  }
  EXPECT_EQ(coords::DecDegreesFromText("-00:30:00"), -0.5f);
  // One number: the decimal field, no length limit.
  EXPECT_EQ(coords::RaHoursFromText("6.148333"), 6.148333f);
  EXPECT_EQ(coords::PixelFromText("100.5"), 100);
  EXPECT_EQ(coords::ParseWholeNumber(" 1.5D3\t"), 1500.0);
}

}  // namespace
