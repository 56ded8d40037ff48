// astrometry.net's index files: where they lie, which quad sizes each one
// holds, which of them fit a field, and which Debian packages would.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace skycheck {

struct IndexFile {
  std::string path;
  double quadLowArcmin = 0.0;  // SCALE_L and SCALE_U of its header, radians there
  double quadHighArcmin = 0.0;
};

// The folders of the add_path lines of astrometry.cfg's text, then
// /usr/share/astrometry where Debian's index packages install, once each.
std::vector<std::filesystem::path> DefaultIndexFolders(std::string_view astrometryCfg);
// The same from this system's /etc/astrometry.cfg, as solve-field reads it.
std::vector<std::filesystem::path> InstalledIndexFolders();

// Every FITS file in the folders whose primary header names its quad
// sizes; files and folders that cannot be read are passed over.
std::vector<IndexFile> FindIndexFiles(std::span<const std::filesystem::path> folders);

// The quad sizes a field can be solved with: from a tenth of its long side
// to its short side (quads larger than the short side never lie within it).
struct QuadRange {
  double lowArcmin = 0.0;
  double highArcmin = 0.0;
};
QuadRange QuadsForField(double shortArcmin, double longArcmin);

std::vector<IndexFile> FittingIndexFiles(std::span<const IndexFile> files, QuadRange range);

// Debian's Tycho-2 index packages whose quads meet the range, by name,
// separated by blanks; empty when none does (fields under about 22′).
std::string FittingPackages(QuadRange range);

}  // namespace skycheck
