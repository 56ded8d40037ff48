// "show": what a read of the file shows in the window.
#pragma once

#include <string>

#include "cli/options.h"

namespace cli {

struct ShownFile {
  bool ok = false;   // a read after which the file could be saved
  std::string line;  // one line of text, or one JSON object
  std::int64_t bytes = 0;
};

ShownFile ShowFile(const Options& options, const std::string& path);

}  // namespace cli
