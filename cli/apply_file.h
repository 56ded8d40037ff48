// One file through the window's road: read as "fits lesen" at the first read
// of a run, the entries typed, the save option chosen, "fits speichern".
#pragma once

#include <optional>
#include <string>

#include "cli/field_state.h"
#include "cli/file_result.h"
#include "cli/options.h"
#include "fits/header_composer.h"

namespace cli {

// A file on its way to a save: read, the entries typed, the header composed.
// The fields hold on to the log, so a road stays where it was made.
struct Road {
  Road() = default;
  Road(const Road&) = delete;
  Road& operator=(const Road&) = delete;

  pipeline::LogBuffer log;
  FieldState state{log};
  pipeline::InputRead read;
  std::optional<config::Instrument> ownRow;  // a row of the command line's own, as --scale makes
  bool entries = false;                      // entries (or the header's hints) replace what the file has
  bool wholeNew = false;                     // a WCS entered whole, none of the file's own kept
  fits::ComposedHeader header;
};

// Reads the file, types the entries and composes the header a save would
// write. The German status that ends the file's road, empty when the header
// is ready.
std::string PlanSave(const Options& options, const std::string& path, Road& road);

// Composes the header anew from the fields as they are now.
std::string ComposeSave(const Options& options, Road& road);

// Selecting "flip Nord/Süd" mirrors the reference pixel, or refuses with the
// window's log line.
bool ChooseFlip(FieldState& state, std::int16_t naxis2, pipeline::LogSink& log);

// Where a file's result goes: the input itself, or its name in --output.
std::string OutputName(const Options& options, const std::string& input);

// A header to write in place is left in the result's pending header, for the
// caller to write with others of the batch.
FileResult ApplyToFile(const Options& options, const std::string& path);

}  // namespace cli
