// Input headers through the reader, with a window that records what it is asked.
#include "fits/header_reader.h"

#include <cmath>

#include "coords/number_text.h"
#include "fits/card_text.h"
#include "fits_test_files.h"

using fits::ReadCode;
using namespace fits_test;

struct Read : fits::ReaderWindow {
  fits::HeaderReadResult result;
  std::vector<std::string> log, calls;  // calls in order
  int room = 31;
  Read(const std::string& file, std::vector<std::string> removeKeys = {}, int room = 31) : room(room) {
    std::istringstream input(file);
    result = fits::ReadHeader(input, removeKeys, *this);
  }
  void SetFieldText(fits::CoordinateBox box, const std::string& text) override {
    calls.push_back("field " + std::to_string(static_cast<int>(box)) + " " + text);
  }
  void CheckWcs() override { calls.push_back("check"); }
  bool AddInstrument(const config::Instrument& row) override {
    calls.push_back("add " + row.name + " " + coords::FormatNumberText(row.cdelt1) +
                    coords::FormatNumberText(row.cdelt2) + coords::FormatNumberText(row.rotation) +
                    (row.namesTelescope ? "" : " unnamed"));
    return room-- > 0;
  }
  void EnableWcsGroup() override { calls.push_back("enable"); }
  void DisableWcsGroup() override { calls.push_back("disable"); }
  void WriteLog(std::string_view line) override { log.emplace_back(line); }
  bool Logged(std::string_view line) const { return std::find(log.begin(), log.end(), line) != log.end(); }
};

constexpr const char* kSimple = "SIMPLE  =                    T / standard";
const std::string kAxes = Card("BITPIX  =                   16") + Card("NAXIS   =                    2") +
                          Card("NAXIS1  =                    3") + Card("NAXIS2  =                    2");

// A 3 x 2 BITPIX 16 image with the given extra cards before END.
static std::string Image(const std::vector<std::string_view>& extra, std::size_t dataBytes = 2880,
                         std::string header = Card(kSimple) + kAxes) {
  for (std::string_view c : extra) header += Card(c);
  header += Card("END");
  return header.append(fits::FillBytes(std::int64_t(header.size())), ' ') + std::string(dataBytes, '\0');
}

TEST(ReadHeader, KeepsOtherCardsUnlessRemoved) {
  // Keywords are case-sensitive; END only with blanks in columns 4 to 8.
  const std::string file =
      Image({"HISTORY one", "HIERARCH x", "", "simple  = T", "ENDE    = 1", "COMMENT c"});
  const Read read(file);
  EXPECT_EQ(read.result.keptCards,
            (std::vector<std::string>{Card("HISTORY one"), Card("HIERARCH x"), Card("simple  = T"),
                                      Card("ENDE    = 1"), Card("COMMENT c")}));
  // A key longer than a keyword removes nothing; one empty after trimming removes every card.
  const std::pair<std::vector<std::string>, std::size_t> rows[] = {
      {{"HIST"}, 4}, {{"  HISTORY  "}, 4}, {{"HISTORYXX"}, 5}, {{"HI", "COMMENT"}, 2}, {{"  "}, 0}};
  for (const auto& [keys, kept] : rows) EXPECT_EQ(Read(file, keys).result.keptCards.size(), kept) << keys[0];
}

TEST(ReadHeader, StatusCodesAndTheirPrecedence) {
  const std::string notSimple = Header("SIMPLE  =                    F|BITPIX  = 16|END");
  std::vector<std::string_view> cube(40, "HISTORY h"), simple37(31, "COMMENT x");
  cube.front() = "NAXIS   = 3";
  simple37.push_back("SIMPLE  = F");  // the 37th card, opening the second record
  const std::string full = Image({}, 0);
  using enum ReadCode;
  // clang-format off
  const std::tuple<std::string, ReadCode, bool> rows[] = {
      {Image({}), HeaderRead, false},  {Image({}, 2880, Card("SIMPLE  =                            T") + kAxes), HeaderRead, false},
      {notSimple, SizeImplausible, true}, {Image({"SIMPLE  = F"}, 2880, kAxes), NotSimple, true},
      {Image(simple37), NotSimple, true}, {Image({"NAXIS   = 3"}), AxesNotTwo, false},
      {Image(cube), AxesNotTwo, false},  // never usable, however long the header
      {Image({}, 0, Card(kSimple) + kAxes.substr(80)), SizeImplausible, true},
      {Image({"NAXIS1  = 40000"}), SizeImplausible, true}, {Image({"NAXIS2  = -5"}), SizeImplausible, true},
      {Image({"BITPIX  = 7"}), BitpixUnsupported, true},   {Image({"BITPIX  = 99999"}), BitpixUnsupported, true},
      {Image({"BITPIX  = -64"}, 48), HeaderRead, false},   {Image({"BITPIX  = 64"}, 47), DataIncomplete, true},
      {Image({}, 11), DataIncomplete, true},               {Image({}, 12), HeaderRead, false},
      {full.substr(0, 160), HeaderIncomplete, true},       {full.substr(0, 1000), HeaderIncomplete, true},
      {"", HeaderIncomplete, true},                        {std::string(100, '\x07'), HeaderIncomplete, true}};
  // clang-format on
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const Read read(std::get<0>(rows[i]));
    EXPECT_EQ(std::pair(read.result.code, read.result.fatal),
              std::pair(std::get<1>(rows[i]), std::get<2>(rows[i])))
        << "row " << i;
  }
  EXPECT_TRUE(Read(notSimple).Logged("Error: keine SIMLPE fitsdatei") &&
              Read(notSimple).Logged("Error: Keywords BITPIX,NAXIS1,NAXIS2 fehlen"));
  EXPECT_FALSE(Read(Image({"NAXIS1  = 40000"})).Logged("Error: Keywords BITPIX,NAXIS1,NAXIS2 fehlen"));
  EXPECT_TRUE(Read(Image({"NAXIS1  = 40000"}, 0, Card(kSimple) + kAxes.substr(0, 160)))
                  .Logged("Error: Keywords BITPIX,NAXIS1,NAXIS2 fehlen"));  // NAXIS2 missing beside it
  EXPECT_TRUE(Read(Image(cube)).Logged("Warnung: Number of axis <>2"));
  EXPECT_EQ(Read(Image({"BITPIX  = 64"}, 48)).result.bitpix, 64);
  std::string huge = Card(kSimple);  // ends before its card count overflows
  while (huge.size() < 32760 * 80 + 2880) huge += Card("HISTORY endless");
  EXPECT_EQ(Read(huge).result.code, HeaderTooLong);
}

TEST(ReadHeader, PositionShownAndOwnWcsBecomesAnInstrument) {
  // Zeroed first, then the cards, then zeroed again for want of WCS keywords.
  Read read(Image({"CRVAL1  = 83.63", "CRPIX1  = 512.5", "CRVAL2  = 22.01", "CRPIX2  = 513.5"}));
  const std::string zero = "field 0  0|field 1  0|field 2  0|field 3  0|";
  std::string calls;
  for (const std::string& call : read.calls) calls += call + "|";
  EXPECT_EQ(calls, zero + "field 0  5.575333|field 1  512|field 2  22.01|field 3  514|enable|" + zero);
  // A WCS Velorin carries: checked, its scale a row named after it, the group locked.
  std::vector<std::string_view> tan = {
      "CTYPE1  = 'RA---TAN'", "CTYPE2  = 'DEC--TAN'", "CRVAL1  = 1",        "CRVAL2  = 2",   "CRPIX1  = 3",
      "CRPIX2  = 4",          "CDELT1  = -0.000417",  "CDELT2  = 0.000417", "CROTA1  = 1.5", "CROTA2  = 2.5"};
  read = Read(Image(tan));
  EXPECT_TRUE(read.result.hasWcs && read.result.crota1 == 1.5f);
  EXPECT_EQ(
      std::vector(read.calls.end() - 3, read.calls.end()),
      (std::vector<std::string>{"check", "add -.000417/ .000417 -.000417 .000417 2.5 unnamed", "disable"}));
  tan[4] = "CRPIX1  =                9.99990000000000E+04";  // beyond 16 bits: neither the field nor the WCS
  read = Read(Image(tan));                                   // takes it; the log quotes it whole
  EXPECT_TRUE(!read.result.hasWcs &&
              read.Logged("Warnung: CRPIX1 passt nicht in 16 Bit, nicht übernommen: 9.99990000000000E+04") &&
              read.Logged("Warnung: WCS der Datei nicht übernommen: CRVAL1/2 oder CRPIX1/2 fehlen"));
  tan[4] = "TELESCOP= 'C14'               / comment";
  tan.push_back("CRPIX1  = 3");
  read = Read(Image(tan));
  EXPECT_EQ(read.result.telescope + "|" + read.calls.end()[-2], "C14|add C14 -.000417 .000417 2.5");
  EXPECT_TRUE(Read(Image(tan), {}, 0).result.instrumentDropped);  // table full
  // clang-format off
  const std::pair<const char*, const char*> names[] = {{"TELESCOP= 'O''Neil 12'", "O'Neil 12"},
      {"TELESCOP= '  Newton 8  '", "Newton 8"}, {"TELESCOP= 'no closing quote", "no closing quote"},
      {"TELESCOP=  C14 plain", "C14 plain"}, {"TELESCOP=  123456789012345678901234567890", "12345678901234567890123456789"}};
  // clang-format on
  for (const auto& [card, name] : names) EXPECT_EQ(fits::TelescopeValue(Card(card)), name) << card;
}

TEST(ReadHeader, MatrixFormGivesScaleAndRotation) {
  // A rotated CD matrix is the window's save test, judged by astropy. PC cards scale by CDELT; CD cards
  // beside CDELT cards: the CDELT cards stand. CDELT2 negative (a flipped image): the same matrix with
  // CDELT2 positive, turned by 180.
  // clang-format off
  const std::tuple<std::vector<std::string_view>, float, float, float> rows[] = {
      {{"CDELT1  = -0.001", "CDELT2  = 0.001", "PC1_1   = 0", "PC1_2   = 1", "PC2_1   = -1", "PC2_2   = 0"}, -0.001f, 0.001f, 90},
      {{"CDELT1  = -0.002", "CDELT2  = 0.002", "CD1_1   = -2.4056261216234E-04"}, -0.002f, 0.002f, 0},
      {{"CD1_1   = 0.001", "CD2_2   = -0.001", "CD3_1   = 1"}, -0.001f, 0.001f, 180},
      // As cfitsio writes them: 16 digits, past column 31.
      {{"CD1_1   = -2.777777777777778E-04 / deg", "CD2_2   =         2.777777777777778E-04"}, -2.777778e-4f, 2.777778e-4f, 0}};
  // clang-format on
  for (auto [cards, cdelt1, cdelt2, crota2] : rows) {
    cards.insert(cards.begin(), {"CTYPE1  = 'RA---TAN'", "CTYPE2  = 'DEC--TAN'", "CRVAL1  = 1", "CRVAL2  = 2",
                                 "CRPIX1  = 3", "CRPIX2  = 4"});
    const Read read(Image(cards));
    EXPECT_FLOAT_EQ(read.result.cdelt1, cdelt1) << cards[6];
    EXPECT_FLOAT_EQ(read.result.cdelt2, cdelt2) << cards[6];
    EXPECT_NEAR(std::fabs(read.result.crota2), crota2, 1e-4) << cards[6];
  }
}

TEST(ReadHeader, OnlyATanWcsForEquinox2000IsTakenNoOtherRelabelled) {
  // Headers as a capture program, archives and a plate solver write them; other forms are the corpus test's.
  const std::vector<std::string_view> capture = {"EQUINOX =               2000.0 / Equinox",
                                                 "OBJCTRA = '06 08 54.00'", "FOCALLEN=                 530."};
  const std::vector<std::string_view> sip = {
      "CTYPE1  = 'RA---TAN-SIP'", "CTYPE2  = 'DEC--TAN-SIP'", "EQUINOX = 2000.0", "RADESYS = 'ICRS    '",
      "CRVAL1  = 92.2",           "CRVAL2  = 24.3",           "CRPIX1  = 100",    "CRPIX2  = 75",
      "CDELT1  = -0.0004",        "CDELT2  = 0.0004",         "PC1_1   = 1",      "WCSAXES = 2",
      "CUNIT1  = 'deg     '",     "LONPOLE = 180.0",          "A_ORDER = 2",      "A_0_2   = 1.2E-06"};
  auto with = [](std::vector<std::string_view> cards, std::size_t i, std::string_view card) {
    cards[i] = card;
    return cards;
  };
  const std::pair<std::vector<std::string_view>, std::string> rows[] = {
      {with(capture, 1, "CTYPE1  = 'RA---TAN'"), "CTYPE1/CTYPE2 fehlen"},
      {with(with(sip, 0, "CTYPE1  = 'PIXEL'"), 1, "CTYPE2  = 'PIXEL'"),
       "CTYPE1 'PIXEL', CTYPE2 'PIXEL', nur 'RA---TAN'/'DEC--TAN'"},
      {with(sip, 2, "EQUINOX = 1950.0"), "EQUINOX 1950.0, nur 2000"},
      {with(sip, 2, "EQUINOX =                  1.950000000000000E+03"),
       "EQUINOX 1.950000000000000E+03, nur 2000"},
      {with(sip, 2, "EQUINOX = 2.000000000000000E+03 / cfitsio"), ""},
      {with(sip, 3, "RADESYS = 'FK4'"), "RADESYS 'FK4', nur FK5 oder ICRS"},
      {{sip.begin(), sip.begin() + 8}, "keine Skala (CDELT1/2 oder CD-Matrix)"},
      {sip, ""},
      {with(with(sip, 8, "CD1_1   = -0.0004"), 9, "CD2_2   = 0.0004"), ""}};
  for (const auto& [cards, reason] : rows) {
    const Read read(Image(cards));  // the group locked, or open at 0
    EXPECT_EQ(read.calls.back() + (read.result.hasWcs ? " wcs" : ""),
              reason.empty() ? "disable wcs" : "field 3  0")
        << reason;
    if (reason.empty()) continue;
    EXPECT_TRUE(read.Logged("Warnung: WCS der Datei nicht übernommen: " + reason)) << reason;
    std::vector<std::string> asRead;  // carried card for card, never relabelled
    for (std::string_view card : cards) asRead.push_back(Card(card));
    EXPECT_EQ(read.result.keptCards, asRead) << reason;
  }
  // A capture program's EQUINOX alone is no WCS, and no warning.
  EXPECT_FALSE(Read(Image(capture)).Logged("Warnung: WCS der Datei nicht übernommen: CTYPE1/CTYPE2 fehlen"));
}

TEST(ValueField, ColumnsElevenToTheSlashOutsideAString) {
  const std::pair<const char*, const char*> rows[] = {
      {"CD1_1   = -2.777777777777778E-04", "-2.777777777777778E-04"},
      {"CDELT1  =               1.5D-3     / blanks before", "              1.5D-3"},
      {"OBJECT  = 'M 35 / NGC 2168' / the cluster", "'M 35 / NGC 2168'"},
      {"OBSERVER= 'O''Neil / Smith'/", "'O''Neil / Smith'"},
      {"KEY     =", ""}};
  for (const auto& [card, field] : rows)
    EXPECT_EQ(fits::TrimTrailingBlanks(fits::ValueField(Card(card))), field) << card;
}
