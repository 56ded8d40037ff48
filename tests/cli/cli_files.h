// A folder of its own with velorin.ini for each command-line test.
#pragma once

#include "tests/fits/fits_test_files.h"
#include "tests/fits/shell_commands.h"

namespace cli_test {

namespace fs = std::filesystem;
using namespace fits_test;

inline const std::string kCli = VELORIN_CLI;

class CliFolder : public testing::Test {
 protected:
  fits_test::TempDir temp;
  const fs::path dir = temp.path;
  void SetUp() override { WriteBytes(dir / "velorin.ini", fits_test::kIni); }
};

}  // namespace cli_test
