#include "fits/header_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "coords/number_text.h"
#include "fits/card_text.h"
#include "fits/fits_sizes.h"
#include "fits/wcs_forms.h"

namespace fits {
namespace {

constexpr int kCards = static_cast<int>(kCardsPerRecord);
// The most header cards whose count, fill included, a 16-bit count holds.
constexpr int kMostHeaderCards = std::numeric_limits<std::int16_t>::max() / kCards * kCards;  // 910 records

// The whole value, however far a free-format number runs past column 30.
double NumericValue(std::string_view card) {
  return coords::ParseLeadingNumber(ValueField(card));
}

bool IsRemoved(std::string_view keyword, std::span<const std::string> removeKeys) {
  bool removed = false;
  for (const std::string& entry : removeKeys) {
    const std::string_view prefix = TrimBlanks(entry);
    if (prefix.size() <= kKeywordBytes && keyword.substr(0, prefix.size()) == prefix) removed = true;
  }
  return removed;
}

// The cards of the file's own WCS, as far as they decide whether Velorin can
// carry it.
struct WcsCards {
  bool seen = false;  // any card of a WCS at all
  std::optional<std::string> ctype1;
  std::optional<std::string> ctype2;
  std::optional<std::string> equinox;  // the value as written
  double equinoxValue = 0.0;
  std::optional<std::string> radesys;
  std::optional<std::string> epoch;
  std::optional<std::string> cunit1;
  std::optional<std::string> cunit2;
  std::optional<double> lonpole;
  double crval2Value = 0.0;
  bool crval1 = false;
  bool crval2 = false;
  bool crpix1 = false;  // present and within 16 bits
  bool crpix2 = false;
  bool cdelt1 = false;
  bool cdelt2 = false;
  double cdelt1Value = 0.0;
  double cdelt2Value = 0.0;
  LinearTransform transform;
};

// The state of one read beyond what the result carries.
struct ReadState {
  HeaderReadResult result;
  double bitpixValue = 0.0;
  bool naxisNotTwo = false;
  bool naxis1OutOfRange = false;
  bool naxis2OutOfRange = false;
  WcsCards wcs;
  // Cards to carry, in header order; the WCS cards among them are left out
  // again when the file's WCS is taken, as the composer writes its own.
  std::vector<std::string> kept;
  std::vector<bool> keptIsWcs;
  bool endFound = false;
};

// Image sizes must be 1 to 32767; a value beyond is never wrapped.
void TakeSize(bool& outOfRange, std::int16_t& target, std::string_view card, ReaderWindow& window) {
  const double value = NumericValue(card);
  const auto rounded = coords::RoundToInteger(value);
  if (rounded && *rounded >= 0) {
    target = *rounded;
    return;
  }
  outOfRange = true;
  window.WriteLog("Error: " + std::string(KeywordOf(card)) +
                  " ausserhalb 1 bis 32767: " + std::string(TrimBlanks(ValueField(card))));
}

// A reference pixel beyond 16 bits is not taken; the field and its value
// keep agreeing.
bool TakeReferencePixel(CoordinateBox box, std::string_view card, ReaderWindow& window) {
  if (const auto pixel = coords::RoundToInteger(NumericValue(card))) {
    window.SetFieldText(box, coords::FormatNumberText(*pixel));
    return true;
  }
  window.WriteLog("Warnung: " + std::string(KeywordOf(card)) +
                  " passt nicht in 16 Bit, nicht übernommen: " + std::string(TrimBlanks(ValueField(card))));
  return false;
}

// The value of a card that may hold a string or a bare word.
std::string TextValue(std::string_view card) {
  if (auto value = StringValue(card)) return std::string(TrimBlanks(*value));
  return std::string(TrimBlanks(ValueField(card)));
}

// Keeps a card for the output unless the configuration removes it.
void Keep(ReadState& state, std::string_view card, std::span<const std::string> removeKeys, bool isWcs) {
  if (IsRemoved(card.substr(0, kKeywordBytes), removeKeys)) return;
  state.kept.emplace_back(card);
  state.keptIsWcs.push_back(isWcs);
}

// The cards of the file's own WCS: its position goes into the fields as it is
// read; whether the WCS is taken is decided after the last card.
bool HandleWcsCard(ReadState& state, std::string_view card, ReaderWindow& window) {
  HeaderReadResult& r = state.result;
  WcsCards& wcs = state.wcs;
  const std::string_view keyword = card.substr(0, kKeywordBytes);
  if (keyword == "CTYPE1  ") {
    wcs.ctype1 = TextValue(card);
  } else if (keyword == "CTYPE2  ") {
    wcs.ctype2 = TextValue(card);
  } else if (keyword == "EQUINOX ") {
    wcs.equinox = TextValue(card);
    wcs.equinoxValue = coords::ParseLeadingNumber(*wcs.equinox);
  } else if (keyword == "RADESYS ") {
    wcs.radesys = TextValue(card);
  } else if (keyword == "CRVAL1  ") {
    const float raHours = coords::ToSingle(static_cast<double>(coords::ToSingle(NumericValue(card))) / 15.0);
    window.SetFieldText(CoordinateBox::tb_r, coords::FormatNumberText(raHours));
    wcs.crval1 = true;
  } else if (keyword == "CRPIX1  ") {
    wcs.crpix1 = TakeReferencePixel(CoordinateBox::tb_x, card, window);
  } else if (keyword == "CDELT1  ") {
    wcs.cdelt1Value = NumericValue(card);
    r.cdelt1 = coords::ToSingle(wcs.cdelt1Value);
    wcs.cdelt1 = true;
  } else if (keyword == "CRVAL2  ") {
    wcs.crval2Value = NumericValue(card);
    window.SetFieldText(CoordinateBox::tb_d, coords::FormatNumberText(coords::ToSingle(wcs.crval2Value)));
    wcs.crval2 = true;
  } else if (keyword == "CRPIX2  ") {
    wcs.crpix2 = TakeReferencePixel(CoordinateBox::tb_y, card, window);
  } else if (keyword == "CDELT2  ") {
    wcs.cdelt2Value = NumericValue(card);
    r.cdelt2 = coords::ToSingle(wcs.cdelt2Value);
    wcs.cdelt2 = true;
  } else if (keyword == "CROTA1  ") {
    r.crota1 = coords::ToSingle(NumericValue(card));
  } else if (keyword == "CROTA2  ") {
    r.crota2 = coords::ToSingle(NumericValue(card));
  } else {
    return false;
  }
  // A capture program's EQUINOX or RADESYS alone describes no WCS.
  wcs.seen = wcs.seen || (keyword != "EQUINOX " && keyword != "RADESYS ");
  return true;
}

void HandleCard(ReadState& state, std::string_view card, std::span<const std::string> removeKeys,
                ReaderWindow& window) {
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
    TakeSize(state.naxis1OutOfRange, r.naxis1, card, window);
  } else if (keyword == "NAXIS2  ") {
    TakeSize(state.naxis2OutOfRange, r.naxis2, card, window);
  } else if (keyword == "TELESCOP") {
    r.telescope = TelescopeValue(card);
  } else if (HandleWcsCard(state, card, window)) {
    Keep(state, card, removeKeys, true);
  } else {
    if ((keyword.starts_with("CD") || keyword.starts_with("PC")) &&
        TakeMatrixCard(keyword, NumericValue(card), state.wcs.transform))
      state.wcs.seen = true;
    // Written before RADESYS existed; it decides as RADESYS does when that is absent.
    if (keyword == "RADECSYS" && !state.wcs.radesys) state.wcs.radesys = TextValue(card);
    if (keyword == "EPOCH   ") state.wcs.epoch = TextValue(card);
    if (keyword == "CUNIT1  ") state.wcs.cunit1 = TextValue(card);
    if (keyword == "CUNIT2  ") state.wcs.cunit2 = TextValue(card);
    if (keyword == "LONPOLE ") state.wcs.lonpole = NumericValue(card);
    Keep(state, card, removeKeys, IsPrimaryWcsCard(keyword));
  }
}

bool IsTan(const std::optional<std::string>& ctype, std::string_view tan) {
  return ctype && (*ctype == tan || *ctype == std::string(tan) + "-SIP");
}

// Empty when the file's own WCS is one Velorin can carry: a gnomonic
// projection of RA and Dec for equinox 2000 in FK5 or ICRS, in degrees, with
// the pole where a gnomonic projection puts it by default, a reference point,
// reference pixel and a scale; otherwise why it is not taken. Only such a WCS
// is shown as Velorin's fields show one; a WCS of another kind is never
// relabelled, as its numbers would then point elsewhere.
std::string WcsNotTakenReason(const WcsCards& wcs, const std::optional<ScaleAndRotation>& scale) {
  if (!wcs.ctype1 || !wcs.ctype2) return "CTYPE1/CTYPE2 fehlen";
  if (!IsTan(wcs.ctype1, "RA---TAN") || !IsTan(wcs.ctype2, "DEC--TAN"))
    return "CTYPE1 '" + *wcs.ctype1 + "', CTYPE2 '" + *wcs.ctype2 + "', nur 'RA---TAN'/'DEC--TAN'";
  if (wcs.equinox && wcs.equinoxValue != 2000.0) return "EQUINOX " + *wcs.equinox + ", nur 2000";
  // Without EQUINOX, EPOCH names the equinox.
  if (!wcs.equinox && wcs.epoch && coords::ParseLeadingNumber(*wcs.epoch) != 2000.0)
    return "EPOCH " + *wcs.epoch + ", nur 2000";
  if (wcs.radesys && *wcs.radesys != "FK5" && *wcs.radesys != "ICRS")
    return "RADESYS '" + *wcs.radesys + "', nur FK5 oder ICRS";
  for (const auto& [unit, name] : {std::pair{&wcs.cunit1, "CUNIT1"}, {&wcs.cunit2, "CUNIT2"}})
    if (*unit && **unit != "deg") return std::string(name) + " '" + **unit + "', nur 'deg'";
  if (!wcs.crval1 || !wcs.crval2 || !wcs.crpix1 || !wcs.crpix2) return "CRVAL1/2 oder CRPIX1/2 fehlen";
  if (!(std::fabs(wcs.crval2Value) <= 90.0)) return "CRVAL2 ausserhalb -90 bis +90";
  if (wcs.lonpole && *wcs.lonpole != (wcs.crval2Value < 90.0 ? 180.0 : 0.0))
    return "LONPOLE " + coords::FormatNumberText(coords::ToSingle(*wcs.lonpole)) + ", nur der Vorgabewert";
  if (!scale || scale->cdelt1 == 0.0f || scale->cdelt2 == 0.0f)
    return "keine Skala (CDELT1/2 oder CD-Matrix)";
  return "";
}

// The scale the file's WCS gives: from its CD or PC matrix, else its CDELT cards.
std::optional<ScaleAndRotation> ScaleOf(const WcsCards& wcs, const HeaderReadResult& r, bool& fromMatrix) {
  const bool hasCdelt = wcs.cdelt1 && wcs.cdelt2;
  auto derived = ScaleFromMatrix(wcs.transform, hasCdelt, wcs.cdelt1Value, wcs.cdelt2Value);
  fromMatrix = derived.has_value();
  if (derived || !hasCdelt) return derived;
  return ScaleAndRotation{r.cdelt1, r.cdelt2, r.crota2};
}

// The input carries a WCS: its own scale becomes an instrument, the fields
// show its position but cannot be edited.
// A matrix is shown as the scale and rotation nearest to it; what is saved
// is the matrix itself.
void TakeInputWcs(ReadState& state, const ScaleAndRotation& scale, bool fromMatrix, ReaderWindow& window) {
  HeaderReadResult& r = state.result;
  if (fromMatrix) {
    r.cdelt1 = scale.cdelt1;
    r.cdelt2 = scale.cdelt2;
    r.crota2 = scale.crota2;
    r.crota1 = 0.0f;
  }
  r.hasWcs = true;
  window.CheckWcs();
  config::Instrument row{r.telescope, r.cdelt1, r.cdelt2, r.crota2, true};
  if (row.name.empty()) {
    row.name = coords::FormatNumberText(r.cdelt1) + "/" + coords::FormatNumberText(r.cdelt2);
    row.namesTelescope = false;
  }
  if (!window.AddInstrument(row)) {
    r.instrumentDropped = true;
    window.WriteLog("Warnung: Instrumententabelle voll, " + row.name + " nicht aufgenommen");
  }
  window.DisableWcsGroup();
}

// The carried cards; those of a WCS that was taken are written back as its own.
void KeepCards(ReadState& state) {
  HeaderReadResult& r = state.result;
  for (std::size_t i = 0; i < state.kept.size(); ++i)
    (r.hasWcs && state.keptIsWcs[i] ? r.wcsCards : r.keptCards).push_back(std::move(state.kept[i]));
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
  if (const auto value = StringValue(card)) return std::string(TrimBlanks(*value));
  return std::string(TrimBlanks(card.substr(11, 29)));
}

HeaderReadResult ReadHeader(std::istream& input, std::span<const std::string> removeKeys,
                            ReaderWindow& window) {
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
      HandleCard(state, card, removeKeys, window);
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

  bool fromMatrix = false;
  const std::optional<ScaleAndRotation> scale = ScaleOf(state.wcs, r, fromMatrix);
  const std::string notTaken = WcsNotTakenReason(state.wcs, scale);
  if (notTaken.empty()) {
    TakeInputWcs(state, *scale, fromMatrix, window);
  } else {
    if (state.wcs.seen) window.WriteLog("Warnung: WCS der Datei nicht übernommen: " + notTaken);
    window.EnableWcsGroup();
    ZeroReferencePosition(window);
  }
  KeepCards(state);
  const WcsCards& wcs = state.wcs;
  r.carriesWcs = wcs.ctype1 || wcs.ctype2 || wcs.transform.hasCd || wcs.transform.hasPc;

  // A size out of range has had its own log line; a BITPIX beyond 16 bits is
  // not missing but unsupported (below).
  const bool outOfRange = state.naxis1OutOfRange || state.naxis2OutOfRange;
  const bool missing = coords::RoundToInteger(state.bitpixValue) == 0 ||
                       (r.naxis1 == 0 && !state.naxis1OutOfRange) ||
                       (r.naxis2 == 0 && !state.naxis2OutOfRange);
  if (missing) window.WriteLog("Error: Keywords BITPIX,NAXIS1,NAXIS2 fehlen");
  if (missing || outOfRange) {
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
         "Error: BITPIX " +
             std::string(TrimBlanks(coords::FormatNumberText(coords::ToSingle(state.bitpixValue)))) +
             " wird nicht unterstützt");
  if (IsUsable(r.code)) CheckDataLength(r, input, window);
  return r;
}

}  // namespace fits
