#include "pipeline/read_input.h"

#include <algorithm>
#include <iterator>

#include "fits/card_text.h"
#include "fits/header_journal.h"
#include "pipeline/configuration.h"

namespace pipeline {
namespace {

// Keywords that may stand in a header any number of times.
bool Repeatable(std::string_view keyword) {
  return keyword == "COMMENT" || keyword == "HISTORY" || keyword.empty();
}

}  // namespace

std::vector<std::string> MergeAddedLines(std::vector<std::string> added, std::span<const std::string> kept) {
  std::vector<std::string> merged(kept.begin(), kept.end());
  std::vector<std::string> lines;
  for (std::string& line : added) {
    const std::string_view keyword = fits::KeywordOf(line);
    const auto same = Repeatable(keyword)
                          ? merged.end()
                          : std::find_if(merged.begin(), merged.end(), [&](const std::string& card) {
                              return fits::KeywordOf(card) == keyword;
                            });
    if (same != merged.end()) {
      *same = std::move(line);
    } else {
      lines.push_back(std::move(line));
    }
  }
  lines.insert(lines.end(), std::make_move_iterator(merged.begin()), std::make_move_iterator(merged.end()));
  return lines;
}

InputRead ReadInput(const ReadRequest& request, InputWindow& window, LogSink& log) {
  InputRead read;
  log.WriteLine("**** FITS-fileheader von Input-Datei " + request.path + " ****");
  if (request.recoverInterruptedSaves) {
    const fits::Recovery recovery = fits::RecoverInterruptedSaves(request.path);
    for (const std::string& line : recovery.logLines) log.WriteLine(line);
    read.restored = recovery.restored;
  }
  std::string identityError;
  // A regular file has at least one name.
  if (fits::platform::HardLinkCount(request.path) > 0 &&
      fits::platform::IdentityOf(request.path, read.asRead, identityError))
    read.input.open(fits::platform::NativePath(request.path), std::ios::binary);
  if (!read.input.is_open()) {
    log.WriteLine("Error: Datei kann nicht geöffnet werden: " + request.path);
    read.header.fatal = true;
    read.header.code = fits::ReadCode::FileUnreadable;
    return read;
  }

  // One row stays free for the file's own WCS, so it always finds one.
  const config::IniRoom room{kAddedLineLimit, kRemoveKeyLimit, kInstrumentLimit - 1 - request.instrumentRows};
  config::IniContents contents =
      LoadConfiguration(request.startDirectory, request.iniFile, request.instrumentsPending, room, log);
  read.keepLines = std::move(contents.addedLines);
  read.removeKeys = std::move(contents.removeKeys);
  read.iniTooLarge = contents.tooLarge;
  // A missing file leaves the instrument list pending, so a later read can
  // still build it once the file is there.
  read.instrumentsLoaded = request.instrumentsPending && contents.opened;
  if (read.instrumentsLoaded) window.TakeInstruments(contents.instruments);

  read.header = fits::ReadHeader(read.input, read.removeKeys, window);
  read.keepLines = MergeAddedLines(std::move(read.keepLines), read.header.keptCards);
  log.WriteLine("**** Ende des FITS-fileheaders der Input-Datei ****");
  return read;
}

std::string ReadStatusText(const InputRead& read) {
  const fits::HeaderReadResult& header = read.header;
  fits::ReadCode shown = header.code;
  if (fits::IsUsable(header.code) && header.instrumentDropped) shown = fits::ReadCode::InstrumentsFull;
  std::string status(fits::StatusText(shown));
  if (read.restored) status += kRestoredSuffix;
  if (read.iniTooLarge) status += kIniTooLargeSuffix;
  return status;
}

}  // namespace pipeline
