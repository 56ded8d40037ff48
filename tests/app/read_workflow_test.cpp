// Reading a file through the window: what it shows, what it logs, what it
// takes from velorin.ini, and what a failed or cancelled read leaves.
#include <cerrno>
#include <cstring>

#include "config/ini_reader.h"
#include "window_fixture.h"

class ReadWorkflow : public app_test::WindowTest {
 protected:
  // Writes velorin.ini (unless empty) and reads a plain file, which loads it.
  void LoadIni(const std::string& text) {
    if (!text.empty()) Write("velorin.ini", text);
    Write("plain.fit", fits_test::MakeFits(1, 1));
    form->ReadFile(Path("plain.fit"));
  }
  bool Logged(const std::string& line) { return Log().find(line + "\r\n") != std::string::npos; }
};

static const std::string kPlain = fits_test::MakeFits(3, 2, {"OBJECT  = 'M 35'", "SWCREATE= 'Capture'", ""});
static const std::string kWcs =
    fits_test::MakeFits(3, 2,
                        {"CTYPE1  = 'RA---TAN'", "CTYPE2  = 'DEC--TAN'", "CRVAL1  = 83.6331",
                         "CRVAL2  = -5.39111", "CRPIX1  = 2.0", "CRPIX2  = 1.5", "CDELT1  = -0.0002",
                         "CDELT2  = 0.0002", "TELESCOP= 'C14'               / Celestron"});

TEST_F(ReadWorkflow, PlainFileFillsWindowAndLog) {
  Write("m35.fit", kPlain);
  ReadFile(Path("m35.fit"));
  // Added lines come first; the input stays open at the first data byte.
  EXPECT_EQ(Status() + "|" + State() + form->windowTitle().toStdString() + "|" +
                std::to_string(form->shared.KeepLineCount) + form->shared.KeepLines[0] + "|" +
                form->shared.KeepLines[1] + std::to_string(form->Cb_instrume->count()) + " " +
                std::to_string(form->inputFile.tellg()) + "|" + asked,
            "Fitsfileheader gelesen|v+ v+ v+ v+ v+x v+ | h+ | v+ VELORIN: ..." +
                Path("m35.fit").substr(Path("m35.fit").size() - 30) + "|2OBSERVER= 'Velorin'|" +
                Card("OBJECT  = 'M 35'") +
                "2 2880|fits-File zum lesen auswählen|Fits-Bilddateien (*.fit)|*.fit|");
  EXPECT_EQ(Log(),
            "**** FITS-fileheader von Input-Datei " + Path("m35.fit") +
                " ****\r\nSIMPLE  =                    T\r\nBITPIX  =                   16\r\n"
                "NAXIS   =                    2\r\nNAXIS1  =                    3\r\nNAXIS2  =               "
                "     2\r\n"
                "OBJECT  = 'M 35'\r\nSWCREATE= 'Capture'\r\nWarnung:  Leerzeile im Fitsheader\r\nEND\r\n"
                "**** Ende des FITS-fileheaders der Input-Datei ****\r\n");
  form->ob_flipNS->setChecked(true);  // a cancelled dialog leaves everything as it was
  const std::string before = State() + Log() + form->windowTitle().toStdString();
  ReadFile("");
  EXPECT_EQ(State() + Log() + form->windowTitle().toStdString(), before);
  EXPECT_TRUE(form->shared.FlipNorthSouth && form->inputFile.is_open());
}

TEST_F(ReadWorkflow, FileWithWcsShowsItsPositionAndBecomesAnInstrument) {
  Write("orion.fit", kWcs);
  ReadFile(Path("orion.fit"));
  std::string fields;  // in the order of the window
  for (QLineEdit* f : {form->tb_r_HH, form->tb_r_MM, form->tb_r_SS, form->tb_r, form->tb_d_dg, form->tb_d_MM,
                       form->tb_d, form->tb_x, form->tb_y})
    fields += f->text().toStdString() + "|";
  EXPECT_EQ(State() + fields,
            "v+ v+ v+x v+ v+x v+ | v- | h+  5| 34| 31.9| 5.57554|-5| 23|-5.39111| 2| 2|");  // 1.5 to even
  // The values come from the field texts, not from the cards.
  EXPECT_TRUE(form->shared.Crval1 == float(15.0 * double(5.57554f)) && form->shared.Crval2 == -5.39111f);
  form->chk_wcs->setChecked(false);  // showing and enabling are independent: hidden and shown, still locked
  EXPECT_TRUE(State().ends_with("| h- | v+ ")) << State();
  form->chk_wcs->setChecked(true);
  EXPECT_TRUE(State().ends_with("| v- | h+ ")) << State();
  EXPECT_EQ(form->Cb_instrume->currentText(), "C14");  // its own row, selected
}

// Read one after another: the row of a file's own WCS and its check of "Add WCS-Info" last until the next
// read; the user's choice of a row and the user's own check stay.
TEST_F(ReadWorkflow, NothingOfOneFileReachesTheNext) {
  Write("solved.fit", kWcs);
  Write("raw.fit", kPlain);
  Write("sin.fit",
        fits_test::MakeFits(3, 2, {"CTYPE1  = 'RA---SIN'", "CTYPE2  = 'DEC--SIN'", "EQUINOX = 1950.0"}));
  const std::string locked = "v+ v+ v+x v+ v+x v+ | v- | h+ ", open = "v+ v+ v+ v+ v+x v+ | h+ | v+ ",
                    mine = "v+ v+ v+x v+ v+x v+ | v+ | h+ ", saved = "v+ v- v+ v+ v+x v+ | h+ | v+ ";
  const std::pair<std::string, std::string> steps[] = {{"solved.fit", locked + "3 2"},
                                                       {"raw.fit", open + "2 -1"},
                                                       {"solved.fit", locked + "3 2"},
                                                       {"solved.fit", locked + "3 2"},
                                                       {"pick", locked + "3 0"},
                                                       {"raw.fit", open + "2 0"},
                                                       {"click", mine + "2 0"},
                                                       {"solved.fit", locked + "3 2"},
                                                       {"raw.fit", mine + "2 -1"},
                                                       {"click", open + "2 -1"},
                                                       {"solved.fit", locked + "3 2"},
                                                       {"sin.fit", open + "2 -1"},
                                                       {"save", saved + "2 -1FERTIG"},
                                                       {"raw.fit", open + "2 -1"},
                                                       {"flip", "v+ v- v+ v+x v+ v+ | h+ | v+ 2 -1FERTIG"}};
  for (const auto& [step, seen] : steps) {
    if (step == "pick") form->Cb_instrume->setCurrentIndex(0);
    if (step == "click") QTest::mouseClick(form->chk_wcs, Qt::LeftButton, {}, QPoint(5, 8));
    if (step == "flip") form->ob_flipNS->setChecked(true);
    if (step == "save" || step == "flip") Save();
    if (step.ends_with(".fit")) ReadFile(Path(step));
    EXPECT_EQ(State() + std::to_string(form->Cb_instrume->count()) + " " +
                  std::to_string(form->SelectedInstrumentRow()) +
                  (step == "save" || step == "flip" ? Status() : ""),
              seen)
        << step;
  }
  // No WCS was asked for: the SIN file keeps its own, the raw one gets none.
  EXPECT_TRUE(Slurp(Path("sin.fit")).find("'RA---SIN'") != std::string::npos &&
              Slurp(Path("sin.fit")).find("TAN") == std::string::npos &&
              Slurp(Path("raw.fit")).find("CTYPE1") == std::string::npos);
}

TEST_F(ReadWorkflow, FailedReadClosesSavingAndEachWindowKeepsALogOfItsOwn) {
  Write("m35.fit", kPlain);
  Write("cube.fit", Header("SIMPLE  = T|BITPIX  = 16|NAXIS   = 3|NAXIS1  = 3|NAXIS2  = 2|END"));
  Write("short.fit", kPlain.substr(0, 2000));
  for (const auto& [name, status] : {std::pair{"cube.fit", "FATAL: 'number of axes' > 2"},
                                     {"short.fit", "FATAL: Fitsheader unvollständig"},
                                     {"missing.fit", "FATAL: Fitsdatei nicht lesbar"},
                                     {"", "FATAL: Fitsdatei nicht lesbar"}}) {  // "": the directory
    ReadFile(Path("m35.fit"));
    ASSERT_TRUE(form->cmd_start->isEnabled());
    ReadFile(Path(name));
    EXPECT_EQ(Status() + (form->cmd_start->isEnabled() ? " open" : ""), status) << name;
  }
  EXPECT_NE(Log().find("Error: Datei kann nicht geöffnet werden"), std::string::npos);
  ReadFile(Path("m35.fit"));
  Form1 other;  // a second window in the same folder reads while the first one works: a log of its own
  other.ReadFile(Path("cube.fit"));
  Save();
  const std::string opening = "**** FITS-fileheader von Input-Datei ";
  EXPECT_TRUE(other.tb_statusline->text().endsWith(" - Log in logfile-2.txt") &&
              Log().starts_with(opening + Path("m35.fit")) && Log().ends_with("Output-Datei ****\r\n") &&
              Slurp(Path("logfile-2.txt")).starts_with(opening + Path("cube.fit")));
  fs::remove(Path("logfile.txt"));
  fs::create_directory(Path("logfile.txt"));  // cannot be created as a file: the status gives the reason,
  ReadFile(Path("m35.fit"));
  const std::string read = Status() + (form->cmd_start->isEnabled() ? " open|" : "|");
  form->Chk_speichernunter->setChecked(true);  // as it does for a save that fails then
  AnswerDialog(Path("missing/m35.fit"));
  Save();
  EXPECT_EQ(read + Status(), "Fitsfileheader gelesen - Warnung: logfile.txt nicht anlegbar: " +
                                 std::string(std::strerror(EISDIR)) +
                                 " open|FATAL: Speichern fehlgeschlagen: Anlegen einer Datei neben " +
                                 Path("missing/m35.fit") + " fehlgeschlagen: " + std::strerror(ENOENT));
}

TEST_F(ReadWorkflow, IniFirstLoadBuildsTheListLaterLoadsOnlyTheLinesAndTheTableNeverOverflows) {
  fs::remove(Path("velorin.ini"));
  LoadIni("");  // missing: one log line, the list stays pending
  EXPECT_TRUE(Logged("Warnung: ini-file nicht lesbar: " + Path("velorin.ini")));
  fs::create_directory(Path("velorin.ini"));  // a directory in its place
  LoadIni("");
  ASSERT_TRUE(form->shared.InstrumentsPending && fs::remove(Path("velorin.ini")));
  LoadIni(std::string(config::kIniMostBytes + 1, '\n'));  // too large to be one: not read at all
  EXPECT_TRUE(form->shared.InstrumentsPending &&
              Status() == "Fitsfileheader gelesen - Warnung: velorin.ini zu groß, nicht gelesen");
  // The names keep their bytes and show readably, with a Latin-1 fallback.
  LoadIni(
      "[instruments]\n'Sch\xC3\xBCler 1' 1 1 0\n'M\xFCller 2' 0.000139 0.000139 1.5\n[addheaderlines]\n"
      "FILTER  = 'R'\n[removeheaderlines]\nHISTORY\n[end]\n");
  EXPECT_FALSE(form->shared.InstrumentsPending);
  EXPECT_EQ(form->shared.InstrumentTable[1].name + "|" + form->shared.RemoveKeys[0] + "|" +
                (form->Cb_instrume->itemText(0) + "|" + form->Cb_instrume->itemText(1)).toStdString() +
                std::to_string(form->SelectedInstrumentRow()),
            "M\xFCller 2|HISTORY|Schüler 1|Müller 20");
  LoadIni("[instruments]\n'Other' 1 1 0\n[addheaderlines]\nA\nB\n[end]\n");
  EXPECT_EQ(std::to_string(form->Cb_instrume->count()) + form->shared.KeepLines[1] +
                std::to_string(form->shared.KeepLineCount) + std::to_string(form->shared.RemoveKeyCount),
            "2B20");
  form = std::make_unique<Form1>();  // the table never overflows its 31 rows, one kept for a file's own
  std::string text = "[instruments]\n";
  for (int i = 0; i < 40; ++i) text += "'I" + std::to_string(i) + "' 1 1 0\n";
  LoadIni(text + "[end]\n");
  EXPECT_TRUE(form->shared.InstrumentCount == 30 &&
              Logged("Warnung: zu viele Instrumente im ini-file, Rest ignoriert"));
  Write("orion.fit", kWcs);
  for (int read = 0; read < 3; ++read) ReadFile(Path("orion.fit"));  // each time its row, and saved with it
  Save();
  EXPECT_EQ(Status() + form->shared.InstrumentTable[30].name + std::to_string(form->Cb_instrume->count()),
            "FERTIGC1431");
}
