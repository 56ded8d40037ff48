// logfile.txt: one line per entry, each ended by CR LF. Header cards are
// written as the bytes they hold; our own texts are UTF-8.
#pragma once

#include <filesystem>
#include <fstream>
#include <string_view>

class LogFile {
 public:
  // Closes any open log, then creates the file anew, empty. False when it
  // cannot be created; lines written then are dropped.
  bool Recreate(const std::filesystem::path& path);
  void WriteLine(std::string_view line);
  bool IsOpen() const { return file_.is_open(); }

 private:
  std::ofstream file_;
};
