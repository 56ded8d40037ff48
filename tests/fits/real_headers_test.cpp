// Headers as capture programs, archives and plate solvers write them: which
// WCS is taken, and what becomes of the cards of one that is not.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "fits/card_text.h"
#include "fits/header_composer.h"
#include "fits/header_reader.h"
#include "fits/pixel_copy.h"
#include "fits_test_files.h"

namespace {

using fits_test::Card;

struct Window : fits::ReaderWindow {
  std::vector<std::string> log;
  std::vector<config::Instrument> rows;
  std::string fields[4];
  void SetFieldText(fits::CoordinateBox box, const std::string& text) override {
    fields[static_cast<int>(box)] = text;
  }
  void CheckWcs() override {}
  bool AddInstrument(const config::Instrument& row) override {
    rows.push_back(row);
    return true;
  }
  void EnableWcsGroup() override {}
  void DisableWcsGroup() override {}
  void WriteLog(std::string_view line) override { log.emplace_back(line); }
  bool Logged(std::string_view line) const { return std::find(log.begin(), log.end(), line) != log.end(); }
};

const std::vector<std::string> kCapture = {
    "EQUINOX =               2000.0 / Equinox of coordinates", "OBJCTRA = '06 08 54.00'",
    "OBJCTDEC= '+24 19 47.0'", "FOCALLEN=                 530.", "XPIXSZ  =                 3.76"};
const std::vector<std::string> kSin1950 = {
    "CTYPE1  = 'RA---SIN'",           "CTYPE2  = 'DEC--SIN'",           "EQUINOX =               1950.0",
    "CRVAL1  =          92.22500000", "CRVAL2  =          24.33000000", "CRPIX1  =                 100.",
    "CRPIX2  =                  75.", "CDELT1  =         -0.000417",    "CDELT2  =          0.000417"};
const std::vector<std::string> kAzp = {
    "CTYPE1  = 'RA---AZP'",           "CTYPE2  = 'DEC--AZP'",           "CRVAL1  =                 92.2",
    "CRVAL2  =                 24.3", "CRPIX1  =                  100", "CRPIX2  =                   75",
    "CD1_1   =           -0.000417",  "CD2_2   =            0.000417",  "PV2_1   =                  1.5"};
const std::vector<std::string> kPcSip = {
    "WCSAXES =                    2", "CTYPE1  = 'RA---TAN-SIP'",       "CTYPE2  = 'DEC--TAN-SIP'",
    "EQUINOX =               2000.0", "RADESYS = 'ICRS    '",           "CRVAL1  =           92.2250000",
    "CRVAL2  =           24.3300000", "CRPIX1  =                100.0", "CRPIX2  =                 75.0",
    "CUNIT1  = 'deg     '",           "CDELT1  =         -0.000417",    "CDELT2  =          0.000417",
    "PC1_1   =                  1.0", "PC2_2   =                  1.0", "LONPOLE =                180.0",
    "LATPOLE =                 24.3", "A_ORDER =                    2", "A_0_2   =              1.2E-06"};

std::string Image(const std::vector<std::string>& extra) {
  std::string header;
  for (const char* c :
       {"SIMPLE  =                    T", "BITPIX  =                   16", "NAXIS   =                    2",
        "NAXIS1  =                  200", "NAXIS2  =                  150"})
    header += Card(c);
  for (const std::string& c : extra) header += Card(c);
  header += Card("END");
  header.resize(
      header.size() + static_cast<std::size_t>(fits::FillBytes(static_cast<std::int64_t>(header.size()))),
      ' ');
  return header + std::string(200 * 150 * 2 + 1280, '\0');
}

fits::HeaderReadResult Read(const std::vector<std::string>& extra, Window& window) {
  std::istringstream input(Image(extra));
  return fits::ReadHeader(input, {}, 201, window);
}

fits::ComposedHeader Compose(const fits::HeaderReadResult& read, bool writeWcs,
                             std::optional<config::Instrument> row = config::Instrument{"C14", 1e-4f, 1e-4f,
                                                                                        0}) {
  fits::HeaderPlan plan;
  plan.bitpix = 16;
  plan.naxis1 = 200;
  plan.naxis2 = 150;
  plan.writeWcs = writeWcs;
  plan.fitOldHeader = true;
  plan.headerCardCount = read.headerCardCount;
  plan.hasWcs = read.hasWcs;
  plan.cdelt1 = read.cdelt1;
  plan.cdelt2 = read.cdelt2;
  plan.instrument = std::move(row);
  plan.keepLines = read.keptCards;
  return fits::ComposeHeader(plan);
}

bool HasCard(const fits::ComposedHeader& header, std::string_view card) {
  for (std::size_t at = 0; at < header.bytes.size(); at += fits::kCardBytes)
    if (header.bytes.substr(at, fits::kCardBytes) == Card(card)) return true;
  return false;
}

TEST(RealHeaders, OnlyATanWcsForEquinox2000IsTakenAndNoOtherIsRelabelled) {
  struct Row {
    const char* what;
    std::vector<std::string> cards;
    const char* notTaken;  // the log's reason, or "" when the WCS is taken
  };
  std::vector<std::string> tan1950 = kPcSip;
  tan1950[3] = "EQUINOX =               1950.0";
  std::vector<std::string> fk4 = kPcSip;
  fk4[4] = "RADESYS = 'FK4     '";
  std::vector<std::string> noScale(kPcSip.begin(), kPcSip.begin() + 9);
  const Row rows[] = {
      {"capture program", kCapture, "CTYPE1/CTYPE2 fehlen"},
      {"SIN, 1950", kSin1950, "CTYPE1 'RA---SIN', CTYPE2 'DEC--SIN', nur 'RA---TAN'/'DEC--TAN'"},
      {"AZP", kAzp, "CTYPE1 'RA---AZP', CTYPE2 'DEC--AZP', nur 'RA---TAN'/'DEC--TAN'"},
      {"pixel axes",
       {"CTYPE1  = 'PIXEL   '", "CTYPE2  = 'PIXEL   '", "CRPIX1  = 1", "CRVAL1  = 1"},
       "CTYPE1 'PIXEL', CTYPE2 'PIXEL', nur 'RA---TAN'/'DEC--TAN'"},
      {"TAN, 1950", tan1950, "EQUINOX 1950.0, nur 2000"},
      {"TAN, FK4", fk4, "RADESYS 'FK4', nur FK5 oder ICRS"},
      {"TAN without scale", noScale, "keine Skala (CDELT1/2 oder CD-Matrix)"},
      {"plate solver PC + SIP", kPcSip, ""},
      {"CD matrix alone",
       {"CTYPE1  = 'RA---TAN'", "CTYPE2  = 'DEC--TAN'", "CRVAL1  = 92.2", "CRVAL2  = 24.3", "CRPIX1  = 100",
        "CRPIX2  = 75", "CD1_1   = -0.0004", "CD2_2   = 0.0004"},
       ""},
  };
  for (const Row& row : rows) {
    Window window;
    const fits::HeaderReadResult read = Read(row.cards, window);
    const bool taken = *row.notTaken == '\0';
    EXPECT_EQ(read.code, fits::ReadCode::HeaderRead) << row.what;
    EXPECT_EQ(read.hasWcs, taken) << row.what;
    EXPECT_EQ(window.rows.size(), taken ? 1u : 0u) << row.what;
    if (taken) {
      EXPECT_EQ(window.fields[1], " 100") << row.what;
      continue;
    }
    EXPECT_TRUE(window.Logged(std::string("Warnung: WCS der Datei nicht übernommen: ") + row.notTaken))
        << row.what;
    EXPECT_EQ(window.fields[0], " 0") << row.what;  // open for typing at zero
    // Every card is carried as it stands, in its place.
    ASSERT_EQ(read.keptCards.size(), row.cards.size()) << row.what;
    for (std::size_t i = 0; i < row.cards.size(); ++i)
      EXPECT_EQ(read.keptCards[i], Card(row.cards[i])) << row.what;
    const fits::ComposedHeader kept = Compose(read, false);
    for (const std::string& card : row.cards) EXPECT_TRUE(HasCard(kept, card)) << row.what << ": " << card;
  }
}

TEST(RealHeaders, AWcsIsWrittenOrDroppedWholeNeverInPart) {
  // A new WCS over an archive's SIN: every card of the old one goes, each with
  // its log line. The plate solver's own WCS taken but not written: no card of
  // it stays, so no reader finds half a WCS.
  for (const auto& [cards, writeWcs] :
       {std::pair{kSin1950, true}, std::pair{kAzp, true}, std::pair{kPcSip, false}}) {
    Window window;
    const fits::HeaderReadResult read = Read(cards, window);
    const fits::ComposedHeader header = Compose(read, writeWcs);
    for (const std::string& card : cards) EXPECT_FALSE(HasCard(header, card)) << card;
    // The cards of a taken WCS that were carried: its other forms.
    EXPECT_EQ(read.keptCards.size(), read.hasWcs ? 8u : cards.size());
    for (const std::string& card : read.keptCards) {
      const std::string keyword(fits::KeywordOf(card));
      EXPECT_EQ(std::count(header.logLines.begin(), header.logLines.end(),
                           "Warnung: " + keyword + " entfernt, die WCS steht in CDELT/CROTA"),
                1)
          << keyword;
    }
    EXPECT_EQ(HasCard(header, "CTYPE1  = 'RA---TAN'  /"), writeWcs);
    EXPECT_FALSE(header.cut);
  }
}

TEST(RealHeaders, ARowNamedAfterItsScaleWritesNoTelescope) {
  Window window;
  std::vector<std::string> cards = kPcSip;
  const fits::HeaderReadResult read = Read(cards, window);
  ASSERT_EQ(window.rows.size(), 1u);
  EXPECT_EQ(window.rows[0].name, "-.000417/ .000417");
  EXPECT_FALSE(window.rows[0].namesTelescope);
  const fits::ComposedHeader header = Compose(read, true, window.rows[0]);
  EXPECT_EQ(header.bytes.find("TELESCOP"), std::string::npos);
  EXPECT_TRUE(HasCard(header, "CDELT2  =  0.000417000 /"));

  cards.push_back("TELESCOP= 'C14     '           / the telescope");
  Window named;
  Read(cards, named);
  ASSERT_EQ(named.rows.size(), 1u);
  EXPECT_TRUE(named.rows[0].namesTelescope);
  const fits::ComposedHeader withName = Compose(read, true, named.rows[0]);
  EXPECT_TRUE(HasCard(withName, "TELESCOP= 'C14'")) << withName.bytes;
}

TEST(MirroredCrpix2, RowJOfTheInputIsRowNaxis2PlusOneMinusJ) {
  struct Row {
    std::int16_t naxis2, crpix2;
    std::optional<std::int16_t> mirrored;
  };
  const Row rows[] = {{1000, 300, 701}, {1000, 701, 300},          {100, 150, -49},
                      {1, 1, 1},        {32767, -1, std::nullopt}, {12000, 100, 11901}};
  for (const Row& row : rows)
    EXPECT_EQ(fits::MirroredCrpix2(row.naxis2, row.crpix2), row.mirrored) << row.naxis2 << " " << row.crpix2;
}

TEST(ReadHeader, EachMissingSizeIsLoggedBesideOneOutOfRange) {
  Window window;
  std::istringstream input(Card("SIMPLE  =                    T") + Card("BITPIX  =                   16") +
                           Card("NAXIS   =                    2") + Card("NAXIS1  =                40000") +
                           Card("END") + std::string(2880 - 5 * 80, ' '));
  EXPECT_EQ(fits::ReadHeader(input, {}, 201, window).code, fits::ReadCode::SizeImplausible);
  EXPECT_TRUE(window.Logged("Error: NAXIS1 ausserhalb 1 bis 32767: 40000"));
  EXPECT_TRUE(window.Logged("Error: Keywords BITPIX,NAXIS1,NAXIS2 fehlen"));
}

TEST(ComposeHeader, ACutIsReportedOnlyWhenAWrittenLineIsLeftOut) {
  // 18 cards of basic and WCS block and room for 17 more before END: a
  // dropped CD1_1 needs no room; one more COMMENT does not fit; CHECKSUM on
  // the last card still gets its DATASUM, another line going instead.
  struct Row {
    int comments;
    const char* last;
    bool cut;
    int commentsWritten;
  };
  const Row rows[] = {{17, "CD1_1   =                  1.0", false, 17},
                      {18, "CD1_1   =                  1.0", true, 17},
                      {16, "CHECKSUM= 'hcHjjc9ghcEghc9g'   / HDU checksum", true, 15}};
  for (const Row& row : rows) {
    std::vector<std::string> lines(static_cast<std::size_t>(row.comments), Card("COMMENT   a line"));
    lines.push_back(Card(row.last));
    fits::HeaderReadResult read;
    read.headerCardCount = 36;
    read.keptCards = lines;
    const fits::ComposedHeader header = Compose(read, true);
    EXPECT_EQ(header.bytes.size(), 2880u) << row.comments;
    EXPECT_EQ(header.cut, row.cut) << row.comments;
    int written = 0;
    for (std::size_t at = 0; at < header.bytes.size(); at += 80)
      written += header.bytes.compare(at, 10, "COMMENT   ") == 0;
    EXPECT_EQ(written, row.commentsWritten) << row.comments;
    const bool fatal = std::count(header.logLines.begin(), header.logLines.end(),
                                  "Fatal: neuer FITS-Header zu lang, musste abgeschnitten werden ") == 1;
    EXPECT_EQ(fatal, row.cut) << row.comments;
    if (std::string_view(row.last).starts_with("CD1_1"))
      EXPECT_NE(std::find(header.logLines.begin(), header.logLines.end(),
                          "Warnung: CD1_1 entfernt, die WCS steht in CDELT/CROTA"),
                header.logLines.end());
    else
      EXPECT_TRUE(header.integrity && header.integrity->hasChecksum && header.integrity->hasDatasum);
  }
}

TEST(ComposeHeader, AFlippedImageTurnsItsRowOrder) {
  struct Row {
    const char* card;
    bool flip;
    const char* written;
  };
  const Row rows[] = {
      {"ROWORDER= 'TOP-DOWN'           / Order of the rows in image array", true,
       "ROWORDER= 'BOTTOM-UP'          / Order of the rows in image array"},
      {"ROWORDER= 'BOTTOM-UP'          / Order of the rows in image array", true,
       "ROWORDER= 'TOP-DOWN'           / Order of the rows in image array"},
      {"ROWORDER= 'TOP-DOWN '", true, "ROWORDER= 'BOTTOM-UP'"},
      {"ROWORDER= 'TOP-DOWN'", false, "ROWORDER= 'TOP-DOWN'"},
      {"ROWORDER= 'SIDEWAYS'", true, "ROWORDER= 'SIDEWAYS'"},
  };
  for (const Row& row : rows) {
    const std::string lines[] = {Card(row.card)};
    fits::HeaderPlan plan;
    plan.flip = row.flip;
    plan.keepLines = lines;
    const fits::ComposedHeader header = fits::ComposeHeader(plan);
    EXPECT_EQ(header.bytes.substr(5 * 80, 80), Card(row.written)) << row.card;
    const bool turned = std::string_view(row.card) != row.written;
    EXPECT_EQ(std::count(header.logLines.begin(), header.logLines.end(),
                         "Warnung: ROWORDER für das gespiegelte Bild umgekehrt"),
              turned ? 1 : 0)
        << row.card;
  }
}

}  // namespace
