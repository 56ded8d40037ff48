// The program-wide state: one instance, owned by the window, alive for the
// whole run. Widths are those the file format and the window rely on:
// 16-bit integers, single-precision reals, fixed list sizes as hard limits.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "config/instrument.h"
#include "fits/platform_file.h"
#include "pipeline/read_input.h"

using pipeline::kInstrumentLimit;
using pipeline::kRemoveKeyLimit;

struct SharedState {
  // 0 header read, 2 SIMPLE not T, 3 NAXIS not 2,
  // 4 BITPIX/NAXIS1/NAXIS2 missing or zero, 5 header longer than 36 cards.
  std::int16_t ReadStatus = 0;
  bool FatalError = false;
  bool InstrumentsPending = false;
  bool FlipNorthSouth = false;
  // The flip was chosen while no WCS was to be written and Y has no mirror
  // in 16 bits: Y still counts from the unflipped edge.
  bool Crpix2Unmirrored = false;
  std::string StartDirectory;
  // "Add WCS-Info" was checked by the file's own WCS, not by the user: the
  // next file without one unchecks it again.
  bool WcsCheckedByFile = false;

  std::int16_t Bitpix = 0;
  std::int16_t Naxis1 = 0;
  std::int16_t Naxis2 = 0;
  std::string InputFileName;
  // What the input was when read: a save refuses a file changed since.
  fits::platform::FileIdentity InputAsRead;
  std::string OutputFileName;

  // Header lines for the output: the configuration's added lines, then the
  // input cards that are kept, each as read (bytes); every card of the
  // input is carried, however many.
  std::vector<std::string> KeepLines;
  std::int32_t KeepLineCount = 0;
  // The cards of the input's own WCS when it was taken: a save writes them
  // back, not the rounded values the fields show.
  std::vector<std::string> OwnWcsCards;
  std::int16_t HeaderCardCount = 0;
  std::array<std::string, kRemoveKeyLimit> RemoveKeys;
  std::int16_t RemoveKeyCount = 0;

  // Row n is entry n of the instrument list: the rows of velorin.ini, then
  // at most one row of the file read last, whose own WCS was taken.
  std::array<config::Instrument, kInstrumentLimit> InstrumentTable;
  std::int16_t InstrumentCount = 0;
  bool FileInstrumentListed = false;  // the last row is the file's

  bool HasWcs = false;
  std::string Telescope;
  float RaHours = 0.0f;
  float DecDegrees = 0.0f;
  float Crval1 = 0.0f;
  float Crval2 = 0.0f;
  std::int16_t Crpix1 = 0;
  std::int16_t Crpix2 = 0;
  float Cdelt1 = 0.0f;
  float Cdelt2 = 0.0f;
  float Crota1 = 0.0f;
  float Crota2 = 0.0f;
};
