#include "pipeline/read_input.h"

#include "pipeline/configuration.h"

namespace pipeline {

InputRead ReadInput(const ReadRequest& request, InputWindow& window, LogSink& log) {
  InputRead read;
  log.WriteLine("**** FITS-fileheader von Input-Datei " + request.path + " ****");
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

  const config::IniRoom room{kKeepLineLimit, kRemoveKeyLimit, kInstrumentLimit - request.instrumentRows};
  config::IniContents contents =
      LoadConfiguration(request.startDirectory, request.iniFile, request.instrumentsPending, room, log);
  read.keepLines = std::move(contents.addedLines);
  read.removeKeys = std::move(contents.removeKeys);
  // A missing file leaves the instrument list pending, so a later read can
  // still build it once the file is there.
  read.instrumentsLoaded = request.instrumentsPending && contents.opened;
  if (read.instrumentsLoaded) window.TakeInstruments(contents.instruments);

  read.header = fits::ReadHeader(read.input, read.removeKeys, kKeepLineLimit - read.keepLines.size(), window);
  read.keepLines.insert(read.keepLines.end(), read.header.keptCards.begin(), read.header.keptCards.end());
  log.WriteLine("**** Ende des FITS-fileheaders der Input-Datei ****");
  return read;
}

std::string ReadStatusText(const InputRead& read, bool logCreated) {
  const fits::HeaderReadResult& header = read.header;
  fits::ReadCode shown = header.code;
  if (fits::IsUsable(header.code) && header.droppedCards > 0) shown = fits::ReadCode::KeepLinesFull;
  if (fits::IsUsable(header.code) && header.instrumentDropped) shown = fits::ReadCode::InstrumentsFull;
  std::string status(fits::StatusText(shown));
  if (!logCreated) status += fits::kNoLogFileSuffix;
  return status;
}

}  // namespace pipeline
