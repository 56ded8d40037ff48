// The entries a capture program's hints give a file without a WCS of its
// own, made here for the window and the command line alike: the position
// (unless typed), the image centre as reference pixel (unless typed), a row
// of the hints' own scale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "config/instrument.h"
#include "pipeline/header_hints.h"

namespace pipeline {

// The image centre as typed: NAXIS/2, rounded as the fields round.
std::int16_t Centre(std::int16_t naxis);

// The hints' scale as a row of the file's own, named after its numbers as
// the row of a taken WCS is ("0.000552/0.000552"), naming no telescope,
// rotation 0. Empty when the hints give no scale.
std::optional<config::Instrument> HintRow(const HeaderHints& hints);

// What the user typed, each before the hints.
struct TypedPosition {
  std::optional<float> raHours;
  std::optional<float> decDegrees;
  std::optional<std::int16_t> x;
  std::optional<std::int16_t> y;
};

struct HintEntries {
  std::optional<float> raHours;  // typed, else hinted; empty when neither
  std::optional<float> decDegrees;
  std::int16_t crpix1 = 0;
  std::int16_t crpix2 = 0;
  // The hints' refusal (header_hints.h) unless both coordinates were typed;
  // the hinted position is then not entered.
  std::string refused;
  // The hints' precession line when their position is entered.
  std::string precessionLine;
};

HintEntries EnterHints(const HeaderHints& hints, const TypedPosition& typed, std::int16_t naxis1,
                       std::int16_t naxis2);

// The window's log line on the cards its fields were filled from:
// "Aus dem Header eingetragen: Position aus OBJCTRA/OBJCTDEC, Maßstab aus
// FOCALLEN und XPIXSZ/YPIXSZ", each part only when entered.
std::string HintCardsLine(const HeaderHints& hints, bool position, bool scale);

// The refusal as the window logs it: the command line's advice to type
// --ra/--dec replaced by the fields.
std::string WindowRefusalLine(const std::string& refused);

}  // namespace pipeline
