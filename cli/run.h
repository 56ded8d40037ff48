// The two commands over all files named: output lines in argument order,
// the log, and the exit status.
#pragma once

#include "cli/options.h"

namespace cli {

// 0 when every file was saved, 1 when some file was not, 2 when the log
// cannot be created (before any file is read).
int RunApply(const Options& options);

// 0 when every file could be read for saving, else 1.
int RunShow(const Options& options);

}  // namespace cli
