// An entered WCS against astrometry.net's solution of the same image: how
// far apart they put the reference pixel and the corners on the sky, their
// rotations, scales and parities, and the verdict the user reads.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "skycheck/tan_wcs.h"

namespace skycheck {

struct Comparison {
  double referenceArcsec = 0.0;          // at the entered reference pixel
  std::array<double, 4> cornerArcsec{};  // pixels (1,1), (N1,1), (N1,N2), (1,N2)
  double largestPixels = 0.0;            // the largest of these, in solved pixels
  double rotationDegrees = 0.0;          // entered minus solved at the image centre, -180 to 180
  double scaleRatio = 0.0;               // entered scale over solved
  bool enteredMirrored = false;          // det(CD) > 0
  bool solvedMirrored = false;
};

Comparison Compare(const TanWcs& entered, const TanWcs& solved, int naxis1, int naxis2);

enum class Verdict {
  Fits,      // "passt": every offset within the tolerance
  Differs,   // "weicht ab"
  Mirrored,  // "gespiegelt": the parities differ, whatever the offsets
};

Verdict Judge(const Comparison& comparison, double tolerancePixels);

// "passt", "weicht ab", "gespiegelt".
const char* VerdictWord(Verdict verdict);

// The numbers in German, '.' as decimal point: "Versatz 0.3″ am
// Referenzpixel, an den Ecken 0.4″ 0.2″ 0.5″ 0.3″ (höchstens 0.2 Pixel),
// Drehung +0.01°, Maßstab ×1.0002". A mirrored pair says which side is
// seen in the mirror and, when it is the image, what each face offers to
// save it the right way round.
inline constexpr std::string_view kCommandLineFlipAdvice = "apply --solve --flip speichert es richtig herum";
std::string ComparisonText(const Comparison& comparison,
                           std::string_view flipAdvice = kCommandLineFlipAdvice);

// A number with this many decimals, independent of the locale.
std::string Fixed(double value, int decimals);

}  // namespace skycheck
