// The progress bar on standard error: files done of all, MB/s, time left.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>

namespace cli {

class Progress {
 public:
  // Shown only while more than one file runs and standard error is a terminal.
  Progress(std::size_t files, bool quiet);
  // Called by any thread when a file is done.
  void FileDone(std::int64_t bytes);
  // Redraws the bar (the reporting thread only).
  void Draw();
  // Clears the bar before a line is written, and at the end.
  void Clear();

 private:
  bool shown_ = false;
  std::size_t files_ = 0;
  std::atomic<std::size_t> done_{0};
  std::atomic<std::int64_t> bytes_{0};
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace cli
