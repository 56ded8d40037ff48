#include "pipeline/header_hints.h"

#include <gtest/gtest.h>

#include <vector>

#include "coords/number_text.h"
#include "coords/sky_position.h"

namespace {

pipeline::HeaderHints Hints(std::initializer_list<std::string> texts) {
  std::vector<std::string> cards;
  for (std::string text : texts) cards.push_back(text.append(80 - text.size(), ' '));
  return pipeline::ReadHeaderHints(cards);
}

TEST(HeaderHints, ValuesReadOrNamedAsMissing) {
  // The values of capture software's own cards are checked through the command line and astropy.
  const auto hints = Hints({"OBJCTRA = 'nirgends'", "RA      = 92.225", "DEC     = 10.0",
                            "OBJCTDEC= '-00 30 00'         / [dms]", "FOCALLEN=                1000. / [mm]",
                            "XPIXSZ  = 5", "YPIXSZ  = 10"});
  EXPECT_EQ(hints.raHours, coords::ToSingle(92.225 / 15.0));  // OBJCTRA unreadable: RA counts
  EXPECT_TRUE(hints.decDegrees == -0.5f && hints.scale->cdelt2 == 2 * hints.scale->cdelt1 &&
              hints.scale->rotation == 0.0f && hints.scale->name.empty() && !hints.scale->namesTelescope &&
              pipeline::MissingHints(hints).empty());
  EXPECT_EQ(Hints({"OBJCTRA = '06:08:54.0'"}).raHours, coords::RaHoursFromFields("06", "08", "54.0"));
  // Missing or unreadable values are named.
  const std::string position = "OBJCTRA/OBJCTDEC oder RA/DEC";
  const std::pair<pipeline::HeaderHints, std::string> cases[] = {
      {Hints({}), position + ", FOCALLEN, XPIXSZ"},
      {Hints({"RA      = 1", "DEC     = '2'", "FOCALLEN= 500", "XPIXSZ  = 4"}), position},
      {Hints({"RA      = 1", "DEC     = 2", "FOCALLEN= '500'", "XPIXSZ  = 4 5"}), "FOCALLEN"},
      {Hints({"RA      = 1", "DEC     = 2", "FOCALLEN= -500", "XPIXSZ  = 0"}), "FOCALLEN, XPIXSZ"},
      {Hints({"RA      = 1", "DEC     = 2", "FOCALLEN= 1e300", "XPIXSZ  = 1e-300"}), "FOCALLEN, XPIXSZ"},
      {Hints({"RA        1", "DEC     = 2", "FOCALLEN= 500", "XPIXSZ  = 4x"}), position + ", XPIXSZ"}};
  for (const auto& [hints, missing] : cases) EXPECT_EQ(pipeline::MissingHints(hints), missing);
}

}  // namespace
