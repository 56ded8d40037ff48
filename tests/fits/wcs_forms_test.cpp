#include "fits/wcs_forms.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(IsPrimaryWcsCard, EveryFormOfTheWcsButNotAlternates) {
  for (const char* keyword :
       {"CD1_1   ", "CD2_2",    "PC1_2   ", "PV2_1   ", "PS1_0",    "CUNIT1  ", "CUNIT2",
        "LONPOLE ", "LATPOLE",  "WCSAXES ", "RADECSYS", "EPOCH   ", "A_ORDER ", "B_ORDER",
        "AP_ORDER", "BP_ORDER", "A_0_2   ", "B_1_1",    "AP_2_0  ", "BP_0_1  ", "CD10_12 ", "CDELT1  ",
        "CROTA2  ", "EQUINOX ", "RADESYS ", "CTYPE1  ", "CRVAL2  ", "CRPIX1  "})
    EXPECT_TRUE(fits::IsPrimaryWcsCard(keyword)) << keyword;
  for (const char* keyword :
       {"CD1_1A  ", "PC1_1B  ", "CTYPE1A ", "CUNIT1A ", "A_DMAX  ", "CD1_    ",
        "CD_1    ", "PCOUNT  ", "HISTORY ", "A_1_    ", "CDELT1A ", "EPOCHX  "})
    EXPECT_FALSE(fits::IsPrimaryWcsCard(keyword)) << keyword;
}

TEST(ScaleFromMatrix, FlippedMatrixKeepsTheSameTransform) {
  // CDELT2 negative (a flipped image): the derived values describe the same
  // matrix with CDELT2 positive and the rotation turned by 180 degrees.
  fits::LinearTransform transform;
  ASSERT_TRUE(fits::TakeMatrixCard("CD1_1   ", 0.001, transform));
  ASSERT_TRUE(fits::TakeMatrixCard("CD2_2   ", -0.001, transform));
  EXPECT_FALSE(fits::TakeMatrixCard("CD3_1   ", 1.0, transform));
  const auto derived = fits::ScaleFromMatrix(transform, false, 0.0, 0.0);
  ASSERT_TRUE(derived);
  EXPECT_FLOAT_EQ(derived->cdelt1, -0.001f);
  EXPECT_FLOAT_EQ(derived->cdelt2, 0.001f);
  EXPECT_FLOAT_EQ(std::fabs(derived->crota2), 180.0f);
  EXPECT_FALSE(fits::ScaleFromMatrix(fits::LinearTransform{}, true, 1.0, 1.0));
}

}  // namespace
