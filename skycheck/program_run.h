// Starting astrometry.net's programs: the only files of the sky check that
// know the platform, program_run.cpp for POSIX and program_run_win32.cpp,
// which starts nothing and says so.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace skycheck {

struct ProgramRun {
  bool started = false;
  int exitCode = -1;      // -1 when it did not end by itself
  bool timedOut = false;  // ended by the time limit or a stop of the batch
  double cpuSeconds = 0;  // its own and its children's
  std::string output;     // standard output and error, interleaved
  std::string error;      // German, when it could not be started
};

// False where this system starts none of astrometry.net's programs.
bool CanStartPrograms();

// Whether a program of this name can be started (found on PATH).
bool ProgramAvailable(const std::string& name);

// Runs argv[0], found on PATH, with the arguments, standard input empty.
// After wallSeconds, or once a stop of the batch is asked, it is ended with
// every process it started.
ProgramRun RunProgram(const std::vector<std::string>& argv, double wallSeconds);

// A new folder of its own under the system's temporary folder; empty when
// none can be made.
std::filesystem::path MakeWorkFolder();

}  // namespace skycheck
