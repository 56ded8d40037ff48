#include "app/read_ini_file.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/form1.h"

namespace {

namespace fs = std::filesystem;

class ReadIniFileTest : public testing::Test {
 protected:
  fs::path dir = fs::temp_directory_path() / ("velorin_app_ini_" + std::to_string(::getpid()));
  Form1 form;

  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
    form.shared.StartDirectory = dir.string();
    ASSERT_TRUE(form.logFile.Recreate(dir / "logfile.txt"));
  }
  void TearDown() override { fs::remove_all(dir); }

  void WriteIni(const std::string& text) { std::ofstream(dir / "velorin.ini", std::ios::binary) << text; }
  std::string Log() {
    std::ifstream file(dir / "logfile.txt", std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }
  // What the read workflow does before each load.
  void Load() {
    form.shared.KeepLineCount = 0;
    form.shared.RemoveKeyCount = 0;
    ReadIniFile(form.shared, form.Cb_instrume, form.logFile);
  }
};

TEST_F(ReadIniFileTest, FirstLoadBuildsTheListLaterLoadsOnlyTheLines) {
  WriteIni(
      "[instruments]\n'Refractor 80' 0.000417 0.000417 0\n'Reflector 200' 0.000139 0.000139 1.5\n"
      "[addheaderlines]\nFILTER  = 'R'\n[removeheaderlines]\nHISTORY\n[end]\n");
  Load();
  EXPECT_FALSE(form.shared.InstrumentsPending);
  EXPECT_EQ(form.shared.InstrumentCount, 2);
  ASSERT_EQ(form.Cb_instrume->count(), 2);
  EXPECT_EQ(form.Cb_instrume->itemText(1), "Reflector 200");
  EXPECT_EQ(form.SelectedInstrumentRow(), 0);
  EXPECT_EQ(form.shared.InstrumentTable[1].rotation, 1.5f);
  EXPECT_EQ(form.shared.KeepLineCount, 1);
  EXPECT_EQ(form.shared.RemoveKeys[0], "HISTORY");

  WriteIni("[instruments]\n'Other' 1 1 0\n[addheaderlines]\nA\nB\n[end]\n");
  Load();
  EXPECT_EQ(form.shared.InstrumentCount, 2);
  EXPECT_EQ(form.Cb_instrume->count(), 2);
  EXPECT_EQ(form.shared.KeepLineCount, 2);
  EXPECT_EQ(form.shared.KeepLines[1], "B");
  EXPECT_EQ(form.shared.RemoveKeyCount, 0);
}

TEST_F(ReadIniFileTest, MissingFileLogsOnceAndKeepsTheListPending) {
  Load();
  EXPECT_TRUE(form.shared.InstrumentsPending);
  EXPECT_EQ(form.Cb_instrume->count(), 0);
  const std::string log = Log();
  EXPECT_EQ(log.rfind("Warnung:", 0), 0u);
  EXPECT_EQ(log.find("\r\n"), log.size() - 2);  // one line, CR LF

  std::filesystem::create_directory(dir / "velorin.ini");  // a directory in its place
  Load();
  EXPECT_TRUE(form.shared.InstrumentsPending);

  std::filesystem::remove(dir / "velorin.ini");
  WriteIni("[instruments]\n'A' 1 1 0\n[end]\n");  // there on the next read
  Load();
  EXPECT_EQ(form.Cb_instrume->count(), 1);
}

TEST_F(ReadIniFileTest, NoInstrumentLeavesTheListUnselected) {
  WriteIni("[addheaderlines]\nX\n[end]\n");
  Load();
  EXPECT_EQ(form.Cb_instrume->count(), 0);
  EXPECT_EQ(form.SelectedInstrumentRow(), -1);
  EXPECT_FALSE(form.shared.InstrumentsPending);
}

TEST_F(ReadIniFileTest, TableNeverOverflowsItsThirtyOneRows) {
  form.shared.InstrumentCount = 5;  // rows already taken over the run
  std::string text = "[instruments]\n";
  for (int i = 0; i < 40; ++i) text += "'I" + std::to_string(i) + "' 1 1 0\n";
  WriteIni(text + "[end]\n");
  Load();
  EXPECT_EQ(form.shared.InstrumentCount, 31);
  EXPECT_EQ(form.shared.InstrumentTable[30].name, "I25");
  EXPECT_NE(Log().find("Warnung: zu viele Instrumente"), std::string::npos);
}

TEST_F(ReadIniFileTest, NamesKeepTheirBytesAndShowReadably) {
  WriteIni(
      "[instruments]\n'Sch\xC3\xBC"
      "ler 1' 1 1 0\n'M\xFC"
      "ller 2' 1 1 0\n[end]\n");
  Load();
  EXPECT_EQ(form.shared.InstrumentTable[0].name, "Sch\xC3\xBCler 1");
  EXPECT_EQ(form.shared.InstrumentTable[1].name, "M\xFCller 2");
  EXPECT_EQ(form.Cb_instrume->itemText(0), QString::fromUtf8("Schüler 1"));
  EXPECT_EQ(form.Cb_instrume->itemText(1), QString::fromUtf8("Müller 2"));  // Latin-1 fallback
}

TEST_F(ReadIniFileTest, LogLinesAreUtf8WithCrLf) {
  WriteIni("[bogus]\n");
  Load();
  EXPECT_EQ(Log(), "Unbekanntes Schl\xC3\xBCsselwort im ini-file[bogus]\r\n");
}

}  // namespace
