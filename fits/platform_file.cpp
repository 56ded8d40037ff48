#include "fits/platform_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#ifdef __linux__
#include <sys/vfs.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

// Images beyond 2 GiB are read and written at their true offsets on 32-bit
// systems too.
static_assert(sizeof(off_t) == 8, "configure with _FILE_OFFSET_BITS=64");

namespace fits::platform {
namespace {

bool Failed(std::string& error, const std::string& what) {
  error = what + ": " + std::strerror(errno);
  return false;
}

// Large writes go in pieces the kernel takes whole.
constexpr std::int64_t kMostPerCall = std::int64_t{1} << 30;
// Pieces one gathered write takes (the system's kMostPieces on Linux).
constexpr std::size_t kMostPieces = 1024;

// The names temporaries of target get: ".<name>.velorin-" and six letters or digits.
std::string TempPrefix(const std::filesystem::path& target) {
  return (target.parent_path() / ("." + target.filename().string() + ".velorin-")).string();
}
constexpr std::size_t kTempSuffix = 6;

// Whether a folder entry is a temporary Velorin made: ".<name>.velorin-" and
// six letters or digits, of the file named ofName only when that is given.
bool IsTempName(const std::string& entry, const std::string& ofName) {
  constexpr std::string_view kMark = ".velorin-";
  if (entry.size() < 2 + kMark.size() + kTempSuffix || entry.front() != '.') return false;
  const std::size_t suffix = entry.size() - kTempSuffix;
  return entry.compare(suffix - kMark.size(), kMark.size(), kMark) == 0 &&
         (ofName.empty() || entry.size() == 1 + ofName.size() + kMark.size() + kTempSuffix) &&
         (ofName.empty() || entry.compare(1, ofName.size(), ofName) == 0) &&
         std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(suffix), entry.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

// Temporaries killed saves left in directory (of ofName only, when given);
// only Velorin's own names and only regular files, so nothing of the user's
// is touched. A temporary whose save still runs is locked by it and stays.
void RemoveStaleTemps(std::filesystem::path directory, const std::string& ofName) {
  if (directory.empty()) directory = ".";
  std::error_code error;
  for (std::filesystem::directory_iterator entry(directory, error), end; !error && entry != end;
       entry.increment(error)) {
    std::error_code ignored;
    if (!IsTempName(entry->path().filename().string(), ofName) || !entry->is_regular_file(ignored) ||
        entry->is_symlink(ignored))
      continue;
    const File temp(::open(entry->path().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (temp.IsOpen() && TryLock(temp)) ::unlink(entry->path().c_str());
  }
}

TempFile CreateNamed(const std::string& target, std::string& error) {
  std::string pattern = TempPrefix(target) + std::string(kTempSuffix, 'X');
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    Failed(error, "Anlegen einer Datei neben " + target + " fehlgeschlagen");
    return {};
  }
  ::flock(fd, LOCK_EX | LOCK_NB);  // in use until it is put in place or dropped
  return {File(fd), pattern};
}

// Errors of a file system (or kernel) that cannot make unnamed files.
bool NoUnnamedFiles(int reason) {
  return reason == EOPNOTSUPP || reason == ENOTSUP || reason == EISDIR || reason == EINVAL ||
         reason == ENOENT;
}

// A free temporary name for an unnamed file that is complete.
bool LinkUnderTempName(TempFile& temp, const std::string& target, std::string& error) {
  static thread_local std::mt19937_64 random(
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<std::uint64_t>(::getpid()) << 32));
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  const std::string from = "/proc/self/fd/" + std::to_string(temp.file.Descriptor());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = TempPrefix(target);
    for (std::size_t i = 0; i < kTempSuffix; ++i) name += kLetters[random() % (sizeof(kLetters) - 1)];
    if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      temp.path = name;
      return true;
    }
    if (errno != EEXIST) break;
  }
  return Failed(error, "Benennen der neuen Datei neben " + target + " fehlgeschlagen");
}

void TakeIdentity(const struct stat& status, FileIdentity& identity) {
  identity.device = status.st_dev;
  identity.inode = status.st_ino;
  identity.size = status.st_size;
  identity.modifiedNs = std::int64_t{status.st_mtim.tv_sec} * 1000000000 + status.st_mtim.tv_nsec;
}

#ifdef __linux__
// File systems whose syncfs writes every file's data and waits for the disk;
// others (FUSE, network shares) are flushed file by file.
bool FlushedWhole(int fd) {
  struct statfs system {};
  if (::fstatfs(fd, &system) != 0) return false;
  switch (static_cast<std::uint64_t>(system.f_type)) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // xfs
    case 0x9123683E:  // btrfs
    case 0xF2F52010:  // f2fs
    case 0x01021994:  // tmpfs
      return true;
    default:
      return false;
  }
}
#endif

}  // namespace

bool IdentityOf(const std::string& path, FileIdentity& identity, std::string& error) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return Failed(error, path + " nicht lesbar");
  TakeIdentity(status, identity);
  return true;
}

bool IdentityOf(const File& file, FileIdentity& identity, std::string& error) {
  struct stat status {};
  if (::fstat(file.Descriptor(), &status) != 0) return Failed(error, "Dateiangaben nicht lesbar");
  TakeIdentity(status, identity);
  return true;
}

bool IsWriteProtected(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return false;
  return (status.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

std::uint64_t HardLinkCount(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return 0;
  return status.st_nlink;
}

bool IsSymbolicLink(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

std::string NameKey(std::string_view utf8) {
  return std::string(utf8);
}

std::string FollowLinks(const std::string& path) {
  std::filesystem::path current(path);
  std::error_code error;
  for (int hops = 0; hops < 40 && std::filesystem::is_symlink(current, error); ++hops) {
    const std::filesystem::path next = std::filesystem::read_symlink(current, error);
    if (error) break;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return current.string();
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

File::~File() {
  if (fd_ >= 0) ::close(fd_);
}

bool File::Close(std::string& error) {
  const int fd = fd_;
  fd_ = -1;
  if (fd >= 0 && ::close(fd) != 0) return Failed(error, "Schliessen fehlgeschlagen");
  return true;
}

File OpenForReading(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Failed(error, "Öffnen von " + path + " fehlgeschlagen");
  return File(fd);
}

File OpenForUpdate(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) Failed(error, "Öffnen von " + path + " zum Schreiben fehlgeschlagen");
  return File(fd);
}

TempFile CreateTempBeside(const std::string& target, std::string& error) {
  // Also clears what a save killed between naming and renaming left.
  const std::filesystem::path path(target);
  RemoveStaleTemps(path.parent_path(), path.filename().string());
  std::filesystem::path directory = path.parent_path();
  if (directory.empty()) directory = ".";
  const int fd = ::open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0 && ::access("/proc/self/fd", X_OK) == 0) {
    ::flock(fd, LOCK_EX | LOCK_NB);  // in use until it is put in place or dropped, named or not
    return {File(fd), {}};
  }
  if (fd >= 0) {
    ::close(fd);  // without /proc it could never be named
  } else if (!NoUnnamedFiles(errno)) {
    Failed(error, "Anlegen einer Datei neben " + target + " fehlgeschlagen");
    return {};
  }
  return CreateNamed(target, error);
}

TempFile CreateNamedTempBeside(const std::string& target, std::string& error) {
  const std::filesystem::path path(target);
  RemoveStaleTemps(path.parent_path(), path.filename().string());
  return CreateNamed(target, error);
}

void RemoveStaleTempsBeside(const std::string& path) {
  RemoveStaleTemps(std::filesystem::path(path).parent_path(), "");
}

bool PutInPlace(TempFile& temp, const std::string& target, std::string& error) {
  if (temp.path.empty() && !LinkUnderTempName(temp, target, error)) {
    Discard(temp);
    return false;
  }
  if (!temp.file.Close(error)) {
    Discard(temp);
    return false;
  }
  if (::rename(temp.path.c_str(), target.c_str()) != 0) {
    Failed(error, "Ersetzen von " + target + " fehlgeschlagen");
    Discard(temp);
    return false;
  }
  temp.path.clear();
  return true;
}

void Discard(TempFile& temp) {
  std::string ignored;
  temp.file.Close(ignored);
  if (!temp.path.empty()) ::unlink(temp.path.c_str());
  temp.path.clear();
}

bool NameBeside(TempFile& temp, const std::string& target, std::string& error) {
  const std::string from =
      temp.path.empty() ? "/proc/self/fd/" + std::to_string(temp.file.Descriptor()) : temp.path;
  if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(), temp.path.empty() ? AT_SYMLINK_FOLLOW : 0) !=
      0)
    return Failed(error, "Benennen von " + target + " fehlgeschlagen");
  if (!temp.path.empty()) ::unlink(temp.path.c_str());
  temp.path.clear();
  return true;
}

bool TryLock(const File& file) {
  return ::flock(file.Descriptor(), LOCK_EX | LOCK_NB) == 0;
}

File OpenLockedAndEmptied(const std::string& path, bool& busy, std::string& error) {
  File file(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
  busy = file.IsOpen() && !TryLock(file);
  if (!file.IsOpen() || busy || ::ftruncate(file.Descriptor(), 0) != 0) {
    if (!busy) Failed(error, path + " nicht anlegbar");
    return {};
  }
  return file;
}

bool OwnedByThisUser(const File& file) {
  struct stat status {};
  return ::fstat(file.Descriptor(), &status) == 0 && status.st_uid == ::geteuid();
}

bool RemoveFile(const std::string& path, std::string& error) {
  return ::unlink(path.c_str()) == 0 || Failed(error, "Löschen von " + path + " fehlgeschlagen");
}

bool FileSize(const File& file, std::int64_t& size, std::string& error) {
  struct stat status {};
  if (::fstat(file.Descriptor(), &status) != 0) return Failed(error, "Dateigröße nicht lesbar");
  size = status.st_size;
  return true;
}

bool ReadAt(const File& file, char* data, std::int64_t size, std::int64_t offset, std::string& error) {
  while (size > 0) {
    const ssize_t got =
        ::pread(file.Descriptor(), data, static_cast<std::size_t>(std::min(size, kMostPerCall)),
                static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Failed(error, "Lesen fehlgeschlagen");
    if (got == 0) {
      error = "Lesen fehlgeschlagen: Datei endet vorzeitig";
      return false;
    }
    data += got;
    size -= got;
    offset += got;
  }
  return true;
}

bool WriteAt(const File& file, std::string_view data, std::int64_t offset, std::string& error) {
  while (!data.empty()) {
    const ssize_t put =
        ::pwrite(file.Descriptor(), data.data(), std::min<std::size_t>(data.size(), kMostPerCall), offset);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return Failed(error, "Schreiben fehlgeschlagen");
    data.remove_prefix(static_cast<std::size_t>(put));
    offset += put;
  }
  return true;
}

bool Write(const File& file, std::string_view data, std::string& error) {
  const std::string_view pieces[] = {data};
  return WriteGathered(file, pieces, error);
}

bool WriteGathered(const File& file, std::span<const std::string_view> pieces, std::string& error) {
  std::vector<iovec> vectors;
  vectors.reserve(std::min<std::size_t>(pieces.size(), kMostPieces));
  std::size_t next = 0;
  std::size_t skip = 0;  // bytes of pieces[next] already written
  while (next < pieces.size()) {
    vectors.clear();
    for (std::size_t i = next; i < pieces.size() && vectors.size() < kMostPieces; ++i) {
      const std::size_t from = i == next ? skip : 0;
      vectors.push_back({const_cast<char*>(pieces[i].data() + from), pieces[i].size() - from});
    }
    ssize_t put = ::writev(file.Descriptor(), vectors.data(), static_cast<int>(vectors.size()));
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return Failed(error, "Schreiben fehlgeschlagen");
    if (put == 0 && !vectors.empty() && vectors.front().iov_len > 0) {
      errno = EIO;
      return Failed(error, "Schreiben fehlgeschlagen");
    }
    auto remaining = static_cast<std::size_t>(put);
    while (next < pieces.size() && remaining >= pieces[next].size() - skip) {
      remaining -= pieces[next].size() - skip;
      ++next;
      skip = 0;
    }
    skip += remaining;
  }
  return true;
}

bool CopyRange(const File& from, std::int64_t offset, std::int64_t size, const File& to, std::string& error) {
  loff_t in = offset;
  while (size > 0) {
    const ssize_t copied = ::copy_file_range(from.Descriptor(), &in, to.Descriptor(), nullptr,
                                             static_cast<std::size_t>(std::min(size, kMostPerCall)), 0);
    if (copied < 0 && errno == EINTR) continue;
    if (copied < 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL)) break;
    if (copied < 0) return Failed(error, "Kopieren fehlgeschlagen");
    if (copied == 0) {
      error = "Kopieren fehlgeschlagen: Datei endet vorzeitig";
      return false;
    }
    size -= copied;
  }
  // Where the kernel cannot copy between these files, through a buffer.
  std::vector<char> buffer(static_cast<std::size_t>(std::min<std::int64_t>(size, 8 << 20)));
  while (size > 0) {
    const std::int64_t piece = std::min<std::int64_t>(size, static_cast<std::int64_t>(buffer.size()));
    if (!ReadAt(from, buffer.data(), piece, in, error)) return false;
    if (!Write(to, std::string_view(buffer.data(), static_cast<std::size_t>(piece)), error)) return false;
    in += piece;
    size -= piece;
  }
  return true;
}

bool Sync(const File& file, std::string& error) {
  if (::fsync(file.Descriptor()) != 0) return Failed(error, "Schreiben auf die Platte fehlgeschlagen");
  return true;
}

bool FlushedWithFileSystem(const File& file) {
#ifdef __linux__
  return FlushedWhole(file.Descriptor());
#else
  (void)file;
  return false;
#endif
}

bool SyncFileSystem(const File& file, std::string& error) {
#ifdef __linux__
  if (::syncfs(file.Descriptor()) != 0) return Failed(error, "Schreiben auf die Platte fehlgeschlagen");
  return true;
#else
  return Sync(file, error);
#endif
}

void StartWriteBack(const File& file, std::int64_t offset, std::int64_t size) {
#ifdef __linux__
  ::sync_file_range(file.Descriptor(), static_cast<off_t>(offset), static_cast<off_t>(size),
                    SYNC_FILE_RANGE_WRITE);
#else
  (void)file, (void)offset, (void)size;
#endif
}

bool CopyAttributes(const std::string& from, const File& to, bool keepOwner, std::string& error) {
  struct stat status {};
  if (::stat(from.c_str(), &status) != 0) return Failed(error, "Rechte von " + from + " nicht lesbar");
  // A user may not give a file away, but may keep its group where a member;
  // both refusals leave the replacement the user's own. Set before the
  // permissions, since a change of owner clears set-id bits.
  if (keepOwner && ::fchown(to.Descriptor(), status.st_uid, status.st_gid) != 0) {
    if (errno != EPERM && errno != EINVAL) return Failed(error, "Eigentümer nicht übertragbar");
    [[maybe_unused]] const int groupOnly = ::fchown(to.Descriptor(), static_cast<uid_t>(-1), status.st_gid);
  }
  // Some file systems (FAT, some network shares) have no permissions to set.
  if (::fchmod(to.Descriptor(), status.st_mode & 07777) != 0 && errno != EPERM && errno != ENOTSUP &&
      errno != EOPNOTSUPP)
    return Failed(error, "Rechte nicht übertragbar");
  return true;
}

bool SyncDirectoryOf(const std::string& path, std::string& error) {
  std::filesystem::path directory = std::filesystem::path(path).parent_path();
  if (directory.empty()) directory = ".";
  const std::string what = "Ordner " + directory.string() + " nicht auf die Platte geschrieben";
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Failed(error, what);
  const bool synced = ::fsync(fd) == 0;
  const int reason = errno;
  ::close(fd);
  errno = reason;
  return synced || Failed(error, what);
}

}  // namespace fits::platform

#include <atomic>
#include <csignal>

namespace fits::platform {
namespace {

// Set from a signal handler, so it must be lock-free.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void NoteStop(int signal) {
  int none = 0;
  stopSignal.compare_exchange_strong(none, signal);
}

}  // namespace

void IgnoreFileSizeSignal() {
  std::signal(SIGXFSZ, SIG_IGN);
}

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : program.parent_path();
}

void InstallStopHandlers() {
  std::signal(SIGPIPE, SIG_IGN);
  struct sigaction stop {};
  stop.sa_handler = NoteStop;
  sigemptyset(&stop.sa_mask);
  stop.sa_flags = SA_RESTART;  // a file being written goes on; the batch looks at the flag between files
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction before {};
    if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
      ::sigaction(signal, &stop, nullptr);
  }
}

int StopSignal() {
  return stopSignal.load();
}

void RequestStop(int signal) {
  NoteStop(signal);
}

bool StandardErrorIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

void PreferLargePages(void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  // madvise wants a page-aligned start; the buffer's first partial page keeps small pages.
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto start = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
  const auto end = reinterpret_cast<std::uintptr_t>(data) + bytes;
  if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace fits::platform
