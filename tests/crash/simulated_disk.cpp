#include "tests/crash/simulated_disk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cstdarg>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string_view>
#include <vector>

extern "C" {
int __real_open64(const char* path, int flags, ...);
int __real_close(int fd);
ssize_t __real_pwrite64(int fd, const void* data, size_t size, off_t offset);
ssize_t __real_write(int fd, const void* data, size_t size);
ssize_t __real_writev(int fd, const iovec* vectors, int count);
ssize_t __real_copy_file_range(int in, loff_t* inAt, int out, loff_t* outAt, size_t size, unsigned flags);
int __real_fsync(int fd);
int __real_fdatasync(int fd);
int __real_syncfs(int fd);
int __real_sync_file_range(int fd, off_t offset, off_t size, unsigned flags);
int __real_mkostemp64(char* pattern, int flags);
int __real_linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags);
int __real_rename(const char* from, const char* to);
int __real_unlink(const char* path);
}

namespace simulated_disk {
namespace {

constexpr off_t kPage = 4096;

enum class Kind { File, Folder };

// A file's state on the disk: the pages written since its last flush as
// they were before, and its size at that flush; restored through handle.
struct Inode {
  int handle = -1;
  off_t flushedSize = 0;
  std::map<off_t, std::string> oldPages;
};

// A name operation not yet made durable by a flush of its folder. hidden is
// a second name of the file that a rename replaced or an unlink removed.
struct NameOp {
  enum { Create, Rename, Unlink } what;
  std::string name, from, hidden;
};

std::mutex mutex;
std::string folder, shadow;
long crashAt = 0, calls = 0, hiddenCount = 0;
std::mt19937 random;
std::map<int, Kind> descriptors;
std::map<std::pair<dev_t, ino_t>, Inode> inodes;
std::vector<NameOp> unflushedNames;

bool Inside(const char* path) {
  return !folder.empty() && path != nullptr && std::string_view(path).starts_with(folder);
}
std::optional<Kind> KindOf(int fd) {
  const auto at = descriptors.find(fd);
  return at == descriptors.end() ? std::nullopt : std::optional(at->second);
}
bool IsFile(int fd) {
  return KindOf(fd) == Kind::File;
}

// Counts a write, flush or name call; true when the power fails at it.
bool CrashHere() {
  return ++calls == crashAt;
}
std::size_t Torn(std::size_t size) {
  return size == 0 ? 0 : random() % size;
}

Inode* Find(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) return nullptr;
  const auto at = inodes.find({status.st_dev, status.st_ino});
  return at == inodes.end() ? nullptr : &at->second;
}

// Keeps the pages that a write to [offset, offset + size) changes as they are on the disk.
void Dirty(int fd, off_t offset, std::size_t size) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) return;
  auto [at, fresh] = inodes.try_emplace({status.st_dev, status.st_ino});
  Inode& inode = at->second;
  if (fresh) {
    // Reopened read-write, also for a file without a name.
    inode.handle = __real_open64(("/proc/self/fd/" + std::to_string(fd)).c_str(), O_RDWR | O_CLOEXEC);
    inode.flushedSize = status.st_size;
  }
  for (off_t page = offset / kPage; page * kPage < offset + off_t(size); ++page) {
    if (inode.oldPages.contains(page)) continue;
    std::string bytes(kPage, '\0');
    if (::pread(inode.handle, bytes.data(), kPage, page * kPage) >= 0) inode.oldPages[page] = bytes;
  }
}

void Flushed(Inode& inode) {
  struct stat status {};
  ::fstat(inode.handle, &status);
  inode.flushedSize = status.st_size;
  inode.oldPages.clear();
}

// A second name in shadow, so that an undone rename or unlink can bring the file back.
std::string Keep(const char* path) {
  std::string hidden = shadow + "/" + std::to_string(++hiddenCount);
  return ::link(path, hidden.c_str()) == 0 ? hidden : std::string();
}

void Undo(const NameOp& op) {
  if (op.what == NameOp::Create) __real_unlink(op.name.c_str());
  if (op.what == NameOp::Rename) __real_rename(op.name.c_str(), op.from.c_str());
  if (!op.hidden.empty()) __real_rename(op.hidden.c_str(), op.name.c_str());
}

[[noreturn]] void Crash() {
  for (auto& [key, inode] : inodes) {
    struct stat status {};
    ::fstat(inode.handle, &status);
    for (const auto& [page, bytes] : inode.oldPages)
      if (random() % 2) __real_pwrite64(inode.handle, bytes.data(), kPage, page * kPage);
    if (status.st_size != inode.flushedSize || !inode.oldPages.empty())
      ::ftruncate(inode.handle, random() % 2 ? inode.flushedSize : status.st_size);
  }
  // A journalling file system keeps its name operations in order: some first ones reach the disk.
  const std::size_t kept = random() % (unflushedNames.size() + 1);
  while (unflushedNames.size() > kept) {
    Undo(unflushedNames.back());
    unflushedNames.pop_back();
  }
  ::_exit(0);
}

int Flush(int fd, int (*real)(int)) {
  std::lock_guard lock(mutex);
  const std::optional<Kind> kind = KindOf(fd);
  if (kind && CrashHere()) Crash();
  // The layer keeps what is durable itself; a real flush would only wait for the disk.
  const int result = kind ? 0 : real(fd);
  if (result == 0 && kind == Kind::Folder) unflushedNames.clear();
  if (Inode* inode = result == 0 && kind == Kind::File ? Find(fd) : nullptr) Flushed(*inode);
  return result;
}

void NameDone(int result, NameOp op) {
  if (result != 0 && !op.hidden.empty()) __real_unlink(op.hidden.c_str());
  if (result == 0) unflushedNames.push_back(std::move(op));
}

}  // namespace

void Arm(const std::string& folderPath, const std::string& shadowPath, long crashAtCall, unsigned seed) {
  std::lock_guard lock(mutex);
  folder = folderPath;
  shadow = shadowPath;
  crashAt = crashAtCall;
  random.seed(seed);
}

long Calls() {
  std::lock_guard lock(mutex);
  return calls;
}

void CrashNow() {
  std::lock_guard lock(mutex);
  Crash();
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
  std::lock_guard lock(mutex);
  if (!Inside(path)) return __real_open64(path, flags, mode);
  const bool creates = (flags & O_CREAT) && ::access(path, F_OK) != 0;
  if (creates && CrashHere()) Crash();
  const int fd = __real_open64(path, flags, mode);
  struct stat status {};
  if (fd >= 0 && ::fstat(fd, &status) == 0)
    descriptors[fd] = S_ISDIR(status.st_mode) ? Kind::Folder : Kind::File;
  if (fd >= 0 && creates) unflushedNames.push_back({NameOp::Create, path, {}, {}});
  return fd;
}

int __wrap_close(int fd) {
  std::lock_guard lock(mutex);
  descriptors.erase(fd);
  return __real_close(fd);
}

ssize_t __wrap_pwrite64(int fd, const void* data, size_t size, off_t offset) {
  std::lock_guard lock(mutex);
  if (IsFile(fd)) Dirty(fd, offset, size);
  if (IsFile(fd) && CrashHere()) __real_pwrite64(fd, data, Torn(size), offset), Crash();
  return __real_pwrite64(fd, data, size, offset);
}

ssize_t __wrap_write(int fd, const void* data, size_t size) {
  std::lock_guard lock(mutex);
  if (IsFile(fd)) Dirty(fd, ::lseek(fd, 0, SEEK_CUR), size);
  if (IsFile(fd) && CrashHere()) __real_write(fd, data, Torn(size)), Crash();
  return __real_write(fd, data, size);
}

ssize_t __wrap_writev(int fd, const iovec* vectors, int count) {
  std::lock_guard lock(mutex);
  if (!IsFile(fd)) return __real_writev(fd, vectors, count);
  std::vector<iovec> torn(vectors, vectors + count);
  std::size_t size = 0;
  for (const iovec& vector : torn) size += vector.iov_len;
  Dirty(fd, ::lseek(fd, 0, SEEK_CUR), size);
  if (CrashHere()) {
    std::size_t left = Torn(size);
    for (iovec& vector : torn) left -= (vector.iov_len = std::min(vector.iov_len, left));
    __real_writev(fd, torn.data(), count), Crash();
  }
  return __real_writev(fd, vectors, count);
}

ssize_t __wrap_copy_file_range(int in, loff_t* inAt, int out, loff_t* outAt, size_t size, unsigned flags) {
  std::lock_guard lock(mutex);
  if (IsFile(out)) Dirty(out, outAt ? *outAt : ::lseek(out, 0, SEEK_CUR), size);
  if (IsFile(out) && CrashHere()) __real_copy_file_range(in, inAt, out, outAt, Torn(size), flags), Crash();
  return __real_copy_file_range(in, inAt, out, outAt, size, flags);
}

int __wrap_fsync(int fd) {
  return Flush(fd, &__real_fsync);
}
int __wrap_fdatasync(int fd) {
  return Flush(fd, &__real_fdatasync);
}

// Flushes the whole file system, as the batch does.
int __wrap_syncfs(int fd) {
  std::lock_guard lock(mutex);
  const bool tracked = KindOf(fd).has_value();
  if (tracked && CrashHere()) Crash();
  const int result = tracked ? 0 : __real_syncfs(fd);
  if (tracked && result == 0) {
    for (auto& [key, inode] : inodes) Flushed(inode);
    unflushedNames.clear();
  }
  return result;
}

// Only a hint, but a moment at which the power can fail.
int __wrap_sync_file_range(int fd, off_t offset, off_t size, unsigned flags) {
  std::lock_guard lock(mutex);
  if (IsFile(fd) && CrashHere()) Crash();
  return __real_sync_file_range(fd, offset, size, flags);
}

int __wrap_mkostemp64(char* pattern, int flags) {
  std::lock_guard lock(mutex);
  if (!Inside(pattern)) return __real_mkostemp64(pattern, flags);
  if (CrashHere()) Crash();
  const int fd = __real_mkostemp64(pattern, flags);
  if (fd >= 0) descriptors[fd] = Kind::File;
  if (fd >= 0) unflushedNames.push_back({NameOp::Create, pattern, {}, {}});
  return fd;
}

int __wrap_linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
  std::lock_guard lock(mutex);
  if (!Inside(to)) return __real_linkat(fromFolder, from, toFolder, to, flags);
  if (CrashHere()) Crash();
  const int result = __real_linkat(fromFolder, from, toFolder, to, flags);
  NameDone(result, {NameOp::Create, to, {}, {}});
  return result;
}

int __wrap_rename(const char* from, const char* to) {
  std::lock_guard lock(mutex);
  if (!Inside(from) && !Inside(to)) return __real_rename(from, to);
  if (CrashHere()) Crash();
  std::string hidden = Keep(to);
  const int result = __real_rename(from, to);
  NameDone(result, {NameOp::Rename, to, from, std::move(hidden)});
  return result;
}

int __wrap_unlink(const char* path) {
  std::lock_guard lock(mutex);
  if (!Inside(path)) return __real_unlink(path);
  if (CrashHere()) Crash();
  std::string hidden = Keep(path);
  const int result = __real_unlink(path);
  NameDone(result, {NameOp::Unlink, path, {}, std::move(hidden)});
  return result;
}

}  // extern "C"
