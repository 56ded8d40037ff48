// Output headers card by card, and the checksum cards that seal them.
#include "fits/header_composer.h"
#include "fits/wcs_mirror.h"

#include <cmath>

#include "fits/card_text.h"
#include "fits/checksum.h"
#include "fits/fits_number.h"
#include "fits_test_files.h"

using fits_test::Card;

// The cards of a header up to END, each without its trailing blanks, one a line.
static std::string Cards(const fits::ComposedHeader& header, std::size_t from = 5) {
  std::string cards;
  for (std::size_t at = from * 80; at < header.bytes.size() && !cards.ends_with("END\n"); at += 80)
    cards += header.bytes.substr(at, header.bytes.find_last_not_of(' ', at + 79) + 1 - at) + "\n";
  return cards;
}

static fits::HeaderPlan Plan(std::int16_t bitpix = 16, bool wcs = true) {
  // clang-format off
  return {.bitpix = bitpix, .naxis1 = 1024, .naxis2 = 768, .writeWcs = wcs, .headerCardCount = 36,
          .crval1 = 187.5f, .crval2 = -12.5f, .crpix1 = 512, .crpix2 = 384,
          .instrument = config::Instrument{"Refraktor 80", -0.000417f, 0.00025f, 1.5f}, .keepLines = {}, .ownWcs = {}};
  // clang-format on
}

TEST(ComposeHeader, BasicCardsAndTheWcsBlockFromTheSelectedInstrument) {
  for (const auto& [bitpix, type] :
       {std::pair{8, "I*1"}, {16, "I*2"}, {32, "I*4"}, {-32, "R*4"}, {64, "I*8"}, {-64, "R*8"}}) {
    const std::string number = std::to_string(bitpix);
    EXPECT_EQ(
        fits::ComposeHeader(Plan(std::int16_t(bitpix), false)).bytes,
        fits_test::Header("SIMPLE  =                    T /written by Velorin|BITPIX  = " +
                          std::string(20 - number.size(), ' ') + number + " /bits per pixel " + type +
                          "|NAXIS   =                    2 /number of axes|NAXIS1  =                 1024 "
                          "/length x axis|NAXIS2  =                  768 /length y axis|END"));
  }
  const fits::ComposedHeader header = fits::ComposeHeader(Plan());
  const std::string expected =
      "HISTORY  WCS inserted by VELORIN V 1 , a product of www.velorin.example\nTELESCOP= 'Refraktor 80'\n"
      "EQUINOX = 2000.0\nRADESYS = 'FK5 '\nCTYPE1  = 'RA---TAN'  /\nCRVAL1  = 187.5 /\nCRPIX1  = 512 /\n"
      "CDELT1  = -0.000417001 /\nCTYPE2  = 'DEC--TAN'  /\nCRVAL2  = -12.5 /\nCRPIX2  = 384 /\n"
      "CDELT2  =  0.000250000 /\nCROTA2  =  1.500000000 /\nEND\n";
  EXPECT_EQ(Cards(header), expected);
  std::string logged;
  for (std::size_t i = 5; i < header.logLines.size(); ++i) logged += header.logLines[i] + "\n";
  EXPECT_EQ(logged, expected.substr(0, expected.size() - 4) + "END      \n");
}

TEST(ComposeHeader, SignColumnsFlipAndTheInputsOwnScale) {
  fits::HeaderPlan plan = Plan();
  plan.crval1 = -22.5f;
  plan.crval2 = 0.5f;
  plan.crpix1 = -7;
  plan.crpix2 = -50;
  plan.flip = true;
  // A blank after "=" before a negative value, so that FITS reads it.
  EXPECT_EQ(Cards(fits::ComposeHeader(plan), 10),
            "CRVAL1  = -22.5 /\nCRPIX1  = -7 /\nCDELT1  = -0.000417001 /\nCTYPE2  = 'DEC--TAN'  /\n"
            "CRVAL2  =  .5 /\nCRPIX2  = -50 /\nCDELT2  = -0.000250001 /\nCROTA2  =  1.500000000 /\nEND\n");
  plan = Plan();  // the input's own WCS keeps its scale; the picked row names it; CROTA1 only when set
  plan.hasWcs = true;
  plan.cdelt1 = -0.001f;
  plan.cdelt2 = 0.001f;
  plan.crota1 = 2.0f;
  plan.crota2 = 3.0f;
  EXPECT_EQ(Cards(fits::ComposeHeader(plan), 6).substr(0, 25) + Cards(fits::ComposeHeader(plan), 16),
            "TELESCOP= 'Refraktor 80'\nCDELT2  =  0.001000000 /\nCROTA1  =  2.000000000 /\n"
            "CROTA2  =  3.000000000 /\nEND\n");
  plan.crota1 = 0.0f;
  EXPECT_EQ(Cards(fits::ComposeHeader(plan), 16) + std::to_string(fits::ComposeHeader(plan).cdelt1),
            "CDELT2  =  0.001000000 /\nCROTA2  =  3.000000000 /\nEND\n-0.001000");
  plan.instrument->namesTelescope = false;  // a row named after its scale names no telescope
  EXPECT_EQ(Cards(fits::ComposeHeader(plan), 6).substr(0, 17), "EQUINOX = 2000.0\n");
  // A flipped image turns its ROWORDER, the comment in its column; other values stay.
  const std::pair<const char*, const char*> orders[] = {
      {"ROWORDER= 'TOP-DOWN'           / Order of the rows",
       "ROWORDER= 'BOTTOM-UP'          / Order of the rows"},
      {"ROWORDER= 'BOTTOM-UP'          / Order of the rows",
       "ROWORDER= 'TOP-DOWN'           / Order of the rows"},
      {"ROWORDER= 'TOP-DOWN '", "ROWORDER= 'BOTTOM-UP'"},
      {"ROWORDER= 'SIDEWAYS'", "ROWORDER= 'SIDEWAYS'"}};
  for (const auto& [card, turned] : orders) {
    const std::string lines[] = {Card(card)};
    plan = Plan(16, false);
    plan.keepLines = lines;
    for (const bool flip : {false, true}) {
      plan.flip = flip;
      const fits::ComposedHeader header = fits::ComposeHeader(plan);
      EXPECT_EQ(header.bytes.substr(5 * 80, 80), Card(flip ? turned : card)) << card;
      EXPECT_EQ(header.logLines[6] == "Warnung: ROWORDER für das gespiegelte Bild umgekehrt",
                flip && std::string_view(card) != turned)
          << card;
    }
  }
}

TEST(ComposeHeader, NeverCutKeepingTheOldSizeWhereItFits) {
  fits::HeaderPlan plan = Plan();  // 18 cards before the carried lines
  plan.hasWcs = true;
  plan.crota1 = 1.0f;  // 19
  std::vector<std::string> lines(30);
  for (std::size_t i = 0; i < lines.size(); ++i) lines[i] = "COMMENT line " + std::to_string(i);
  plan.keepLines = lines;
  plan.keepOldSize = true;
  for (const std::size_t count : {16, 30}) {  // 16 lines fill the old record exactly; 30 take a second one
    plan.keepLines = std::span(lines.data(), count);
    const fits::ComposedHeader header = fits::ComposeHeader(plan);
    EXPECT_EQ(std::to_string(header.cardCount) + " " + std::to_string(header.bytes.size()) + "\n" +
                  Cards(header, static_cast<std::size_t>(header.cardCount) - 2),
              std::to_string(20 + count) + " " + std::to_string(count == 16 ? 2880 : 5760) +
                  "\nCOMMENT line " + std::to_string(count - 1) + "\nEND\n");
  }
  plan.headerCardCount = 108;  // a header-only rewrite keeps the old size, END opens the last record
  plan.keepLines = {};
  EXPECT_EQ(fits::ComposeHeader(plan).bytes.substr(19 * 80),
            std::string(53 * 80, ' ') + fits_test::Header("END"));
}

TEST(ComposeHeader, CarriedLinesAsWrittenAndOtherWcsFormsDropped) {
  fits::HeaderPlan plan = Plan();
  // Every form of the primary WCS goes (SIP terms too); alternates and look-alikes stay.
  const std::vector<std::string> lines = {"OBSERVER= 'Anna'",     "CD1_1   =  -2.7E-4 / matrix",
                                          "PC1_2   = 0",          "A_ORDER =  2",
                                          "CTYPE1A = 'RA---TAN'", "CD1_1A  = 1",
                                          "RADECSYS= 'FK5'",      "CTYPE1  = 'RA---SIN'",
                                          "EQUINOX = 1950.0",     "A_0_2   = 1",
                                          "PV2_1   = 0",          "A_DMAX  = 1",
                                          "CD1_    = 1",          "A_1_    = 1",
                                          "PCOUNT  = 0",          std::string(90, 'X')};
  const std::string kept =
      "OBSERVER= 'Anna'\nCTYPE1A = 'RA---TAN'\nCD1_1A  = 1\nA_DMAX  = 1\nCD1_    = 1\n"
      "A_1_    = 1\nPCOUNT  = 0\n" +
      std::string(80, 'X') + "\nEND\n";
  plan.keepLines = lines;
  fits::ComposedHeader header = fits::ComposeHeader(plan);
  EXPECT_EQ(Cards(header, 18), kept);
  std::string warned;  // the line too long for a card is logged whole
  for (const std::string& line : header.logLines)
    warned += line.starts_with("Warnung: ") ? "W" : line == lines.back() ? "X" : "";
  EXPECT_EQ(warned, "WWWWWWX");  // CTYPE1 and EQUINOX the WCS block writes anew
  plan.writeWcs = false;         // without our WCS every card is carried
  EXPECT_EQ(Cards(fits::ComposeHeader(plan)).substr(0, 45),
            "OBSERVER= 'Anna'\nCD1_1   =  -2.7E-4 / matrix\n");
  plan.hasWcs = true;  // unless the file's own WCS was taken: then none of it stays
  EXPECT_EQ(Cards(fits::ComposeHeader(plan)), kept);
  // Quotes in the name doubled; a doubled quote that would straddle column 80 is left out whole.
  EXPECT_EQ(fits::TelescopeCard("O'Neil 12"), "TELESCOP= 'O''Neil 12'");
  EXPECT_EQ(fits::TelescopeCard(std::string(75, 'N')), "TELESCOP= '" + std::string(68, 'N') + "'");
  EXPECT_EQ(fits::TelescopeCard(std::string(67, 'N') + "'x"), "TELESCOP= '" + std::string(67, 'N') + "'");
}

TEST(ComposeHeader, ChecksumCardsSealHeaderAndDataToMinusZero) {
  fits::HeaderPlan plan = Plan(8, false);
  const std::vector<std::string> lines = {Card("CHECKSUM= 'abc'   / old comment"), Card("OBJECT  = 'x'")};
  plan.keepLines = lines;
  fits::ComposedHeader header = fits::ComposeHeader(plan);
  ASSERT_TRUE(header.integrity);
  for (const std::uint32_t sum : {0u, 0xFFFFFFFFu, 0x3A3A3A3Au, 0x01020304u}) {  // the data sum, one word
    fits::SealIntegrityCards(header, sum);
    fits::OnesComplementSum hdu;
    hdu.Add(header.bytes + char(sum >> 24) + char(sum >> 16) + char(sum >> 8) + char(sum));
    EXPECT_EQ(hdu.Value(), 0xFFFFFFFFu) << sum;
  }
  // DATASUM right after CHECKSUM, the old comment kept, the log line as the card.
  EXPECT_EQ(Cards(header).substr(0, 11) + Cards(header).substr(28, 37),
            "CHECKSUM= '   / old comment\nDATASUM = '16909060'");
  plan.keepLines = std::span(lines.data() + 1, 1);  // no such cards: none added
  EXPECT_TRUE(header.logLines[5] == Cards(header).substr(0, header.logLines[5].size()) &&
              !fits::ComposeHeader(plan).integrity);
}

TEST(FirstUnwritableValue, OnlyFitsNumbersInVelorinsOwnCards) {
  // clang-format off
  const std::pair<const char*, bool> texts[] = {{"-1.5", true}, {"+.5", true}, {"1.", true}, {"2.7E-04", true},
      {"1D+3", true}, {"", false}, {".", false}, {"1e5", false}, {"1E+", false}, {"1 2", false}, {"NaN", false},
      {"3.4E+38.000000000", false}, {"1.5.2", false}};
  // clang-format on
  for (const auto& [text, number] : texts) EXPECT_EQ(fits::IsFitsNumber(text), number) << text;
  // From the input's own WCS, a velorin.ini row beyond float range, a typed entry; a carried card stands.
  fits::HeaderPlan plans[] = {Plan(), Plan(), Plan(), Plan()};
  const std::string carried[] = {Card("EXPTIME =                  1e5")};
  plans[0].keepLines = carried;
  plans[1].hasWcs = true;
  plans[1].crota2 = 3.4E38f;
  plans[2].instrument->cdelt1 = -std::numeric_limits<float>::max();
  plans[3].crval1 = INFINITY;
  const char* const found[] = {"", "CROTA2 3.4E+38.000000000", "CDELT1 -3.402823E+38.000000000",
                               "CRVAL1 Inf"};
  for (std::size_t i = 0; i < std::size(plans); ++i) {
    const auto bad = fits::FirstUnwritableValue(plans[i]);
    EXPECT_EQ(bad ? bad->keyword + " " + bad->value : "", found[i]);
    plans[i].writeWcs = false;  // values not written are not judged
    EXPECT_FALSE(fits::FirstUnwritableValue(plans[i])) << found[i];
  }
}

TEST(MirrorWcsCards, EveryWcsFollowsTheRowsOrWarns) {
  // Primary SIN with a PV card, alternate A with PC but no PC2_2 nor CRPIX2, B with CD, SIP, old-style
  // and unreadable cards; 200 rows.
  const std::vector<std::string> in = {Card("CTYPE2  = 'DEC--SIN'"), Card("CRPIX2  = 100.25 / ref"),
                                       Card("CDELT2  = 4.0E-4"),     Card("PV2_1   = 0.0"),
                                       Card("PC1_1A  = 1.0"),        Card("CTYPE1A = 'RA---TAN'"),
                                       Card("CD2_2B  = 1e-3"),       Card("CDELT2B = 7"),
                                       Card("CRPIX2B = x"),          Card("PC001001= 1.0"),
                                       Card("A_0_1   = +2.5E-6"),    Card("B_0_1   = 1"),
                                       Card("B_0_2   = -3"),         Card("AMDX1   = 1")};
  const fits::MirroredCards out = fits::MirrorWcsCards(in, 200);
  std::string cards;
  for (const std::string& card : out.cards) cards += std::string(fits::TrimTrailingBlanks(card)) + "\n";
  EXPECT_EQ(
      cards,
      "CTYPE2  = 'DEC--SIN'\nCRPIX2  =               100.75 / ref\nCDELT2  =              -4.0E-4\n"
      "PC1_1A  = 1.0\nCTYPE1A = 'RA---TAN'\nCRPIX2A =                  201\nPC2_2A  =                 -1.0\n"
      "CD2_2B  =               -0.001\nCDELT2B = 7\nA_0_1   =              -2.5E-6\nB_0_1   = 1\n"
      "B_0_2   =                    3\n");
  EXPECT_EQ(out.warnings.size(), 4u);       // PV2_1, CRPIX2B, PC001001, AMDX1
  fits::HeaderPlan plan = Plan(16, false);  // carried through a flip that writes no WCS of its own
  plan.flip = true, plan.naxis2 = 200, plan.keepLines = in;
  EXPECT_NE(fits::ComposeHeader(plan).bytes.find(out.cards[1]), std::string::npos);
  EXPECT_EQ(fits::FitsNumberCards(std::vector{Card("CD1_1   = 1.5e-3 / m"), Card("X       = 'a'")})[0],
            Card("CD1_1   =               0.0015 / m"));
}
