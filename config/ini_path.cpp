#include "config/ini_path.h"

#include "config/ini_reader.h"

namespace config {

std::vector<std::filesystem::path> IniFolders(const std::filesystem::path& startDirectory,
                                              const IniEnvironment& environment) {
  std::vector<std::filesystem::path> folders = {startDirectory};
  // Relative values are invalid in the XDG base directory rules and ignored.
  const std::filesystem::path xdg(environment.xdgConfigHome), home(environment.home),
      appData(environment.appData);
  if (xdg.is_absolute())
    folders.push_back(xdg / "velorin");
  else if (home.is_absolute())
    folders.push_back(home / ".config" / "velorin");
  if (appData.is_absolute()) folders.push_back(appData / "Velorin");
  if (environment.programFolder.is_absolute()) folders.push_back(environment.programFolder);
  return folders;
}

IniLocation ChooseIniLocation(const std::filesystem::path& startDirectory, const IniEnvironment& environment,
                              const std::function<bool(const std::filesystem::path&)>& exists) {
  const std::vector<std::filesystem::path> folders = IniFolders(startDirectory, environment);
  for (std::size_t i = 0; i < folders.size(); ++i)
    if (exists(folders[i] / kIniFileName)) return {folders[i], i > 0};
  return {startDirectory, false};
}

}  // namespace config
