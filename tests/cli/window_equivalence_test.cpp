// The same entries through the window and through velorin-cli apply give the
// same output bytes and the same logfile.txt bytes.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/form1.h"
#include "cli_files.h"

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
  ASSERT_EQ(ran.status, 0) << ran.out;
  EXPECT_TRUE(ran.out == input.string() + ": FERTIG\n" && Slurp(output) == windowOutput &&
              (!toFolder || Slurp(input) == original))
      << ran.out;
  EXPECT_EQ(Slurp(dir / "cli.txt"), windowLog);
}

INSTANTIATE_TEST_SUITE_P(BothModesBothPlaces, WindowEquivalence, testing::Range(0, 8),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(info.param & 1 ? "Wcs" : "NoWcs") +
                                  (info.param & 2 ? "Flip" : "HeaderOnly") +
                                  (info.param & 4 ? "ToFolder" : "InPlace");
                         });

}  // namespace
}  // namespace cli_test
