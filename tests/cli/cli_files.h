// Files, folders and processes for the command line's tests.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace cli_test {

namespace fs = std::filesystem;

inline std::string Slurp(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

inline void Spit(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A 16-bit image of the given size with these cards after NAXIS2; the data
// count up so that a flip shows.
inline std::string MakeFits(int naxis1, int naxis2, const std::vector<std::string>& cards) {
  std::string header;
  const auto card = [&](const std::string& text) { header += (text + std::string(80, ' ')).substr(0, 80); };
  const auto value = [](const char* key, const std::string& v) {
    return (std::string(key) + "        ").substr(0, 8) + "= " +
           std::string(20 - std::min<size_t>(20, v.size()), ' ') + v;
  };
  card(value("SIMPLE", "T"));
  card(value("BITPIX", "16"));
  card(value("NAXIS", "2"));
  card(value("NAXIS1", std::to_string(naxis1)));
  card(value("NAXIS2", std::to_string(naxis2)));
  for (const std::string& text : cards) card(text);
  card("END");
  header.resize((header.size() + 2879) / 2880 * 2880, ' ');
  std::string data;
  for (int i = 0; i < naxis1 * naxis2; ++i) {
    data += static_cast<char>((i >> 8) & 0x7F);
    data += static_cast<char>(i & 0xFF);
  }
  data.resize((data.size() + 2879) / 2880 * 2880, '\0');
  return header + data;
}

struct Ran {
  int status = -1;
  std::string out;  // standard output, then standard error
};

// Runs a shell command line in folder; standard error follows standard output.
inline Ran RunIn(const fs::path& folder, const std::string& command) {
  Ran ran;
  const std::string line = "cd '" + folder.string() + "' && " + command + " 2>&1";
  FILE* pipe = popen(line.c_str(), "r");
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) ran.out.append(buffer, n);
  const int status = pclose(pipe);
  ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return ran;
}

inline std::string Cli() {
  return VELORIN_CLI;
}

// A folder of its own for each test, removed afterwards.
class CliFolder : public testing::Test {
 protected:
  fs::path dir;
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() / ("velorin_cli_" + std::string(info->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    Spit(dir / "velorin.ini",
         "[instruments]\n'Refraktor 80' -0.000417 0.000417 0\n'C14 Hyperstar' -0.000355 0.000355 12.5\n"
         "[addheaderlines]\nOBSERVER= 'Velorin'\n[removeheaderlines]\nSWCREATE\n[end]\n");
  }
  void TearDown() override { fs::remove_all(dir); }
};

}  // namespace cli_test
