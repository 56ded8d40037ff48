// Commands run through the shell by the window and command-line tests, which
// run where a POSIX shell, fitsverify and astropy are.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace fits_test {

struct Ran {
  int status = -1;
  std::string out;  // standard output, then standard error
};

// Runs a shell command line in folder; standard error follows standard output.
inline Ran RunIn(const std::filesystem::path& folder, const std::string& command) {
  Ran ran;
  FILE* pipe = ::popen(("cd '" + folder.string() + "' && " + command + " 2>&1").c_str(), "r");
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) ran.out.append(buffer, n);
  const int status = ::pclose(pipe);
  ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return ran;
}

// Output of a shell command; empty when it exits 0 and prints ok.
inline std::string Problems(const std::string& command, const std::string& ok) {
  const Ran ran = RunIn(".", command);
  return ran.status == 0 && ran.out.find(ok) != std::string::npos ? "" : ran.out + ".";
}

inline std::string FitsverifyProblems(const std::string& path) {
  return Problems("fitsverify '" + path + "'", "Verification found 0 warning(s) and 0 error(s).");
}

}  // namespace fits_test
