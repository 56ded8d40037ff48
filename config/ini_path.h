// Where velorin.ini is read from. A program started from the desktop menu
// runs in the home folder, so a file in the user's configuration folder
// stands in when the start-up directory has none of its own.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace config {

struct IniLocation {
  std::filesystem::path directory;  // holds velorin.ini
  bool fromConfigHome = false;      // the start-up directory had none
};

// The start-up directory whenever it holds a velorin.ini (even one that
// cannot be read, so its warning is not hidden) or the configuration folder
// holds none; otherwise the configuration folder: $XDG_CONFIG_HOME/velorin,
// or $HOME/.config/velorin when that is unset or relative. exists is asked
// about the files, so the choice itself touches nothing.
IniLocation ChooseIniLocation(const std::filesystem::path& startDirectory, std::string_view xdgConfigHome,
                              std::string_view home,
                              const std::function<bool(const std::filesystem::path&)>& exists);

}  // namespace config
