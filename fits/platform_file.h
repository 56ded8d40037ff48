// The few file system calls Velorin makes beyond the standard library: whole
// reads and writes at an offset, gathered writes, in-kernel copies, flushing
// to disk and replacing a file by a rename. The only file that knows the
// platform; each call returns false and fills error (German, with the
// system's reason) on failure.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

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

File OpenForReading(const std::string& path, std::string& error);
File OpenForUpdate(const std::string& path, std::string& error);  // read and write, no truncation
// A new, empty file beside target (same directory), for a replace by rename.
File CreateTempBeside(const std::string& target, std::string& tempPath, std::string& error);

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
// The permissions of an existing file, to give its replacement.
bool CopyPermissions(const std::string& from, const File& to, std::string& error);
bool RenameOver(const std::string& temp, const std::string& target, std::string& error);
// Makes a rename in this file's directory durable.
void SyncDirectoryOf(const std::string& path);
void Remove(const std::string& path);

}  // namespace fits::platform

namespace fits::platform {

// A write beyond the process's file size limit then fails with an error
// (reported like a full disk) instead of ending the program.
void IgnoreFileSizeSignal();

}  // namespace fits::platform
