#include "fits/header_reader.h"

#include <algorithm>
#include <limits>

#include "coords/number_text.h"
#include "fits/fits_sizes.h"
#include "fits/wcs_forms.h"

namespace fits {
namespace {

constexpr int kCards = static_cast<int>(kCardsPerRecord);
// The most header cards whose count, fill included, a 16-bit count holds.
constexpr int kMostHeaderCards = std::numeric_limits<std::int16_t>::max() / kCards * kCards;  // 910 records

// Columns 10 to 31: the value field of a fixed-format card.
double NumericValue(std::string_view card) {
  return coords::ParseLeadingNumber(card.substr(9, 22));
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool IsRemoved(std::string_view keyword, std::span<const std::string> removeKeys) {
  bool removed = false;
  for (const std::string& entry : removeKeys) {
    const std::string_view prefix = Trim(entry);
    if (prefix.size() <= kKeywordBytes && keyword.substr(0, prefix.size()) == prefix) removed = true;
  }
  return removed;
}

// The state of one read beyond what the result carries.
struct ReadState {
  HeaderReadResult result;
  double bitpixValue = 0.0;
  bool naxisNotTwo = false;
  bool sizeOutOfRange = false;
  bool hasCdelt = false;
  double cdelt1Value = 0.0;
  double cdelt2Value = 0.0;
  LinearTransform transform;
  bool endFound = false;
};

// Image sizes must be 1 to 32767; a value beyond is never wrapped.
void TakeSize(ReadState& state, std::int16_t& target, std::string_view card, ReaderWindow& window) {
  const double value = NumericValue(card);
  const auto rounded = coords::RoundToInteger(value);
  if (rounded && *rounded >= 0) {
    target = *rounded;
    return;
  }
  state.sizeOutOfRange = true;
  window.WriteLog("Error: " + std::string(Trim(card.substr(0, 8))) +
                  " ausserhalb 1 bis 32767: " + std::string(Trim(card.substr(10, 20))));
}

// A reference pixel beyond 16 bits is not taken; the field and its value
// keep agreeing.
void TakeReferencePixel(CoordinateBox box, std::string_view card, ReaderWindow& window) {
  if (const auto pixel = coords::RoundToInteger(NumericValue(card))) {
    window.SetFieldText(box, coords::FormatNumberText(*pixel));
  } else {
    window.WriteLog("Warnung: " + std::string(Trim(card.substr(0, 8))) +
                    " passt nicht in 16 Bit, nicht übernommen: " + std::string(Trim(card.substr(10, 20))));
  }
}

void HandleCard(ReadState& state, std::string_view card, std::span<const std::string> removeKeys,
                std::size_t keepRoom, ReaderWindow& window) {
  HeaderReadResult& r = state.result;
  const std::string_view keyword = card.substr(0, kKeywordBytes);
  if (keyword == "END     ") {
    state.endFound = true;
  } else if (keyword == "SIMPLE  ") {
    const std::int16_t column = SkipBlanks(card, 10);
    if (card[static_cast<std::size_t>(column) - 1] != 'T') {
      window.WriteLog("Error: keine SIMLPE fitsdatei");
      r.fatal = true;
      r.code = ReadCode::NotSimple;
    }
  } else if (keyword == "BITPIX  ") {
    state.bitpixValue = NumericValue(card);
    r.bitpix = coords::RoundToInteger(state.bitpixValue).value_or(0);
  } else if (keyword == "NAXIS   ") {
    if (coords::RoundToInteger(NumericValue(card)) != 2) {
      window.WriteLog("Warnung: Number of axis <>2");
      r.code = ReadCode::AxesNotTwo;
      state.naxisNotTwo = true;
    }
  } else if (keyword == "NAXIS1  ") {
    TakeSize(state, r.naxis1, card, window);
  } else if (keyword == "NAXIS2  ") {
    TakeSize(state, r.naxis2, card, window);
  } else if (keyword == "CTYPE1  " || keyword == "CTYPE2  " || keyword == "EQUINOX " ||
             keyword == "RADESYS ") {
    r.hasWcs = true;
  } else if (keyword == "CRVAL1  ") {
    const float raHours = coords::ToSingle(static_cast<double>(coords::ToSingle(NumericValue(card))) / 15.0);
    window.SetFieldText(CoordinateBox::tb_r, coords::FormatNumberText(raHours));
  } else if (keyword == "CRPIX1  ") {
    TakeReferencePixel(CoordinateBox::tb_x, card, window);
  } else if (keyword == "CDELT1  ") {
    state.cdelt1Value = NumericValue(card);
    r.cdelt1 = coords::ToSingle(state.cdelt1Value);
    state.hasCdelt = true;
  } else if (keyword == "CRVAL2  ") {
    window.SetFieldText(CoordinateBox::tb_d, coords::FormatNumberText(coords::ToSingle(NumericValue(card))));
  } else if (keyword == "CRPIX2  ") {
    TakeReferencePixel(CoordinateBox::tb_y, card, window);
  } else if (keyword == "CDELT2  ") {
    state.cdelt2Value = NumericValue(card);
    r.cdelt2 = coords::ToSingle(state.cdelt2Value);
    state.hasCdelt = true;
  } else if (keyword == "TELESCOP") {
    r.telescope = TelescopeValue(card);
  } else if (keyword == "CROTA1  ") {
    r.crota1 = coords::ToSingle(NumericValue(card));
  } else if (keyword == "CROTA2  ") {
    r.crota2 = coords::ToSingle(NumericValue(card));
  } else {
    if (keyword.starts_with("CD") || keyword.starts_with("PC"))
      TakeMatrixCard(keyword, NumericValue(card), state.transform);
    if (IsRemoved(keyword, removeKeys)) return;
    if (r.keptCards.size() < keepRoom) {
      r.keptCards.emplace_back(card);
    } else {
      ++r.droppedCards;
    }
  }
}

// The input carries a WCS: its own scale becomes an instrument, the fields
// show its position but cannot be edited.
void TakeInputWcs(ReadState& state, ReaderWindow& window) {
  HeaderReadResult& r = state.result;
  if (const auto derived =
          ScaleFromMatrix(state.transform, state.hasCdelt, state.cdelt1Value, state.cdelt2Value)) {
    r.cdelt1 = derived->cdelt1;
    r.cdelt2 = derived->cdelt2;
    r.crota2 = derived->crota2;
    r.crota1 = 0.0f;
    window.WriteLog("Warnung: CDELT1, CDELT2 und CROTA2 aus der CD/PC-Matrix abgeleitet");
  }
  window.CheckWcs();
  const std::string name =
      !r.telescope.empty() ? r.telescope
                           : coords::FormatNumberText(r.cdelt1) + "/" + coords::FormatNumberText(r.cdelt2);
  if (!window.AddInstrument(name, r.cdelt1, r.cdelt2, r.crota2)) {
    r.instrumentDropped = true;
    window.WriteLog("Warnung: Instrumententabelle voll, " + name + " nicht aufgenommen");
  }
  window.DisableWcsGroup();
}

void ZeroReferencePosition(ReaderWindow& window) {
  for (const CoordinateBox box :
       {CoordinateBox::tb_r, CoordinateBox::tb_x, CoordinateBox::tb_d, CoordinateBox::tb_y})
    window.SetFieldText(box, coords::FormatNumberText(0.0f));
}

void Fail(HeaderReadResult& r, ReadCode code, ReaderWindow& window, const std::string& line) {
  window.WriteLog(line);
  r.fatal = true;
  r.code = code;
}

// Whether the file holds at least the data the header announces.
void CheckDataLength(HeaderReadResult& r, std::istream& input, ReaderWindow& window) {
  const std::int64_t needed = BytesPerElement(r.bitpix) * r.naxis1 * r.naxis2;
  const std::istream::pos_type start = input.tellg();
  input.seekg(0, std::ios::end);
  const std::int64_t available = static_cast<std::int64_t>(input.tellg() - start);
  input.seekg(start);
  if (available < needed)
    Fail(r, ReadCode::DataIncomplete, window,
         "Error: Bilddaten unvollständig, " + std::to_string(needed) + " Bytes erwartet, " +
             std::to_string(available) + " vorhanden");
}

}  // namespace

bool ReadCard(std::istream& input, std::string& card, int& lastNonBlank) {
  card.assign(kCardBytes, ' ');
  lastNonBlank = 0;
  input.read(card.data(), static_cast<std::streamsize>(kCardBytes));
  if (input.gcount() != static_cast<std::streamsize>(kCardBytes)) return false;
  for (int column = static_cast<int>(kCardBytes); column >= 1; --column) {
    if (card[static_cast<std::size_t>(column) - 1] != ' ') {
      lastNonBlank = column;
      break;
    }
  }
  return true;
}

std::int16_t SkipBlanks(std::string_view card, std::int16_t start) {
  std::int16_t column = start;
  while (column < 80 && card[static_cast<std::size_t>(column) - 1] == ' ') ++column;
  return column;
}

std::string TelescopeValue(std::string_view card) {
  if (card[10] != '\'') return std::string(Trim(card.substr(11, 29)));
  std::string value;
  for (std::size_t i = 11; i < card.size(); ++i) {
    if (card[i] == '\'') {
      if (i + 1 < card.size() && card[i + 1] == '\'') {
        value.push_back('\'');
        ++i;
        continue;
      }
      break;
    }
    value.push_back(card[i]);
  }
  return std::string(Trim(value));
}

HeaderReadResult ReadHeader(std::istream& input, std::span<const std::string> removeKeys,
                            std::size_t keepRoom, ReaderWindow& window) {
  ReadState state;
  HeaderReadResult& r = state.result;
  // Nothing of an earlier file survives: a value this header does not give is 0.
  ZeroReferencePosition(window);

  int position = 0;
  int cardCount = 0;
  std::string card;
  int lastNonBlank = 0;
  while (!state.endFound) {
    if (!ReadCard(input, card, lastNonBlank)) {
      Fail(r, ReadCode::HeaderIncomplete, window,
           "Error: Dateiende vor der END-Karte, Fitsheader unvollständig");
      return r;
    }
    if (lastNonBlank == 0) {
      window.WriteLog("Warnung:  Leerzeile im Fitsheader");
    } else {
      window.WriteLog(std::string_view(card).substr(0, static_cast<std::size_t>(lastNonBlank)));
      HandleCard(state, card, removeKeys, keepRoom, window);
    }
    ++position;
    ++cardCount;
    if (position > kCards) {
      window.WriteLog("Warnung: Fitsheader länger als 36 Zeilen");
      // A SIMPLE card that failed as the first card of a record keeps its
      // code: a failed read is never reported as a usable long header.
      if (!r.fatal) r.code = ReadCode::LongHeader;
      position = 1;
    }
    if (cardCount >= kMostHeaderCards && !state.endFound) {
      Fail(r, ReadCode::HeaderTooLong, window,
           "Error: Fitsheader länger als " + std::to_string(kMostHeaderCards) + " Zeilen, Lesen abgebrochen");
      return r;
    }
    if (r.fatal) state.endFound = true;
  }

  if (r.hasWcs) {
    TakeInputWcs(state, window);
  } else {
    window.EnableWcsGroup();
    ZeroReferencePosition(window);
  }

  // A size out of range has had its own log line; a BITPIX beyond 16 bits is
  // not missing but unsupported (below).
  const bool missing = coords::RoundToInteger(state.bitpixValue) == 0 ||
                       ((r.naxis1 == 0 || r.naxis2 == 0) && !state.sizeOutOfRange);
  if (missing) window.WriteLog("Error: Keywords BITPIX,NAXIS1,NAXIS2 fehlen");
  if (missing || state.sizeOutOfRange) {
    r.fatal = true;
    r.code = ReadCode::SizeImplausible;
  }

  for (int p = position + 1; p <= kCards; ++p) {
    if (!ReadCard(input, card, lastNonBlank)) {
      Fail(r, ReadCode::HeaderIncomplete, window,
           "Error: Dateiende im letzten Header-Record, Fitsheader unvollständig");
      return r;
    }
    ++cardCount;
  }
  r.headerCardCount = static_cast<std::int16_t>(cardCount);

  // A cube is never saved as if it were one image, however long its header.
  if (!r.fatal && state.naxisNotTwo && r.code == ReadCode::LongHeader) r.code = ReadCode::AxesNotTwo;
  if (!r.fatal && BytesPerElement(coords::RoundToInteger(state.bitpixValue).value_or(0)) == 0)
    Fail(r, ReadCode::BitpixUnsupported, window,
         "Error: BITPIX " + std::string(Trim(coords::FormatNumberText(coords::ToSingle(state.bitpixValue)))) +
             " wird nicht unterstützt");
  if (IsUsable(r.code)) CheckDataLength(r, input, window);
  if (r.droppedCards > 0)
    window.WriteLog("Warnung: " + std::to_string(r.droppedCards) +
                    " Headerzeilen passen nicht mehr in die Liste und werden nicht übernommen");
  return r;
}

}  // namespace fits
