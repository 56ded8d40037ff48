#pragma once

#include <string>

namespace fits {

// The outcome of writing a file: on failure the target is as it was and
// error says why (German, for the log).
struct SaveResult {
  bool ok = false;
  std::string error;
};

}  // namespace fits
