// The check against the sky by astrometry.net, on a sky of the test's own: a
// star list made into a small index, frames rendered from it with a known WCS.
#include <cmath>

#include "cli_files.h"

namespace cli_test {
namespace {

const std::string kPython = VELORIN_PYTHON, kSkyFrame = VELORIN_SKY_FRAME;

// The frame's WCS as an instrument row, the same turned by 90°, and the
// tolerance widened past a 1′ offset (20.7 pixels).
const std::string kSkyIni =
    "[instruments]\n'Test' -0.000805556 0.000805556 12\n'Quer' -0.000805556 0.000805556 102\n";
std::string Typed(const char* dec = "24.33") {
  return std::string(" --ra 6.15 --dec ") + dec + " --x 600 --y 400 --instrument Test ";
}

double NumberAfter(const std::string& text, const std::string& key) {
  const std::size_t at = text.find("\"" + key + "\":");
  return at == std::string::npos ? NAN : std::stod(text.substr(at + key.size() + 3));
}

class SkyCheck : public CliFolder {
 protected:
  static inline fs::path sky;
  static void SetUpTestSuite() {
    sky = fs::temp_directory_path() / ("velorin_sky_" + std::to_string(::getpid()));
    fs::create_directories(sky / "index");
    RunIn(sky, kPython + " " + kSkyFrame +
                   " make . && build-astrometry-index -i cat.fits -o index/index-P6.fits "
                   "-P 6 -E -S MAG -A RA -D DEC -I 90006 >/dev/null");
  }
  static void TearDownTestSuite() { fs::remove_all(sky); }
  void SetUp() override {
    if (RunIn(".", "command -v solve-field").status != 0) GTEST_SKIP() << "astrometry.net is not installed";
    WriteBytes(dir / "velorin.ini", kSkyIni + "[end]\n");
    WriteBytes(dir / "wide.ini", kSkyIni + "[checktolerance]\n21\n[end]\n");
    fs::create_directory(dir / "leer");
    for (const char* name : {"frame.fits", "mirror.fits", "blank.fits"})
      fs::copy_file(sky / name, dir / name);
  }
  std::string Index() const { return " --index " + (sky / "index").string() + " "; }
  double Offset(const std::string& file) {
    return std::stod(RunIn(dir, kPython + " " + kSkyFrame + " offset " + file).out);
  }
};

TEST_F(SkyCheck, EachEntryGetsItsVerdictAndNothingIsWritten) {
  const std::string noIndex =
      "nicht gelöst: kein Index für diesen Maßstab (Feld 58′ × 39′ braucht Quads von 5.8′ "
      "bis 38.7′, keine in leer; apt install astrometry-data-tycho2-07 "
      "astrometry-data-tycho2-08)\n";
  const std::tuple<std::string, int, std::string> rows[] = {
      {kCli + " check" + Index() + Typed() + "frame.fits", 0,
       "frame.fits: passt: Versatz 0.0″ am Referenzpixel"},
      {kCli + " check --ra 6.15 --dec 24.33 --x 600 --y 400 --scale 2.9 --rotation 12" + Index() +
           "frame.fits",
       1, "frame.fits: gespiegelt: der Eintrag ist seitenverkehrt, das Bild nicht"},
      {kCli + " check" + Index() + Typed() + "--quiet mirror.fits blank.fits", 1,
       "mirror.fits: gespiegelt: das Bild zeigt den Himmel seitenverkehrt, der Eintrag nicht (apply --solve "
       "--flip "
       "speichert es richtig herum), Versatz 2.9″ am Referenzpixel"},
      {kCli + " check" + Index() + Typed() + "blank.fits", 1,
       "blank.fits: nicht gelöst: zu wenige Sterne (0 gefunden, mindestens 10 nötig)\n"},
      {kCli + " check --ra 6.15 --dec 24.33 --x 600 --y 400 --instrument Quer" + Index() + "frame.fits", 1,
       "(höchstens 1019.8 Pixel), Drehung +90.00°, Maßstab ×1.0000, gelöst in"},
      {kCli + " check --index leer" + Typed() + "frame.fits", 1, "frame.fits: " + noIndex},
      {"PATH=/nowhere " + kCli + " check" + Index() + Typed() + "frame.fits", 1,
       "frame.fits: nicht gelöst: astrometry.net ist nicht installiert (apt install astrometry.net "
       "astrometry-data-tycho2-07 astrometry-data-tycho2-08)\n"},
      {kCli + " apply --check " + Index() + Typed("24.3466667") + "frame.fits", 1,
       "frame.fits: Fehler: Prüfung am Himmel: weicht ab: Versatz"}};
  for (const auto& [command, status, part] : rows) {
    const Ran ran = RunIn(dir, command);
    EXPECT_TRUE(ran.status == status && ran.out.find(part) != std::string::npos) << command << "\n"
                                                                                 << ran.out;
  }
  // A position typed 1′ north: the offset measured, and judged by the tolerance velorin.ini sets.
  for (const auto& [ini, verdict] : {std::pair{"velorin.ini", "weicht ab"}, {"wide.ini", "passt"}}) {
    const Ran ran =
        RunIn(dir, kCli + " check --json --ini " + ini + Index() + Typed("24.3466667") + "frame.fits");
    EXPECT_TRUE(std::fabs(NumberAfter(ran.out, "offset_reference_arcsec") - 60) < 0.5 &&
                NumberAfter(ran.out, "seconds") < 5 &&
                ran.out.find("\"verdict\":\"" + std::string(verdict) + "\"") != std::string::npos)
        << ran.out;
  }
  for (const char* name : {"frame.fits", "mirror.fits", "blank.fits"})
    EXPECT_EQ(Slurp(dir / name), Slurp(sky / name)) << name;
  EXPECT_EQ(temp.Count(), 6u);
}

TEST_F(SkyCheck, TheSolutionIsSavedUnlessSeenInTheMirror) {
  const Ran refused =
      RunIn(dir, kCli + " apply --solve" + Index() + "--ra 6.15 --dec 24.3 --instrument Test mirror.fits");
  EXPECT_TRUE(refused.status == 1 &&
              refused.out.find("mirror.fits: Fehler: Lösung gespiegelt: das Bild zeigt den "
                               "Himmel seitenverkehrt, --flip speichert es gespiegelt; nicht "
                               "geändert\n") != std::string::npos &&
              Slurp(dir / "mirror.fits") == Slurp(sky / "mirror.fits"))
      << refused.out;
  for (const char* file : {"frame.fits", "mirror.fits"}) {
    const std::string flip = file == std::string("mirror.fits") ? "--flip " : "";
    const Ran ran = RunIn(
        dir, kCli + " apply --solve" + Index() + flip + "--ra 6.15 --dec 24.3 --instrument Test " + file);
    EXPECT_TRUE(ran.status == 0 && ran.out.find(std::string(file) + ": FERTIG (gelöst in") == 0 &&
                Offset(file) < 0.5)
        << ran.out << Offset(file);
  }
}

}  // namespace
}  // namespace cli_test
