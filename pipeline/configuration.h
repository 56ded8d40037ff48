// velorin.ini for one read: the file named, or else from the start-up
// directory, or from the first other folder that holds one (the user's
// configuration folder, %APPDATA%\Velorin, the program's folder).
#pragma once

#include <filesystem>

#include "config/ini_path.h"
#include "config/ini_reader.h"
#include "pipeline/log_file.h"

namespace pipeline {

// The process's environment as the search for velorin.ini reads it.
config::IniEnvironment IniEnvironment();

// Loads the file and writes its log lines (and, for a file from the
// configuration folder, which file it was). iniFile, when set, is read
// instead, with no fallback.
config::IniContents LoadConfiguration(const std::filesystem::path& startDirectory,
                                      const std::filesystem::path& iniFile, bool readInstruments,
                                      const config::IniRoom& room, LogSink& log);

}  // namespace pipeline
