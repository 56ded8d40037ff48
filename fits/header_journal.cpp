#include "fits/header_journal.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <random>

#include "fits/card_text.h"
#include "fits/fits_sizes.h"

namespace fits {
namespace {

constexpr std::string_view kFirstLine = "VELORIN-JOURNAL 1 ";
constexpr std::size_t kChecksumLine = 17;  // 16 hex digits and a line feed
// Far more than the headers of a group of files; a bigger file is no journal of ours.
constexpr std::int64_t kLargestJournal = std::int64_t{1} << 30;

std::uint64_t Fnv1a(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

std::string Hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

// Reads "number" and the blank or line feed after it.
bool TakeNumber(std::string_view& bytes, std::int64_t& value, char end) {
  const auto [next, error] = std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
  if (error != std::errc() || next == bytes.data() + bytes.size() || *next != end || value < 0) return false;
  bytes.remove_prefix(static_cast<std::size_t>(next - bytes.data()) + 1);
  return true;
}

// Cards go into the journal without their trailing blanks, a length byte
// before each: a journal takes a tenth of the headers' bytes, so the flush
// before the first header is written stays short.
std::string PackCards(std::string_view header) {
  std::string packed;
  for (std::size_t at = 0; at < header.size(); at += kCardBytes) {
    const std::string_view card = TrimTrailingBlanks(header.substr(at, kCardBytes));
    packed += static_cast<char>(card.size());
    packed += card;
  }
  return packed;
}

// Reads cards packed as above; only the one way of packing them is taken.
bool TakeCards(std::string_view& bytes, std::int64_t cards, std::string& header) {
  header.clear();
  for (std::int64_t i = 0; i < cards; ++i) {
    if (bytes.empty()) return false;
    const auto size = static_cast<unsigned char>(bytes.front());
    if (size > kCardBytes || bytes.size() < 1u + size || (size > 0 && bytes[size] == ' ')) return false;
    header.append(bytes.substr(1, size)).append(kCardBytes - size, ' ');
    bytes.remove_prefix(1u + size);
  }
  return true;
}

bool TakeBytes(std::string_view& bytes, std::int64_t size, std::string& target) {
  if (static_cast<std::uint64_t>(size) > bytes.size()) return false;
  target.assign(bytes.substr(0, static_cast<std::size_t>(size)));
  bytes.remove_prefix(static_cast<std::size_t>(size));
  return true;
}

// A journal names files of its own folder only, so that no journal, of
// ours or planted, ever reaches a file elsewhere.
bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\\:\0", 4)) == std::string_view::npos;
}

std::string NewJournalName(const std::string& folder) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device device;
  std::mt19937_64 random((std::uint64_t{device()} << 32) ^ device());
  std::string name(kJournalPrefix);
  for (int i = 0; i < 12; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
  return platform::Utf8Name(platform::NativePath(folder) / platform::NativePath(name));
}

enum class Restore { Unchanged, Restored, Mismatch, Failed };

// Puts one file's old header back, where the file still holds the old or
// the new header or a mix of both: anything else was written by someone
// else since, and is not overwritten.
Restore RestoreEntry(const std::string& path, const JournalEntry& entry, std::string& error) {
  if (platform::HardLinkCount(path) == 0) return Restore::Mismatch;
  const platform::File file = platform::OpenForUpdate(path, error);
  std::int64_t size = 0;
  std::string current(entry.oldHeader.size(), '\0');
  if (!file.IsOpen() || !platform::FileSize(file, size, error)) return Restore::Failed;
  if (size != entry.fileSize) return Restore::Mismatch;
  if (!platform::ReadAt(file, current.data(), static_cast<std::int64_t>(current.size()), 0, error))
    return Restore::Failed;
  if (current == entry.oldHeader) return Restore::Unchanged;
  for (std::size_t i = 0; i < current.size(); ++i)
    if (current[i] != entry.oldHeader[i] && current[i] != entry.newHeader[i]) return Restore::Mismatch;
  if (!platform::WriteAt(file, entry.oldHeader, 0, error) || !platform::Sync(file, error))
    return Restore::Failed;
  return Restore::Restored;
}

// Handles one journal of the folder, unless it belongs to a save still
// running (locked, or already retired by it).
void RecoverJournal(const std::string& folder, const std::string& journalPath, const std::string& readName,
                    Recovery& recovery) {
  std::string error;
  const platform::File file = platform::OpenForReading(journalPath, error);
  platform::FileIdentity held;
  platform::FileIdentity named;
  std::int64_t size = 0;
  if (!file.IsOpen() || !platform::OwnedByThisUser(file) || !platform::TryLock(file) ||
      !platform::IdentityOf(file, held, error) || !platform::IdentityOf(journalPath, named, error) ||
      held.device != named.device || held.inode != named.inode || !platform::FileSize(file, size, error) ||
      size > kLargestJournal)
    return;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!platform::ReadAt(file, bytes.data(), size, 0, error)) return;
  const std::string journalName = platform::Utf8Name(platform::NativePath(journalPath).filename());
  const std::optional<std::vector<JournalEntry>> entries = ParseJournal(bytes);
  bool done = true;
  if (!entries) {
    // Written headers follow a complete journal only: no file was touched.
    recovery.logLines.push_back("Warnung: unvollständiges Journal " + journalName +
                                " entfernt, keine Datei war verändert");
  } else {
    for (const JournalEntry& entry : *entries) {
      const std::string path =
          platform::Utf8Name(platform::NativePath(folder) / platform::NativePath(entry.name));
      switch (RestoreEntry(path, entry, error)) {
        case Restore::Unchanged:
          break;
        case Restore::Restored:
          recovery.logLines.push_back("Warnung: Speichern von " + path +
                                      " war unterbrochen, alter Header aus dem Journal zurückgeschrieben");
          recovery.restored = recovery.restored || entry.name == readName;
          break;
        case Restore::Mismatch:
          recovery.logLines.push_back("Warnung: Journal " + journalName + " passt nicht zu " + path +
                                      ", nichts zurückgeschrieben");
          done = false;
          break;
        case Restore::Failed:
          recovery.logLines.push_back("Error: alter Header von " + path +
                                      " nicht zurückschreibbar: " + error);
          done = false;
          break;
      }
    }
  }
  if (done && (!platform::RemoveFile(journalPath, error) || !platform::SyncDirectoryOf(journalPath, error)))
    recovery.logLines.push_back("Warnung: Journal " + journalName + " nicht entfernt: " + error);
}

}  // namespace

std::string JournalBytes(std::span<const JournalEntry> entries) {
  std::string bytes = std::string(kFirstLine) + std::to_string(entries.size()) + "\n";
  for (const JournalEntry& entry : entries) {
    bytes += std::to_string(entry.name.size()) + " " + std::to_string(entry.fileSize) + " " +
             std::to_string(entry.oldHeader.size() / kCardBytes) + "\n";
    bytes += entry.name + PackCards(entry.oldHeader) + PackCards(entry.newHeader);
  }
  return bytes + Hex(Fnv1a(bytes)) + "\n";
}

std::optional<std::vector<JournalEntry>> ParseJournal(std::string_view bytes) {
  if (bytes.size() < kFirstLine.size() + kChecksumLine || !bytes.starts_with(kFirstLine)) return std::nullopt;
  const std::string_view body = bytes.substr(0, bytes.size() - kChecksumLine);
  if (bytes.substr(body.size()) != Hex(Fnv1a(body)) + "\n") return std::nullopt;
  std::string_view rest = body.substr(kFirstLine.size());
  std::int64_t count = 0;
  if (!TakeNumber(rest, count, '\n')) return std::nullopt;
  std::vector<JournalEntry> entries;
  for (std::int64_t i = 0; i < count; ++i) {
    JournalEntry entry;
    std::int64_t nameSize = 0;
    std::int64_t cards = 0;
    if (!TakeNumber(rest, nameSize, ' ') || !TakeNumber(rest, entry.fileSize, ' ') ||
        !TakeNumber(rest, cards, '\n') || !TakeBytes(rest, nameSize, entry.name) ||
        !TakeCards(rest, cards, entry.oldHeader) || !TakeCards(rest, cards, entry.newHeader) ||
        !IsPlainName(entry.name))
      return std::nullopt;
    entries.push_back(std::move(entry));
  }
  if (!rest.empty()) return std::nullopt;
  return entries;
}

bool PublishJournal(const std::string& folder, std::span<const JournalEntry> entries, OpenJournal& journal,
                    std::string& error) {
  const std::string target = NewJournalName(folder);
  platform::TempFile temp = platform::CreateTempBeside(target, error);
  if (!temp.file.IsOpen()) return false;
  // Locked before it has its name: a read never takes it for a leftover. A
  // journal whose name reached the disk without all its bytes reads as torn,
  // and no header is written before both are there: on a local file system
  // one flush of it takes both, elsewhere the file and then its folder.
  const bool wholeFlush = platform::FlushedWithFileSystem(temp.file);
  if (!platform::Write(temp.file, JournalBytes(entries), error) ||
      (!wholeFlush && !platform::Sync(temp.file, error)) || !platform::TryLock(temp.file) ||
      !platform::NameBeside(temp, target, error)) {
    if (error.empty()) error = "Journal nicht sperrbar";
    platform::Discard(temp);
    return false;
  }
  journal.file = std::move(temp.file);
  journal.path = target;
  if (wholeFlush ? platform::SyncFileSystem(journal.file, error) : platform::SyncDirectoryOf(target, error))
    return true;
  std::string ignored;
  platform::RemoveFile(target, ignored);
  journal.file.Close(ignored);
  return false;
}

bool RetireJournal(OpenJournal& journal, std::string& error) {
  // Removed while still locked, so no read takes it up in between.
  bool retired = platform::RemoveFile(journal.path, error) && platform::SyncDirectoryOf(journal.path, error);
  if (!retired) {
    // A journal that stays must no longer count: a read then drops it as torn.
    std::string ignored;
    retired = platform::WriteAt(journal.file, "X", 0, ignored) && platform::Sync(journal.file, ignored);
  }
  std::string ignored;
  journal.file.Close(ignored);
  return retired;
}

Recovery RecoverInterruptedSaves(const std::string& path) {
  Recovery recovery;
  const std::string folder = platform::FolderOf(path);
  const std::string readName = platform::Utf8Name(platform::NativePath(path).filename());
  std::error_code error;
  std::vector<std::string> journals;
  for (std::filesystem::directory_iterator entry(platform::NativePath(folder), error), end;
       !error && entry != end; entry.increment(error)) {
    const std::string name = platform::Utf8Name(entry->path().filename());
    std::error_code ignored;
    if (name.starts_with(kJournalPrefix) && entry->is_regular_file(ignored) && !entry->is_symlink(ignored))
      journals.push_back(platform::Utf8Name(entry->path()));
  }
  for (const std::string& journal : journals) RecoverJournal(folder, journal, readName, recovery);
  // A replace cut short after its temporary got a name leaves it beside the old file.
  platform::RemoveStaleTempsBeside(path);
  return recovery;
}

}  // namespace fits
