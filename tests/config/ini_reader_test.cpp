// velorin.ini texts and what the reader takes from them, each list written
// out as one text so that a row shows everything that was read.
#include "config/ini_reader.h"

#include <gtest/gtest.h>

#include "coords/number_text.h"

using config::IniContents;
using config::ParseIni;

static std::string Describe(const IniContents& ini) {
  std::string text;
  for (const config::Instrument& i : ini.instruments)
    text += "I:" + i.name + coords::FormatNumberText(i.cdelt1) + coords::FormatNumberText(i.cdelt2) +
            coords::FormatNumberText(i.rotation) + "\n";
  for (const std::string& line : ini.addedLines) text += "A:" + line + "\n";
  for (const std::string& key : ini.removeKeys) text += "R:" + key + "\n";
  if (ini.checkTolerance) text += "T:" + coords::FormatNumberText(float(*ini.checkTolerance)) + "\n";
  for (const std::string& line : ini.logLines) text += "L:" + line + "\n";
  return text;
}

TEST(ParseIni, SectionsItemsLogLinesAndSurplus) {
  const std::pair<const char*, const char*> rows[] = {
      {"[instruments]\r\n'Refractor 80 + Camera A' 0.000417 0.000417 0\r\n'Reflector 200' 0.000139 -1 1.5\r\n"
       "[addheaderlines]\r\nFILTER  = 'R       '           / filter "
       "used\r\n[removeheaderlines]\r\nHISTORY\r\n"
       "[end]\r\n",
       "I:Refractor 80 + Camera A .000417 .000417 0\nI:Reflector 200 .000139-1 1.5\n"
       "A:FILTER  = 'R       '           / filter used\nR:HISTORY\n"},
      // Items split at commas; a double-quoted item keeps its commas, the rest of its line is dropped.
      {"[addheaderlines]\nOBSERVER= 'A', x\n\"COMMENT a, b\" dropped\n,,\n   \n[end]\n",
       "A:OBSERVER= 'A'\nA:x\nA:COMMENT a, b\n"},
      {"[removeheaderlines]\nA\n[instruments]\n'X' 1 2 3\n[addheaderlines]\nL1\n[removeheaderlines]\nB\n"
       "[addheaderlines]\nL2\n[end]\nignored\n",
       "I:X 1 2 3\nA:L1\nA:L2\nR:A\nR:B\n"},
      // Headers are case-sensitive; an unknown one stops reading, what came before stays.
      {"FILTER\n[instruments]\n'A' 1 2 0\n[end]\n", "L:Unbekanntes Schlüsselwort im ini-fileFILTER\n"},
      {"[instruments]\n'A' 1 2 0\n[AddHeaderLines]\nX\n[end]\n",
       "I:A 1 2 0\nL:Unbekanntes Schlüsselwort im ini-file[AddHeaderLines]\n"},
      {"[instruments]\n'A' 1 2 0\n[addheaderlines]\nX",
       "I:A 1 2 0\nA:X\nL:Warnung: ini-file endet ohne [end]\n"},
      {"", "L:Warnung: ini-file ist leer\n"},
      // The check's tolerance in pixels: the last good number counts.
      {"[checktolerance]\n1.5\n0\nzwei\n[end]\n",
       "T: 1.5\nL:Warnung: fehlerhafte Toleranz im ini-file übergangen: 0\n"
       "L:Warnung: fehlerhafte Toleranz im ini-file übergangen: zwei\n"},
      // Blanks decide where the numbers are: one after the quote, one between the numbers.
      {"[instruments]\n'B' 0.5  0.25 1\n'C'  0.5 0.25 1\n'broken 1 2 3\n'D' 1\n'ok' 1 2 3\n[end]\n",
       "I:B .5 .25 1\nI:C 0 .5 .251\nI:ok 1 2 3\n"
       "L:Warnung: fehlerhafte Instrumentenzeile im ini-file übergangen: 'broken 1 2 3\n"
       "L:Warnung: fehlerhafte Instrumentenzeile im ini-file übergangen: 'D' 1\n"}};
  for (const auto& [text, expected] : rows)
    EXPECT_EQ(Describe(ParseIni(text, true, {201, 201, 31})), expected) << text;
  // The surplus of each list is dropped, with one log line per list.
  std::string text = "[instruments]\n";
  for (int i = 0; i < 40; ++i) text += "'I" + std::to_string(i) + "' 1 1 0\n";
  text += "[addheaderlines]\n";
  for (int i = 0; i < 500; ++i) text += "LINE" + std::to_string(i) + "\n";
  text += "[removeheaderlines]\n";
  for (int i = 0; i < 300; ++i) text += "K" + std::to_string(i) + "\n";
  const IniContents ini = ParseIni(text + "[end]\n", true, {201, 201, 29});
  EXPECT_EQ(std::to_string(ini.instruments.size()) + ini.instruments.back().name +
                std::to_string(ini.addedLines.size()) + ini.addedLines.back() +
                std::to_string(ini.removeKeys.size()),
            "29I28201LINE200201");
  EXPECT_EQ(ini.logLines,
            (std::vector<std::string>{
                "Warnung: zu viele Instrumente im ini-file, Rest ignoriert",
                "Warnung: zu viele Einträge in [addheaderlines] im ini-file, Rest ignoriert",
                "Warnung: zu viele Einträge in [removeheaderlines] im ini-file, Rest ignoriert"}));
}
