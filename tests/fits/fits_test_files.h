// Cards, headers and files for the tests, each test in a directory of its
// own; shared by the library, window and command-line tests, on every
// platform the tests run on.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "fits/fits_sizes.h"
#include "fits/header_rewrite.h"

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

// A 16-bit image with these cards after NAXIS2, values right-aligned in
// column 30; the data count up so that a flip shows.
inline std::string MakeFits(int naxis1, int naxis2, const std::vector<std::string>& cards = {}) {
  char axes[160];
  std::snprintf(axes, sizeof axes,
                "SIMPLE  = %20s|BITPIX  = %20d|NAXIS   = %20d|NAXIS1  = %20d|NAXIS2  = %20d|", "T", 16, 2,
                naxis1, naxis2);
  std::string list = axes;
  for (const std::string& card : cards) list += card + "|";
  std::string image = Header(list + "END");
  for (int i = 0; i < naxis1 * naxis2; ++i) image += {char((i >> 8) & 0x7F), char(i & 0xFF)};
  return image.append(fits::FillBytes(2 * naxis1 * naxis2), '\0');
}

inline std::string Slurp(const std::filesystem::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// The names in a folder.
inline std::set<std::string> Names(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The file as it is now, to write over a one-record header.
inline fits::InPlaceHeader InPlace(const std::filesystem::path& path, std::string header) {
  fits::InPlaceHeader in{path.string(), std::move(header), 2880, {}, {}};
  std::string error;
  fits::platform::IdentityOf(path.string(), in.asRead, error);
  return in;
}

// The two instruments and the header lines that the window and command-line tests start from.
inline const char* const kIni =
    "[instruments]\n'Refraktor 80' -0.000417 0.000417 0\n'C14 Hyperstar' -0.000355 0.000355 12.5\n"
    "[addheaderlines]\nOBSERVER= 'Velorin'\n[removeheaderlines]\nSWCREATE\n[end]\n";

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
