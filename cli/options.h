// The command line of velorin-cli: what was asked for, each value already
// through the window's own number-text rules.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class Command { Show, Apply, Check };

struct Options {
  Command command = Command::Apply;
  std::vector<std::string> files;  // as given, in order
  bool json = false;
  bool quiet = false;
  bool dryRun = false;
  bool flip = false;
  bool replaceWcs = false;
  bool fromHeader = false;
  // The sky: apply checks before saving, or takes astrometry.net's solution.
  bool check = false;
  bool solve = false;
  std::vector<std::filesystem::path> indexFolders;  // astrometry.net's index files
  double tolerancePixels = 2.0;                     // velorin.ini's [checktolerance]
  // Typed entries, as the fields would take them.
  std::optional<float> raHours;
  std::optional<float> decDegrees;
  std::optional<std::int16_t> x;
  std::optional<std::int16_t> y;
  // The instrument row: a velorin.ini row by name, or square pixels of this
  // many arc-seconds.
  std::optional<std::string> instrument;
  std::optional<float> scaleArcsec;
  std::optional<float> rotation;
  // velorin.ini: this file when given, else the window's rule from the
  // start-up directory.
  std::filesystem::path iniFile;
  std::filesystem::path startDirectory;
  std::string output;  // folder for the results; empty: in place
  std::string logFile;
  unsigned jobs = 1;

  bool HasEntries() const { return raHours || decDegrees || x || y || instrument || scaleArcsec || rotation; }
};

// The outcome of reading the command line: options to run, or an exit code
// with the text to print (help and version on standard output, errors on
// standard error).
struct ParsedCommandLine {
  std::optional<Options> options;
  int exitCode = 0;
  std::string text;
};

// Reads the arguments with CLI11 and checks every value; nothing but
// velorin.ini, --files-from and the folders named is looked at.
ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);

}  // namespace cli
