#include "fits/header_rewrite.h"

#include <algorithm>
#include <map>
#include <utility>

#include "fits/file_replace.h"
#include "fits/header_journal.h"
#include "fits/platform_file.h"

namespace fits {
namespace {

constexpr std::int64_t kCopyPieceBytes = std::int64_t{4} << 20;

// One file of a group, with its old and new header. No file is held open
// between the steps, so a group costs a few file handles however large.
struct Target {
  std::size_t index = 0;
  std::string path;
  JournalEntry entry;
  bool flushedWithJournal = false;  // its file system's one flush covers it
  std::string error;                // empty while all went well
};

// The file as it is now: unchanged since the read, its old header taken
// (unless the caller took it already); false with result set when it may not
// or cannot be written.
bool Prepare(const InPlaceHeader& in, Target& target, SaveResult& result) {
  result = InputUnchanged(in.path, in.asRead);
  if (!result.ok()) return false;
  result = SaveResult{};
  target.entry.oldHeader = in.oldHeader;
  if (target.entry.oldHeader.empty() && !TakeOldHeader(in, target.entry.oldHeader, result)) return false;
  target.path = in.path;
  target.entry.name = platform::Utf8Name(platform::NativePath(in.path).filename());
  target.entry.fileSize = in.asRead.size;
  target.entry.newHeader = in.header;
  return true;
}

std::uint64_t DeviceOf(const platform::File& file) {
  platform::FileIdentity identity;
  std::string ignored;
  return platform::IdentityOf(file, identity, ignored) ? identity.device : ~std::uint64_t{0};
}

// Writes one header; flushed here unless the journal's file system flush
// takes it along.
void WriteHeader(Target& target, std::uint64_t journalDevice, std::string_view header) {
  platform::File file = platform::OpenForUpdate(target.path, target.error);
  if (!file.IsOpen() || !platform::WriteAt(file, header, 0, target.error)) return;
  target.flushedWithJournal = platform::FlushedWithFileSystem(file) && DeviceOf(file) == journalDevice;
  if (target.flushedWithJournal || platform::Sync(file, target.error)) file.Close(target.error);
}

bool PutBack(Target& target) {
  std::string ignored;
  target.flushedWithJournal = false;
  platform::File file = platform::OpenForUpdate(target.path, ignored);
  return file.IsOpen() && platform::WriteAt(file, target.entry.oldHeader, 0, ignored) &&
         platform::Sync(file, ignored) && file.Close(ignored);
}

// The files of one folder: journal, headers, flush, journal gone.
void WriteGroup(const std::string& folder, std::vector<Target>& targets, std::vector<SaveResult>& results) {
  std::vector<JournalEntry> entries;
  for (const Target& target : targets) entries.push_back(target.entry);
  OpenJournal journal;
  std::string error;
  if (!PublishJournal(folder, entries, journal, error)) {
    for (const Target& target : targets)
      results[target.index].error = "Journal nicht anlegbar: " + error + ", nichts geschrieben";
    return;
  }
  const std::uint64_t journalDevice = DeviceOf(journal.file);
  for (Target& target : targets) WriteHeader(target, journalDevice, target.entry.newHeader);
  std::string flushError;
  const bool flushed =
      std::none_of(targets.begin(), targets.end(), [](const Target& t) { return t.flushedWithJournal; }) ||
      platform::SyncFileSystem(journal.file, flushError);
  bool journalStays = false;
  for (Target& target : targets) {
    if (target.error.empty() && target.flushedWithJournal && !flushed) target.error = flushError;
    if (!target.error.empty() && !PutBack(target)) journalStays = true;
  }
  if (!journalStays && !RetireJournal(journal, error)) {
    // The journal would turn the new headers back at the next read.
    for (Target& target : targets)
      if (target.error.empty()) {
        target.error = "Journal nicht entfernbar: " + error;
        journalStays = !PutBack(target) || journalStays;
      }
  }
  for (const Target& target : targets) {
    SaveResult& result = results[target.index];
    if (journalStays) {
      // The whole group reads as old again once the journal is taken up.
      result.error = (target.error.empty() ? std::string("Schreiben eines anderen Headers fehlgeschlagen")
                                           : target.error) +
                     ", der alte Header wird beim nächsten Lesen zurückgeschrieben";
    } else if (!target.error.empty()) {
      result.error = target.error + ", nichts geändert";
    } else {
      result.code = SaveCode::Saved;
    }
  }
}

}  // namespace

bool TakeOldHeader(const InPlaceHeader& in, std::string& oldHeader, SaveResult& result) {
  if (static_cast<std::int64_t>(in.header.size()) != in.oldHeaderBytes ||
      in.oldHeaderBytes > in.asRead.size) {
    result.error = "neuer Header hat " + std::to_string(in.header.size()) + " statt " +
                   std::to_string(in.oldHeaderBytes) + " Bytes, nichts geschrieben";
    return false;
  }
  if (RefusedAsWriteProtected(in.path, result)) return false;
  const platform::File file = platform::OpenForReading(in.path, result.error);
  oldHeader.resize(in.header.size());
  return file.IsOpen() && platform::ReadAt(file, oldHeader.data(),
                                           static_cast<std::int64_t>(oldHeader.size()), 0, result.error);
}

std::vector<SaveResult> RewriteHeadersInPlace(std::span<const InPlaceHeader> files) {
  std::vector<SaveResult> results(files.size());
  std::map<std::string, std::vector<Target>> groups;
  for (std::size_t i = 0; i < files.size(); ++i) {
    Target target;
    target.index = i;
    if (!Prepare(files[i], target, results[i])) continue;
    groups[platform::FolderOf(files[i].path)].push_back(std::move(target));
  }
  for (auto& [folder, targets] : groups) WriteGroup(folder, targets, results);
  return results;
}

SaveResult RewriteHeaderInPlace(const InPlaceHeader& file) {
  return RewriteHeadersInPlace(std::span(&file, 1)).front();
}

SaveResult CopyWithNewHeader(const std::string& input, std::string_view header, std::int64_t oldHeaderBytes,
                             const std::string& target, const Progress& progress) {
  SaveResult result;
  platform::File source = platform::OpenForReading(input, result.error);
  std::int64_t size = 0;
  if (!source.IsOpen() || !FileSize(source, size, result.error)) return result;
  // The input is closed before the replace: Windows refuses to replace a
  // file that is still open, and target may be the input.
  return ReplaceFile(target, input, [&](const platform::File& output, std::string& error) {
    if (!Write(output, header, error)) return false;
    // In pieces, so the disk takes each one while the next is copied.
    for (std::int64_t offset = oldHeaderBytes; offset < size; offset += kCopyPieceBytes) {
      const std::int64_t piece = std::min(kCopyPieceBytes, size - offset);
      if (!CopyRange(source, offset, piece, output, error)) return false;
      platform::StartWriteBack(output, offset, piece);
      if (progress) progress(offset + piece - oldHeaderBytes, size - oldHeaderBytes);
    }
    return source.Close(error);
  });
}

}  // namespace fits
