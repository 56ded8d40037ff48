// One file through the window's road: read as "fits lesen" at the first read
// of a run, the entries typed, the save option chosen, "fits speichern".
#pragma once

#include <string>

#include "cli/file_result.h"
#include "cli/options.h"

namespace cli {

// Where a file's result goes: the input itself, or its name in --output.
std::string OutputName(const Options& options, const std::string& input);

// A header to write in place is left in the result's pending header, for the
// caller to write with others of the batch.
FileResult ApplyToFile(const Options& options, const std::string& path);

}  // namespace cli
