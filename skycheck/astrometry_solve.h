// A plate solve of one image by astrometry.net, limited by a hint: star
// detection (image2xy), then solve-field on the star list near the hint's
// position and scale. The image is only read; the work files lie in a folder
// of their own, removed afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "skycheck/tan_wcs.h"

namespace skycheck {

// A hinted solve takes a second or two; one that finds nothing searches on.
inline constexpr double kDefaultCpuLimitSeconds = 30.0;

struct SolveSettings {
  std::vector<std::filesystem::path> indexFolders;   // where index files are looked for
  double cpuLimitSeconds = kDefaultCpuLimitSeconds;  // solve-field's --cpulimit
};

enum class SolveCode : std::int16_t {
  Solved = 0,
  NotAvailable = 1,  // this system cannot start astrometry.net (Windows)
  NotInstalled = 2,  // image2xy or solve-field not found
  NoIndex = 3,       // no index file with quads of the field's size
  TooFewStars = 4,
  TimeLimit = 5,
  NoMatch = 6,  // the search ended without a solution
  Failed = 7,   // a program failed; detail holds its last line
};

struct Solution {
  SolveCode code = SolveCode::Failed;
  TanWcs wcs;  // when solved: linear, the reference pixel at the image centre
  int stars = 0;
  double seconds = 0.0;  // wall time of detection and solve
  std::string detail;    // what the reason text names: packages, folders, a program's words
};

// The fewest stars a solve is tried with: a quad takes four, and the match
// must be confirmed by more.
inline constexpr int kFewestStars = 10;
// The hint's scale, this much either way.
inline constexpr double kScaleMargin = 0.1;
// The search radius, in fields (the longer side).
inline constexpr double kSearchFields = 3.0;

Solution SolveNear(const std::string& image, int naxis1, int naxis2, const TanWcs& hint,
                   const SolveSettings& settings);

// "zu wenige Sterne (3 gefunden, mindestens 10 nötig)" and the like, in German.
std::string ReasonText(const Solution& solution);

}  // namespace skycheck
