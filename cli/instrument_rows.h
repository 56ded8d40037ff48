// The instrument rows of velorin.ini as a read finds them, and the rows the
// command line makes of its own.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/options.h"
#include "config/instrument.h"

namespace cli {

struct IniRows {
  bool opened = false;
  std::string path;  // the file read, for messages
  std::vector<config::Instrument> rows;
  std::optional<double> checkTolerance;  // [checktolerance]
};

// The rows a first read of the run takes: from --ini, or by the window's
// rule from the start-up directory.
IniRows LoadInstrumentRows(const Options& options);

// The index of the first row with this name (bytes).
std::optional<std::size_t> FindRow(std::span<const config::Instrument> rows, const std::string& name);

// Square pixels of the given arc-seconds; no TELESCOP is written for it.
config::Instrument ScaleRow(float arcsec, float rotation);

}  // namespace cli
