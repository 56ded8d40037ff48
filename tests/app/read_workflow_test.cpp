#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/form1.h"
#include "fits_test_files.h"
#include "window_fixture.h"

namespace {

namespace fs = std::filesystem;
using fits_test::Header;

using app_test::Slurp;

class ReadWorkflow : public app_test::WindowTest {
 protected:
  // Reads the file through the dialog as a person would: a click on "fits lesen".
  void ReadFile(const std::string& path) {
    form->CommonDialog1.answer = [path](const CommonDialog& dialog) {
      EXPECT_EQ(dialog.DialogTitle, "fits-File zum lesen auswählen");
      EXPECT_EQ(dialog.Filter, "Fits-Bilddateien (*.fit)|*.fit");
      return std::optional<std::string>(path);
    };
    QTest::mouseClick(form->cmd_fitsauswahl, Qt::LeftButton);
  }
};

std::string PlainImage() {
  return Header({"SIMPLE  =                    T / conforms to FITS standard",
                 "BITPIX  =                   16 / array data type", "NAXIS   =                    2",
                 "NAXIS1  =                    3", "NAXIS2  =                    2", "OBJECT  = 'M 35'",
                 "SWCREATE= 'Capture'", "", "END"}) +
         std::string(2880, '\0');
}

std::string WcsImage(const char* telescope) {
  return Header({"SIMPLE  =                    T", "BITPIX  =                  -32",
                 "NAXIS   =                    2", "NAXIS1  =                    3",
                 "NAXIS2  =                    2", "CTYPE1  = 'RA---TAN'", "CTYPE2  = 'DEC--TAN'",
                 "CRVAL1  =              83.6331", "CRVAL2  =             -5.39111",
                 "CRPIX1  =                  2.0", "CRPIX2  =                  1.5",
                 "CDELT1  =           -0.0002", "CDELT2  =            0.0002", telescope, "END"}) +
         std::string(2880, '\0');
}

TEST_F(ReadWorkflow, PlainFileFillsWindowAndLog) {
  Write("m35.fit", PlainImage());
  ReadFile((dir / "m35.fit").string());
  EXPECT_EQ(Status(), "Fitsfileheader gelesen");
  EXPECT_TRUE(form->cmd_start->isEnabled());
  for (QWidget* control : std::initializer_list<QWidget*>{form->chk_wcs, form->ob_flipNS, form->ob_NurHeader,
                                                          form->Chk_speichernunter})
    EXPECT_TRUE(control->isEnabled());
  EXPECT_TRUE(form->ob_NurHeader->isChecked());
  EXPECT_FALSE(form->chk_wcs->isChecked());
  const QString path = QString::fromStdString((dir / "m35.fit").string());
  EXPECT_EQ(form->windowTitle(), "VELORIN: ..." + path.right(30));
  EXPECT_EQ(form->shared.Bitpix, 16);
  EXPECT_EQ(form->shared.Naxis1, 3);
  EXPECT_EQ(form->shared.HeaderCardCount, 36);
  ASSERT_EQ(form->shared.KeepLineCount, 2);
  EXPECT_EQ(form->shared.KeepLines[0], "OBSERVER= 'Velorin'");  // added lines come first
  EXPECT_EQ(form->shared.KeepLines[1], fits_test::Card("OBJECT  = 'M 35'"));
  EXPECT_EQ(form->Cb_instrume->count(), 2);
  EXPECT_EQ(form->inputFile.tellg(), 2880);  // open at the first data byte
  for (QWidget* control : form->WcsGroup()) EXPECT_TRUE(control->isEnabled());

  const std::string expected = "**** FITS-fileheader von Input-Datei " + (dir / "m35.fit").string() +
                               " ****\r\n" +
                               "SIMPLE  =                    T / conforms to FITS standard\r\n"
                               "BITPIX  =                   16 / array data type\r\n"
                               "NAXIS   =                    2\r\n"
                               "NAXIS1  =                    3\r\n"
                               "NAXIS2  =                    2\r\n"
                               "OBJECT  = 'M 35'\r\n"
                               "SWCREATE= 'Capture'\r\n"
                               "Warnung:  Leerzeile im Fitsheader\r\n"
                               "END\r\n"
                               "**** Ende des FITS-fileheaders der Input-Datei ****\r\n";
  EXPECT_EQ(Slurp(dir / "logfile.txt"), expected);
}

TEST_F(ReadWorkflow, FileWithWcsShowsItsPositionAndBecomesAnInstrument) {
  Write("orion.fit", WcsImage("TELESCOP= 'C14'               / Celestron"));
  ReadFile((dir / "orion.fit").string());
  EXPECT_EQ(Status(), "Fitsfileheader gelesen");
  EXPECT_TRUE(form->chk_wcs->isChecked());
  for (QWidget* control : form->WcsGroup()) {
    EXPECT_FALSE(control->isHidden());
    EXPECT_FALSE(control->isEnabled());
  }
  EXPECT_TRUE(form->Image1->isHidden());
  EXPECT_EQ(form->tb_r->text(), " 5.57554");
  EXPECT_EQ(form->tb_d->text(), "-5.39111");
  EXPECT_EQ(form->tb_d_dg->text(), "-5");
  EXPECT_EQ(form->tb_x->text(), " 2");
  EXPECT_EQ(form->tb_y->text(), " 2");  // 1.5 to the even neighbour
  // The values come from the field texts, not from the cards.
  EXPECT_EQ(form->shared.Crval1, static_cast<float>(15.0 * static_cast<double>(5.57554f)));
  EXPECT_EQ(form->shared.Crval2, -5.39111f);
  EXPECT_EQ(form->shared.Crpix2, 2);
  ASSERT_EQ(form->Cb_instrume->count(), 3);
  EXPECT_EQ(form->Cb_instrume->itemText(2), "C14");
  EXPECT_EQ(form->SelectedInstrumentRow(), 2);
  EXPECT_EQ(form->shared.InstrumentTable[2].cdelt1, -0.0002f);

  // A second file with WCS adds a second row; its log starts afresh.
  Write("second.fit", WcsImage("OBJECT  = 'x'"));
  ReadFile((dir / "second.fit").string());
  ASSERT_EQ(form->Cb_instrume->count(), 4);
  EXPECT_EQ(form->Cb_instrume->itemText(3), "-.0002/ .0002");
  EXPECT_EQ(form->SelectedInstrumentRow(), 3);
  EXPECT_EQ(Slurp(dir / "logfile.txt")
                .find("**** FITS-fileheader von Input-Datei " + (dir / "second.fit").string()),
            0u);
}

TEST_F(ReadWorkflow, CancelLeavesEverythingAsItWas) {
  Write("m35.fit", PlainImage());
  ReadFile((dir / "m35.fit").string());
  form->ob_flipNS->setChecked(true);
  const std::string log = Slurp(dir / "logfile.txt");
  const QString title = form->windowTitle();
  const std::int16_t crpix2 = form->shared.Crpix2;

  form->CommonDialog1.answer = [](const CommonDialog&) { return std::optional<std::string>(); };
  QTest::mouseClick(form->cmd_fitsauswahl, Qt::LeftButton);
  EXPECT_TRUE(form->ob_flipNS->isChecked());
  EXPECT_TRUE(form->shared.FlipNorthSouth);
  EXPECT_EQ(form->shared.Crpix2, crpix2);
  EXPECT_EQ(form->windowTitle(), title);
  EXPECT_EQ(Slurp(dir / "logfile.txt"), log);
  EXPECT_TRUE(form->inputFile.is_open());
  EXPECT_TRUE(form->cmd_start->isEnabled());
}

TEST_F(ReadWorkflow, FailedReadAfterAGoodOneClosesSaving) {
  Write("m35.fit", PlainImage());
  Write("cube.fit",
        Header({"SIMPLE  = T", "BITPIX  = 16", "NAXIS   = 3", "NAXIS1  = 3", "NAXIS2  = 2", "END"}));
  ReadFile((dir / "m35.fit").string());
  ASSERT_TRUE(form->cmd_start->isEnabled());
  ReadFile((dir / "cube.fit").string());
  EXPECT_EQ(Status(), "FATAL: 'number of axes' > 2");
  EXPECT_FALSE(form->cmd_start->isEnabled());

  // A truncated file after a good one: saving closes too.
  ReadFile((dir / "m35.fit").string());
  Write("short.fit", PlainImage().substr(0, 2000));
  ReadFile((dir / "short.fit").string());
  EXPECT_EQ(Status(), "FATAL: Fitsheader unvollständig");
  EXPECT_FALSE(form->cmd_start->isEnabled());
  EXPECT_TRUE(form->shared.FatalError);
}

TEST_F(ReadWorkflow, FileThatCannotBeOpened) {
  for (const fs::path& path : {dir / "missing.fit", dir}) {
    ReadFile(path.string());
    EXPECT_EQ(Status(), "FATAL: Fitsdatei nicht lesbar");
    EXPECT_FALSE(form->cmd_start->isEnabled());
    EXPECT_NE(Slurp(dir / "logfile.txt").find("Error: Datei kann nicht geöffnet werden"), std::string::npos);
  }
}

TEST_F(ReadWorkflow, ReadWorksWithoutALog) {
  Write("m35.fit", PlainImage());
  fs::create_directory(dir / "logfile.txt");  // cannot be created as a file
  ReadFile((dir / "m35.fit").string());
  EXPECT_EQ(Status(), "Fitsfileheader gelesen - Warnung: kein logfile.txt");
  EXPECT_TRUE(form->cmd_start->isEnabled());
}

TEST_F(ReadWorkflow, NoValueOfAnEarlierFileSurvives) {
  Write("orion.fit", WcsImage("CROTA2  = 12.5"));
  ReadFile((dir / "orion.fit").string());
  EXPECT_EQ(form->shared.Crota2, 12.5f);
  // Same WCS file without CROTA2 and without reference pixel cards.
  std::string plain = WcsImage("OBJECT  = 'x'");
  for (const char* key : {"CRPIX1  ", "CRPIX2  "}) plain.replace(plain.find(key), 8, "COMMENT ");
  Write("norot.fit", plain);
  ReadFile((dir / "norot.fit").string());
  EXPECT_EQ(form->shared.Crota2, 0.0f);
  EXPECT_EQ(form->shared.Crpix1, 0);
  EXPECT_EQ(form->tb_x->text(), " 0");
  EXPECT_EQ(form->tb_y->text(), " 0");
}

}  // namespace
