#include "fits/header_composer.h"

#include <charconv>

#include "coords/number_text.h"
#include "fits/card_text.h"
#include "fits/checksum.h"
#include "fits/fits_sizes.h"
#include "fits/velorin_identity.h"
#include "fits/wcs_forms.h"
#include "fits/wcs_mirror.h"

namespace fits {
namespace {

constexpr std::int32_t kCards = static_cast<std::int32_t>(kCardsPerRecord);

std::string BitpixCard(std::int16_t bitpix) {
  const char* type = "";
  switch (bitpix) {
    case 8:
      type = "I*1";
      break;
    case 16:
      type = "I*2";
      break;
    case 32:
      type = "I*4";
      break;
    case -32:
      type = "R*4";
      break;
    case 64:
      type = "I*8";
      break;
    case -64:
      type = "R*8";
      break;
    default:
      break;
  }
  // The number ends in column 30.
  const std::string number = std::to_string(bitpix);
  return "BITPIX  =" + std::string(21 - number.size(), ' ') + number + " /bits per pixel " + type;
}

std::string AxisCard(const char* keywordAndEquals, std::int16_t length, const char* comment) {
  const std::string value = coords::FormatNumberText(length);
  return keywordAndEquals + std::string(21 - value.size(), ' ') + value + comment;
}

std::string HistoryCard() {
  return std::string("HISTORY  ") + "WCS inserted by VELORIN V" + coords::FormatNumberText(kVelorinVersion) +
         " , a product of " + kPublisherAddress;
}

constexpr std::string_view kZeroChecksum = "0000000000000000";

// "KEYWORD= 'value'", blank-filled to column 30, then the comment.
std::string StringCard(std::string_view keywordAndEquals, std::string_view value, std::string_view comment) {
  std::string text = std::string(keywordAndEquals) + " '" + std::string(value) + "'";
  if (!comment.empty()) {
    if (text.size() < 30) text.resize(30, ' ');
    text += " " + std::string(comment);
  }
  return text;
}

// The comment of a card with a string value: from the "/" after the value.
std::string CommentOf(std::string_view card) {
  const std::size_t close = ClosingQuote(card);
  const std::size_t slash = card.find('/', close == std::string_view::npos ? 10 : close);
  if (slash == std::string_view::npos) return "";
  return std::string(TrimTrailingBlanks(card.substr(slash)));
}

std::optional<std::uint32_t> StringValueNumber(std::string_view card) {
  const std::optional<std::string> value = StringValue(card);
  if (!value) return std::nullopt;
  const std::string_view digits = TrimBlanks(*value);
  std::uint32_t number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) return std::nullopt;
  return number;
}

bool HasKeyword(std::span<const std::string> lines, std::string_view keyword) {
  for (const std::string& line : lines)
    if (std::string_view(line).substr(0, kKeywordBytes) == keyword) return true;
  return false;
}

bool IsWrittenByWcsBlock(std::string_view keyword) {
  for (const std::string_view written :
       {"EQUINOX ", "RADESYS ", "CTYPE1  ", "CTYPE2  ", "CRVAL1  ", "CRVAL2  ", "CRPIX1  ", "CRPIX2  ",
        "CDELT1  ", "CDELT2  ", "CROTA1  ", "CROTA2  "})
    if (keyword == written) return true;
  return false;
}

// What becomes of one carried-over line.
struct Carried {
  enum class Kind { Card, Checksum, Datasum, Warning };
  Carried(Kind k, std::string t, std::optional<std::uint32_t> sum = std::nullopt)
      : kind(k), text(std::move(t)), inputDataSum(sum) {}
  Kind kind;
  std::string text;  // the card, an integrity card's comment, or a log line
  std::optional<std::uint32_t> inputDataSum;
};

// A ROWORDER card with the other order, the comment kept in its column; empty
// for a value that is neither TOP-DOWN nor BOTTOM-UP.
std::optional<std::string> TurnedRowOrder(std::string_view card) {
  const std::optional<std::string> value = StringValue(card);
  const std::size_t close = ClosingQuote(card);
  if (!value || close == std::string_view::npos) return std::nullopt;
  std::string other;
  if (*value == "TOP-DOWN") other = "BOTTOM-UP";
  if (*value == "BOTTOM-UP") other = "TOP-DOWN";
  if (other.empty()) return std::nullopt;
  if (close - 11 > value->size())
    other.resize(std::max(other.size(), close - 11), ' ');  // a padded value keeps its width
  std::string turned = std::string(card.substr(0, 11)) + other + "'";
  std::string rest(card.substr(close + 1));
  if (turned.size() > close + 1) {
    std::size_t blanks = 0;
    while (blanks < rest.size() && blanks < turned.size() - close - 1 && rest[blanks] == ' ') ++blanks;
    rest.erase(0, blanks);
  } else {
    rest.insert(0, close + 1 - turned.size(), ' ');
  }
  return turned + rest;
}

// The carried lines in order, with what becomes of each: another WCS than the
// one written is dropped whole, CHECKSUM and DATASUM always come as a pair,
// a flipped image turns its ROWORDER.
std::vector<Carried> PlanCarriedLines(const HeaderPlan& plan) {
  using Kind = Carried::Kind;
  std::vector<Carried> out;
  // Every other WCS, a foreign one or an alternate, is kept true by a flip.
  MirroredCards mirrored;
  if (plan.flip) {
    mirrored = MirrorWcsCards(plan.keepLines, plan.naxis2);
    for (std::string& warning : mirrored.warnings) out.push_back({Kind::Warning, std::move(warning)});
  }
  const std::span<const std::string> lines =
      plan.flip ? std::span<const std::string>(mirrored.cards) : plan.keepLines;
  const bool carriesChecksum = HasKeyword(lines, "CHECKSUM");
  const bool carriesDatasum = HasKeyword(lines, "DATASUM ");
  bool checksumSeen = false;
  bool datasumSeen = false;
  for (const std::string& line : lines) {
    const std::string_view keyword = std::string_view(line).substr(0, kKeywordBytes);
    if ((plan.writeWcs || plan.hasWcs) && IsPrimaryWcsCard(keyword)) {
      // A card the WCS block writes anew is replaced, not lost: no warning for it.
      if (!plan.writeWcs || !IsWrittenByWcsBlock(keyword))
        out.push_back({Kind::Warning, "Warnung: " + std::string(KeywordOf(line)) +
                                          " entfernt, die WCS steht in CDELT/CROTA"});
    } else if (keyword == "CHECKSUM" || keyword == "DATASUM ") {
      // A second card of either name would be stale.
      bool& seen = keyword == "CHECKSUM" ? checksumSeen : datasumSeen;
      if (seen) {
        out.push_back({Kind::Warning, "Warnung: doppelte Karte " + std::string(keyword) + " entfernt"});
        continue;
      }
      seen = true;
      if (keyword == "CHECKSUM") {
        out.push_back({Kind::Checksum, CommentOf(line)});
        if (!carriesDatasum) out.push_back({Kind::Datasum, "/ data unit checksum"});
      } else {
        if (!carriesChecksum) out.push_back({Kind::Checksum, "/ HDU checksum"});
        out.push_back({Kind::Datasum, CommentOf(line), StringValueNumber(line)});
      }
    } else if (const auto turned = plan.flip && keyword == "ROWORDER" ? TurnedRowOrder(line) : std::nullopt) {
      out.push_back({Kind::Card, *turned});
      out.push_back({Kind::Warning, "Warnung: ROWORDER für das gespiegelte Bild umgekehrt"});
    } else {
      out.push_back({Kind::Card, line});
    }
  }
  return out;
}

}  // namespace

std::string PadToCard(std::string_view text) {
  std::string card(text.substr(0, kCardBytes));
  card.resize(kCardBytes, ' ');
  return card;
}

void WriteCard(std::string& header, std::string_view text, std::int32_t& cardCount) {
  ++cardCount;
  header += PadToCard(text);
}

std::string TelescopeCard(std::string_view name) {
  constexpr std::size_t kRoom = kCardBytes - 12;  // between the quotes in columns 11 and 80
  std::string value;
  for (const char c : name) {
    const std::size_t size = c == '\'' ? 2 : 1;
    if (value.size() + size > kRoom) break;  // never split a doubled quote
    value.append(size, c);
  }
  return "TELESCOP= '" + value + "'";
}

std::string ValueCard(std::string_view keywordAndEquals, std::string_view valueText) {
  const bool negative = !valueText.empty() && valueText.front() == '-';
  return std::string(keywordAndEquals) + (negative ? " " : "") + std::string(valueText) + " /";
}

ComposedHeader ComposeHeader(const HeaderPlan& plan) {
  ComposedHeader out;
  out.cdelt1 = plan.cdelt1;
  out.cdelt2 = plan.cdelt2;
  out.crota1 = plan.crota1;
  out.crota2 = plan.crota2;
  std::string& bytes = out.bytes;
  auto card = [&](const std::string& text) {
    WriteCard(bytes, text, out.cardCount);
    out.logLines.push_back(text);
  };

  card("SIMPLE  =" + std::string(20, ' ') + "T /written by Velorin");
  card(BitpixCard(plan.bitpix));
  card("NAXIS   =" + std::string(20, ' ') + "2 /number of axes");
  card(AxisCard("NAXIS1  =", plan.naxis1, " /length x axis"));
  card(AxisCard("NAXIS2  =", plan.naxis2, " /length y axis"));

  if (plan.writeWcs) {
    card(HistoryCard());
    const config::Instrument row = plan.instrument.value_or(config::Instrument{});
    if (!plan.hasWcs) {
      out.cdelt1 = row.cdelt1;
      out.cdelt2 = row.cdelt2;
      out.crota2 = row.rotation;
      out.crota1 = 0.0f;
    }
    if (plan.flip) out.cdelt2 = -out.cdelt2;
    // A row named after its scale names no telescope.
    if (row.namesTelescope) card(TelescopeCard(row.name));
    if (!plan.ownWcs.empty()) {
      // The file's own WCS: every value with all its digits, in its own form.
      if (!plan.flip) {
        for (const std::string& own : FitsNumberCards(plan.ownWcs)) card(own);
      } else {
        MirroredCards own = MirrorWcsCards(FitsNumberCards(plan.ownWcs), plan.naxis2);
        for (const std::string& warning : own.warnings) out.logLines.push_back(warning);
        for (const std::string& mirrored : own.cards) card(mirrored);
      }
    }
  }
  if (plan.writeWcs && plan.ownWcs.empty()) {
    card("EQUINOX = 2000.0");
    card("RADESYS = 'FK5 '");
    card("CTYPE1  = 'RA---TAN'  /");
    card(ValueCard("CRVAL1  =", coords::FormatNumberText(plan.crval1)));
    card(ValueCard("CRPIX1  =", coords::FormatNumberText(plan.crpix1)));
    card("CDELT1  = " + coords::NineDecimalText(out.cdelt1) + " /");
    card("CTYPE2  = 'DEC--TAN'  /");
    card("CRVAL2  = " + coords::FormatNumberText(plan.crval2) + " /");
    card(ValueCard("CRPIX2  =", coords::FormatNumberText(plan.crpix2)));
    card("CDELT2  = " + coords::NineDecimalText(out.cdelt2) + " /");
    if (out.crota1 != 0.0f) card("CROTA1  = " + coords::NineDecimalText(out.crota1) + " /");
    card("CROTA2  = " + coords::NineDecimalText(out.crota2) + " /");
  }
  out.velorinCards = out.cardCount;

  for (const Carried& line : PlanCarriedLines(plan)) {
    switch (line.kind) {
      case Carried::Kind::Warning:
        out.logLines.push_back(line.text);
        break;
      case Carried::Kind::Card:
        card(line.text);
        break;
      case Carried::Kind::Checksum:
      case Carried::Kind::Datasum: {
        // Integrity cards keep their places and get true values later.
        if (!out.integrity) out.integrity.emplace();
        IntegrityCards& cards = *out.integrity;
        const bool checksum = line.kind == Carried::Kind::Checksum;
        (checksum ? cards.hasChecksum : cards.hasDatasum) = true;
        (checksum ? cards.checksumComment : cards.datasumComment) = line.text;
        (checksum ? cards.checksumCard : cards.datasumCard) = static_cast<std::size_t>(out.cardCount);
        (checksum ? cards.checksumLogLine : cards.datasumLogLine) = out.logLines.size();
        if (!checksum) cards.inputDataSum = line.inputDataSum;
        card(checksum ? StringCard("CHECKSUM=", kZeroChecksum, line.text)
                      : StringCard("DATASUM =", "0", line.text));
        break;
      }
    }
  }

  // Where the new header fits the old one's records, the header-only rewrite
  // keeps the old size, so the data keep their offset and the file is
  // written in place: blank cards go before END when the new header is
  // shorter by a record or more. A longer header is never cut: it takes
  // more records and the file is written anew.
  if (plan.keepOldSize && out.cardCount < plan.headerCardCount) {
    const std::int32_t lastRecordStart = plan.headerCardCount - kCards;
    while (out.cardCount < lastRecordStart) WriteCard(bytes, "", out.cardCount);
  }
  card("END      ");
  if (out.cardCount > kCards) out.logLines.push_back("Warnung: FITS-Header länger als 1 2880Byte-Record ");
  const std::int32_t m = out.cardCount % kCards;
  if (m > 0) {
    bytes.append(static_cast<std::size_t>(kCards - m) * kCardBytes, ' ');  // fill, not counted
  }
  return out;
}

void SealIntegrityCards(ComposedHeader& header, std::uint32_t dataSum) {
  if (!header.integrity) return;
  const IntegrityCards& cards = *header.integrity;
  auto replace = [&](std::size_t cardIndex, std::size_t logIndex, const std::string& text) {
    header.bytes.replace(cardIndex * kCardBytes, kCardBytes, PadToCard(text));
    if (logIndex < header.logLines.size()) header.logLines[logIndex] = text;
  };
  if (cards.hasDatasum) {
    std::string digits = std::to_string(dataSum);
    digits.resize(std::max<std::size_t>(digits.size(), 8), ' ');  // a FITS string has at least 8 characters
    replace(cards.datasumCard, cards.datasumLogLine, StringCard("DATASUM =", digits, cards.datasumComment));
  }
  if (!cards.hasChecksum) return;
  replace(cards.checksumCard, cards.checksumLogLine,
          StringCard("CHECKSUM=", kZeroChecksum, cards.checksumComment));
  OnesComplementSum headerSum;
  headerSum.Add(header.bytes);
  const std::string checksum = EncodeChecksum(AddOnesComplement(headerSum.Value(), dataSum));
  replace(cards.checksumCard, cards.checksumLogLine,
          StringCard("CHECKSUM=", checksum, cards.checksumComment));
}

}  // namespace fits
