#include "pipeline/file_kind.h"

#include <filesystem>
#include <fstream>
#include <string_view>

#include "fits/card_text.h"
#include "fits/fits_sizes.h"
#include "fits/platform_file.h"

namespace pipeline {
namespace {

constexpr int kMostRecords = 1000;  // read no further looking for a header's END

// The cards of the header that starts at the stream's position, up to END.
std::string HeaderCards(std::istream& input) {
  std::string cards, record(fits::kRecordBytes, ' ');
  for (int i = 0; i < kMostRecords && input.read(record.data(), std::streamsize(record.size())); ++i) {
    cards += record;
    for (std::size_t at = 0; at < record.size(); at += fits::kCardBytes)
      if (fits::KeywordOf(std::string_view(record).substr(at, fits::kCardBytes)) == "END") return cards;
  }
  return {};
}

// The value text of the first card with this keyword (8 characters), trimmed; empty without one.
std::string Value(std::string_view cards, std::string_view keyword) {
  for (std::size_t at = 0; at + fits::kCardBytes <= cards.size(); at += fits::kCardBytes)
    if (cards.substr(at, fits::kKeywordBytes) == keyword) {
      const std::string_view card = cards.substr(at, fits::kCardBytes);
      if (auto text = fits::StringValue(card)) return *text;
      return std::string(fits::TrimBlanks(fits::ValueField(card)));
    }
  return {};
}

}  // namespace

std::string WhyNotAnImage(const std::string& path) {
  const std::filesystem::path native = fits::platform::NativePath(path);
  std::error_code error;
  const auto status = std::filesystem::status(native, error);
  if (!std::filesystem::exists(status)) return "Datei nicht gefunden";
  if (std::filesystem::is_directory(status)) return "ist ein Ordner";
  std::ifstream input(native, std::ios::binary);
  if (!input) return "keine Leserechte";
  std::string start(3, '\0');
  input.read(start.data(), 3);
  if (start.starts_with("\x1f\x8b") || start == "BZh" ||
      start ==
          "\xfd"
          "7z")
    return "gzip-, bzip2- oder xz-komprimiert, nicht unterstützt: erst entpacken";
  input.seekg(0);
  const std::string primary = HeaderCards(input);
  if (!std::string_view(primary).starts_with("SIMPLE  =")) return "keine FITS-Datei";
  if (Value(primary, "NAXIS   ") != "0") return {};
  // An empty primary image has no data: the next header follows at once.
  const std::string extension = HeaderCards(input);
  if (Value(extension, "ZIMAGE  ") == "T")
    return "Bild mit fpack tile-komprimiert, nicht unterstützt: erst mit funpack entpacken";
  if (Value(extension, "XTENSION") == "IMAGE")
    return "Bild in einer Erweiterung, nicht unterstützt: nur das Hauptbild wird gelesen";
  return "kein Bild im Haupt-HDU, NAXIS = 0";
}

}  // namespace pipeline
