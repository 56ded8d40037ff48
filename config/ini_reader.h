// Reader of velorin.ini: the instruments offered in the instrument list, the
// header lines added to every output header, the keyword prefixes dropped
// from the input header, and the tolerance of the check against the sky.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/instrument.h"

namespace config {

inline constexpr const char* kIniFileName = "velorin.ini";
// Its lists hold a few hundred entries: a larger file is no configuration
// and is not read at all.
inline constexpr std::size_t kIniMostBytes = std::size_t{1} << 20;

// How many entries each list can still take; a surplus is dropped with one
// log line per list.
struct IniRoom {
  std::size_t addedLines = 0;
  std::size_t removeKeys = 0;
  std::size_t instruments = 0;
};

struct IniContents {
  bool opened = false;    // false: missing, unreadable or too large, everything else empty
  bool tooLarge = false;  // larger than kIniMostBytes
  std::vector<std::string> addedLines;
  std::vector<std::string> removeKeys;
  std::vector<Instrument> instruments;
  // [checktolerance]: how many pixels the check against the sky lets an
  // entered WCS lie off astrometry.net's solution.
  std::optional<double> checkTolerance;
  std::vector<std::string> logLines;  // for logfile.txt, in file order
};

// Parses one item "'name' CDELT1 CDELT2 rotation" (exactly one blank after
// the closing quote, one blank between the numbers). False when the closing
// quote or a separating blank is missing.
bool ParseInstrumentLine(std::string_view item, Instrument& instrument);

// Reads the text of the file. The [instruments] section is read only when
// readInstruments is set (the instrument list is built once per run).
IniContents ParseIni(std::string_view text, bool readInstruments, const IniRoom& room);

// Opens directory/velorin.ini and parses it; a missing, unreadable or too
// large file is one log line and empty lists.
IniContents LoadIni(const std::filesystem::path& directory, bool readInstruments, const IniRoom& room);

// The same for a file named directly (the command line's --ini).
IniContents LoadIniFile(const std::filesystem::path& path, bool readInstruments, const IniRoom& room);

}  // namespace config
