// The lines of logfile.txt, each ended by CR LF. Header cards are written as
// the bytes they hold; our own texts are UTF-8. A control character never
// breaks a line: it is written escaped.
#pragma once

#include <string>
#include <string_view>

#include "fits/platform_file.h"

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
  // Closes the open log, then creates the file anew, empty. While another
  // window writes its log there, the first free of "logfile-2.txt",
  // "logfile-3.txt", ... is taken instead, so each log stays whole. False
  // when none can be created: lines written then are dropped, and Problem()
  // says why.
  bool Recreate(const std::string& name);
  void WriteLine(std::string_view line) override;
  bool IsOpen() const { return file_.IsOpen(); }
  const std::string& Name() const { return name_; }  // the log being written
  const std::string& Problem() const { return problem_; }
  // The last line handed in, written or not: without a log, the status
  // gives it as the reason.
  const std::string& LastLine() const { return lastLine_; }

 private:
  fits::platform::File file_;
  std::string name_;
  std::string problem_;
  std::string lastLine_;
};

// The same bytes, kept in memory.
class LogBuffer : public LogSink {
 public:
  void WriteLine(std::string_view line) override;
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// The line with each control character (below a blank, and DEL) written as
// "\xNN", so that a name holding a line break stays on its line.
std::string EscapeControls(std::string_view line);

// A status text that sends the user to logfile.txt, made true for this log:
// another log is named instead, and when no log could be written the reason
// stands in the status itself (the log's last line when none is given).
std::string StatusNamingLog(std::string_view status, const LogFile& log, std::string_view reason = {});

// What the status after a read adds about its log: nothing for logfile.txt,
// the other log's name, or why there is none.
std::string LogSuffix(const LogFile& log);

}  // namespace pipeline
