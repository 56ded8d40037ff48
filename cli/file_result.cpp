#include "cli/file_result.h"

#include <algorithm>

#include "fits/card_text.h"
#include "fits/fits_sizes.h"
#include "pipeline/file_kind.h"

namespace cli {

namespace {

// Notes on the input's layout that every long capture header gets; they stay
// in the log but warn of nothing the user must look at.
constexpr std::string_view kLayoutNotes[] = {"Warnung: Fitsheader länger als 36 Zeilen",
                                             "Warnung: FITS-Header länger als 1 2880Byte-Record ",
                                             "Warnung:  Leerzeile im Fitsheader"};

}  // namespace

std::string NotReadText(const pipeline::InputRead& read, const std::string& path) {
  const std::string why = pipeline::WhyNotAnImage(path);
  return pipeline::ReadStatusText(read) + (why.empty() ? "" : " (" + why + ")");
}

std::vector<std::string> WarningLines(std::string_view log) {
  std::vector<std::string> warnings;
  for (std::size_t at = 0; at < log.size();) {
    const std::size_t end = std::min(log.find("\r\n", at), log.size());
    const std::string_view line = log.substr(at, end - at);
    if (line.starts_with("Warnung:") && std::ranges::find(kLayoutNotes, line) == std::end(kLayoutNotes))
      warnings.emplace_back(line);
    at = end + 2;
  }
  return warnings;
}

std::string WarningCount(std::size_t warnings) {
  if (warnings == 0) return {};
  return ", " + std::to_string(warnings) + (warnings == 1 ? " Warnung" : " Warnungen");
}

void TakeWrittenValues(std::string_view header, FileResult& result) {
  for (std::size_t at = 0; at + fits::kCardBytes <= header.size(); at += fits::kCardBytes) {
    const std::string_view card = header.substr(at, fits::kCardBytes);
    for (std::size_t i = 0; i < kReportedCards.size(); ++i) {
      if (fits::KeywordOf(card) != kReportedCards[i] || card[8] != '=' || result.values[i]) continue;
      const std::string_view value = fits::TrimBlanks(fits::ValueField(card));
      if (!value.empty()) result.values[i] = std::string(value);
    }
  }
}

}  // namespace cli
