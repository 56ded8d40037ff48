// Standard FITS software as the judge of saved files: fitsverify and astropy.
#pragma once

#include <cstdio>
#include <string>

namespace app_test {

// Output and exit status of a shell command.
inline std::string Run(const std::string& command, int& status) {
  std::string output;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    status = -1;
    return output;
  }
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  status = ::pclose(pipe);
  return output;
}

// Empty when fitsverify finds no error and no warning, else its report.
inline std::string FitsverifyProblems(const std::string& path) {
  int status = 0;
  const std::string output = Run("fitsverify '" + path + "'", status);
  if (output.find("Verification found 0 warning(s) and 0 error(s).") != std::string::npos) return "";
  return output.empty() ? "fitsverify did not run" : output;
}

// Empty when check_wcs.py accepts the file with these expectations (JSON).
inline std::string AstropyProblems(const std::string& json) {
  int status = 0;
  std::string quoted;
  for (char c : json) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  const std::string output =
      Run(std::string(VELORIN_PYTHON) + " " + VELORIN_CHECK_WCS + " '" + quoted + "'", status);
  return status == 0 && output == "OK\n" ? "" : output;
}

}  // namespace app_test
