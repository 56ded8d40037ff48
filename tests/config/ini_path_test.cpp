#include "config/ini_path.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(ChooseIniLocation, StartFolderFirstThenConfigFolder) {
  struct Case {
    const char* xdg;
    const char* home;
    std::set<std::string> files;  // the velorin.ini files that exist
    const char* directory;
    bool fromConfigHome;
  };
  const Case cases[] = {
      {"/x", "/h", {"/start/velorin.ini", "/x/velorin/velorin.ini"}, "/start", false},
      {"/x", "/h", {"/x/velorin/velorin.ini", "/h/.config/velorin/velorin.ini"}, "/x/velorin", true},
      {"", "/h", {"/h/.config/velorin/velorin.ini"}, "/h/.config/velorin", true},
      {"rel",
       "/h",
       {"/h/.config/velorin/velorin.ini", "rel/velorin/velorin.ini"},
       "/h/.config/velorin",
       true},
      {"/x", "/h", {"/h/.config/velorin/velorin.ini"}, "/start", false},
      {"", "", {".config/velorin/velorin.ini", "velorin/velorin.ini"}, "/start", false},
      {"", "h", {"h/.config/velorin/velorin.ini"}, "/start", false},
      {"/x", "/h", {}, "/start", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.xdg) + " " + c.home);
    const config::IniLocation location = config::ChooseIniLocation(
        "/start", c.xdg, c.home,
        [&](const std::filesystem::path& path) { return c.files.count(path.string()) > 0; });
    EXPECT_EQ(location.directory, c.directory);
    EXPECT_EQ(location.fromConfigHome, c.fromConfigHome);
  }
}

}  // namespace
