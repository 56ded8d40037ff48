// The rollback journal behind every header written in place. Before the
// first header byte of a group of files in one folder is overwritten, their
// old headers go into a journal file in that folder, flushed with the
// folder; the journal is removed only once the new headers are on the disk.
// A save cut short at any moment (a kill, a full disk, a power cut) thus
// leaves a complete journal beside files that may be half written, and the
// next read of any file of that folder puts the old headers back.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fits/platform_file.h"

namespace fits {

// Journals are named ".velorin-journal-" and letters or digits.
inline constexpr std::string_view kJournalPrefix = ".velorin-journal-";

// One file of a journal: its name within the folder, its length, and its
// header records before and after the save (of equal size, whole cards).
struct JournalEntry {
  std::string name;
  std::int64_t fileSize = 0;
  std::string oldHeader;
  std::string newHeader;
};

// The journal file's bytes: a first line, the entries, and a checksum over
// all of it, so a journal cut short is known as such.
std::string JournalBytes(std::span<const JournalEntry> entries);
// The entries of a complete journal; empty optional for a torn or foreign one.
std::optional<std::vector<JournalEntry>> ParseJournal(std::string_view bytes);

// A journal on the disk, held open and locked while its save runs: no other
// read takes it for a leftover meanwhile.
struct OpenJournal {
  platform::File file;
  std::string path;
};

// Writes the journal for entries into folder and makes it and its name
// durable; false with error when it could not.
bool PublishJournal(const std::string& folder, std::span<const JournalEntry> entries, OpenJournal& journal,
                    std::string& error);
// The save is complete: the journal goes, and the folder is flushed so it
// does not come back after a power cut.
bool RetireJournal(OpenJournal& journal, std::string& error);

// What a read found of saves cut short in the file's folder.
struct Recovery {
  std::vector<std::string> logLines;  // one per journal and file handled
  bool restored = false;              // the file itself got its old header back
};

// Puts back the old headers from every journal a save cut short left in the
// folder of path (journals of saves still running are left alone), removes
// each journal it has handled, and the temporaries of replaces cut short.
Recovery RecoverInterruptedSaves(const std::string& path);

}  // namespace fits
