// The view's texts, German: the outcome of a load and of a click, and what
// the status line says of the pixel under the cursor.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "imageview/data_unit.h"
#include "imageview/star_centroid.h"
#include "imageview/tan_sky.h"

namespace imageview {

inline constexpr std::string_view kLoadingText = "Bild wird geladen";
inline constexpr std::string_view kNoHeaderText = "Kein Bild: die Datei ließ sich nicht lesen";
// Why a click changed nothing though a star may be there.
inline constexpr std::string_view kLockedText =
    "Referenzpixel gesperrt: das WCS der Datei wird übernommen, nichts geändert";
inline constexpr std::string_view kHiddenText =
    "Referenzpixel nicht eingeblendet: erst \"Add WCS-Info\" wählen, nichts geändert";

std::string_view StatusText(LoadCode code);
std::string_view StatusText(StarCode code);

// "X 1234  Y 567  Wert 1523.5", then "  RA 6 8 54.0 = 6.148333 h  Dek 24 19 47
// = 24.32972°" when a sky is known: right ascension and declination as the
// entry fields show them. A BLANK value reads "BLANK", NaN "NaN".
std::string CursorText(double x, double y, std::optional<double> value, const std::optional<SkyPoint>& sky);

// "Bild geladen: 9576 x 6388 Pixel, BITPIX 16".
std::string LoadedText(const PixelData& pixels, int bitpix);

// "Referenzpixel aus Stern: X 123 Y 457 (Zentrum X 123.46 Y 456.78)", for
// the status line and the log; y of the saved image.
std::string StarText(const Star& star, double savedY, int pixelX, int pixelY);

// A number as the view shows it: up to 10 significant digits, "." as the
// decimal point whatever the locale.
std::string ValueText(double value);

}  // namespace imageview
