#include "fits/header_composer.h"

#include <charconv>

#include "coords/number_text.h"
#include "fits/checksum.h"
#include "fits/fits_sizes.h"
#include "fits/velorin_identity.h"
#include "fits/wcs_forms.h"

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
  std::size_t pos = card.find('\'', 10);
  if (pos != std::string_view::npos) pos = card.find('\'', pos + 1);
  pos = card.find('/', pos == std::string_view::npos ? 10 : pos);
  if (pos == std::string_view::npos) return "";
  std::string_view comment = card.substr(pos);
  while (!comment.empty() && comment.back() == ' ') comment.remove_suffix(1);
  return std::string(comment);
}

std::optional<std::uint32_t> StringValueNumber(std::string_view card) {
  const std::size_t open = card.find('\'', 8);
  const std::size_t close = open == std::string_view::npos ? open : card.find('\'', open + 1);
  if (close == std::string_view::npos) return std::nullopt;
  std::string_view digits = card.substr(open + 1, close - open - 1);
  while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
  while (!digits.empty() && digits.back() == ' ') digits.remove_suffix(1);
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) return std::nullopt;
  return value;
}

bool HasKeyword(std::span<const std::string> lines, std::string_view keyword) {
  for (const std::string& line : lines)
    if (std::string_view(line).substr(0, kKeywordBytes) == keyword) return true;
  return false;
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
    const InstrumentRow row = plan.instrument.value_or(InstrumentRow{});
    if (!plan.hasWcs) {
      out.cdelt1 = row.cdelt1;
      out.cdelt2 = row.cdelt2;
      out.crota2 = row.rotation;
      out.crota1 = 0.0f;
    }
    if (plan.flip) out.cdelt2 = -out.cdelt2;
    card(TelescopeCard(row.name));
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

  const bool carriesChecksum = HasKeyword(plan.keepLines, "CHECKSUM");
  const bool carriesDatasum = HasKeyword(plan.keepLines, "DATASUM ");
  auto checksumCard = [&](std::string comment) {
    if (!out.integrity) out.integrity.emplace();
    IntegrityCards& cards = *out.integrity;
    cards.hasChecksum = true;
    cards.checksumComment = std::move(comment);
    cards.checksumCard = static_cast<std::size_t>(out.cardCount);
    cards.checksumLogLine = out.logLines.size();
    card(StringCard("CHECKSUM=", kZeroChecksum, cards.checksumComment));
  };
  auto datasumCard = [&](std::string comment, std::optional<std::uint32_t> inputValue) {
    if (!out.integrity) out.integrity.emplace();
    IntegrityCards& cards = *out.integrity;
    cards.hasDatasum = true;
    cards.datasumComment = std::move(comment);
    cards.inputDataSum = inputValue;
    cards.datasumCard = static_cast<std::size_t>(out.cardCount);
    cards.datasumLogLine = out.logLines.size();
    card(StringCard("DATASUM =", "0", cards.datasumComment));
  };
  bool checksumWritten = false;
  bool datasumWritten = false;
  // A card the input lacked is added only where the old header has room for
  // it and its partner.
  auto roomToAdd = [&] { return !plan.fitOldHeader || out.cardCount < plan.headerCardCount - 2; };

  for (std::size_t i = 0; i < plan.keepLines.size(); ++i) {
    const std::string& line = plan.keepLines[i];
    const std::string_view keyword = std::string_view(line).substr(0, kKeywordBytes);
    // Our WCS block replaces any other description of the primary WCS.
    if (plan.writeWcs && IsOtherPrimaryWcsForm(std::string_view(line).substr(0, kKeywordBytes))) {
      out.logLines.push_back(
          "Warnung: " + line.substr(0, std::min<std::size_t>(line.find(' '), kKeywordBytes)) +
          " entfernt, die WCS steht in CDELT/CROTA");
      continue;
    }
    // Integrity cards keep their places and get true values later; a second
    // card of either name would be stale, so it is dropped.
    if (keyword == "CHECKSUM" || keyword == "DATASUM ") {
      bool& written = keyword == "CHECKSUM" ? checksumWritten : datasumWritten;
      if (written) {
        out.logLines.push_back("Warnung: doppelte Karte " + std::string(keyword) + " entfernt");
        continue;
      }
      written = true;
      if (keyword == "CHECKSUM") {
        checksumCard(CommentOf(line));
        if (!carriesDatasum && roomToAdd()) datasumCard("/ data unit checksum", std::nullopt);
      } else {
        if (!carriesChecksum && roomToAdd()) checksumCard("/ HDU checksum");
        datasumCard(CommentOf(line), StringValueNumber(line));
      }
    } else {
      card(line);
    }
    const bool linesLeft = i + 1 < plan.keepLines.size();
    if (plan.fitOldHeader && out.cardCount > plan.headerCardCount - 2 && linesLeft) {
      out.logLines.push_back("Fatal: neuer FITS-Header zu lang, musste abgeschnitten werden ");
      out.cut = true;
      break;
    }
  }

  // The header-only rewrite keeps the old header's size, so the data keep
  // their offset: blank cards go before END when the new header is shorter
  // by a record or more.
  if (plan.fitOldHeader) {
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
