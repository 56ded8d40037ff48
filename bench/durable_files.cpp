#include "bench/durable_files.h"

#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <thread>

namespace bench {
namespace {

bool SyncPath(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

// Dirty and Writeback of /proc/meminfo together, in KiB.
std::int64_t PendingKiB() {
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  std::int64_t value = 0, pending = 0;
  std::string unit;
  while (meminfo >> key >> value) {
    if (key == "Dirty:" || key == "Writeback:") pending += value;
    std::getline(meminfo, unit);
  }
  return pending;
}

}  // namespace

bool MakeDurable(const std::string& path) {
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) folder = ".";
  const bool durable = SyncPath(path, O_RDONLY) && SyncPath(folder.string(), O_RDONLY | O_DIRECTORY);
  SettleDisk();
  return durable;
}

void SettleDisk() {
  constexpr std::int64_t kFewKiB = 64 * 1024;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  ::sync();
  while (PendingKiB() > kFewKiB && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::sync();
  }
}

bool IsInMemory(const std::string& folder) {
  struct statfs info {};
  if (::statfs(folder.c_str(), &info) != 0) return false;
  return info.f_type == TMPFS_MAGIC || info.f_type == RAMFS_MAGIC;
}

std::filesystem::path BenchDir(const char* name) {
  const char* base = std::getenv("VELORIN_BENCH_DIR");
  return std::filesystem::absolute(base != nullptr && *base != '\0' ? std::filesystem::path(base)
                                                                    : std::filesystem::current_path()) /
         name;
}

bool MakeScratchFolder(const std::filesystem::path& dir) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (!error && !IsInMemory(dir.string())) return true;
  std::fprintf(stderr, "%s: not a folder on a disk; set VELORIN_BENCH_DIR to one\n", dir.c_str());
  std::filesystem::remove(dir, error);  // only when still empty
  return false;
}

}  // namespace bench
