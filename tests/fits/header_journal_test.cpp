// The rollback journal: what a read finds beside a file whose save was cut
// short, and a group written in place leaving nothing behind.
#include "fits/header_journal.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fits/header_rewrite.h"
#include "fits_test_files.h"

using namespace fits_test;

namespace {

const std::string kOld = MakeFits(4, 2, {"OBJECT  = 'old'"});
const std::string kNew = MakeFits(4, 2, {"OBJECT  = 'new'"});
const fits::JournalEntry kEntry{"a.fit", static_cast<std::int64_t>(kOld.size()), kOld.substr(0, 2880),
                                kNew.substr(0, 2880)};

std::size_t Journals(const TempDir& dir) {
  return std::ranges::count_if(
      Names(dir.path), [](const std::string& name) { return name.starts_with(fits::kJournalPrefix); });
}

}  // namespace

TEST(RecoverInterruptedSaves, OldHeaderBackFromACompleteJournalOnly) {
  const std::string journal = fits::JournalBytes(std::span(&kEntry, 1));
  std::string mixed = kOld;
  mixed.replace(0, 1000, kNew.substr(0, 1000));
  fits::JournalEntry elsewhere = kEntry;
  elsewhere.name = "b/../a.fit";  // no journal reaches beyond its folder
  std::string foreign = kOld;
  foreign.replace(0, 80, Card("SIMPLE  = T / edited since"));
  // What was there, the journal, what is there after the read, the log's first line.
  const std::tuple<const char*, std::string, std::string, std::string, const char*> rows[] = {
      {"torn journal", kOld, journal.substr(0, journal.size() - 1), kOld, "Warnung: unvollständiges"},
      {"new header written", kNew, journal, kOld, "Warnung: Speichern von "},
      {"cut mid-header", mixed, journal, kOld, "Warnung: Speichern von "},
      {"not yet written", kOld, journal, kOld, ""},
      {"changed since", foreign, journal, foreign, "Warnung: Journal "},
      {"names a path", kNew, fits::JournalBytes(std::span(&elsewhere, 1)), kNew, "Warnung: unvollständiges"}};
  for (const auto& [what, file, bytes, after, logStart] : rows) {
    TempDir dir;
    WriteBytes(dir / "a.fit", file);
    WriteBytes(dir / ".velorin-journal-abc", bytes);
    const fits::Recovery recovery = fits::RecoverInterruptedSaves(dir / "a.fit");
    // Only the journal of a file changed since stays.
    EXPECT_TRUE(Slurp(dir / "a.fit") == after && Journals(dir) == (file == foreign ? 1u : 0u) &&
                recovery.restored == (file != after))
        << what;
    EXPECT_TRUE(recovery.logLines.empty() ? *logStart == '\0'
                                          : recovery.logLines.front().starts_with(logStart))
        << what;
  }
}

TEST(RewriteHeadersInPlace, EachFolderBehindItsJournalWhichNoReadTakesWhileItRuns) {
  TempDir dir;
  std::filesystem::create_directories(dir.path / "b");
  std::vector<fits::InPlaceHeader> files;
  for (const char* name : {"a.fit", "b/a.fit", "b/c.fit", "missing.fit"}) {
    if (std::string_view(name) != "missing.fit") WriteBytes(dir / name, kOld);
    files.push_back(InPlace(dir / name, kNew.substr(0, 2880)));
  }
  const std::vector<fits::SaveResult> results = fits::RewriteHeadersInPlace(files);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(results[i].ok() && Slurp(files[i].path) == kNew) << i;
  EXPECT_EQ(results[3].code, fits::SaveCode::InputChanged);
  EXPECT_EQ(Journals(dir), 0u);
  // A journal whose save still runs is left alone by a read meanwhile.
  fits::OpenJournal running;
  std::string error;
  ASSERT_TRUE(fits::PublishJournal(dir.path.string(), std::span(&kEntry, 1), running, error)) << error;
  EXPECT_TRUE(fits::RecoverInterruptedSaves(dir / "a.fit").logLines.empty() && Slurp(dir / "a.fit") == kNew &&
              Journals(dir) == 1);
  EXPECT_TRUE(fits::RetireJournal(running, error) && Journals(dir) == 0);
}
