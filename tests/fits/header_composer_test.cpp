#include "fits/header_composer.h"

#include <gtest/gtest.h>

#include "fits_test_files.h"

namespace {

using fits::ComposedHeader;
using fits::HeaderPlan;
using fits_test::Card;

std::string CardAt(const ComposedHeader& header, std::size_t index) {
  return header.bytes.substr(index * 80, 80);
}

HeaderPlan WcsPlan() {
  HeaderPlan plan;
  plan.bitpix = 16;
  plan.naxis1 = 1024;
  plan.naxis2 = 768;
  plan.writeWcs = true;
  plan.headerCardCount = 36;
  plan.crval1 = 187.5f;
  plan.crval2 = -12.5f;
  plan.crpix1 = 512;
  plan.crpix2 = 384;
  plan.instrument = config::Instrument{"Refraktor 80", -0.000417f, 0.00025f, 1.5f};
  return plan;
}

TEST(ComposeHeader, BasicCardsPutNumbersInColumnThirty) {
  struct Row {
    std::int16_t bitpix;
    const char* card;
  };
  const Row rows[] = {{8, "BITPIX  =                    8 /bits per pixel I*1"},
                      {16, "BITPIX  =                   16 /bits per pixel I*2"},
                      {32, "BITPIX  =                   32 /bits per pixel I*4"},
                      {-32, "BITPIX  =                  -32 /bits per pixel R*4"},
                      {64, "BITPIX  =                   64 /bits per pixel I*8"},
                      {-64, "BITPIX  =                  -64 /bits per pixel R*8"}};
  for (const Row& row : rows) {
    HeaderPlan plan;
    plan.bitpix = row.bitpix;
    plan.naxis1 = 1024;
    plan.naxis2 = 7;
    const ComposedHeader header = fits::ComposeHeader(plan);
    EXPECT_EQ(CardAt(header, 1), Card(row.card)) << row.bitpix;
    EXPECT_EQ(CardAt(header, 0), Card("SIMPLE  =                    T /written by Velorin"));
    EXPECT_EQ(CardAt(header, 2), Card("NAXIS   =                    2 /number of axes"));
    EXPECT_EQ(CardAt(header, 3), Card("NAXIS1  =                 1024 /length x axis"));
    EXPECT_EQ(CardAt(header, 4), Card("NAXIS2  =                    7 /length y axis"));
    EXPECT_EQ(CardAt(header, 5), Card("END"));
    EXPECT_EQ(header.bytes.size(), 2880u);
    EXPECT_EQ(header.cardCount, 6);
  }
}

TEST(ComposeHeader, WcsBlockFromTheSelectedInstrument) {
  const ComposedHeader header = fits::ComposeHeader(WcsPlan());
  const std::vector<std::string> expected = {
      "HISTORY  WCS inserted by VELORIN V 1 , a product of www.velorin.example",
      "TELESCOP= 'Refraktor 80'",
      "EQUINOX = 2000.0",
      "RADESYS = 'FK5 '",
      "CTYPE1  = 'RA---TAN'  /",
      "CRVAL1  = 187.5 /",
      "CRPIX1  = 512 /",
      "CDELT1  = -0.000417001 /",
      "CTYPE2  = 'DEC--TAN'  /",
      "CRVAL2  = -12.5 /",
      "CRPIX2  = 384 /",
      "CDELT2  =  0.000250000 /",
      "CROTA2  =  1.500000000 /",
      "END      "};
  const std::vector<std::string> logged(header.logLines.begin() + 5, header.logLines.end());
  EXPECT_EQ(logged, expected);
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(CardAt(header, 5 + i), Card(expected[i])) << i;
  EXPECT_EQ(header.cdelt1, -0.000417f);
  EXPECT_EQ(header.crota2, 1.5f);
  EXPECT_EQ(header.crota1, 0.0f);
}

TEST(ComposeHeader, SignColumnsAndTheBlankAfterEquals) {
  HeaderPlan plan = WcsPlan();
  plan.crval1 = -22.5f;
  plan.crval2 = 0.5f;
  plan.crpix1 = -7;
  plan.crpix2 = -50;
  plan.flip = true;
  const ComposedHeader header = fits::ComposeHeader(plan);
  EXPECT_EQ(CardAt(header, 10), Card("CRVAL1  = -22.5 /"));
  EXPECT_EQ(CardAt(header, 11), Card("CRPIX1  = -7 /"));
  EXPECT_EQ(CardAt(header, 14), Card("CRVAL2  =  .5 /"));
  EXPECT_EQ(CardAt(header, 15), Card("CRPIX2  = -50 /"));
  EXPECT_EQ(CardAt(header, 16), Card("CDELT2  = -0.000250001 /"));  // flipped
  EXPECT_EQ(header.cdelt2, -0.00025f);
}

TEST(ComposeHeader, InputWcsKeepsItsScaleAndShowsCrota1OnlyWhenSet) {
  HeaderPlan plan = WcsPlan();
  plan.hasWcs = true;
  plan.cdelt1 = -0.001f;
  plan.cdelt2 = 0.001f;
  plan.crota1 = 2.0f;
  plan.crota2 = 3.0f;
  ComposedHeader header = fits::ComposeHeader(plan);
  EXPECT_EQ(CardAt(header, 6), Card("TELESCOP= 'Refraktor 80'"));  // the picked row's name
  EXPECT_EQ(CardAt(header, 12), Card("CDELT1  = -0.001000001 /"));
  EXPECT_EQ(CardAt(header, 17), Card("CROTA1  =  2.000000000 /"));
  EXPECT_EQ(CardAt(header, 18), Card("CROTA2  =  3.000000000 /"));
  plan.crota1 = 0.0f;
  header = fits::ComposeHeader(plan);
  EXPECT_EQ(CardAt(header, 17), Card("CROTA2  =  3.000000000 /"));
}

TEST(ComposeHeader, CutOnlyWhenACarriedLineIsLeftOut) {
  HeaderPlan plan = WcsPlan();  // 18 cards before the carried lines
  plan.hasWcs = true;
  plan.crota1 = 1.0f;  // 19
  std::vector<std::string> lines(30);
  for (std::size_t i = 0; i < lines.size(); ++i) lines[i] = "COMMENT line " + std::to_string(i);
  plan.keepLines = lines;
  plan.fitOldHeader = true;
  ComposedHeader header = fits::ComposeHeader(plan);
  EXPECT_TRUE(header.cut);
  EXPECT_EQ(header.cardCount, 36);
  EXPECT_EQ(header.bytes.size(), 2880u);
  EXPECT_EQ(CardAt(header, 34), Card("COMMENT line 15"));
  EXPECT_EQ(CardAt(header, 35), Card("END"));
  EXPECT_EQ(header.logLines[header.logLines.size() - 2],
            "Fatal: neuer FITS-Header zu lang, musste abgeschnitten werden ");

  // Exactly 16 carried lines fit: nothing is left out, nothing reported.
  plan.keepLines = std::span(lines.data(), 16);
  header = fits::ComposeHeader(plan);
  EXPECT_FALSE(header.cut);
  EXPECT_EQ(header.cardCount, 36);
  EXPECT_EQ(CardAt(header, 35), Card("END"));
  EXPECT_EQ(header.logLines.back(), "END      ");

  // The full rewrite has no limit: 37 cards give a second record.
  plan.fitOldHeader = false;
  plan.keepLines = std::span(lines.data(), 17);
  header = fits::ComposeHeader(plan);
  EXPECT_EQ(header.cardCount, 37);
  EXPECT_EQ(header.bytes.size(), 5760u);
  EXPECT_EQ(header.logLines.back(), "Warnung: FITS-Header länger als 1 2880Byte-Record ");
  EXPECT_EQ(header.bytes.substr(37 * 80), std::string(35 * 80, ' '));
}

TEST(ComposeHeader, HeaderOnlyRewriteKeepsTheOldSize) {
  HeaderPlan plan = WcsPlan();
  plan.fitOldHeader = true;
  plan.headerCardCount = 108;  // three records in the input
  const ComposedHeader header = fits::ComposeHeader(plan);
  ASSERT_EQ(header.bytes.size(), 108u * 80);
  // END opens the last record, blank cards stand before it.
  EXPECT_EQ(CardAt(header, 72), Card("END"));
  EXPECT_EQ(CardAt(header, 71), std::string(80, ' '));
  EXPECT_FALSE(header.cut);
}

TEST(ComposeHeader, CarriedLinesAsWrittenAndOtherWcsFormsDropped) {
  HeaderPlan plan = WcsPlan();
  const std::vector<std::string> lines = {"OBSERVER= 'Anna'", "CD1_1   =  -2.7E-4 / matrix", "PC1_2   = 0",
                                          "A_ORDER =  2",     "CTYPE1A = 'RA---TAN'",        "CD1_1A  = 1",
                                          "RADECSYS= 'FK5'",  std::string(90, 'X')};
  plan.keepLines = lines;
  ComposedHeader header = fits::ComposeHeader(plan);
  EXPECT_EQ(CardAt(header, 18), Card("OBSERVER= 'Anna'"));
  EXPECT_EQ(CardAt(header, 19), Card("CTYPE1A = 'RA---TAN'"));
  EXPECT_EQ(CardAt(header, 20), Card("CD1_1A  = 1"));
  EXPECT_EQ(CardAt(header, 21), std::string(80, 'X'));  // the file gets 80 characters
  EXPECT_EQ(CardAt(header, 22), Card("END"));
  int warnings = 0;
  for (const std::string& line : header.logLines) warnings += line.rfind("Warnung: ", 0) == 0;
  EXPECT_EQ(warnings, 4);
  EXPECT_NE(std::find(header.logLines.begin(), header.logLines.end(), std::string(90, 'X')),
            header.logLines.end());

  plan.writeWcs = false;  // without our WCS every card is carried
  header = fits::ComposeHeader(plan);
  EXPECT_EQ(CardAt(header, 5), Card("OBSERVER= 'Anna'"));
  EXPECT_EQ(CardAt(header, 6), Card("CD1_1   =  -2.7E-4 / matrix"));
  EXPECT_EQ(header.cardCount, 5 + 8 + 1);
}

TEST(TelescopeCard, QuotesDoubledAndClosedWithinTheCard) {
  EXPECT_EQ(fits::TelescopeCard("C14"), "TELESCOP= 'C14'");
  EXPECT_EQ(fits::TelescopeCard("O'Neil 12"), "TELESCOP= 'O''Neil 12'");
  const std::string longName(75, 'N');
  EXPECT_EQ(fits::TelescopeCard(longName), "TELESCOP= '" + std::string(68, 'N') + "'");
  // A doubled quote that would straddle the limit is left out whole.
  const std::string card = fits::TelescopeCard(std::string(67, 'N') + "'x");
  EXPECT_EQ(card, "TELESCOP= '" + std::string(67, 'N') + "'");
  EXPECT_LE(card.size(), 80u);
}

}  // namespace
