#include "pipeline/configuration.h"

#include <cstdlib>

#include "config/ini_path.h"
#include "fits/platform_file.h"

namespace pipeline {
namespace {

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

}  // namespace

config::IniEnvironment IniEnvironment() {
  return {Environment("XDG_CONFIG_HOME"), Environment("HOME"), Environment("APPDATA"),
          fits::platform::ProgramFolder()};
}

config::IniContents LoadConfiguration(const std::filesystem::path& startDirectory,
                                      const std::filesystem::path& iniFile, bool readInstruments,
                                      const config::IniRoom& room, LogSink& log) {
  if (!iniFile.empty()) {
    config::IniContents contents = config::LoadIniFile(iniFile, readInstruments, room);
    for (const std::string& line : contents.logLines) log.WriteLine(line);
    return contents;
  }
  const config::IniLocation location =
      config::ChooseIniLocation(startDirectory, IniEnvironment(), [](const std::filesystem::path& path) {
        std::error_code error;
        return std::filesystem::exists(path, error);
      });
  config::IniContents contents = config::LoadIni(location.directory, readInstruments, room);
  // Only a file from elsewhere than the start-up directory is named, so a
  // user can tell where the instruments came from.
  if (location.fromConfigHome && contents.opened)
    log.WriteLine("velorin.ini gelesen aus " + (location.directory / config::kIniFileName).string());
  for (const std::string& line : contents.logLines) log.WriteLine(line);
  return contents;
}

}  // namespace pipeline
