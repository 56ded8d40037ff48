#include "fits/platform_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

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

}  // namespace

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

File CreateTempBeside(const std::string& target, std::string& tempPath, std::string& error) {
  const std::filesystem::path path(target);
  std::string pattern = (path.parent_path() / ("." + path.filename().string() + ".velorin-XXXXXX")).string();
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    Failed(error, "Anlegen einer Datei neben " + target + " fehlgeschlagen");
    return File();
  }
  tempPath = pattern;
  return File(fd);
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

bool CopyPermissions(const std::string& from, const File& to, std::string& error) {
  struct stat status {};
  if (::stat(from.c_str(), &status) != 0) return Failed(error, "Rechte von " + from + " nicht lesbar");
  if (::fchmod(to.Descriptor(), status.st_mode & 07777) != 0)
    return Failed(error, "Rechte nicht übertragbar");
  return true;
}

bool RenameOver(const std::string& temp, const std::string& target, std::string& error) {
  if (::rename(temp.c_str(), target.c_str()) != 0)
    return Failed(error, "Ersetzen von " + target + " fehlgeschlagen");
  return true;
}

void SyncDirectoryOf(const std::string& path) {
  std::filesystem::path directory = std::filesystem::path(path).parent_path();
  if (directory.empty()) directory = ".";
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

void Remove(const std::string& path) {
  ::unlink(path.c_str());
}

}  // namespace fits::platform

#include <csignal>

namespace fits::platform {

void IgnoreFileSizeSignal() {
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace fits::platform
