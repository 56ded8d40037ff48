// Where velorin.ini is read from. A program started from the desktop menu
// runs in the home folder, and a Windows user unpacks velorin-cli.exe with
// its example beside it, so other folders stand in when the start-up
// directory has none of its own.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

namespace config {

// What the process was given about its folders.
struct IniEnvironment {
  std::string_view xdgConfigHome;
  std::string_view home;
  std::string_view appData;             // %APPDATA% on Windows
  std::filesystem::path programFolder;  // where the executable lies; may be empty
};

struct IniLocation {
  std::filesystem::path directory;  // holds velorin.ini
  bool fromConfigHome = false;      // the start-up directory had none
};

// The folders looked in, in order: the start-up directory, the configuration
// folder ($XDG_CONFIG_HOME/velorin, or $HOME/.config/velorin when that is
// unset or relative), %APPDATA%\Velorin, the program's folder. Relative or
// empty values are left out.
std::vector<std::filesystem::path> IniFolders(const std::filesystem::path& startDirectory,
                                              const IniEnvironment& environment);

// The first of the folders that holds a velorin.ini (the start-up directory
// even with one that cannot be read, so its warning is not hidden); the
// start-up directory when none does. exists is asked about the files, so the
// choice itself touches nothing.
IniLocation ChooseIniLocation(const std::filesystem::path& startDirectory, const IniEnvironment& environment,
                              const std::function<bool(const std::filesystem::path&)>& exists);

}  // namespace config
