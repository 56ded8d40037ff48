// velorin-cli: the window's read and save road for many files, without a
// display.
#include <iostream>

#include "cli/options.h"
#include "cli/run.h"
#include "fits/platform_file.h"

int main(int argc, char** argv) {
  const cli::ParsedCommandLine parsed = cli::ParseCommandLine(argc, argv);
  if (!parsed.options) {
    (parsed.exitCode == 0 ? std::cout : std::cerr) << parsed.text;
    return parsed.exitCode;
  }
  fits::platform::IgnoreFileSizeSignal();
  fits::platform::InstallStopHandlers();
  switch (parsed.options->command) {
    case cli::Command::Show:
      return cli::RunShow(*parsed.options);
    case cli::Command::Check:
      return cli::RunCheck(*parsed.options);
    case cli::Command::Apply:
      break;
  }
  return cli::RunApply(*parsed.options);
}
