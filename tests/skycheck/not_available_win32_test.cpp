// On Windows the check starts nothing and says it is not available.
#include <gtest/gtest.h>

#include "skycheck/astrometry_solve.h"

TEST(SolveNear, NotAvailableOnWindows) {
  const skycheck::TanWcs hint{92.25, 24.33, 600, 400, {{-0.0008, 0}, {0, 0.0008}}};
  const skycheck::Solution solution = skycheck::SolveNear("bild.fit", 1200, 800, hint, {});
  EXPECT_EQ(skycheck::ReasonText(solution), "Prüfung am Himmel auf diesem System nicht verfügbar");
}
