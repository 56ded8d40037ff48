#include "skycheck/index_files.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <numbers>
#include <optional>

#include "coords/number_text.h"
#include "fits/card_text.h"
#include "fits/fits_sizes.h"

namespace skycheck {
namespace {

constexpr double kArcminPerRadian = 180.0 * 60.0 / std::numbers::pi;

// The quad sizes Debian's packages hold, as their descriptions give them.
struct Package {
  const char* name;
  double lowArcmin;
  double highArcmin;
};
constexpr Package kTycho2Packages[] = {{"astrometry-data-tycho2-07", 22, 30},
                                       {"astrometry-data-tycho2-08", 30, 44},
                                       {"astrometry-data-tycho2-09", 44, 60},
                                       {"astrometry-data-tycho2-10-19", 60, 2000}};

// SCALE_L and SCALE_U of the primary header; a few records at most, as an
// index header is short.
std::optional<IndexFile> ReadIndexHeader(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::optional<double> low, high;
  std::string card(fits::kCardBytes, ' ');
  for (int i = 0; i < 10 * static_cast<int>(fits::kCardsPerRecord); ++i) {
    if (!file.read(card.data(), static_cast<std::streamsize>(card.size()))) break;
    if (i == 0 && !card.starts_with("SIMPLE  =")) break;
    const std::string_view keyword = fits::KeywordOf(card);
    if (keyword == "END") break;
    if (keyword == "SCALE_L") low = coords::ParseLeadingNumber(fits::ValueField(card)) * kArcminPerRadian;
    if (keyword == "SCALE_U") high = coords::ParseLeadingNumber(fits::ValueField(card)) * kArcminPerRadian;
  }
  if (!low || !high || !(*low > 0.0 && *high >= *low)) return std::nullopt;
  return IndexFile{std::filesystem::absolute(path).string(), *low, *high};
}

}  // namespace

std::vector<std::filesystem::path> DefaultIndexFolders(std::string_view astrometryCfg) {
  std::vector<std::filesystem::path> folders;
  const auto add = [&](const std::filesystem::path& folder) {
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
  };
  for (std::size_t at = 0; at < astrometryCfg.size();) {
    const std::size_t end = std::min(astrometryCfg.find('\n', at), astrometryCfg.size());
    const std::string_view line = fits::TrimBlanks(astrometryCfg.substr(at, end - at));
    if (line.starts_with("add_path ")) add(std::string(fits::TrimBlanks(line.substr(9))));
    at = end + 1;
  }
  add("/usr/share/astrometry");
  return folders;
}

std::vector<std::filesystem::path> InstalledIndexFolders() {
  std::ifstream cfg("/etc/astrometry.cfg", std::ios::binary);
  return DefaultIndexFolders(std::string{std::istreambuf_iterator<char>(cfg), {}});
}

std::vector<IndexFile> FindIndexFiles(std::span<const std::filesystem::path> folders) {
  std::vector<IndexFile> files;
  for (const std::filesystem::path& folder : folders) {
    std::error_code error;
    std::vector<std::filesystem::path> names;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
      if (it->path().extension() == ".fits" && it->is_regular_file(error)) names.push_back(it->path());
    std::sort(names.begin(), names.end());
    for (const std::filesystem::path& name : names)
      if (const auto file = ReadIndexHeader(name)) files.push_back(*file);
  }
  return files;
}

QuadRange QuadsForField(double shortArcmin, double longArcmin) {
  return {0.1 * longArcmin, shortArcmin};
}

std::vector<IndexFile> FittingIndexFiles(std::span<const IndexFile> files, QuadRange range) {
  std::vector<IndexFile> fitting;
  for (const IndexFile& file : files)
    if (file.quadLowArcmin <= range.highArcmin && file.quadHighArcmin >= range.lowArcmin)
      fitting.push_back(file);
  return fitting;
}

std::string FittingPackages(QuadRange range) {
  std::string names;
  for (const Package& package : kTycho2Packages)
    if (package.lowArcmin <= range.highArcmin && package.highArcmin >= range.lowArcmin)
      names += (names.empty() ? "" : " ") + std::string(package.name);
  return names;
}

}  // namespace skycheck
