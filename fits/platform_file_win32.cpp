// The Windows twin of platform_file.cpp, with the same promises. Names are
// UTF-8 inside the program and UTF-16 at every Win32 call. A File holds a C
// runtime descriptor over the Win32 handle, so the header stays one for both.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <random>
#include <vector>

#include "fits/platform_file.h"

namespace fits::platform {
namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr,
                        nullptr);
  return utf8;
}

// The reasons a user meets most in German whatever language Windows speaks;
// the rest as the system words them.
std::string Reason(DWORD code) {
  switch (code) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "Datei ist in einem anderen Programm geöffnet oder gesperrt";
    case ERROR_ACCESS_DENIED:
      return "Zugriff verweigert";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "Datei oder Ordner nicht gefunden";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "Datenträger voll";
    case ERROR_WRITE_PROTECT:
      return "Datenträger schreibgeschützt";
    default:
      break;
  }
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide = length > 0 ? std::wstring(text, length) : std::wstring();
  ::LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L'.'))
    wide.pop_back();
  return (wide.empty() ? std::string("Fehler") : Narrow(wide)) + " (" + std::to_string(code) + ")";
}

bool Failed(std::string& error, const std::string& what, DWORD code = ::GetLastError()) {
  error = what + ": " + Reason(code);
  return false;
}

HANDLE HandleOf(const File& file) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(file.Descriptor()));
}

// Others may read, write, rename and delete meanwhile, as on POSIX.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

File Open(const std::string& path, DWORD access, DWORD creation, std::string& error,
          const std::string& what) {
  const HANDLE handle =
      ::CreateFileW(Wide(path).c_str(), access, kShareAll, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    Failed(error, what);
    return {};
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
  if (fd < 0) {
    const DWORD code = ERROR_TOO_MANY_OPEN_FILES;
    ::CloseHandle(handle);
    Failed(error, what, code);
    return {};
  }
  return File(fd);
}

// What GetFileInformationByHandle knows of the file a name leads to.
bool InformationOf(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  const HANDLE handle = ::CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
  const DWORD code = ::GetLastError();
  ::CloseHandle(handle);
  ::SetLastError(code);
  return known;
}

std::uint64_t Join(DWORD high, DWORD low) {
  return (std::uint64_t{high} << 32) | low;
}

// Large reads and writes go in pieces a DWORD counts.
constexpr std::int64_t kMostPerCall = std::int64_t{1} << 30;

std::string::size_type NameStart(const std::string& path) {
  const auto slash = path.find_last_of("/\\:");
  return slash == std::string::npos ? 0 : slash + 1;
}

// The names temporaries of target get: ".<name>.velorin-" and six letters or digits.
std::string TempPrefix(const std::string& target) {
  const auto start = NameStart(target);
  return target.substr(0, start) + "." + target.substr(start) + ".velorin-";
}
constexpr std::size_t kTempSuffix = 6;

// Temporaries a killed save of this target left behind; only Velorin's own
// names and only plain files, so nothing of the user's is touched.
void RemoveStaleTemps(const std::string& target) {
  const std::string prefix = TempPrefix(target);
  const std::string folder = target.substr(0, NameStart(target));
  const std::string name = prefix.substr(folder.size());
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW(Wide(prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string entry = Narrow(found.cFileName);
    if (entry.size() != name.size() + kTempSuffix || !entry.starts_with(name) ||
        (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
        !std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(name.size()), entry.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }))
      continue;
    const std::wstring path = Wide(folder + entry);
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
}

// Windows has no unnamed files: every temporary is named at once.
TempFile CreateNamed(const std::string& target, std::string& error) {
  static thread_local std::mt19937_64 random(
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (std::uint64_t{::GetCurrentProcessId()} << 32));
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  const std::string what = "Anlegen einer Datei neben " + target + " fehlgeschlagen";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = TempPrefix(target);
    for (std::size_t i = 0; i < kTempSuffix; ++i) name += kLetters[random() % (sizeof(kLetters) - 1)];
    File file = Open(name, GENERIC_READ | GENERIC_WRITE, CREATE_NEW, error, what);
    if (file.IsOpen()) return {std::move(file), name};
    if (::GetLastError() != ERROR_FILE_EXISTS) return {};
  }
  return {};
}

OVERLAPPED At(std::int64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xffffffffu);
  at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  return at;
}

// A read or write at an offset moves a synchronous handle's position on
// Windows; pread and pwrite leave it, so it is put back.
class KeepPosition {
 public:
  explicit KeepPosition(HANDLE handle) : handle_(handle) {
    ::SetFilePointerEx(handle_, LARGE_INTEGER{}, &position_, FILE_CURRENT);
  }
  ~KeepPosition() { ::SetFilePointerEx(handle_, position_, nullptr, FILE_BEGIN); }
  KeepPosition(const KeepPosition&) = delete;
  KeepPosition& operator=(const KeepPosition&) = delete;

 private:
  HANDLE handle_;
  LARGE_INTEGER position_{};
};

void TakeIdentity(const BY_HANDLE_FILE_INFORMATION& info, FileIdentity& identity) {
  identity.device = info.dwVolumeSerialNumber;
  identity.inode = Join(info.nFileIndexHigh, info.nFileIndexLow);
  identity.size = static_cast<std::int64_t>(Join(info.nFileSizeHigh, info.nFileSizeLow));
  // Windows counts in 100 ns steps.
  identity.modifiedNs = static_cast<std::int64_t>(
                            Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)) *
                        100;
}

}  // namespace

bool IdentityOf(const std::string& path, FileIdentity& identity, std::string& error) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!InformationOf(path, info)) return Failed(error, path + " nicht lesbar");
  TakeIdentity(info, identity);
  return true;
}

bool IdentityOf(const File& file, FileIdentity& identity, std::string& error) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(HandleOf(file), &info)) return Failed(error, "Dateiangaben nicht lesbar");
  TakeIdentity(info, identity);
  return true;
}

bool IsWriteProtected(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return true;
  // The access list may refuse the user; a file others hold open is not
  // protected, its replace fails with its own reason.
  const HANDLE handle =
      ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    ::CloseHandle(handle);
    return false;
  }
  return ::GetLastError() == ERROR_ACCESS_DENIED;
}

std::uint64_t HardLinkCount(const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!InformationOf(path, info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return 0;
  return info.nNumberOfLinks;
}

bool IsSymbolicLink(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// NTFS and FAT compare names by upper-casing them with a table much like the
// invariant locale's; the key is the name so upper-cased.
std::string NameKey(std::string_view utf8) {
  const std::wstring wide = Wide(std::string(utf8));
  if (wide.empty()) return {};
  std::wstring upper(wide.size(), L'\0');
  const int size =
      ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), static_cast<int>(wide.size()),
                      upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0);
  if (size <= 0) return std::string(utf8);
  upper.resize(static_cast<std::size_t>(size));
  return Narrow(upper);
}

std::string FollowLinks(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return path;
  const HANDLE handle = ::CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  // A link to a file not there yet stays as it is: the new file then
  // replaces the link, which Windows links seldom meet.
  if (handle == INVALID_HANDLE_VALUE) return path;
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
  if (length >= final.size()) {
    final.resize(length);
    length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
  }
  ::CloseHandle(handle);
  if (length == 0 || length >= final.size()) return path;
  final.resize(length);
  // "\\?\C:\..." names a drive's file; the prefix is kept only for shares.
  if (final.starts_with(L"\\\\?\\") && final.size() > 6 && final[5] == L':') final.erase(0, 4);
  return Narrow(final);
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::_close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

File::~File() {
  if (fd_ >= 0) ::_close(fd_);
}

bool File::Close(std::string& error) {
  const int fd = fd_;
  fd_ = -1;
  if (fd >= 0 && ::_close(fd) != 0) return Failed(error, "Schliessen fehlgeschlagen");
  return true;
}

File OpenForReading(const std::string& path, std::string& error) {
  return Open(path, GENERIC_READ, OPEN_EXISTING, error, "Öffnen von " + path + " fehlgeschlagen");
}

File OpenForUpdate(const std::string& path, std::string& error) {
  return Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, error,
              "Öffnen von " + path + " zum Schreiben fehlgeschlagen");
}

TempFile CreateTempBeside(const std::string& target, std::string& error) {
  return CreateNamedTempBeside(target, error);
}

TempFile CreateNamedTempBeside(const std::string& target, std::string& error) {
  RemoveStaleTemps(target);
  return CreateNamed(target, error);
}

bool PutInPlace(TempFile& temp, const std::string& target, std::string& error) {
  if (!temp.file.Close(error)) {
    Discard(temp);
    return false;
  }
  // Either the old file or the new one is there afterwards; a target another
  // program holds open is refused and stays as it was.
  if (!::MoveFileExW(Wide(temp.path).c_str(), Wide(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    // A target the user may write (checked before) is refused only while
    // some program holds it open; Windows says "access denied" for some of those.
    const DWORD code = ::GetLastError();
    Failed(error, "Ersetzen von " + target + " fehlgeschlagen",
           code == ERROR_ACCESS_DENIED ? ERROR_SHARING_VIOLATION : code);
    Discard(temp);
    return false;
  }
  temp.path.clear();
  return true;
}

bool NameBeside(TempFile& temp, const std::string& target, std::string& error) {
  // Every temporary is named and opened with delete sharing, so it can be
  // renamed while open; without MOVEFILE_REPLACE_EXISTING a file there stays.
  if (!::MoveFileExW(Wide(temp.path).c_str(), Wide(target).c_str(), MOVEFILE_WRITE_THROUGH))
    return Failed(error, "Benennen von " + target + " fehlgeschlagen");
  temp.path.clear();
  return true;
}

bool TryLock(const File& file) {
  // A byte far beyond the end: readers of the file are never blocked.
  OVERLAPPED at{};
  at.OffsetHigh = 0x7FFFFFFF;
  return ::LockFileEx(HandleOf(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

File OpenLockedAndEmptied(const std::string& path, bool& busy, std::string& error) {
  const std::string what = path + " nicht anlegbar";
  File file = Open(path, GENERIC_WRITE, OPEN_ALWAYS, error, what);
  busy = file.IsOpen() && !TryLock(file);
  if (!file.IsOpen() || busy) return {};
  // Opened at its first byte: the end set there empties it.
  if (!::SetEndOfFile(HandleOf(file))) {
    Failed(error, what);
    return {};
  }
  return file;
}

// A folder's access list decides who may put files there; Windows has no
// owner check as cheap as this is on POSIX.
bool OwnedByThisUser(const File&) {
  return true;
}

bool RemoveFile(const std::string& path, std::string& error) {
  return ::DeleteFileW(Wide(path).c_str()) != 0 || Failed(error, "Löschen von " + path + " fehlgeschlagen");
}

void RemoveStaleTempsBeside(const std::string&) {}

void Discard(TempFile& temp) {
  std::string ignored;
  temp.file.Close(ignored);
  if (!temp.path.empty()) {
    const std::wstring path = Wide(temp.path);
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only copy cannot be deleted
    ::DeleteFileW(path.c_str());
  }
  temp.path.clear();
}

bool FileSize(const File& file, std::int64_t& size, std::string& error) {
  LARGE_INTEGER bytes{};
  if (!::GetFileSizeEx(HandleOf(file), &bytes)) return Failed(error, "Dateigröße nicht lesbar");
  size = bytes.QuadPart;
  return true;
}

bool ReadAt(const File& file, char* data, std::int64_t size, std::int64_t offset, std::string& error) {
  const HANDLE handle = HandleOf(file);
  const KeepPosition keep(handle);
  while (size > 0) {
    OVERLAPPED at = At(offset);
    DWORD got = 0;
    if (!::ReadFile(handle, data, static_cast<DWORD>(std::min(size, kMostPerCall)), &got, &at) &&
        ::GetLastError() != ERROR_HANDLE_EOF)
      return Failed(error, "Lesen fehlgeschlagen");
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
  const HANDLE handle = HandleOf(file);
  const KeepPosition keep(handle);
  while (!data.empty()) {
    OVERLAPPED at = At(offset);
    DWORD put = 0;
    const auto piece = static_cast<DWORD>(std::min<std::size_t>(data.size(), kMostPerCall));
    if (!::WriteFile(handle, data.data(), piece, &put, &at)) return Failed(error, "Schreiben fehlgeschlagen");
    if (put == 0) return Failed(error, "Schreiben fehlgeschlagen", ERROR_WRITE_FAULT);
    data.remove_prefix(put);
    offset += put;
  }
  return true;
}

bool Write(const File& file, std::string_view data, std::string& error) {
  const HANDLE handle = HandleOf(file);
  while (!data.empty()) {
    DWORD put = 0;
    const auto piece = static_cast<DWORD>(std::min<std::size_t>(data.size(), kMostPerCall));
    if (!::WriteFile(handle, data.data(), piece, &put, nullptr))
      return Failed(error, "Schreiben fehlgeschlagen");
    if (put == 0) return Failed(error, "Schreiben fehlgeschlagen", ERROR_WRITE_FAULT);
    data.remove_prefix(put);
  }
  return true;
}

bool WriteGathered(const File& file, std::span<const std::string_view> pieces, std::string& error) {
  // WriteFileGather wants unbuffered, page-aligned files; small pieces are
  // joined instead so that a row-wise copy is not one call per row.
  constexpr std::size_t kJoined = std::size_t{4} << 20;
  std::string joined;
  for (const std::string_view piece : pieces) {
    if (joined.size() + piece.size() > kJoined) {
      if (!Write(file, joined, error)) return false;
      joined.clear();
    }
    if (piece.size() >= kJoined) {
      if (!Write(file, piece, error)) return false;
    } else {
      joined.append(piece);
    }
  }
  return Write(file, joined, error);
}

bool CopyRange(const File& from, std::int64_t offset, std::int64_t size, const File& to, std::string& error) {
  std::vector<char> buffer(static_cast<std::size_t>(std::clamp<std::int64_t>(size, 1, 8 << 20)));
  while (size > 0) {
    const std::int64_t piece = std::min<std::int64_t>(size, static_cast<std::int64_t>(buffer.size()));
    if (!ReadAt(from, buffer.data(), piece, offset, error)) return false;
    if (!Write(to, std::string_view(buffer.data(), static_cast<std::size_t>(piece)), error)) return false;
    offset += piece;
    size -= piece;
  }
  return true;
}

bool Sync(const File& file, std::string& error) {
  if (!::FlushFileBuffers(HandleOf(file))) return Failed(error, "Schreiben auf die Platte fehlgeschlagen");
  return true;
}

// Windows flushes a file system only for an administrator: file by file.
bool FlushedWithFileSystem(const File&) {
  return false;
}

bool SyncFileSystem(const File& file, std::string& error) {
  return Sync(file, error);
}

bool CopyAttributes(const std::string& from, const File& to, bool keepOwner, std::string& error) {
  // Owner and access list: a new file takes its folder's, which is what a
  // Windows user expects of a file saved there.
  (void)keepOwner;
  const DWORD attributes = ::GetFileAttributesW(Wide(from).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Failed(error, "Rechte von " + from + " nicht lesbar");
  constexpr DWORD kCarried = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                             FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = (attributes & kCarried) != 0 ? attributes & kCarried : FILE_ATTRIBUTE_NORMAL;
  if (!::SetFileInformationByHandle(HandleOf(to), FileBasicInfo, &basic, sizeof basic))
    return Failed(error, "Rechte nicht übertragbar");
  return true;
}

bool SyncDirectoryOf(const std::string& path, std::string& error) {
  // MOVEFILE_WRITE_THROUGH returns only once the rename is on the disk, and
  // Windows has no flush of a folder.
  (void)path;
  (void)error;
  return true;
}

// Windows has no call to start write-back early; the final Sync does it all.
void StartWriteBack(const File&, std::int64_t, std::int64_t) {}

void IgnoreFileSizeSignal() {}  // Windows sends no signal for a file too large

std::filesystem::path ProgramFolder() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) return std::filesystem::path(name.substr(0, length)).parent_path();
    name.resize(name.size() * 2);  // cut short: try a longer buffer
  }
}

namespace {

std::atomic<int> stopSignal{0};

// The C library calls this on its console-handler thread for Ctrl-C (and
// Ctrl-Break), and for SIGTERM raised in the process; it resets the handler
// before each call.
void NoteStop(int signal) {
  int none = 0;
  stopSignal.compare_exchange_strong(none, signal);
  std::signal(signal, NoteStop);
}

}  // namespace

void InstallStopHandlers() {
  for (const int signal : {SIGINT, SIGTERM})
    if (std::signal(signal, NoteStop) == SIG_IGN) std::signal(signal, SIG_IGN);
}

int StopSignal() {
  return stopSignal.load();
}

void RequestStop(int signal) {
  int none = 0;
  stopSignal.compare_exchange_strong(none, signal);
}

bool StandardErrorIsTerminal() {
  return ::_isatty(_fileno(stderr)) != 0;
}

// Large pages on Windows need a privilege users do not have.
void PreferLargePages(void*, std::size_t) {}

}  // namespace fits::platform
