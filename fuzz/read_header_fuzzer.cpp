// Arbitrary bytes as a FITS file through the header reader. The window keeps
// no state beyond call counts; it traps as soon as the reader hands it
// something the real window could not show faithfully.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "coords/number_text.h"
#include "fits/fits_sizes.h"
#include "fits/header_reader.h"
#include "fits/read_status.h"
#include "number_text_check.h"

namespace {

using fuzz_check::Check;

struct CheckingWindow : fits::ReaderWindow {
  bool tableFull = false;
  int instrumentsAdded = 0;
  int enabled = 0;
  int disabled = 0;

  void SetFieldText(fits::CoordinateBox box, const std::string& text) override {
    // The field must show a finite number and nothing a reader stops at.
    Check(fuzz_check::IsNumberText(text));
    const double value = coords::ParseLeadingNumber(text);
    if (box == fits::CoordinateBox::tb_x || box == fits::CoordinateBox::tb_y) {
      // Pixel fields hold 16-bit whole numbers.
      const auto pixel = coords::RoundToInteger(value);
      Check(pixel.has_value() && static_cast<double>(*pixel) == value);
    }
  }
  void CheckWcs() override {}
  bool AddInstrument(const std::string& name, float cdelt1, float cdelt2, float rotation) override {
    Check(!name.empty());
    Check(std::isfinite(cdelt1) && std::isfinite(cdelt2) && std::isfinite(rotation));
    ++instrumentsAdded;
    return !tableFull;
  }
  void EnableWcsGroup() override { ++enabled; }
  void DisableWcsGroup() override { ++disabled; }
  void WriteLog(std::string_view) override {}
};

bool IsReaderCode(fits::ReadCode code) {
  switch (code) {
    case fits::ReadCode::HeaderRead:
    case fits::ReadCode::NotSimple:
    case fits::ReadCode::AxesNotTwo:
    case fits::ReadCode::SizeImplausible:
    case fits::ReadCode::LongHeader:
    case fits::ReadCode::BitpixUnsupported:
    case fits::ReadCode::HeaderIncomplete:
    case fits::ReadCode::DataIncomplete:
    case fits::ReadCode::HeaderTooLong:
      return true;
    case fits::ReadCode::HeaderCut:       // only saving cuts a header
    case fits::ReadCode::FileUnreadable:  // the reader is given an open stream
      return false;
  }
  return false;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The whole input is the file; its first byte also picks a small room so
  // that the surplus path is taken, its last byte whether the table is full.
  const std::size_t keepRoom = data[0] % 8;
  const std::string removeKeys[] = {"HISTORY", " COMMENT ", "OBJ"};
  const std::string file(reinterpret_cast<const char*>(data), size);
  std::istringstream input(file);
  CheckingWindow window;
  window.tableFull = (data[size - 1] & 1) != 0;

  const fits::HeaderReadResult r = fits::ReadHeader(input, removeKeys, keepRoom, window);

  Check(IsReaderCode(r.code));
  Check(!(r.fatal && fits::IsUsable(r.code)));

  Check(r.keptCards.size() <= keepRoom);
  Check(r.droppedCards == 0 || r.keptCards.size() == keepRoom);
  for (const std::string& card : r.keptCards) {
    Check(card.size() == fits::kCardBytes);
    const std::string_view keyword = std::string_view(card).substr(0, fits::kKeywordBytes);
    Check(keyword != "END     ");  // the output header gets its own END
    for (const std::string& key : removeKeys) Check(keyword.substr(0, Trim(key).size()) != Trim(key));
  }

  Check(window.instrumentsAdded <= 1);
  Check(r.instrumentDropped == (window.instrumentsAdded == 1 && window.tableFull));

  if (fits::IsUsable(r.code)) {
    Check(r.headerCardCount > 0);
    Check(r.headerCardCount % static_cast<int>(fits::kCardsPerRecord) == 0);
    const std::int64_t headerBytes = std::int64_t{r.headerCardCount} * fits::kCardBytes;
    Check(static_cast<std::int64_t>(input.tellg()) == headerBytes);
    // What was announced is there to be copied.
    Check(r.naxis1 > 0 && r.naxis2 > 0);
    const std::int64_t dataBytes = fits::BytesPerElement(r.bitpix) * r.naxis1 * r.naxis2;
    Check(dataBytes > 0);
    Check(static_cast<std::int64_t>(size) - headerBytes >= dataBytes);
    // The WCS group ends either editable or showing the input's own WCS.
    Check(window.enabled + window.disabled == 1);
    Check((window.disabled == 1) == r.hasWcs);
    Check((window.instrumentsAdded == 1) == r.hasWcs);
  }
  return 0;
}
