// The few file system calls Velorin makes beyond the standard library: whole
// reads and writes at an offset, gathered writes, in-kernel copies, flushing
// to disk, what a file is and who may write it, and replacing a file by a
// rename. The only files that know the platform: platform_file.cpp for
// POSIX, platform_file_win32.cpp for Windows; each call returns false and
// fills error (German, with the system's reason) on failure.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fits::platform {

class File {
 public:
  File() = default;
  explicit File(int descriptor) : fd_(descriptor) {}
  File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }
  // Closes and reports whether the last writes reached the file.
  bool Close(std::string& error);

 private:
  int fd_ = -1;
};

// Which file a name stands for, and the state it was in: a file rewritten or
// replaced since differs in at least one of these.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = -1;
  std::int64_t modifiedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};
bool IdentityOf(const std::string& path, FileIdentity& identity, std::string& error);  // follows links
bool IdentityOf(const File& file, FileIdentity& identity, std::string& error);

// A name (UTF-8, as every name inside the program) as std::filesystem and the
// file streams take it: a plain std::string would be read in the local code
// page on Windows.
inline std::filesystem::path NativePath(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
// And back, with "/" between the parts on every system.
inline std::string Utf8Name(const std::filesystem::path& path) {
  const std::u8string name = path.generic_u8string();
  return std::string(name.begin(), name.end());
}

// The folder a file's name stands in, "." for a bare name.
inline std::string FolderOf(std::string_view utf8) {
  const std::filesystem::path path = NativePath(utf8);
  return path.has_parent_path() ? Utf8Name(path.parent_path()) : ".";
}

// Whether an existing file is not to be written: the user has no write
// access, or the file has no write permission at all (which even root
// respects here). False for a missing file.
bool IsWriteProtected(const std::string& path);
// The names a regular file has; 0 when it is missing or no regular file.
std::uint64_t HardLinkCount(const std::string& path);
// Whether the name itself is a symbolic link (or, on Windows, another
// reparse point), without following it.
bool IsSymbolicLink(const std::string& path);
// The form in which the file system tells names apart: two names with the
// same key are one file once created (Windows ignores letter case, POSIX
// systems compare the bytes).
std::string NameKey(std::string_view utf8);
// Where a chain of symbolic links ends (path itself when it is no link),
// also when the last link names a file that does not exist yet.
std::string FollowLinks(const std::string& path);

File OpenForReading(const std::string& path, std::string& error);
File OpenForUpdate(const std::string& path, std::string& error);  // read and write, no truncation

// A new, empty file beside its target (same directory) for a replace by
// rename. It has no name (path empty) until PutInPlace where the file system
// allows, so a killed save leaves nothing behind.
struct TempFile {
  File file;
  std::string path;
};
TempFile CreateTempBeside(const std::string& target, std::string& error);
// The way where unnamed files are refused: first removes stale temporaries of
// target that an earlier, killed save left, then makes a named one.
TempFile CreateNamedTempBeside(const std::string& target, std::string& error);
// Removes the temporaries that saves cut short left beside any file of the
// folder of path; those of saves still running stay. Windows keeps them
// until the next save of their file, as it cannot tell a running save's.
void RemoveStaleTempsBeside(const std::string& path);
// Names the complete temp file target (replacing the file there) and closes it.
bool PutInPlace(TempFile& temp, const std::string& target, std::string& error);
// Names the complete temp file target, which must not exist yet, and keeps
// it open (and locked, where it was).
bool NameBeside(TempFile& temp, const std::string& target, std::string& error);
// Takes the lock that marks a file as in use by its writer, without waiting:
// false while another open of it (in any process) holds it. Released when
// the file is closed, also by the system when the process dies.
bool TryLock(const File& file);
// Opens a log for writing, created when missing, and takes its lock without
// waiting; only then empties it, so a log another window holds is never
// cut: busy is set and nothing is opened.
File OpenLockedAndEmptied(const std::string& path, bool& busy, std::string& error);
bool RemoveFile(const std::string& path, std::string& error);
// Whether the file belongs to the user the program runs as: a file another
// user left in a shared folder is never taken for one of ours.
bool OwnedByThisUser(const File& file);
// Drops a temp file that is not to be used.
void Discard(TempFile& temp);

bool FileSize(const File& file, std::int64_t& size, std::string& error);
bool ReadAt(const File& file, char* data, std::int64_t size, std::int64_t offset, std::string& error);
bool WriteAt(const File& file, std::string_view data, std::int64_t offset, std::string& error);
// Appends at the current position.
bool Write(const File& file, std::string_view data, std::string& error);
// Appends the pieces in order, as few calls as the system allows.
bool WriteGathered(const File& file, std::span<const std::string_view> pieces, std::string& error);
// Appends size bytes of from, starting at offset, inside the kernel where it can.
bool CopyRange(const File& from, std::int64_t offset, std::int64_t size, const File& to, std::string& error);
bool Sync(const File& file, std::string& error);
// Whether one flush of the file's whole file system (SyncFileSystem) puts
// its data on the disk: true for local file systems where the system has
// such a call (a disk flush costs about the same for one file as for a
// thousand); false elsewhere, as on network and FUSE file systems, whose
// whole-system flush may skip the file's bytes: flush each such file itself.
bool FlushedWithFileSystem(const File& file);
// Flushes the whole file system the file lies on.
bool SyncFileSystem(const File& file, std::string& error);
// Starts writing a just-written range to disk without waiting, so the disk
// works while later data are still being produced and the final Sync has
// little left. Only a hint: where the system has no such call it does
// nothing, and errors surface at Sync.
void StartWriteBack(const File& file, std::int64_t offset, std::int64_t size);
// The permissions of an existing file, and with keepOwner its owner and group
// where the process may set them, to give its replacement.
bool CopyAttributes(const std::string& from, const File& to, bool keepOwner, std::string& error);
// Makes a rename in this file's directory durable.
bool SyncDirectoryOf(const std::string& path, std::string& error);

}  // namespace fits::platform

namespace fits::platform {

// A write beyond the process's file size limit then fails with an error
// (reported like a full disk) instead of ending the program.
void IgnoreFileSizeSignal();

// Ctrl-C, SIGTERM and SIGHUP (where the system has it) only ask the batch to
// stop between files; a signal the caller ignores (nohup) stays ignored. A
// closed pipe no longer ends the program: writes to it fail, and the writer
// asks for the stop with kClosedPipeSignal.
void InstallStopHandlers();
// The signal that asked for the stop first; 0 while none has.
int StopSignal();
void RequestStop(int signal);
// SIGPIPE's number: a closed output ends the batch with 128 + 13 on every system.
inline constexpr int kClosedPipeSignal = 13;

// Whether standard error goes to a terminal, where a progress line may be
// redrawn in place.
bool StandardErrorIsTerminal();

// The folder the running executable lies in; empty when the system cannot say.
std::filesystem::path ProgramFolder();

// Asks the system to back a large buffer not yet touched with large memory
// pages: an image of a hundred megabytes then costs dozens of page faults,
// not tens of thousands. Only a hint; nothing where the system has none.
void PreferLargePages(void* data, std::size_t bytes);

}  // namespace fits::platform
