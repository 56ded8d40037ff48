// Reads the primary header of a FITS file card by card: logs every card up to
// END, takes the image geometry and the WCS values, keeps the other cards for
// the output header, and puts the reference position into the window.
#pragma once

#include <cstdint>
#include <istream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/instrument.h"
#include "fits/read_status.h"

namespace fits {

// The four entry fields the reader writes.
enum class CoordinateBox { tb_r, tb_x, tb_d, tb_y };

// What the reader needs of the window. Setting a field's text runs that
// field's change handler before the call returns.
class ReaderWindow {
 public:
  virtual ~ReaderWindow() = default;
  virtual void SetFieldText(CoordinateBox box, const std::string& text) = 0;
  virtual void CheckWcs() = 0;
  // Adds a row to the instrument table and the list and selects it; false
  // when the table is full (nothing is then selected).
  virtual bool AddInstrument(const config::Instrument& instrument) = 0;
  virtual void EnableWcsGroup() = 0;
  virtual void DisableWcsGroup() = 0;
  virtual void WriteLog(std::string_view line) = 0;
};

struct HeaderReadResult {
  ReadCode code = ReadCode::HeaderRead;
  bool fatal = false;
  std::int16_t bitpix = 0;
  std::int16_t naxis1 = 0;
  std::int16_t naxis2 = 0;
  std::int16_t headerCardCount = 0;
  bool hasWcs = false;  // the file's own WCS was taken
  // The file describes a WCS of its own, taken or not: CTYPE1/2 or a CD/PC
  // matrix (an EQUINOX of capture software alone is none).
  bool carriesWcs = false;
  std::string telescope;
  float cdelt1 = 0.0f;
  float cdelt2 = 0.0f;
  float crota1 = 0.0f;
  float crota2 = 0.0f;
  std::vector<std::string> keptCards;  // 80 bytes each, as read
  // The cards of the file's own WCS when it was taken, as read: written back
  // as they are, so that no pixel moves on the sky.
  std::vector<std::string> wcsCards;
  bool instrumentDropped = false;  // the instrument table was full
};

// Reads one card: 80 bytes and the last non-blank column (0 for a blank
// card). False when the file ends before 80 bytes.
bool ReadCard(std::istream& input, std::string& card, int& lastNonBlank);

// The first column (1-based) at or after start that is not blank; 80 when
// columns start to 79 are all blank.
std::int16_t SkipBlanks(std::string_view card, std::int16_t start);

// The value of a TELESCOP card: a FITS string when column 11 holds a quote
// (doubled quotes read as one), else columns 12 to 40; blanks trimmed.
std::string TelescopeValue(std::string_view card);

// Reads the header from the input's current position. Cards whose keyword
// begins with a trimmed removeKeys entry are dropped; every other card is
// kept, however many. Leaves the input at the first data byte.
HeaderReadResult ReadHeader(std::istream& input, std::span<const std::string> removeKeys,
                            ReaderWindow& window);

}  // namespace fits
