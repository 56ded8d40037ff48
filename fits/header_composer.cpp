#include "fits/header_composer.h"

#include "coords/number_text.h"
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

}  // namespace

void WriteCard(std::string& header, std::string_view text, std::int32_t& cardCount) {
  ++cardCount;
  const std::size_t start = header.size();
  header.append(text.substr(0, kCardBytes));
  header.resize(start + kCardBytes, ' ');
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

  for (std::size_t i = 0; i < plan.keepLines.size(); ++i) {
    const std::string& line = plan.keepLines[i];
    // Our WCS block replaces any other description of the primary WCS.
    if (plan.writeWcs && IsOtherPrimaryWcsForm(std::string_view(line).substr(0, kKeywordBytes))) {
      out.logLines.push_back(
          "Warnung: " + line.substr(0, std::min<std::size_t>(line.find(' '), kKeywordBytes)) +
          " entfernt, die WCS steht in CDELT/CROTA");
      continue;
    }
    card(line);
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
    std::int32_t unused = 0;
    for (std::int32_t i = 0; i < kCards - m; ++i) WriteCard(bytes, "", unused);
  }
  return out;
}

}  // namespace fits
