// What capture software writes about pointing and optics into a header
// without a WCS (OBJCTRA/OBJCTDEC or RA/DEC, FOCALLEN, XPIXSZ/YPIXSZ), read
// from the cards a read kept.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "config/instrument.h"

namespace pipeline {

struct HeaderHints {
  // OBJCTRA ('06 08 54.00', hours minutes seconds), else RA (degrees) / 15.
  std::optional<float> raHours;
  // OBJCTDEC ('+24 19 47.0', degrees minutes seconds, "-00 30 00" negative),
  // else DEC (degrees).
  std::optional<float> decDegrees;
  // Pixel size (micrometres, as written: binning included) over focal length
  // (millimetres), in radians, as degrees per pixel: XPIXSZ for CDELT1,
  // YPIXSZ (or XPIXSZ) for CDELT2, rotation 0, no name and no telescope (its
  // face names the row). Empty without FOCALLEN or a pixel size, with a value
  // that is not a positive number, or when the quotient is no positive float.
  std::optional<config::Instrument> scale;
  // FOCALLEN and XPIXSZ as read, when positive numbers, so that a missing
  // scale can name which of them is missing.
  std::optional<double> focalLengthMm;
  std::optional<double> pixelSizeUm;
};

// Reads the hints from 80-byte cards; a card whose value cannot be read
// counts as missing, and of two cards with one keyword the first readable
// one counts.
HeaderHints ReadHeaderHints(std::span<const std::string> cards);

// The German names of what is missing for a save without typed entries:
// "OBJCTRA/OBJCTDEC oder RA/DEC", "FOCALLEN", "XPIXSZ", joined by ", "; empty
// when nothing is.
std::string MissingHints(const HeaderHints& hints);

}  // namespace pipeline
