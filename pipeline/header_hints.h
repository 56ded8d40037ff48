// What capture software writes about pointing and optics into a header
// without a WCS (OBJCTRA/OBJCTDEC or RA/DEC with EQUINOX or EPOCH, FOCALLEN,
// XPIXSZ/YPIXSZ), read from the cards a read kept.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/instrument.h"

namespace pipeline {

struct HeaderHints {
  // OBJCTRA ('06 08 54.00', hours minutes seconds), else RA (degrees) / 15,
  // on J2000.
  std::optional<float> raHours;
  // OBJCTDEC ('+24 19 47.0', degrees minutes seconds, "-00 30 00" negative),
  // else DEC (degrees), on J2000. Beyond +-90 degrees as read, for the save
  // to refuse.
  std::optional<float> decDegrees;
  // The cards the position came from, "OBJCTRA/OBJCTDEC", "RA/DEC" or a
  // mix of both, for the log.
  std::string positionCards;
  // The log line when the position was carried to J2000 from the EQUINOX
  // (else EPOCH, a Julian epoch) written with it; empty when it was on J2000
  // already or no equinox was written.
  std::string precessionLine;
  // Why the position must not be used, in German: OBJCTRA/OBJCTDEC and
  // RA/DEC more than an arc-minute apart, or an equinox no precession
  // reaches. Empty when it may.
  std::string positionRefused;
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

// The German "Warnung: ..." line when a chosen row's scale (named as given,
// e.g. "'Refraktor 80'" or "--scale") is more than 2 % off the hints' scale
// on either axis; empty when it is not, or when the hints give none.
std::string ScaleMismatchWarning(const HeaderHints& hints, const config::Instrument& row,
                                 std::string_view rowName);

}  // namespace pipeline
