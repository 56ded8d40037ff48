// Outcome codes of reading, with the status texts the window shows for them.
#pragma once

#include <cstdint>
#include <string_view>

namespace fits {

enum class ReadCode : std::int16_t {
  HeaderRead = 0,
  NotSimple = 2,          // SIMPLE is not T
  AxesNotTwo = 3,         // NAXIS is not 2
  SizeImplausible = 4,    // BITPIX, NAXIS1 or NAXIS2 missing, zero or out of range
  LongHeader = 5,         // the header is longer than one record; still usable
  BitpixUnsupported = 6,  // a BITPIX FITS does not define
  HeaderIncomplete = 7,   // the file ends before END and its record
  DataIncomplete = 8,     // the file is shorter than its header announces
  FileUnreadable = 9,     // the chosen file cannot be opened
  HeaderTooLong = 10,     // more header cards than a 16-bit count holds
  // Status texts of a usable read with a warning; never a ReadStatus.
  InstrumentsFull = 12,  // the file's own instrument found no row
};

// Codes after which the header can be saved.
constexpr bool IsUsable(ReadCode code) {
  return code == ReadCode::HeaderRead || code == ReadCode::LongHeader;
}

// The status line after a read.
std::string_view StatusText(ReadCode code);

}  // namespace fits
