#include "config/ini_reader.h"

#include <gtest/gtest.h>

namespace {

using config::IniContents;
using config::IniRoom;
using config::ParseIni;

constexpr IniRoom kRoom{201, 201, 31};

constexpr const char* kSample =
    "[instruments]\r\n"
    "'Refractor 80 + Camera A' 0.000417 0.000417 0\r\n"
    "'Reflector 200 + Camera B' 0.000139 0.000139 1.5\r\n"
    "[addheaderlines]\r\n"
    "FILTER  = 'R       '           / filter used\r\n"
    "[removeheaderlines]\r\n"
    "HISTORY\r\n"
    "[end]\r\n";

TEST(ParseIni, SampleFileFillsAllThreeLists) {
  const IniContents ini = ParseIni(kSample, true, kRoom);
  ASSERT_EQ(ini.instruments.size(), 2u);
  EXPECT_EQ(ini.instruments[0].name, "Refractor 80 + Camera A");
  EXPECT_EQ(ini.instruments[0].cdelt1, 0.000417f);
  EXPECT_EQ(ini.instruments[0].cdelt2, 0.000417f);
  EXPECT_EQ(ini.instruments[0].rotation, 0.0f);
  EXPECT_EQ(ini.instruments[1].name, "Reflector 200 + Camera B");
  EXPECT_EQ(ini.instruments[1].cdelt1, 0.000139f);
  EXPECT_EQ(ini.instruments[1].rotation, 1.5f);
  EXPECT_EQ(ini.addedLines, std::vector<std::string>{"FILTER  = 'R       '           / filter used"});
  EXPECT_EQ(ini.removeKeys, std::vector<std::string>{"HISTORY"});
  EXPECT_TRUE(ini.logLines.empty());
}

TEST(ParseIni, ItemsSplitAtCommasAndQuotes) {
  const IniContents ini =
      ParseIni("[addheaderlines]\nOBSERVER= 'A', x\n\"COMMENT a, b\" dropped\n,,\n   \n[end]\n", true, kRoom);
  EXPECT_EQ(ini.addedLines, (std::vector<std::string>{"OBSERVER= 'A'", "x", "COMMENT a, b"}));
}

TEST(ParseIni, SectionsInAnyOrderAndRepeated) {
  const IniContents ini = ParseIni(
      "[removeheaderlines]\nA\n[instruments]\n'X' 1 2 3\n[addheaderlines]\nL1\n[removeheaderlines]\nB\n"
      "[addheaderlines]\nL2\n[end]\nignored\n",
      true, kRoom);
  EXPECT_EQ(ini.removeKeys, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(ini.addedLines, (std::vector<std::string>{"L1", "L2"}));
  ASSERT_EQ(ini.instruments.size(), 1u);
  EXPECT_EQ(ini.instruments[0].rotation, 3.0f);
}

TEST(ParseIni, UnknownHeaderStopsReadingWithLogLine) {
  IniContents ini = ParseIni("FILTER\n[instruments]\n'A' 1 2 0\n[end]\n", true, kRoom);
  EXPECT_EQ(ini.logLines, std::vector<std::string>{"Unbekanntes Schlüsselwort im ini-file"
                                                   "FILTER"});
  EXPECT_TRUE(ini.instruments.empty());

  // Headers are case-sensitive; what came before stays.
  ini = ParseIni("[instruments]\n'A' 1 2 0\n[AddHeaderLines]\nX\n[end]\n", true, kRoom);
  EXPECT_EQ(ini.instruments.size(), 1u);
  EXPECT_TRUE(ini.addedLines.empty());
  EXPECT_EQ(ini.logLines, std::vector<std::string>{"Unbekanntes Schlüsselwort im ini-file[AddHeaderLines]"});
}

TEST(ParseIni, MissingEndKeepsWhatWasRead) {
  const IniContents ini = ParseIni("[instruments]\n'A' 1 2 0\n[addheaderlines]\nX", true, kRoom);
  EXPECT_EQ(ini.instruments.size(), 1u);
  EXPECT_EQ(ini.addedLines, std::vector<std::string>{"X"});
  ASSERT_EQ(ini.logLines.size(), 1u);
  EXPECT_EQ(ini.logLines[0].rfind("Warnung:", 0), 0u);
}

TEST(ParseIni, SurplusIsDroppedWithOneLogLinePerList) {
  std::string text = "[instruments]\n";
  for (int i = 0; i < 40; ++i) text += "'I" + std::to_string(i) + "' 1 1 0\n";
  text += "[addheaderlines]\n";
  for (int i = 0; i < 500; ++i) text += "LINE" + std::to_string(i) + "\n";
  text += "[removeheaderlines]\n";
  for (int i = 0; i < 300; ++i) text += "K" + std::to_string(i) + "\n";
  text += "[end]\n";
  const IniContents ini = ParseIni(text, true, IniRoom{201, 201, 29});
  EXPECT_EQ(ini.instruments.size(), 29u);
  EXPECT_EQ(ini.instruments.back().name, "I28");
  EXPECT_EQ(ini.addedLines.size(), 201u);
  EXPECT_EQ(ini.addedLines.back(), "LINE200");
  EXPECT_EQ(ini.removeKeys.size(), 201u);
  EXPECT_EQ(ini.logLines.size(), 3u);
  for (const std::string& line : ini.logLines) EXPECT_EQ(line.rfind("Warnung:", 0), 0u) << line;
}

TEST(ParseInstrumentLine, BlanksDecideWhereTheNumbersAre) {
  config::Instrument instrument;
  ASSERT_TRUE(config::ParseInstrumentLine("'A' 1 2 0", instrument));
  EXPECT_EQ(instrument.name, "A");
  EXPECT_EQ(instrument.cdelt1, 1.0f);
  EXPECT_EQ(instrument.cdelt2, 2.0f);
  EXPECT_EQ(instrument.rotation, 0.0f);

  ASSERT_TRUE(config::ParseInstrumentLine("'B' 0.5  0.25 1", instrument));  // two blanks between the numbers
  EXPECT_EQ(instrument.cdelt1, 0.5f);
  EXPECT_EQ(instrument.cdelt2, 0.25f);
  EXPECT_EQ(instrument.rotation, 1.0f);

  ASSERT_TRUE(config::ParseInstrumentLine("'C'  0.5 0.25 1", instrument));  // two blanks after the quote
  EXPECT_EQ(instrument.cdelt1, 0.0f);

  EXPECT_FALSE(config::ParseInstrumentLine("'no closing quote 1 2 3", instrument));
  EXPECT_FALSE(config::ParseInstrumentLine("'D' 1", instrument));
}

TEST(ParseIni, MalformedInstrumentLineIsSkippedWithLogLine) {
  const IniContents ini = ParseIni("[instruments]\n'broken 1 2 3\n'ok' 1 2 3\n[end]\n", true, kRoom);
  ASSERT_EQ(ini.instruments.size(), 1u);
  EXPECT_EQ(ini.instruments[0].name, "ok");
  ASSERT_EQ(ini.logLines.size(), 1u);
  EXPECT_EQ(ini.logLines[0].rfind("Warnung:", 0), 0u);
}

}  // namespace
