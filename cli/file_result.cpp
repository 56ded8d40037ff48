#include "cli/file_result.h"

#include "fits/fits_sizes.h"

namespace cli {

void TakeWrittenValues(std::string_view header, FileResult& result) {
  for (std::size_t at = 0; at + fits::kCardBytes <= header.size(); at += fits::kCardBytes) {
    const std::string_view card = header.substr(at, fits::kCardBytes);
    for (std::size_t i = 0; i < kReportedCards.size(); ++i) {
      const std::string_view name = kReportedCards[i];
      if (card.substr(0, name.size()) != name || card.substr(name.size(), 3) != "  =" || result.values[i])
        continue;
      std::string_view value = card.substr(10);
      value = value.substr(0, value.find('/'));
      const auto first = value.find_first_not_of(' ');
      if (first == std::string_view::npos) continue;
      value = value.substr(first, value.find_last_not_of(' ') - first + 1);
      result.values[i] = std::string(value);
    }
  }
}

}  // namespace cli
