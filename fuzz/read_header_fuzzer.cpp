// Arbitrary bytes as a FITS file through the header reader. The window keeps
// no state beyond call counts; it traps as soon as the reader hands it
// something the real window could not show faithfully.
#include <cstdint>
#include <sstream>

#include "fits/fits_sizes.h"
#include "fits/header_reader.h"
#include "number_text_check.h"

using fuzz_check::Check;

struct CheckingWindow : fits::ReaderWindow {
  bool tableFull = false;
  int instrumentsAdded = 0, enabled = 0, disabled = 0;
  void SetFieldText(fits::CoordinateBox box, const std::string& text) override {
    // A finite number and nothing a reader stops at; pixel fields hold 16-bit whole numbers.
    Check(fuzz_check::IsNumberText(text));
    const double value = coords::ParseLeadingNumber(text);
    const auto pixel = coords::RoundToInteger(value);
    if (box == fits::CoordinateBox::tb_x || box == fits::CoordinateBox::tb_y) Check(pixel && *pixel == value);
  }
  void CheckWcs() override {}
  bool AddInstrument(const config::Instrument& row) override {
    Check(!row.name.empty() && std::isfinite(row.cdelt1) && std::isfinite(row.cdelt2) &&
          std::isfinite(row.rotation));
    ++instrumentsAdded;
    return !tableFull;
  }
  void EnableWcsGroup() override { ++enabled; }
  void DisableWcsGroup() override { ++disabled; }
  void WriteLog(std::string_view) override {}
};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The whole input is the file; its last byte also says whether the table is full.
  const std::string removeKeys[] = {"HISTORY", " COMMENT ", "OBJ"};
  std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
  CheckingWindow window;
  window.tableFull = (data[size - 1] & 1) != 0;
  const fits::HeaderReadResult r = fits::ReadHeader(input, removeKeys, window);
  // The reader is given an open stream.
  Check(r.code != fits::ReadCode::FileUnreadable);
  Check(!(r.fatal && fits::IsUsable(r.code)));
  Check(r.keptCards.size() * fits::kCardBytes <= size);
  for (const std::string& card : r.keptCards) {
    Check(card.size() == fits::kCardBytes && !card.starts_with("END     "));  // the output gets its own END
    for (const char* key : {"HISTORY", "COMMENT", "OBJ"}) Check(!card.starts_with(key));
  }
  Check(window.instrumentsAdded <= 1);
  Check(r.instrumentDropped == (window.instrumentsAdded == 1 && window.tableFull));
  if (!fits::IsUsable(r.code)) return 0;
  // What was announced is there to be copied.
  const std::int64_t headerBytes = std::int64_t{r.headerCardCount} * fits::kCardBytes;
  Check(r.headerCardCount > 0 && r.headerCardCount % fits::kCardsPerRecord == 0);
  Check(input.tellg() == headerBytes && r.naxis1 > 0 && r.naxis2 > 0);
  const std::int64_t dataBytes = fits::BytesPerElement(r.bitpix) * r.naxis1 * r.naxis2;
  Check(dataBytes > 0 && std::int64_t(size) - headerBytes >= dataBytes);
  // The WCS group ends either editable or showing the input's own WCS.
  Check(window.enabled + window.disabled == 1 && (window.disabled == 1) == r.hasWcs &&
        (window.instrumentsAdded == 1) == r.hasWcs);
  return 0;
}
