// The whole road as a person walks it: clicks and key presses only, each
// saved file read back into the window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "fits_tools.h"
#include "window_fixture.h"

namespace {

using app_test::FitsverifyProblems;
using app_test::Slurp;

class WholeRoad : public app_test::SaveTest {
 protected:
  void Click(QWidget* control) {
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2));
  }
  // Focus a field by clicking it, select all, type.
  void TypeInto(QLineEdit* field, const char* text) {
    Click(field);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
  }
  std::string Text(const QLineEdit* field) { return field->text().toStdString(); }
};

TEST_F(WholeRoad, ReadTypeSaveBothWaysAndReadBack) {
  std::filesystem::copy_file(VELORIN_SAMPLE_IMAGE, Path("sample.fit"));
  const std::string original = Slurp(Path("sample.fit"));
  // Added lines would be added again at every pass over the same file.
  Write("velorin.ini",
        "[instruments]\n'Refraktor 80' -0.000417 0.000417 0\n'C14 Hyperstar' -0.000355 0.000355 12.5\n"
        "[end]\n");

  // Read the sample; it has no WCS yet.
  AnswerDialog(Path("sample.fit"));
  Click(form->cmd_fitsauswahl);
  ASSERT_EQ(Status(), "Fitsfileheader gelesen");
  Click(form->chk_wcs);
  ASSERT_TRUE(form->chk_wcs->isChecked());

  // Right ascension as hours, minutes, seconds; declination as a decimal.
  TypeInto(form->tb_r_HH, "6");
  QTest::keyClick(form->tb_r_HH, Qt::Key_Tab);
  QTest::keyClicks(form->tb_r_MM, "8");
  QTest::keyClick(form->tb_r_MM, Qt::Key_Tab);
  QTest::keyClicks(form->tb_r_SS, "54");
  EXPECT_EQ(Text(form->tb_r), " 6.148334");
  TypeInto(form->tb_d, "24.33");
  EXPECT_EQ(Text(form->tb_d_MM), " 19");
  TypeInto(form->tb_x, "100");
  TypeInto(form->tb_y, "60");
  Click(form->Cb_instrume);
  QTest::keyClick(form->Cb_instrume, Qt::Key_Escape);
  form->Cb_instrume->setFocus();
  QTest::keyClick(form->Cb_instrume, Qt::Key_Down);
  ASSERT_EQ(form->SelectedInstrumentRow(), 1);

  // Save the header only, under a new name.
  Click(form->Chk_speichernunter);
  AnswerDialog(Path("sample_wcs.fit"));
  Click(form->cmd_start);
  ASSERT_EQ(Status(), "FERTIG");
  EXPECT_EQ(Slurp(Path("sample.fit")), original);
  EXPECT_EQ(FitsverifyProblems(Path("sample_wcs.fit")), "");

  // Read it back: the fields show what was written; its scale is a new instrument.
  const int instruments = form->Cb_instrume->count();
  AnswerDialog(Path("sample_wcs.fit"));
  Click(form->cmd_fitsauswahl);
  ASSERT_EQ(Status(), "Fitsfileheader gelesen");
  EXPECT_TRUE(form->chk_wcs->isChecked());
  EXPECT_FALSE(form->tb_r->isEnabled());
  EXPECT_EQ(Text(form->tb_r_HH), " 6");
  EXPECT_EQ(Text(form->tb_r_MM), " 8");
  EXPECT_EQ(Text(form->tb_r_SS), " 54");
  EXPECT_EQ(Text(form->tb_d), " 24.33");
  EXPECT_EQ(Text(form->tb_x), " 100");
  EXPECT_EQ(Text(form->tb_y), " 60");
  EXPECT_EQ(form->Cb_instrume->count(), instruments + 1);
  EXPECT_EQ(form->Cb_instrume->currentText(), "C14 Hyperstar");
  EXPECT_EQ(form->shared.Crota2, 12.5f);
  EXPECT_EQ(Slurp(Path("logfile.txt")).find("**** FITS-fileheader von Input-Datei " + Path("sample_wcs.fit")),
            0u);

  // Flip it in place: y is mirrored at NAXIS2 150, CDELT2 changes sign.
  Click(form->Chk_speichernunter);
  ASSERT_FALSE(form->Chk_speichernunter->isChecked());
  Click(form->ob_flipNS);
  EXPECT_EQ(Text(form->tb_y), " 90");
  Click(form->cmd_start);
  ASSERT_EQ(Status(), "FERTIG");
  EXPECT_EQ(FitsverifyProblems(Path("sample_wcs.fit")), "");

  AnswerDialog(Path("sample_wcs.fit"));
  Click(form->cmd_fitsauswahl);
  EXPECT_EQ(Text(form->tb_y), " 90");
  EXPECT_EQ(Text(form->tb_d), " 24.33");
  EXPECT_EQ(form->shared.Cdelt2, -0.000355f);
  EXPECT_EQ(form->Cb_instrume->count(), instruments + 2);
  EXPECT_TRUE(form->ob_NurHeader->isChecked());
  EXPECT_FALSE(form->shared.FlipNorthSouth);

  // The rows are in reverse order: the first data row now is the last one before.
  const std::string flipped = Slurp(Path("sample_wcs.fit"));
  EXPECT_EQ(flipped.substr(2880, 400), original.substr(2880 + 149 * 400, 400));
}

}  // namespace
