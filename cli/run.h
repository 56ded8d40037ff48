// The two commands over all files named: output lines in argument order,
// the log, and the exit status.
#pragma once

#include "cli/options.h"

namespace cli {

// 0 when every file was saved, 1 when some file was not, 2 when the log
// cannot be created (before any file is read), 128 + the signal's number
// when a signal or a closed standard output stopped the batch.
int RunApply(const Options& options);

// 0 when every file could be read for saving, else 1; stopped as RunApply.
int RunShow(const Options& options);

// 0 when the WCS of every file fits the sky, else 1; nothing is written;
// stopped as RunApply.
int RunCheck(const Options& options);

}  // namespace cli
