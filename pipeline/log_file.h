// The lines of logfile.txt, each ended by CR LF. Header cards are written as
// the bytes they hold; our own texts are UTF-8.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace pipeline {

// Where a read and a save write their log lines: the window's logfile.txt,
// or a buffer of the command line for each file.
class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual void WriteLine(std::string_view line) = 0;
};

class LogFile : public LogSink {
 public:
  // Closes any open log, then creates the file anew, empty. False when it
  // cannot be created; lines written then are dropped.
  bool Recreate(const std::filesystem::path& path);
  void WriteLine(std::string_view line) override;
  bool IsOpen() const { return file_.is_open(); }

 private:
  std::ofstream file_;
};

// The same bytes, kept in memory.
class LogBuffer : public LogSink {
 public:
  void WriteLine(std::string_view line) override;
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

}  // namespace pipeline
