// What one file's run gives back, for the output line, the log and the
// exit status.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fits/header_rewrite.h"
#include "pipeline/read_input.h"
#include "skycheck/sky_check.h"

namespace cli {

// The WCS cards reported, in this order.
inline constexpr std::array<std::string_view, 7> kReportedCards{"CRVAL1", "CRVAL2", "CRPIX1", "CRPIX2",
                                                                "CDELT1", "CDELT2", "CROTA2"};

struct FileResult {
  bool ok = false;
  std::string status;  // the window's status text, or the command line's own German line
  std::string detail;  // why a save failed, for standard error
  std::string log;     // logfile.txt of a fresh window for this file
  // The value texts as written into the header cards; empty for a card not written.
  std::array<std::optional<std::string>, kReportedCards.size()> values;
  std::vector<std::string> headerCards;  // --dry-run: the cards that would be written
  std::int64_t bytes = 0;                // the input's size, for the progress bar
  // A header to write in place: the file is saved only once the batch has
  // written it, with others of its folder behind one journal.
  std::optional<fits::InPlaceHeader> pending;
  // check, --check, --solve: what astrometry.net made of the image.
  std::optional<skycheck::SkyCheck> sky;
};

// The status of a read that gave no usable image, with why when more can be
// said: "FATAL: Fitsheader unvollständig (keine FITS-Datei)".
std::string NotReadText(const pipeline::InputRead& read, const std::string& path);

// The "Warnung: ..." lines of a file's log, in order.
std::vector<std::string> WarningLines(std::string_view log);

// ", 1 Warnung" or ", 3 Warnungen" after a result's status; empty for none.
std::string WarningCount(std::size_t warnings);

// The value texts of the reported cards in a composed header.
void TakeWrittenValues(std::string_view header, FileResult& result);

}  // namespace cli
