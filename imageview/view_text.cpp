#include "imageview/view_text.h"

#include <charconv>
#include <cmath>

#include "coords/number_text.h"
#include "coords/sky_position.h"
#include "fits/card_text.h"

namespace imageview {
namespace {

std::string Trimmed(const std::string& text) {
  return std::string(fits::TrimBlanks(text));
}

}  // namespace

std::string_view StatusText(LoadCode code) {
  switch (code) {
    case LoadCode::Loaded:
      return "Bild geladen";
    case LoadCode::Cancelled:
      return "Laden abgebrochen";
    case LoadCode::Unreadable:
      return "Bild nicht geladen: Datei nicht lesbar";
    case LoadCode::Truncated:
      return "Bild nicht geladen: Datei endet vor dem Ende der Bilddaten";
    case LoadCode::Changed:
      return "Bild nicht geladen: Datei seit dem Lesen geändert";
    case LoadCode::NoImage:
      return "Kein Bild: BITPIX oder Größe ungültig";
  }
  return "Bild nicht geladen";
}

std::string_view StatusText(StarCode code) {
  switch (code) {
    case StarCode::Found:
      return "Stern gefunden";
    case StarCode::Flat:
      return "Kein Stern an dieser Stelle: nichts hebt sich vom Himmel ab, nichts geändert";
    case StarCode::Outside:
      return "Klick neben dem Bild, nichts geändert";
  }
  return "";
}

std::string LoadedText(const PixelData& pixels, int bitpix) {
  return std::string(StatusText(LoadCode::Loaded)) + ": " + std::to_string(pixels.width) + " × " +
         std::to_string(pixels.height) + " Pixel, BITPIX " + std::to_string(bitpix);
}

std::string StarText(const Star& star, double savedY, int pixelX, int pixelY) {
  const auto hundredths = [](double value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2).ptr);
  };
  return "Referenzpixel aus Stern: X " + std::to_string(pixelX) + " Y " + std::to_string(pixelY) +
         " (Zentrum X " + hundredths(star.x) + " Y " + hundredths(savedY) + ")";
}

std::string ValueText(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 10).ptr;
  return std::string(text, end);
}

std::string CursorText(double x, double y, std::optional<double> value, const std::optional<SkyPoint>& sky) {
  std::string text = "X " + ValueText(std::round(x)) + "  Y " + ValueText(std::round(y)) + "  Wert ";
  text += !value ? "BLANK" : std::isnan(*value) ? "NaN" : ValueText(*value);
  if (!sky) return text;
  const auto hours = static_cast<float>(sky->ra / 15.0);
  const auto degrees = static_cast<float>(sky->dec);
  const coords::SexagesimalTexts ra = coords::RaFieldsFromHours(hours);
  const coords::SexagesimalTexts dec = coords::DecFieldsFromDegrees(degrees);
  return text + "  RA " + Trimmed(ra.whole) + " " + Trimmed(ra.minutes) + " " + Trimmed(ra.seconds) + " = " +
         Trimmed(coords::FormatNumberText(hours)) + " h  Dek " + Trimmed(dec.whole) + " " +
         Trimmed(dec.minutes) + " " + Trimmed(dec.seconds) + " = " +
         Trimmed(coords::FormatNumberText(degrees)) + "°";
}

}  // namespace imageview
