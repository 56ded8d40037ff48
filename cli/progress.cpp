#include "cli/progress.h"

#include <cstdio>
#include <string>

#include "fits/platform_file.h"

namespace cli {
namespace {

constexpr int kBarWidth = 30;

}  // namespace

Progress::Progress(std::size_t files, bool quiet)
    : shown_(files > 1 && !quiet && fits::platform::StandardErrorIsTerminal()), files_(files) {}

void Progress::FileDone(std::int64_t bytes) {
  bytes_ += bytes;
  ++done_;
}

void Progress::Draw() {
  if (!shown_) return;
  const std::size_t done = done_;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const int filled = static_cast<int>(kBarWidth * done / files_);
  const double rate = seconds > 0 ? static_cast<double>(bytes_) / 1e6 / seconds : 0.0;
  std::string left = "--:--";
  if (done > 0) {
    const auto rest =
        static_cast<long>(seconds / static_cast<double>(done) * static_cast<double>(files_ - done));
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", rest / 60, rest % 60);
    left = text;
  }
  std::fprintf(stderr, "\r[%s%s] %zu/%zu Dateien  %.1f MB/s  noch %s ", std::string(filled, '#').c_str(),
               std::string(kBarWidth - filled, '.').c_str(), done, files_, rate, left.c_str());
  std::fflush(stderr);
}

void Progress::Clear() {
  if (!shown_) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
}

}  // namespace cli
