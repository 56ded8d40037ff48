// Small FITS images built in memory for the tests.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "fits/fits_sizes.h"

namespace fits_test {

// One card: the text, blank-filled to 80 columns.
inline std::string Card(std::string_view text) {
  std::string card(text.substr(0, fits::kCardBytes));
  card.resize(fits::kCardBytes, ' ');
  return card;
}

// Cards in order, then blank cards to the end of the record.
inline std::string Header(std::initializer_list<std::string_view> cards) {
  std::string header;
  for (std::string_view text : cards) header += Card(text);
  header.resize(
      header.size() + static_cast<std::size_t>(fits::FillBytes(static_cast<std::int64_t>(header.size()))),
      ' ');
  return header;
}

}  // namespace fits_test
