// The same entries through the window and through velorin-cli apply give the
// same output bytes and the same logfile.txt bytes.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/form1.h"
#include "cli_files.h"
#include "fits/header_journal.h"

namespace cli_test {
namespace {

// clang-format off
const std::vector<std::string> kWcsCards = {
    "CTYPE1  = 'RA---TAN'", "CTYPE2  = 'DEC--TAN'", "EQUINOX =               2000.0",
    "CRVAL1  =           92.2250000", "CRVAL2  =           24.3297222", "CRPIX1  =                   20",
    "CRPIX2  =                   10", "CDELT1  =         -0.000406389", "CDELT2  =          0.000406389",
    "CROTA2  =                  3.5", "SWCREATE= 'capture'"};
// clang-format on

// The parameter's bits: 1 the input has a WCS, 2 flip, 4 save into another folder.
class WindowEquivalence : public CliFolder, public testing::WithParamInterface<int> {};

TEST_P(WindowEquivalence, SameOutputAndLog) {
  const bool wcs = GetParam() & 1, flip = GetParam() & 2, toFolder = GetParam() & 4;
  fs::create_directories(dir / "in");
  fs::create_directories(dir / "out");
  const fs::path input = dir / "in" / "m35.fit", output = toFolder ? dir / "out" / "m35.fit" : input;
  const std::string original = MakeFits(40, 27, wcs ? kWcsCards : std::vector<std::string>{"SWCREATE= 'x'"});
  WriteBytes(input, original);
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  {  // read, type (for an input without WCS), choose the options, save
    Form1 form;
    form.ReadFile(input.string());
    if (!wcs) {
      form.chk_wcs->setChecked(true);
      const char* const texts[] = {"6", "8", "54", "-0", "30", "5", "12", "9"};
      QLineEdit* const fields[] = {form.tb_r_HH, form.tb_r_MM, form.tb_r_SS, form.tb_d_dg,
                                   form.tb_d_MM, form.tb_d_SS, form.tb_x,    form.tb_y};
      for (int i = 0; i < 8; ++i) fields[i]->setText(texts[i]);
      form.Cb_instrume->setCurrentIndex(1);
    }
    form.ob_flipNS->setChecked(flip);
    form.Chk_speichernunter->setChecked(toFolder);
    form.CommonDialog1.answer = [&](const CommonDialog&) { return std::optional(output.string()); };
    form.cmd_start->click();
    EXPECT_EQ(form.tb_statusline->text().toStdString(), "FERTIG");
  }
  fs::current_path(previous);
  const std::string windowLog = Slurp(dir / "logfile.txt"), windowOutput = Slurp(output);
  ASSERT_NE(windowOutput, original);
  WriteBytes(input, original);
  fs::remove(dir / "out" / "m35.fit");

  std::string command = kCli + " apply --quiet --log cli.txt";
  if (!wcs) command += " --ra '6 8 54' --dec '-0:30:5' --x 12 --y 9 --instrument 'C14 Hyperstar'";
  if (flip) command += " --flip";
  if (toFolder) command += " --output '" + (dir / "out").string() + "'";
  const Ran ran = RunIn(dir, command + " '" + input.string() + "'");
  EXPECT_TRUE(ran.status == 0 && ran.out == input.string() + ": FERTIG\n" && Slurp(output) == windowOutput &&
              (!toFolder || Slurp(input) == original))
      << ran.out;
  EXPECT_EQ(Slurp(dir / "cli.txt"), windowLog);
}

// A capture program's frame saved again and again, by hand and by the command
// line, with the shipped velorin.ini: the same bytes from both, every card
// kept once, the pixels as they were.
TEST_F(CliFolder, CaptureFrameSavedTenTimesKeepsEveryCardAndPixel) {
  fs::copy_file(fs::path(VELORIN_EXAMPLES) / "velorin.ini", dir / "velorin.ini",
                fs::copy_options::overwrite_existing);
  const std::string capture = std::string(VELORIN_PYTHON) + " " + VELORIN_CAPTURE_FRAME;
  ASSERT_EQ(RunIn(dir, capture + " make first.fit").status, 0);
  fs::copy_file(dir / "first.fit", dir / "window.fit");
  fs::copy_file(dir / "first.fit", dir / "cli.fit");
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  for (int save = 0; save < 10; ++save) {
    Form1 form;
    form.ReadFile("window.fit");
    if (save == 0) {  // typed once; later reads take the file's own WCS
      form.chk_wcs->setChecked(true);
      form.tb_r->setText("6.148333");
      form.tb_d->setText("24.32972");
      for (QLineEdit* field : {form.tb_x, form.tb_y}) field->setText("32");
      form.Cb_instrume->setCurrentIndex(0);
    }
    form.cmd_start->click();
    EXPECT_EQ(form.tb_statusline->text().toStdString(), "FERTIG") << save;
  }
  fs::current_path(previous);
  for (int save = 0; save < 10; ++save) {
    const std::string entries =
        save == 0 ? " --ra 6.148333 --dec 24.32972 --x 32 --y 32 --instrument 'Refraktor 80/480 + ASI294MC'"
                  : "";
    // The first save outgrows the header's record and says so, on standard error too.
    const std::string saved = save == 0 ? "cli.fit: FERTIG, 1 Warnung\n" : "cli.fit: FERTIG\n";
    EXPECT_EQ(RunIn(dir, kCli + " apply --quiet" + entries + " cli.fit").out.substr(0, saved.size()), saved)
        << save;
  }
  EXPECT_EQ(Slurp(dir / "cli.fit"), Slurp(dir / "window.fit"));
  for (const char* saved : {"window.fit", "cli.fit"}) {
    EXPECT_EQ(Problems("cd '" + dir.string() + "' && " + capture + " check first.fit " + saved, "OK\n"), "");
    EXPECT_EQ(FitsverifyProblems((dir / saved).string()), "");
  }
}

// A capture frame's hints fill the fields and add a row of their scale, but
// leave "Add WCS-Info" to the user; checked and saved, the window writes what
// --from-header writes.
TEST_F(CliFolder, CaptureHintsFillTheWindowAsFromHeaderDoes) {
  const std::string capture = std::string(VELORIN_PYTHON) + " " + VELORIN_CAPTURE_FRAME;
  ASSERT_EQ(RunIn(dir, capture + " make window.fit").status, 0);
  fs::copy_file(dir / "window.fit", dir / "cli.fit");
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  {
    Form1 form;
    form.ReadFile("window.fit");
    std::string fields = form.chk_wcs->isChecked() ? "checked" : "";
    for (const QLineEdit* field : {form.tb_r, form.tb_d, form.tb_x, form.tb_y})
      fields += "|" + field->text().toStdString();
    EXPECT_EQ(fields + "|" + form.Cb_instrume->currentText().toStdString(),
              "| 6.148334| 24.32972| 32| 24| .0005526656/ .0005526656");
    form.chk_wcs->setChecked(true);
    form.cmd_start->click();
    EXPECT_EQ(form.tb_statusline->text().toStdString(), "FERTIG");
  }
  fs::current_path(previous);
  EXPECT_NE(Slurp(dir / "logfile.txt")
                .find("Aus dem Header eingetragen: Position aus OBJCTRA/OBJCTDEC, Maßstab aus FOCALLEN und "
                      "XPIXSZ/YPIXSZ\r\n"),
            std::string::npos);
  const std::string saved = "cli.fit: FERTIG, 1 Warnung\n";  // the header outgrew its record
  EXPECT_EQ(RunIn(dir, kCli + " apply --quiet --from-header cli.fit").out.substr(0, saved.size()), saved);
  EXPECT_EQ(Slurp(dir / "cli.fit"), Slurp(dir / "window.fit"));
}

// A save cut short left its journal: the next read by either face puts the
// old header back first and says so.
TEST_F(CliFolder, ReadAfterACutShortSavePutsTheOldHeaderBack) {
  const std::string old = MakeFits(40, 27, {"OBJECT  = 'M 35'"});
  std::string torn = old;
  torn.replace(0, 400, std::string(400, 'X'));
  const fits::JournalEntry entry{"m35.fit", static_cast<std::int64_t>(old.size()), old.substr(0, 2880),
                                 std::string(400, 'X') + old.substr(400, 2480)};
  for (const bool window : {true, false}) {
    WriteBytes(dir / "m35.fit", torn);
    WriteBytes(dir / ".velorin-journal-x", fits::JournalBytes(std::span(&entry, 1)));
    std::string said;
    if (window) {
      Form1 form;
      form.ReadFile((dir / "m35.fit").string());
      said = form.tb_statusline->text().toStdString();
    } else {
      said = RunIn(dir, kCli + " show m35.fit").out;
    }
    EXPECT_TRUE(Slurp(dir / "m35.fit") == old && !fs::exists(dir / ".velorin-journal-x")) << window;
    EXPECT_NE(
        said.find(window ? "Fitsfileheader gelesen - Warnung: Speichern war unterbrochen, alter Header zurück"
                         : "velorin-cli: Warnung: Speichern von ./m35.fit war unterbrochen"),
        std::string::npos)
        << said;
  }
}

INSTANTIATE_TEST_SUITE_P(BothModesBothPlaces, WindowEquivalence, testing::Range(0, 8),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(info.param & 1 ? "Wcs" : "NoWcs") +
                                  (info.param & 2 ? "Flip" : "HeaderOnly") +
                                  (info.param & 4 ? "ToFolder" : "InPlace");
                         });

}  // namespace
}  // namespace cli_test
