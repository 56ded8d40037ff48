// Composes the output header: the basic cards, the WCS block, the carried-over
// lines, END and blank fill, in whole 2880-byte records, with one log line per
// card. Pure: the caller writes the bytes and the log.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/instrument.h"

namespace fits {

struct HeaderPlan {
  std::int16_t bitpix = 0;
  std::int16_t naxis1 = 0;
  std::int16_t naxis2 = 0;
  bool writeWcs = false;     // "Add WCS-Info" checked
  bool flip = false;         // the rows are written in reverse order
  bool keepOldSize = false;  // header-only rewrite: keep the old header's size where the new one fits
  std::int16_t headerCardCount = 0;
  bool hasWcs = false;  // scale and rotation come from the input, not the instrument
  float crval1 = 0.0f;
  float crval2 = 0.0f;
  std::int16_t crpix1 = 0;
  std::int16_t crpix2 = 0;
  float cdelt1 = 0.0f;
  float cdelt2 = 0.0f;
  float crota1 = 0.0f;
  float crota2 = 0.0f;
  std::optional<config::Instrument> instrument;  // the selected row; needed with writeWcs
  std::span<const std::string> keepLines;
  // The file's own WCS, taken and not replaced by entries: with writeWcs its
  // cards are written back as they are (mirrored for a flip) in place of a
  // WCS from the fields, whose values are rounded for showing.
  std::span<const std::string> ownWcs;
};

// Where the CHECKSUM and DATASUM cards stand, when the input carried either:
// the output then carries both, with true values filled in by
// SealIntegrityCards once the data sum is known.
struct IntegrityCards {
  bool hasChecksum = false;
  bool hasDatasum = false;
  std::size_t checksumCard = 0;  // card index in the header
  std::size_t datasumCard = 0;
  std::size_t checksumLogLine = 0;  // index in logLines
  std::size_t datasumLogLine = 0;
  std::string checksumComment;  // from "/" on, as the input had it
  std::string datasumComment;
  std::optional<std::uint32_t> inputDataSum;  // the input's DATASUM value
};

struct ComposedHeader {
  std::string bytes;                  // whole records
  std::vector<std::string> logLines;  // cards as composed, and the warnings, in order
  std::optional<IntegrityCards> integrity;
  std::int32_t cardCount = 0;     // composed cards and END
  std::int32_t velorinCards = 0;  // the five basic cards and the WCS block, before the carried lines
  // The scale and rotation written, which the caller keeps.
  float cdelt1 = 0.0f;
  float cdelt2 = 0.0f;
  float crota1 = 0.0f;
  float crota2 = 0.0f;
};

// The text as one 80-byte card, blank-filled or cut after column 80.
std::string PadToCard(std::string_view text);

// Appends the text as one card and counts it.
void WriteCard(std::string& header, std::string_view text, std::int32_t& cardCount);

// The TELESCOP card: quotes in the name doubled, the name cut so that the
// closing quote stays within column 80.
std::string TelescopeCard(std::string_view name);

// "CRPIX2  =" and the value text, with a blank after "=" for a negative
// value so that the column after "=" stays blank.
std::string ValueCard(std::string_view keywordAndEquals, std::string_view valueText);

ComposedHeader ComposeHeader(const HeaderPlan& plan);

// Writes the DATASUM value and the CHECKSUM that makes header and data sum to
// minus zero into the header's integrity cards and their log lines.
void SealIntegrityCards(ComposedHeader& header, std::uint32_t dataSum);

}  // namespace fits
