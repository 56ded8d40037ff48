// A window in a directory of its own, which is both the start-up directory
// (velorin.ini) and the current one (logfile.txt), with the file dialog
// answered by the test; saved files are judged by fitsverify and astropy.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/form1.h"
#include "fits_test_files.h"
#include "shell_commands.h"

using namespace fits_test;
namespace fs = std::filesystem;

namespace app_test {

// check_wcs.py with its expectations as JSON (without single quotes).
inline std::string AstropyProblems(const std::string& json) {
  return Problems(std::string(VELORIN_PYTHON) + " " + VELORIN_CHECK_WCS + " '" + json + "'", "OK\n");
}

class WindowTest : public testing::Test {
 protected:
  fits_test::TempDir dir;
  fs::path previous = fs::current_path();
  std::unique_ptr<Form1> form;

  void SetUp() override {
    fs::current_path(dir.path);
    Write("velorin.ini", fits_test::kIni);
    form = std::make_unique<Form1>();
  }
  void TearDown() override {
    form.reset();
    fs::current_path(previous);
  }
  std::string Path(const std::string& name) const { return dir / name; }
  void Write(const std::string& name, const std::string& bytes) { fits_test::WriteBytes(dir / name, bytes); }
  std::string Log() const { return Slurp(dir / "logfile.txt"); }
  std::string Status() const { return form->tb_statusline->text().toStdString(); }
  // Per control: "v" shown or "h" hidden, "+" enabled or "-" disabled, "x" when checked.
  static std::string Flag(const QWidget* control) {
    const auto* button = qobject_cast<const QAbstractButton*>(control);
    return std::string(control->isHidden() ? "h" : "v") + (control->isEnabled() ? "+" : "-") +
           (button != nullptr && button->isChecked() ? "x " : " ");
  }
  // Buttons and options, then the WCS group (as one when all alike) and the picture.
  std::string State() const {
    std::string state, group = Flag(form->tb_d);
    for (const QWidget* control :
         std::initializer_list<const QWidget*>{form->cmd_fitsauswahl, form->cmd_start, form->chk_wcs,
                                               form->ob_flipNS, form->ob_NurHeader, form->Chk_speichernunter})
      state += Flag(control);
    for (QWidget* control : form->WcsGroup()) group = Flag(control) == group ? group : "mixed ";
    return state + "| " + group + "| " + Flag(form->Image1);
  }
  std::string asked;  // the last dialog's title, filter and file name
  // The next dialog answers with this path (empty: cancel).
  void AnswerDialog(const std::string& path) {
    form->CommonDialog1.answer = [this, path](const CommonDialog& dialog) {
      asked = dialog.DialogTitle + "|" + dialog.Filter + "|" + dialog.FileName;
      return path.empty() ? std::nullopt : std::optional<std::string>(path);
    };
  }
  // A click on "fits lesen", the dialog answered with this path (empty: cancel).
  void ReadFile(const std::string& path) {
    AnswerDialog(path);
    QTest::mouseClick(form->cmd_fitsauswahl, Qt::LeftButton);
  }
  static void Type(QLineEdit* field, const char* text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }
  // Read, check "Add WCS-Info", type the position (RA 6h 8m 54s = 92.225 degrees), pick the second
  // instrument.
  void ReadAndEnterWcs(const std::string& name) {
    ReadFile(Path(name));
    ASSERT_TRUE(form->cmd_start->isEnabled()) << Status();
    if (!form->chk_wcs->isChecked()) QTest::mouseClick(form->chk_wcs, Qt::LeftButton, {}, QPoint(5, 8));
    ASSERT_TRUE(form->chk_wcs->isChecked());
    const char* const texts[] = {"6", "8", "54", "24.33", "3", "2"};
    QLineEdit* const fields[] = {form->tb_r_HH, form->tb_r_MM, form->tb_r_SS,
                                 form->tb_d,    form->tb_x,    form->tb_y};
    for (int i = 0; i < 6; ++i) Type(fields[i], texts[i]);
    form->Cb_instrume->setCurrentIndex(1);
  }
  void Save() { QTest::mouseClick(form->cmd_start, Qt::LeftButton); }
};

}  // namespace app_test
