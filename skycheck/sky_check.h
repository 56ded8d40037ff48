// The check against the sky, as both faces run it: the WCS that would be
// saved is the hint for astrometry.net's solve of the image, and then the
// yardstick its solution is measured with.
#pragma once

#include <optional>
#include <string>

#include "skycheck/astrometry_solve.h"
#include "skycheck/wcs_comparison.h"

namespace skycheck {

inline constexpr double kDefaultTolerancePixels = 2.0;

struct CheckRequest {
  std::string image;  // read only
  int naxis1 = 0;
  int naxis2 = 0;
  TanWcs entered;  // as the header to be saved has it
  // The header is for the image flipped north/south: the solution of the
  // image as stored is mirrored before the comparison.
  bool flipped = false;
  double tolerancePixels = kDefaultTolerancePixels;
  SolveSettings settings;
};

struct SkyCheck {
  Solution solution;  // of the image as stored
  std::optional<Comparison> comparison;
  std::optional<Verdict> verdict;  // empty: not solved
};

SkyCheck CheckAgainstSky(const CheckRequest& request);

// The verdict word, then the numbers or the reason: "passt: Versatz …",
// "nicht gelöst: zu wenige Sterne (…)".
std::string CheckText(const SkyCheck& check, std::string_view flipAdvice = kCommandLineFlipAdvice);

}  // namespace skycheck
