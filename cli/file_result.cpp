#include "cli/file_result.h"

#include "fits/card_text.h"
#include "fits/fits_sizes.h"

namespace cli {

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
