// Cards, headers and files for the tests, each test in a directory of its own.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fits/fits_sizes.h"

namespace fits_test {

// One card: the text, blank-filled to 80 columns.
inline std::string Card(std::string_view text) {
  std::string card(text.substr(0, fits::kCardBytes));
  return card.append(fits::kCardBytes - card.size(), ' ');
}

// Cards in order, separated by "|", then blank cards to the end of the record.
inline std::string Header(std::string_view cards) {
  std::string header;
  for (std::size_t at = 0, end = 0; end != std::string_view::npos; at = end + 1)
    header += Card(cards.substr(at, (end = cards.find('|', at)) - at));
  return header.append(fits::FillBytes(std::int64_t(header.size())), ' ');
}

inline std::string Slurp(const std::filesystem::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

struct TempDir {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("velorin_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
       std::to_string(::getpid()));
  TempDir() { std::filesystem::create_directories(path); }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
  std::size_t Count() const {
    return std::size_t(std::distance(std::filesystem::directory_iterator(path), {}));
  }
};

}  // namespace fits_test
