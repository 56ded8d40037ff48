#include "config/ini_path.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(ChooseIniLocation, StartFolderFirstThenConfigFolderThenAppDataThenProgramFolder) {
  // $XDG_CONFIG_HOME, $HOME, the velorin.ini files that exist -> the folder chosen, from elsewhere;
  // %APPDATA% is /a, the program lies in /p.
  using Files = std::set<std::string>;
  // clang-format off
  const std::tuple<const char*, const char*, Files, const char*, bool> cases[] = {
      {"/x", "/h", {"/start/velorin.ini", "/x/velorin/velorin.ini"}, "/start", false},
      {"/x", "/h", {"/x/velorin/velorin.ini", "/h/.config/velorin/velorin.ini"}, "/x/velorin", true},
      {"", "/h", {"/h/.config/velorin/velorin.ini"}, "/h/.config/velorin", true},
      {"rel", "/h", {"/h/.config/velorin/velorin.ini", "rel/velorin/velorin.ini"}, "/h/.config/velorin", true},
      {"/x", "/h", {"/h/.config/velorin/velorin.ini"}, "/start", false},
      {"", "", {".config/velorin/velorin.ini", "velorin/velorin.ini"}, "/start", false},
      {"", "h", {"h/.config/velorin/velorin.ini"}, "/start", false},
      {"/x", "/h", {}, "/start", false},
      {"/x", "/h", {"/a/Velorin/velorin.ini", "/p/velorin.ini"}, "/a/Velorin", true},
      {"/x", "/h", {"/p/velorin.ini"}, "/p", true}};
  // clang-format on
  for (const auto& [xdg, home, files, directory, fromConfigHome] : cases) {
    const config::IniLocation location = config::ChooseIniLocation(
        "/start", {xdg, home, "/a", "/p"},
        [&](const std::filesystem::path& path) { return files.count(path.string()) > 0; });
    EXPECT_EQ(std::pair(location.directory.string(), location.fromConfigHome),
              std::pair(std::string(directory), fromConfigHome))
        << xdg << " " << home;
  }
}

}  // namespace
