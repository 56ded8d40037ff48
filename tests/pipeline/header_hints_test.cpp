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

TEST(HeaderHints, PositionOfAnotherEquinoxOnJ2000AndTwoPointingsRefused) {
  // Each row: the log line of a precession (its values: the command line's and coords' tests), the refusal.
  const std::string ra = "OBJCTRA = '06 08 54'", dec = "OBJCTDEC= '+24 19 47'";
  const std::tuple<pipeline::HeaderHints, std::string, std::string> rows[] = {
      {Hints({ra, dec, "EQUINOX = 2024.04"}),
       "Position aus OBJCTRA/OBJCTDEC von Äquinoktium 2024.04 auf J2000 umgerechnet", ""},
      {Hints({"RA      = 92.225", "DEC     = 24.329722", "EPOCH   = 1950"}),
       "Position aus RA/DEC von Äquinoktium 1950 auf J2000 umgerechnet", ""},
      // EQUINOX before EPOCH; RA/DEC 0.997 arc-minutes off name the same pointing.
      {Hints({ra, dec, "EPOCH   = 1950", "EQUINOX = 2000.", "RA      = 92.225", "DEC     = 24.3131"}), "",
       ""},
      {Hints({ra, "OBJCTDEC= '-95 00 00'", "EQUINOX = 1950"}), "", ""},  // as read, for the save to refuse
      {Hints({ra, dec, "RA      = 92.225", "DEC     = 24.31"}), "",
       "OBJCTRA/OBJCTDEC und RA/DEC liegen 1.2 Bogenminuten auseinander (mehr als 1), --ra/--dec "
       "entscheiden"},
      {Hints({ra, "DEC     = 1", "EQUINOX = 0"}), "",
       "Äquinoktium 0 der Position OBJCTRA/DEC nicht auf J2000 umrechenbar (nur 1000 bis 3000)"}};
  for (const auto& [hints, line, refused] : rows)
    EXPECT_TRUE(hints.precessionLine == line && hints.positionRefused == refused && hints.decDegrees)
        << hints.precessionLine << hints.positionRefused;
}

TEST(HeaderHints, AChosenScaleMoreThanTwoPercentOffTheOpticsIsTold) {
  const auto optics = Hints({"FOCALLEN= 1000", "XPIXSZ  = 5"});  // 1.031 arc-seconds
  const float c = optics.scale->cdelt1;
  const std::tuple<float, float, std::string> rows[] = {
      {-1.019f * c, 0.981f * c, ""},  // the sign is the axis' direction
      {c, 1.03f * c,
       "Warnung: Maßstab von 'R' weicht um 3.0 % vom Maßstab aus FOCALLEN und XPIXSZ/YPIXSZ ab (1.062 statt "
       "1.031 Bogensekunden je Pixel)"}};
  for (const auto& [cdelt1, cdelt2, warning] : rows)
    EXPECT_EQ(pipeline::ScaleMismatchWarning(optics, {"R", cdelt1, cdelt2, 0.0f, true}, "'R'"), warning);
  EXPECT_EQ(pipeline::ScaleMismatchWarning(Hints({}), {"R", c, c, 0.0f, true}, "'R'"), "");
}

}  // namespace
