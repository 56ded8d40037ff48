#include "pipeline/log_file.h"

#include <cstdio>
#include <filesystem>

namespace pipeline {
namespace {

// Windows open side by side at most; each holds its own log.
constexpr int kMostLogs = 99;
constexpr std::string_view kLogName = "logfile.txt";
constexpr std::string_view kLogPointer = ", siehe logfile.txt";

}  // namespace

bool LogFile::Recreate(const std::string& name) {
  file_ = {};
  const std::filesystem::path path(name);
  for (int number = 1; number <= kMostLogs; ++number) {
    name_ = number == 1 ? name
                        : (path.parent_path() / path.stem()).string() + "-" + std::to_string(number) +
                              path.extension().string();
    bool busy = false;
    file_ = fits::platform::OpenLockedAndEmptied(name_, busy, problem_);
    if (file_.IsOpen()) problem_.clear();
    if (!busy) return file_.IsOpen();
  }
  problem_ = name + " bis " + name_ + " von anderen Fenstern belegt";
  return false;
}

void LogFile::WriteLine(std::string_view line) {
  lastLine_ = line;
  if (!file_.IsOpen()) return;
  // One write a line, so that the log tells what happened even if the
  // program is ended in the middle of a step.
  std::string ignored;
  fits::platform::Write(file_, EscapeControls(line) + "\r\n", ignored);
}

void LogBuffer::WriteLine(std::string_view line) {
  bytes_.append(EscapeControls(line));
  bytes_.append("\r\n");
}

std::string EscapeControls(std::string_view line) {
  std::string escaped;
  escaped.reserve(line.size());
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      escaped += c;
      continue;
    }
    char code[5];
    std::snprintf(code, sizeof code, "\\x%02X", byte);
    escaped += code;
  }
  return escaped;
}

std::string StatusNamingLog(std::string_view status, const LogFile& log, std::string_view reason) {
  std::string text(status);
  const std::size_t at = text.find(kLogPointer);
  if (at == std::string::npos) return text;
  if (log.IsOpen())
    return text.replace(at + kLogPointer.size() - kLogName.size(), kLogName.size(), log.Name());
  const std::string why(reason.empty() ? std::string_view(log.LastLine()) : reason);
  return text.replace(at, kLogPointer.size(), why.empty() ? why : ": " + why);
}

std::string LogSuffix(const LogFile& log) {
  if (!log.IsOpen()) return " - Warnung: " + log.Problem();
  return log.Name() == kLogName ? std::string() : " - Log in " + log.Name();
}

}  // namespace pipeline
