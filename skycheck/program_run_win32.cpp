// astrometry.net is a POSIX suite: on Windows the check starts nothing.
#include "skycheck/program_run.h"

namespace skycheck {

bool CanStartPrograms() {
  return false;
}

bool ProgramAvailable(const std::string&) {
  return false;
}

ProgramRun RunProgram(const std::vector<std::string>&, double) {
  ProgramRun run;
  run.error = "auf Windows nicht verfügbar";
  return run;
}

std::filesystem::path MakeWorkFolder() {
  return {};
}

}  // namespace skycheck
