#include "tests/crash/simulated_disk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string_view>
#include <utility>
#include <vector>

extern "C" {
int __real_open64(const char* path, int flags, ...);
ssize_t __real_pwrite64(int fd, const void* data, size_t size, off_t offset);
ssize_t __real_writev(int fd, const iovec* vectors, int count);
ssize_t __real_copy_file_range(int in, loff_t* inAt, int out, loff_t* outAt, size_t size, unsigned flags);
int __real_fsync(int fd);
int __real_syncfs(int fd);
int __real_mkostemp64(char* pattern, int flags);
int __real_linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags);
int __real_rename(const char* from, const char* to);
int __real_unlink(const char* path);
}

namespace simulated_disk {
namespace {

constexpr off_t kPage = 4096;

// A file's state on the disk: the pages written since its last flush as
// they were before, and its size at that flush; restored through handle.
struct Inode {
  int handle = -1;
  off_t flushedSize = 0;
  std::map<off_t, std::string> oldPages;
};

// A name operation that no flush of the folder made durable yet. hidden is
// a second name of the file that a rename replaced or an unlink removed.
struct NameOp {
  enum What { Create, Rename, Unlink } what;
  std::string name, from, hidden;
};

std::mutex mutex;
std::string folder, shadow;
long crashAt = 0, calls = 0, hiddenCount = 0;
bool dead = false;  // the power failed: no call reaches the disk any more
std::mt19937 random;
std::map<ino_t, Inode> inodes;  // one file system
std::vector<NameOp> unflushedNames;

bool Inside(const char* path) {
  return !folder.empty() && path != nullptr && std::string_view(path).starts_with(folder);
}

struct stat Status(int fd) {
  struct stat status {};
  ::fstat(fd, &status);
  return status;
}

// For a descriptor of the folder (true) or of a file in it, also one without a name (false).
std::optional<bool> IsFolder(int fd) {
  char path[4096];
  if (folder.empty()) return std::nullopt;
  const ssize_t size = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
  if (size <= 0 || !std::string_view(path, std::size_t(size)).starts_with(folder)) return std::nullopt;
  return S_ISDIR(Status(fd).st_mode);
}

// Counts a write, flush or name call; true when the power fails at it or failed before.
bool PowerFails() {
  if (!dead && ++calls == crashAt) dead = true;
  return dead;
}

int Failed() {
  return errno = EIO, -1;
}

// Keeps the pages that a write to [offset, offset + size) changes as they are on the disk.
void Dirty(int fd, off_t offset, std::size_t size) {
  auto [at, fresh] = inodes.try_emplace(Status(fd).st_ino);
  Inode& inode = at->second;
  if (fresh) {
    // Reopened read-write, also for a file without a name.
    inode.handle = __real_open64(("/proc/self/fd/" + std::to_string(fd)).c_str(), O_RDWR | O_CLOEXEC);
    inode.flushedSize = Status(fd).st_size;
  }
  for (off_t page = offset / kPage; page * kPage < offset + off_t(size); ++page) {
    std::string bytes(kPage, '\0');
    if (!inode.oldPages.contains(page) && ::pread(inode.handle, bytes.data(), kPage, page * kPage) >= 0)
      inode.oldPages[page] = bytes;
  }
}

// A second name in shadow, so that an undone rename or unlink can bring the file back.
std::string Keep(const std::string& path) {
  std::string hidden = shadow + "/" + std::to_string(++hiddenCount);
  return ::link(path.c_str(), hidden.c_str()) == 0 ? hidden : std::string();
}

void LoseUnflushed() {
  for (auto& [key, inode] : inodes) {
    const off_t size = Status(inode.handle).st_size;
    for (const auto& [page, bytes] : inode.oldPages)
      if (random() % 2) __real_pwrite64(inode.handle, bytes.data(), kPage, page * kPage);
    if (size != inode.flushedSize || !inode.oldPages.empty())
      ::ftruncate(inode.handle, random() % 2 ? inode.flushedSize : size);
  }
  // A journalling file system keeps its name operations in order: the first
  // ones, any number of them, reach the disk.
  for (std::size_t kept = random() % (unflushedNames.size() + 1); unflushedNames.size() > kept;
       unflushedNames.pop_back()) {
    const NameOp& op = unflushedNames.back();
    if (op.what == NameOp::Create) __real_unlink(op.name.c_str());
    if (op.what == NameOp::Rename) __real_rename(op.name.c_str(), op.from.c_str());
    if (!op.hidden.empty()) __real_rename(op.hidden.c_str(), op.name.c_str());
  }
}

// A write of size bytes at offset by call(size); at the crash a torn part of it.
template <class Call>
ssize_t Write(int fd, off_t offset, std::size_t size, Call call) {
  std::lock_guard lock(mutex);
  if (IsFolder(fd) != false) return call(size);
  if (dead) return Failed();
  Dirty(fd, offset, size);
  if (PowerFails()) return call(size == 0 ? 0 : random() % size), Failed();
  return call(size);
}

// fsync of a file or of the folder, or with whole the flush of everything.
int Flush(int fd, bool whole, int (*real)(int)) {
  std::lock_guard lock(mutex);
  const std::optional<bool> isFolder = IsFolder(fd);
  if (!isFolder) return real(fd);
  if (PowerFails()) return Failed();
  if (whole || *isFolder) unflushedNames.clear();
  const ino_t file = Status(fd).st_ino;
  for (auto& [at, inode] : inodes)
    if (whole || at == file) inode.flushedSize = Status(inode.handle).st_size, inode.oldPages.clear();
  // The layer keeps what is durable itself; a real flush would only wait for the disk.
  return 0;
}

// A name call on the folder, counted and remembered until the folder's flush.
template <class Call>
int Name(bool inside, NameOp::What what, const char* name, const char* from, Call call) {
  std::lock_guard lock(mutex);
  if (!inside) return call();
  if (PowerFails()) return Failed();
  const std::string hidden = what == NameOp::Create ? "" : Keep(name);
  const int result = call();
  if (result >= 0) unflushedNames.push_back({what, name, from ? from : "", hidden});
  if (result < 0 && !hidden.empty()) __real_unlink(hidden.c_str());
  return result;
}

}  // namespace

void Arm(const std::string& folderPath, const std::string& shadowPath, long crashAtCall, unsigned seed) {
  std::lock_guard lock(mutex);
  folder = folderPath, shadow = shadowPath, crashAt = crashAtCall;
  random.seed(seed);
}

long PowerOff() {
  std::lock_guard lock(mutex);
  if (crashAt > 0) LoseUnflushed();
  for (const auto& [key, inode] : inodes) ::close(inode.handle);
  inodes.clear(), unflushedNames.clear(), folder.clear(), dead = false;
  return std::exchange(calls, 0);
}

}  // namespace simulated_disk

using namespace simulated_disk;

extern "C" {

int __wrap_open64(const char* path, int flags, ...) {
  mode_t mode = 0;
  if (__OPEN_NEEDS_MODE(flags)) {
    va_list arguments;
    va_start(arguments, flags);
    mode = va_arg(arguments, mode_t);
    va_end(arguments);
  }
  const bool creates = (flags & O_CREAT) && Inside(path) && ::access(path, F_OK) != 0;
  return Name(creates, NameOp::Create, path, nullptr, [&] { return __real_open64(path, flags, mode); });
}

ssize_t __wrap_pwrite64(int fd, const void* data, size_t size, off_t offset) {
  return Write(fd, offset, size, [&](size_t part) { return __real_pwrite64(fd, data, part, offset); });
}

ssize_t __wrap_writev(int fd, const iovec* vectors, int count) {
  std::size_t size = 0;
  for (int i = 0; i < count; ++i) size += vectors[i].iov_len;
  return Write(fd, ::lseek(fd, 0, SEEK_CUR), size, [&](size_t part) {
    std::vector<iovec> torn(vectors, vectors + count);
    for (iovec& vector : torn) part -= (vector.iov_len = std::min(vector.iov_len, part));
    return __real_writev(fd, torn.data(), count);
  });
}

ssize_t __wrap_copy_file_range(int in, loff_t* inAt, int out, loff_t* outAt, size_t size, unsigned flags) {
  return Write(out, outAt ? *outAt : ::lseek(out, 0, SEEK_CUR), size,
               [&](size_t part) { return __real_copy_file_range(in, inAt, out, outAt, part, flags); });
}

int __wrap_fsync(int fd) {
  return Flush(fd, false, &__real_fsync);
}
// The flush of a whole file system, as the batch does.
int __wrap_syncfs(int fd) {
  return Flush(fd, true, &__real_syncfs);
}

int __wrap_mkostemp64(char* pattern, int flags) {
  return Name(Inside(pattern), NameOp::Create, pattern, nullptr,
              [&] { return __real_mkostemp64(pattern, flags); });
}

int __wrap_linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
  return Name(Inside(to), NameOp::Create, to, nullptr,
              [&] { return __real_linkat(fromFolder, from, toFolder, to, flags); });
}

int __wrap_rename(const char* from, const char* to) {
  return Name(Inside(from) || Inside(to), NameOp::Rename, to, from, [&] { return __real_rename(from, to); });
}

int __wrap_unlink(const char* path) {
  return Name(Inside(path), NameOp::Unlink, path, nullptr, [&] { return __real_unlink(path); });
}

}  // extern "C"
