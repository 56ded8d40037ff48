// The geometry of the sky check without astrometry.net: one WCS in each
// header form, offsets, rotations and parities of entered against solved,
// and which index files and packages fit a field.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "fits/wcs_mirror.h"
#include "skycheck/index_files.h"
#include "skycheck/wcs_comparison.h"

namespace {

using namespace skycheck;

// 2.9″ pixels turned by 12°, as astropy reads it: pixel (1, 1) lies at
// 92.84030895043853, 24.114797070027752.
const std::vector<std::string> kCdelt = {"CTYPE1  = 'RA---TAN'",
                                         "CTYPE2  = 'DEC--TAN-SIP'",
                                         "CRVAL1  = 92.25",
                                         "CRVAL2  = 24.33",
                                         "CRPIX1  = 600",
                                         "CRPIX2  = 400",
                                         "CDELT1  = -0.000805556",
                                         "CDELT2  = 0.000805556",
                                         "CROTA2  = 12"};

TEST(TanWcsFromCards, EveryFormGivesAstropysSky) {
  std::vector<std::string> cd(kCdelt.begin(), kCdelt.begin() + 6), pc = cd;
  const double c = 0.000805556 * std::cos(12 * std::numbers::pi / 180),
               s = 0.000805556 * std::sin(12 * std::numbers::pi / 180);
  for (const auto& [key, value] :
       {std::pair{"CD1_1   = ", -c}, {"CD1_2   = ", -s}, {"CD2_1   = ", -s}, {"CD2_2   = ", c}})
    cd.push_back(key + fits::ExactNumberText(value));
  pc.insert(pc.end(), {"CDELT1  = -0.000805556", "CDELT2  = 0.000805556"});
  for (const auto& [key, value] :
       {std::pair{"PC1_1   = ", c}, {"PC1_2   = ", s}, {"PC2_1   = ", -s}, {"PC2_2   = ", c}})
    pc.push_back(key + fits::ExactNumberText(value / 0.000805556));
  std::vector<std::string> noPixel(kCdelt), sin(kCdelt);
  noPixel.erase(noPixel.begin() + 4);
  sin[0] = "CTYPE1  = 'RA---SIN'";
  for (const auto& cards : {kCdelt, cd, pc}) {
    const auto wcs = TanWcsFromCards(cards);
    ASSERT_TRUE(wcs) << cards.back();
    const SkyPoint corner = PixelToSky(*wcs, 1, 1);
    EXPECT_LT(SeparationDegrees(corner, {92.84030895043853, 24.114797070027752}) * 3600, 1e-3)
        << cards.back();
    EXPECT_FALSE(IsMirrored(*wcs));
  }
  EXPECT_FALSE(TanWcsFromCards(noPixel) || TanWcsFromCards(sin));
}

TEST(Compare, ShiftTurnAndMirrorEachHaveTheirVerdict) {
  const TanWcs solved = *TanWcsFromCards(kCdelt);
  TanWcs shifted = solved, turned = solved;
  shifted.crval2 += 1.0 / 60;
  turned.cd[0][0] = solved.cd[0][1], turned.cd[0][1] = -solved.cd[0][0];
  turned.cd[1][0] = solved.cd[1][1], turned.cd[1][1] = -solved.cd[1][0];
  struct Row {
    TanWcs entered;
    Verdict verdict;
    double referenceArcsec, rotationDegrees;
  };
  const Row rows[] = {{Recentred(solved, 600.5, 400.5), Verdict::Fits, 0, 0},
                      {shifted, Verdict::Differs, 60, 0},
                      {turned, Verdict::Differs, 0, -90},
                      {Mirrored(solved, 800), Verdict::Mirrored, 2.9, 180}};
  for (const Row& row : rows) {
    const Comparison c = Compare(row.entered, solved, 1200, 800);
    EXPECT_TRUE(Judge(c, 2.0) == row.verdict && std::fabs(c.referenceArcsec - row.referenceArcsec) < 0.1 &&
                std::fabs(std::remainder(c.rotationDegrees - row.rotationDegrees, 360)) < 1e-3 &&
                std::fabs(c.scaleRatio - 1) < 1e-6)
        << VerdictWord(Judge(c, 2.0)) << ": " << ComparisonText(c) << " " << c.rotationDegrees << " "
        << c.scaleRatio - 1;
  }
  // The tolerance is in pixels of the solution: 60″ are 20.7 of 2.9″.
  EXPECT_EQ(Judge(Compare(shifted, solved, 1200, 800), 20.8), Verdict::Fits);
}

TEST(IndexFiles, QuadsOfTheFieldChooseFilesAndPackages) {
  const IndexFile files[] = {{"small", 2.0, 2.8}, {"p6", 16.0, 22.0}, {"p9", 42.0, 60.0}};
  const std::tuple<double, double, const char*, const char*> rows[] = {
      {39, 58, "p6 ", "astrometry-data-tycho2-07 astrometry-data-tycho2-08"},
      {10, 15, "small ", ""},
      {600, 900, "", "astrometry-data-tycho2-10-19"}};
  for (const auto& [shortSide, longSide, paths, packages] : rows) {
    std::string chosen;
    for (const IndexFile& file : FittingIndexFiles(files, QuadsForField(shortSide, longSide)))
      chosen += file.path + " ";
    EXPECT_EQ(chosen + "|" + FittingPackages(QuadsForField(shortSide, longSide)),
              std::string(paths) + "|" + packages)
        << shortSide;
  }
  EXPECT_EQ(DefaultIndexFolders("cpulimit 300\n  add_path /data/index \nadd_path /usr/share/astrometry\n"),
            (std::vector<std::filesystem::path>{"/data/index", "/usr/share/astrometry"}));
}

}  // namespace
