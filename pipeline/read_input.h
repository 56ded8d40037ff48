// Reading an input file once it is chosen: the log's opening line,
// velorin.ini, the header card by card, the closing line, and the status
// that the read ends with. The window and the command line share it.
#pragma once

#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "config/instrument.h"
#include "fits/header_reader.h"
#include "fits/platform_file.h"
#include "pipeline/log_file.h"

namespace pipeline {

// Besides the header reader's fields, a read hands the configuration's
// instruments to its face before the file's own row follows them.
class InputWindow : public fits::ReaderWindow {
 public:
  virtual void TakeInstruments(const std::vector<config::Instrument>& rows) = 0;
};

// The lists' sizes, shared by everything that fills them; the header's own
// cards are carried however many there are. velorin.ini's instruments leave
// the last row to the file's own WCS.
inline constexpr std::size_t kAddedLineLimit = 201;
inline constexpr std::size_t kRemoveKeyLimit = 201;
inline constexpr std::size_t kInstrumentLimit = 31;

struct ReadRequest {
  std::string path;                      // as chosen; the log names it so
  std::filesystem::path startDirectory;  // where velorin.ini is looked for first
  bool instrumentsPending = false;       // the instrument section is still to be read
  std::size_t instrumentRows = 0;        // rows of the instrument table in use
  std::filesystem::path iniFile;         // when set, this file is read instead, with no fallback
  // Saves cut short in the file's folder are put right first; a batch that
  // did so once for all its folders leaves it out.
  bool recoverInterruptedSaves = true;
};

struct InputRead {
  fits::HeaderReadResult header;        // the outcome code, geometry, scale, the file's kept cards
  std::vector<std::string> keepLines;   // velorin.ini's added lines, then the kept cards
  std::vector<std::string> removeKeys;  // velorin.ini's keyword prefixes
  bool instrumentsLoaded = false;       // the instrument section was read
  fits::platform::FileIdentity asRead;
  bool restored = false;     // the file got its old header back from a journal first
  bool iniTooLarge = false;  // velorin.ini was too large to be read
  std::ifstream input;       // left open at the first data byte
};

InputRead ReadInput(const ReadRequest& request, InputWindow& window, LogSink& log);

// velorin.ini's added lines before the kept cards; an added line whose
// keyword the header already carries takes that card's place, so a re-save
// never doubles it. COMMENT, HISTORY and blank keywords are always added.
std::vector<std::string> MergeAddedLines(std::vector<std::string> added, std::span<const std::string> kept);

// Added to the status line when the file's last save had been cut short and
// its old header was put back.
inline constexpr std::string_view kRestoredSuffix =
    " - Warnung: Speichern war unterbrochen, alter Header zurück";

// Added to the status line when velorin.ini was too large to be read.
inline constexpr std::string_view kIniTooLargeSuffix = " - Warnung: velorin.ini zu groß, nicht gelesen";

// The status line after a read.
std::string ReadStatusText(const InputRead& read);

}  // namespace pipeline
