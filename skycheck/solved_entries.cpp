#include "skycheck/solved_entries.h"

#include <algorithm>
#include <cmath>

#include "fits/wcs_forms.h"
#include "pipeline/hint_entries.h"

namespace skycheck {

bool TakesMirror(const Solution& solution, bool flip) {
  return IsMirrored(solution.wcs) == flip;
}

std::optional<SolvedEntries> EntriesOfSolution(const Solution& solution, std::int16_t naxis1,
                                               std::int16_t naxis2, bool flip) {
  if (solution.code != SolveCode::Solved || !TakesMirror(solution, flip)) return std::nullopt;
  // The image centre by the same rule as a hint's reference pixel.
  const std::int16_t x = pipeline::Centre(naxis1), y = pipeline::Centre(naxis2);
  const TanWcs at = Recentred(solution.wcs, x, y);
  fits::LinearTransform matrix;
  matrix.hasCd = true;
  std::copy(&at.cd[0][0], &at.cd[0][0] + 4, &matrix.cd[0][0]);
  auto scale = fits::ScaleFromMatrix(matrix, false, 0.0, 0.0);
  if (!scale) return std::nullopt;
  if (flip) *scale = {-scale->cdelt1, -scale->cdelt2, std::remainder(scale->crota2 + 180.0f, 360.0f)};
  return SolvedEntries{x,
                       y,
                       static_cast<float>(at.crval1 / 15.0),
                       static_cast<float>(at.crval2),
                       {kSolvedRowName, scale->cdelt1, scale->cdelt2, scale->crota2, false}};
}

}  // namespace skycheck
