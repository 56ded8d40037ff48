#include "skycheck/sky_check.h"

namespace skycheck {

SkyCheck CheckAgainstSky(const CheckRequest& request) {
  SkyCheck out;
  out.solution = SolveNear(request.image, request.naxis1, request.naxis2, request.entered, request.settings);
  if (out.solution.code != SolveCode::Solved) return out;
  const TanWcs solved = request.flipped ? Mirrored(out.solution.wcs, request.naxis2) : out.solution.wcs;
  out.comparison = Compare(request.entered, solved, request.naxis1, request.naxis2);
  out.verdict = Judge(*out.comparison, request.tolerancePixels);
  return out;
}

std::string CheckText(const SkyCheck& check, std::string_view flipAdvice) {
  if (!check.verdict) return "nicht gelöst: " + ReasonText(check.solution);
  return std::string(VerdictWord(*check.verdict)) + ": " + ComparisonText(*check.comparison, flipAdvice) +
         ", " + ReasonText(check.solution);
}

}  // namespace skycheck
