#include "fits/header_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>

#include "coords/number_text.h"
#include "fits_test_files.h"

namespace {

using fits::CoordinateBox;
using fits::ReadCode;
using fits_test::Card;
using fits_test::Header;

// Records what the reader asks of the window.
struct FakeWindow : fits::ReaderWindow {
  std::vector<std::string> log;
  std::vector<std::string> calls;  // in order
  std::string fields[4] = {"?", "?", "?", "?"};
  int room = 31;
  void SetFieldText(CoordinateBox box, const std::string& text) override {
    fields[static_cast<int>(box)] = text;
    calls.push_back("field " + std::to_string(static_cast<int>(box)) + " " + text);
  }
  void CheckWcs() override { calls.push_back("check"); }
  bool AddInstrument(const config::Instrument& row) override {
    calls.push_back("add " + row.name + " " + coords::FormatNumberText(row.cdelt1) +
                    coords::FormatNumberText(row.cdelt2) + coords::FormatNumberText(row.rotation));
    return room-- > 0;
  }
  void EnableWcsGroup() override { calls.push_back("enable"); }
  void DisableWcsGroup() override { calls.push_back("disable"); }
  void WriteLog(std::string_view line) override { log.emplace_back(line); }
  bool Logged(std::string_view line) const { return std::find(log.begin(), log.end(), line) != log.end(); }
};

constexpr const char* kSimple = "SIMPLE  =                    T / standard";
constexpr const char* kBitpix16 = "BITPIX  =                   16";
constexpr const char* kNaxis = "NAXIS   =                    2";
constexpr const char* kNaxis1 = "NAXIS1  =                    3";
constexpr const char* kNaxis2 = "NAXIS2  =                    2";

struct Read {
  fits::HeaderReadResult result;
  FakeWindow window;
  std::streamoff position = 0;
};

Read ReadText(const std::string& file, std::vector<std::string> removeKeys = {}, std::size_t keepRoom = 201,
              int instrumentRoom = 31) {
  std::istringstream input(file);
  Read read;
  read.window.room = instrumentRoom;
  read.result = fits::ReadHeader(input, removeKeys, keepRoom, read.window);
  read.position = input.tellg();
  return read;
}

// A 3 x 2 BITPIX 16 image with the given extra cards before END.
std::string Image(const std::vector<std::string_view>& extra, std::size_t dataBytes = 2880) {
  std::string header;
  for (std::string_view c : {kSimple, kBitpix16, kNaxis, kNaxis1, kNaxis2}) header += Card(c);
  for (std::string_view c : extra) header += Card(c);
  header += Card("END");
  header.resize(
      header.size() + static_cast<std::size_t>(fits::FillBytes(static_cast<std::int64_t>(header.size()))),
      ' ');
  return header + std::string(dataBytes, '\0');
}

TEST(ReadHeader, CountsCardsAndStopsAtTheFirstDataByte) {
  // END as the 10th card: 26 fill cards are read, not logged.
  Read read = ReadText(Image({"OBJECT  = 'M1'", "A       = 1", "B       = 2", "C       = 3"}));
  EXPECT_EQ(read.result.code, ReadCode::HeaderRead);
  EXPECT_EQ(read.result.headerCardCount, 36);
  EXPECT_EQ(read.position, 2880);
  EXPECT_EQ(read.window.log.size(), 10u);
  EXPECT_EQ(read.window.log.back(), "END");
  EXPECT_EQ(read.window.log[0], "SIMPLE  =                    T / standard");  // cut at the last non-blank

  // END as the 36th card: no fill.
  read = ReadText(Image(std::vector<std::string_view>(30, "HISTORY x")));
  EXPECT_EQ(read.result.headerCardCount, 36);
  EXPECT_EQ(read.result.keptCards.size(), 30u);
  EXPECT_EQ(read.position, 2880);

  // 40 cards: one warning after the 37th card's line; 32 fill cards.
  read = ReadText(Image(std::vector<std::string_view>(34, "HISTORY y")));
  EXPECT_EQ(read.result.code, ReadCode::LongHeader);
  EXPECT_FALSE(read.result.fatal);
  EXPECT_EQ(read.result.headerCardCount, 72);
  EXPECT_EQ(read.position, 5760);
  EXPECT_EQ(read.window.log[36], "HISTORY y");
  EXPECT_EQ(read.window.log[37], "Warnung: Fitsheader länger als 36 Zeilen");
}

TEST(ReadHeader, KeepsOtherCardsUnlessRemoved) {
  const std::string file =
      Image({"HISTORY one", "HIERARCH x", "", "simple  = T", "ENDE    = 1", "COMMENT c"});
  Read read = ReadText(file);
  ASSERT_EQ(read.result.keptCards.size(), 5u);
  EXPECT_EQ(read.result.keptCards[0], Card("HISTORY one"));  // all 80 bytes
  EXPECT_EQ(read.result.keptCards[2], Card("simple  = T"));  // keywords are case-sensitive
  EXPECT_EQ(read.result.keptCards[3], Card("ENDE    = 1"));  // END only with blanks in columns 4 to 8
  EXPECT_TRUE(read.window.Logged("Warnung:  Leerzeile im Fitsheader"));

  EXPECT_EQ(ReadText(file, {"HIST"}).result.keptCards.size(), 4u);
  EXPECT_EQ(ReadText(file, {"  HISTORY  "}).result.keptCards.size(), 4u);
  EXPECT_EQ(ReadText(file, {"HISTORYXX"}).result.keptCards.size(), 5u);  // longer than a keyword
  EXPECT_EQ(ReadText(file, {"HI", "COMMENT"}).result.keptCards.size(), 2u);
  EXPECT_EQ(ReadText(file, {"  "}).result.keptCards.size(), 0u);  // empty after trimming: every keyword

  // No room beyond the list: the surplus is counted and logged, never stored.
  read = ReadText(file, {}, 2);
  EXPECT_EQ(read.result.keptCards.size(), 2u);
  EXPECT_EQ(read.result.droppedCards, 3u);
  EXPECT_EQ(read.window.log.back().rfind("Warnung:", 0), 0u);
}

TEST(ReadHeader, StatusCodesAndTheirPrecedence) {
  struct Row {
    std::string file;
    ReadCode code;
    bool fatal;
  };
  std::string notSimpleFirst = Header({"SIMPLE  =                    F", "BITPIX  = 16", "END"});
  std::string notSimpleLater =
      Header({"BITPIX  = 16", "NAXIS1  = 3", "NAXIS2  = 2", "SIMPLE  = F", "END"}) + std::string(2880, '\0');
  std::vector<std::string_view> simple37Cards(31, "COMMENT x");
  simple37Cards.push_back("SIMPLE  = F");  // the 37th card, opening the second record
  const std::string notSimple37 = Image(simple37Cards);
  std::vector<std::string_view> cubeCards(40, "HISTORY h");
  cubeCards.front() = "NAXIS   = 3";
  const std::string longCube = Image(cubeCards);
  const Row rows[] = {
      {Image({}), ReadCode::HeaderRead, false},
      {Header({"SIMPLE  =                            T", kBitpix16, kNaxis, kNaxis1, kNaxis2, "END"}) +
           std::string(2880, '\0'),
       ReadCode::HeaderRead, false},  // T in column 38
      {notSimpleFirst, ReadCode::SizeImplausible, true},
      {notSimpleLater, ReadCode::NotSimple, true},
      {notSimple37, ReadCode::NotSimple, true},
      {Image({"NAXIS   = 3"}), ReadCode::AxesNotTwo, false},
      {longCube, ReadCode::AxesNotTwo, false},  // never usable, however long the header
      {Header({kSimple, kNaxis, kNaxis1, kNaxis2, "END"}), ReadCode::SizeImplausible, true},
      {Image({"NAXIS1  = 40000"}), ReadCode::SizeImplausible, true},
      {Image({"NAXIS2  = -5"}), ReadCode::SizeImplausible, true},
      {Image({"BITPIX  = 7"}), ReadCode::BitpixUnsupported, true},
      {Image({"BITPIX  = 99999"}), ReadCode::BitpixUnsupported, true},
      {Image({"BITPIX  = -64"}, 48), ReadCode::HeaderRead, false},
      {Image({"BITPIX  = 64"}, 47), ReadCode::DataIncomplete, true},
      {Image({}, 11), ReadCode::DataIncomplete, true},
      {Image({}, 12), ReadCode::HeaderRead, false},
      {Header({kSimple, kBitpix16}).substr(0, 160), ReadCode::HeaderIncomplete, true},
      {Header({kSimple, kBitpix16, kNaxis, kNaxis1, kNaxis2, "END"}).substr(0, 1000),
       ReadCode::HeaderIncomplete, true},
      {"", ReadCode::HeaderIncomplete, true},
      {std::string(100, '\x07'), ReadCode::HeaderIncomplete, true},
  };
  int index = 0;
  for (const Row& row : rows) {
    const Read read = ReadText(row.file);
    EXPECT_EQ(read.result.code, row.code) << "row " << index;
    EXPECT_EQ(read.result.fatal, row.fatal) << "row " << index;
    ++index;
  }

  const Read notSimple = ReadText(notSimpleFirst);
  EXPECT_TRUE(notSimple.window.Logged("Error: keine SIMLPE fitsdatei"));
  EXPECT_TRUE(notSimple.window.Logged("Error: Keywords BITPIX,NAXIS1,NAXIS2 fehlen"));
  EXPECT_TRUE(ReadText(longCube).window.Logged("Warnung: Number of axis <>2"));
  EXPECT_FALSE(
      ReadText(Image({"NAXIS1  = 40000"})).window.Logged("Error: Keywords BITPIX,NAXIS1,NAXIS2 fehlen"));
  EXPECT_EQ(ReadText(Image({"BITPIX  = 64"}, 48)).result.bitpix, 64);
}

TEST(ReadHeader, HugeHeaderEndsBeforeItsCountOverflows) {
  std::string file = Card(kSimple);
  while (file.size() < 32760 * 80 + 2880) file += Card("HISTORY endless");
  const Read read = ReadText(file);
  EXPECT_EQ(read.result.code, ReadCode::HeaderTooLong);
  EXPECT_TRUE(read.result.fatal);
}

TEST(ReadHeader, InputWithoutWcsGetsZeroPosition) {
  const Read read =
      ReadText(Image({"CRVAL1  = 83.63", "CRPIX1  = 512.5", "CRVAL2  = 22.01", "CRPIX2  = 513.5"}));
  EXPECT_FALSE(read.result.hasWcs);
  const std::vector<std::string>& calls = read.window.calls;
  // Zeroed first, then the cards, then zeroed again for want of WCS keywords.
  const std::vector<std::string> expected = {
      "field 0  0",
      "field 1  0",
      "field 2  0",
      "field 3  0",
      "field 0 " + coords::FormatNumberText(coords::ToSingle(83.63f / 15.0)),
      "field 1  512",
      "field 2  22.01",
      "field 3  514",
      "enable",
      "field 0  0",
      "field 1  0",
      "field 2  0",
      "field 3  0"};
  EXPECT_EQ(calls, expected);
}

TEST(ReadHeader, InputWithWcsBecomesAnInstrument) {
  Read read = ReadText(Image({"CTYPE1  = 'RA---TAN'", "CDELT1  = -0.000417", "CDELT2  = 0.000417",
                              "CROTA1  = 1.5", "CROTA2  = 2.5", "CRPIX1  = 99999"}));
  EXPECT_TRUE(read.result.hasWcs);
  EXPECT_EQ(read.result.crota1, 1.5f);
  EXPECT_EQ(read.result.crota2, 2.5f);
  const std::vector<std::string> tail(read.window.calls.end() - 3, read.window.calls.end());
  EXPECT_EQ(tail,
            (std::vector<std::string>{"check", "add -.000417/ .000417 -.000417 .000417 2.5", "disable"}));
  EXPECT_EQ(read.window.fields[1], " 0");  // CRPIX1 beyond 16 bits is not taken
  EXPECT_TRUE(read.window.Logged("Warnung: CRPIX1 passt nicht in 16 Bit, nicht übernommen: 99999"));

  read = ReadText(Image({"EQUINOX =               2000.0", "TELESCOP= 'C14'               / comment"}));
  EXPECT_EQ(read.result.telescope, "C14");
  EXPECT_EQ(read.window.calls[read.window.calls.size() - 2], "add C14  0 0 0");

  read = ReadText(Image({"RADESYS = 'FK5'"}), {}, 201, 0);  // instrument table full
  EXPECT_TRUE(read.result.instrumentDropped);
}

TEST(TelescopeValue, FitsStringOrColumnsTwelveToForty) {
  EXPECT_EQ(fits::TelescopeValue(Card("TELESCOP= 'C14'               / comment")), "C14");
  EXPECT_EQ(fits::TelescopeValue(Card("TELESCOP= 'O''Neil 12'")), "O'Neil 12");
  EXPECT_EQ(fits::TelescopeValue(Card("TELESCOP= '  Newton 8  '")), "Newton 8");
  EXPECT_EQ(fits::TelescopeValue(Card("TELESCOP= 'no closing quote")), "no closing quote");
  EXPECT_EQ(fits::TelescopeValue(Card("TELESCOP=  C14 plain")), "C14 plain");
  EXPECT_EQ(fits::TelescopeValue(Card("TELESCOP=  123456789012345678901234567890")),
            "12345678901234567890123456789");
}

TEST(ReadHeader, MatrixFormGivesScaleAndRotation) {
  // 30 degrees, 1 arc-second pixels, RA increasing to the left.
  const double s = 1.0 / 3600, c30 = std::cos(std::numbers::pi / 6), s30 = std::sin(std::numbers::pi / 6);
  auto value = [](double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%20.13E", v);
    return std::string(text);
  };
  const std::string cd11 = "CD1_1   = " + value(-s * c30), cd12 = "CD1_2   = " + value(-s * s30),
                    cd21 = "CD2_1   = " + value(-s * s30), cd22 = "CD2_2   = " + value(s * c30);
  Read read = ReadText(Image({"CTYPE1  = 'RA---TAN'", cd11, cd12, cd21, cd22}));
  EXPECT_FLOAT_EQ(read.result.cdelt1, static_cast<float>(-s));
  EXPECT_FLOAT_EQ(read.result.cdelt2, static_cast<float>(s));
  EXPECT_NEAR(read.result.crota2, 30.0, 1e-5);
  EXPECT_EQ(read.result.keptCards.size(), 4u);  // kept here; the composer decides

  // PC matrix with CDELT.
  read = ReadText(Image({"CTYPE1  = 'RA---TAN'", "CDELT1  = -0.001", "CDELT2  = 0.001", "PC1_1   = 0",
                         "PC1_2   = 1", "PC2_1   = -1", "PC2_2   = 0"}));
  EXPECT_NEAR(read.result.cdelt1, -0.001, 1e-9);
  EXPECT_NEAR(read.result.crota2, 90.0, 1e-5);

  // CD cards beside CDELT cards: the CDELT cards stand.
  read = ReadText(Image({"CTYPE1  = 'RA---TAN'", "CDELT1  = -0.002", "CDELT2  = 0.002", cd11}));
  EXPECT_EQ(read.result.cdelt1, -0.002f);
  EXPECT_EQ(read.result.crota2, 0.0f);
}

TEST(SkipBlanks, FindsTheValueColumn) {
  EXPECT_EQ(fits::SkipBlanks(Card("SIMPLE  =                    T"), 10), 30);
  EXPECT_EQ(fits::SkipBlanks(Card("SIMPLE  ="), 10), 80);
  EXPECT_EQ(fits::SkipBlanks(Card("SIMPLE  =T"), 10), 10);
}

}  // namespace
