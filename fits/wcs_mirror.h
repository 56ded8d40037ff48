// A flipped image has its rows in reverse order: row j of the input is row
// NAXIS2 + 1 - j of the output. Every sky description a header carries, the
// primary WCS, a foreign one and each alternate (suffix A to Z), must follow,
// or it puts every pixel on the sky of its mirror image.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace fits {

struct MirroredCards {
  std::vector<std::string> cards;     // in the order given, added cards after their WCS's last one
  std::vector<std::string> warnings;  // one "Warnung:" line per card left out
};

// Mirrors every WCS in the cards exactly: CRPIX2 becomes NAXIS2 + 1 - CRPIX2,
// the second column of CD and PC changes sign (CDELT2 where there is no
// matrix), SIP terms A_p_q and AP_p_q change sign for odd q, B_p_q and
// BP_p_q for even q. What cannot be mirrored so (DSS plate solutions,
// PV/PS projection and distortion parameters, PC001001-style cards, a value
// that is no number) is left out with a warning. Other cards stay as they are.
MirroredCards MirrorWcsCards(std::span<const std::string> cards, std::int16_t naxis2);

// The cards with every number value that is not a FITS number (a lower-case
// exponent) written as the shortest FITS number of the same double.
std::vector<std::string> FitsNumberCards(std::span<const std::string> cards);

// The shortest text that reads back as the same double, as a FITS number
// (upper-case E).
std::string ExactNumberText(double value);

}  // namespace fits
