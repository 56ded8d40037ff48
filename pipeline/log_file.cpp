#include "pipeline/log_file.h"

namespace pipeline {

bool LogFile::Recreate(const std::filesystem::path& path) {
  if (file_.is_open()) file_.close();
  file_.clear();
  file_.open(path, std::ios::binary | std::ios::trunc);
  return file_.is_open();
}

void LogFile::WriteLine(std::string_view line) {
  if (!file_.is_open()) return;
  file_.write(line.data(), static_cast<std::streamsize>(line.size()));
  file_.write("\r\n", 2);
  // Flushed per line so that the log tells what happened even if the
  // program is ended in the middle of a step.
  file_.flush();
}

void LogBuffer::WriteLine(std::string_view line) {
  bytes_.append(line);
  bytes_.append("\r\n");
}

}  // namespace pipeline
