// The same entries through the window and through velorin-cli apply give the
// same output bytes and the same logfile.txt bytes.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/form1.h"
#include "cli_files.h"

namespace cli_test {
namespace {

struct Case {
  bool inputWcs;
  bool flip;
  bool toFolder;
};

const std::vector<std::string> kWcsCards = {"CTYPE1  = 'RA---TAN'",
                                            "CTYPE2  = 'DEC--TAN'",
                                            "EQUINOX =               2000.0",
                                            "CRVAL1  =           92.2250000",
                                            "CRVAL2  =           24.3297222",
                                            "CRPIX1  =                   20",
                                            "CRPIX2  =                   10",
                                            "CDELT1  =         -0.000406389",
                                            "CDELT2  =          0.000406389",
                                            "CROTA2  =                  3.5",
                                            "SWCREATE= 'capture'"};

class WindowEquivalence : public CliFolder, public testing::WithParamInterface<Case> {
 protected:
  // Reads, types (for an input without WCS), chooses the options, saves.
  std::string SaveThroughWindow(const fs::path& input, const fs::path& output) {
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    {
      Form1 form;
      form.ReadFile(input.string());
      if (!GetParam().inputWcs) {
        form.chk_wcs->setChecked(true);
        form.tb_r_HH->setText("6");
        form.tb_r_MM->setText("8");
        form.tb_r_SS->setText("54");
        form.tb_d_dg->setText("-0");
        form.tb_d_MM->setText("30");
        form.tb_d_SS->setText("5");
        form.tb_x->setText("12");
        form.tb_y->setText("9");
        form.Cb_instrume->setCurrentIndex(1);
      }
      if (GetParam().flip) form.ob_flipNS->setChecked(true);
      if (GetParam().toFolder) {
        form.Chk_speichernunter->setChecked(true);
        form.CommonDialog1.answer = [&](const CommonDialog&) { return std::optional(output.string()); };
      }
      form.cmd_start->click();
      EXPECT_EQ(form.tb_statusline->text().toStdString(), "FERTIG");
    }
    fs::current_path(previous);
    return Slurp(dir / "logfile.txt");
  }
};

TEST_P(WindowEquivalence, SameOutputAndLog) {
  const Case c = GetParam();
  fs::create_directories(dir / "in");
  fs::create_directories(dir / "out");
  const fs::path input = dir / "in" / "m35.fit";
  const fs::path output = c.toFolder ? dir / "out" / "m35.fit" : input;
  const std::string original =
      MakeFits(40, 27, c.inputWcs ? kWcsCards : std::vector<std::string>{"SWCREATE= 'x'"});
  Spit(input, original);

  const std::string windowLog = SaveThroughWindow(input, output);
  const std::string windowOutput = Slurp(output);
  ASSERT_NE(windowOutput, original);
  Spit(input, original);
  fs::remove(dir / "out" / "m35.fit");

  std::string command = Cli() + " apply --quiet --log cli.txt";
  if (!c.inputWcs) command += " --ra '6 8 54' --dec '-0:30:5' --x 12 --y 9 --instrument 'C14 Hyperstar'";
  if (c.flip) command += " --flip";
  if (c.toFolder) command += " --output '" + (dir / "out").string() + "'";
  const Ran ran = RunIn(dir, command + " '" + input.string() + "'");
  ASSERT_EQ(ran.status, 0) << ran.out;
  EXPECT_EQ(ran.out, input.string() + ": FERTIG\n");
  EXPECT_TRUE(Slurp(output) == windowOutput);
  EXPECT_EQ(Slurp(dir / "cli.txt"), windowLog);
  EXPECT_TRUE(!c.toFolder || Slurp(input) == original);
}

INSTANTIATE_TEST_SUITE_P(BothModesBothPlaces, WindowEquivalence,
                         testing::Values(Case{false, false, false}, Case{false, false, true},
                                         Case{false, true, false}, Case{false, true, true},
                                         Case{true, false, false}, Case{true, false, true},
                                         Case{true, true, false}, Case{true, true, true}),
                         [](const testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.inputWcs ? "Wcs" : "NoWcs") +
                                  (info.param.flip ? "Flip" : "HeaderOnly") +
                                  (info.param.toFolder ? "ToFolder" : "InPlace");
                         });

}  // namespace
}  // namespace cli_test

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
