#include "skycheck/wcs_comparison.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace skycheck {

Comparison Compare(const TanWcs& entered, const TanWcs& solved, int naxis1, int naxis2) {
  Comparison out;
  const auto offset = [&](double x, double y) {
    return SeparationDegrees(PixelToSky(entered, x, y), PixelToSky(solved, x, y)) * 3600.0;
  };
  out.referenceArcsec = offset(entered.crpix1, entered.crpix2);
  const double corners[4][2] = {
      {1, 1}, {double(naxis1), 1}, {double(naxis1), double(naxis2)}, {1, double(naxis2)}};
  double largest = out.referenceArcsec;
  for (int i = 0; i < 4; ++i) {
    out.cornerArcsec[i] = offset(corners[i][0], corners[i][1]);
    largest = std::max(largest, out.cornerArcsec[i]);
  }
  out.largestPixels = largest / ScaleArcsec(solved);
  const double cx = (naxis1 + 1) / 2.0, cy = (naxis2 + 1) / 2.0;
  const TanWcs e = Recentred(entered, cx, cy), s = Recentred(solved, cx, cy);
  out.rotationDegrees = std::remainder(RotationDegrees(e) - RotationDegrees(s), 360.0);
  out.scaleRatio = ScaleArcsec(e) / ScaleArcsec(s);
  out.enteredMirrored = IsMirrored(entered);
  out.solvedMirrored = IsMirrored(solved);
  return out;
}

Verdict Judge(const Comparison& comparison, double tolerancePixels) {
  if (comparison.enteredMirrored != comparison.solvedMirrored) return Verdict::Mirrored;
  return comparison.largestPixels <= tolerancePixels ? Verdict::Fits : Verdict::Differs;
}

const char* VerdictWord(Verdict verdict) {
  switch (verdict) {
    case Verdict::Fits:
      return "passt";
    case Verdict::Differs:
      return "weicht ab";
    case Verdict::Mirrored:
      return "gespiegelt";
  }
  return "";
}

std::string Fixed(double value, int decimals) {
  char text[64];
  // Rounded first, so that a tiny negative value shows no "-0.00".
  const double scale = std::pow(10.0, decimals);
  value = std::round(value * scale) / scale + 0.0;
  const auto [end, error] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return error == std::errc() ? std::string(text, end) : "?";
}

std::string ComparisonText(const Comparison& c, std::string_view flipAdvice) {
  std::string text;
  if (c.enteredMirrored != c.solvedMirrored)
    text =
        c.solvedMirrored
            ? "das Bild zeigt den Himmel seitenverkehrt, der Eintrag nicht (" + std::string(flipAdvice) +
                  "), "
            : "der Eintrag ist seitenverkehrt, das Bild nicht (CDELT1 und CDELT2 mit gleichem Vorzeichen), ";
  text += "Versatz " + Fixed(c.referenceArcsec, 1) + "″ am Referenzpixel, an den Ecken";
  for (const double corner : c.cornerArcsec) text += " " + Fixed(corner, 1) + "″";
  text += " (höchstens " + Fixed(c.largestPixels, 1) + " Pixel), Drehung " +
          (c.rotationDegrees >= 0 ? "+" : "") + Fixed(c.rotationDegrees, 2) + "°, Maßstab ×" +
          Fixed(c.scaleRatio, 4);
  return text;
}

}  // namespace skycheck
