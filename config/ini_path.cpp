#include "config/ini_path.h"

#include "config/ini_reader.h"

namespace config {
namespace {

// Empty when neither value gives an absolute path.
std::filesystem::path ConfigHomeDirectory(std::string_view xdgConfigHome, std::string_view home) {
  // Relative values are invalid in the XDG base directory rules and ignored.
  const std::filesystem::path xdg(xdgConfigHome);
  if (xdg.is_absolute()) return xdg / "velorin";
  const std::filesystem::path homeDirectory(home);
  if (homeDirectory.is_absolute()) return homeDirectory / ".config" / "velorin";
  return {};
}

}  // namespace

IniLocation ChooseIniLocation(const std::filesystem::path& startDirectory, std::string_view xdgConfigHome,
                              std::string_view home,
                              const std::function<bool(const std::filesystem::path&)>& exists) {
  if (exists(startDirectory / kIniFileName)) return {startDirectory, false};
  const std::filesystem::path configHome = ConfigHomeDirectory(xdgConfigHome, home);
  if (configHome.empty() || !exists(configHome / kIniFileName)) return {startDirectory, false};
  return {configHome, true};
}

}  // namespace config
