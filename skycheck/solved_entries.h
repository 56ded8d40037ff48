// A solution typed into the entries, as both faces take it: the reference
// pixel at the image centre, its sky position, and a row "gelöst" with the
// solved scale and rotation, so that the save writes it as a typed WCS.
#pragma once

#include <cstdint>
#include <optional>

#include "config/instrument.h"
#include "skycheck/astrometry_solve.h"

namespace skycheck {

// The row's name in the instrument list; no TELESCOP card is written for it.
inline constexpr const char* kSolvedRowName = "gelöst";

struct SolvedEntries {
  std::int16_t crpix1 = 0;  // of the image as stored: NAXIS/2 as the fields round it
  std::int16_t crpix2 = 0;
  float raHours = 0.0f;
  float decDegrees = 0.0f;
  config::Instrument row;
};

// A solution seen in the mirror is right only when the image is saved
// flipped, and is never taken as a rotation.
bool TakesMirror(const Solution& solution, bool flip);

// Empty when the solution is not solved, does not suit flip (TakesMirror),
// or has no usable matrix. For a flip the row is the same matrix turned half
// round, so that the flipped file gets CDELT2 > 0 and the usual rotation;
// CRPIX2 is mirrored by the face as selecting the flip mirrors it.
std::optional<SolvedEntries> EntriesOfSolution(const Solution& solution, std::int16_t naxis1,
                                               std::int16_t naxis2, bool flip);

}  // namespace skycheck
