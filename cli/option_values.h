// The checks of option values that CLI11 leaves as texts: numbers by the
// window's rules, velorin.ini and its instrument names, the name list, the
// log and the output folder.
#pragma once

#include <string>

#include "cli/options.h"

namespace cli {

// The option texts as given; empty optionals were not given.
struct OptionTexts {
  std::optional<std::string> ra, dec, x, y, scale, rotation, jobs, ini, filesFrom;
  bool nulEnded = false;  // -0: the --files-from names end in NUL bytes
};

// Fills the checked values into options; the German reason on refusal, empty
// when everything may run.
std::string CheckOptionValues(const OptionTexts& texts, Options& options);

}  // namespace cli
