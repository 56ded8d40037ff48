// A window in a directory of its own, which is both the start-up directory
// (velorin.ini) and the current one (logfile.txt), with the file dialog
// answered by the test.
#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/form1.h"
#include "temp_dir.h"

namespace app_test {

inline std::string Slurp(const std::filesystem::path& path) {
  return fits_test::Slurp(path.string());
}

class WindowTest : public testing::Test {
 protected:
  std::filesystem::path dir;
  std::filesystem::path previous;
  std::unique_ptr<Form1> form;

  void SetUp() override {
    previous = std::filesystem::current_path();
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    dir = std::filesystem::temp_directory_path() /
          ("velorin_" + std::string(info->test_suite_name()) + "_" + info->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    Write("velorin.ini",
          "[instruments]\n'Refraktor 80' -0.000417 0.000417 0\n'C14 Hyperstar' -0.000355 0.000355 "
          "12.5\n[addheaderlines]\nOBSERVER= 'Velorin'\n[removeheaderlines]\nSWCREATE\n[end]\n");
    form = std::make_unique<Form1>();
  }
  void TearDown() override {
    form.reset();
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);
  }
  std::string Path(const std::string& name) const { return (dir / name).string(); }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
  }
  // The next dialog answers with this path (empty: cancel).
  void AnswerDialog(const std::string& path) {
    form->CommonDialog1.answer = [path](const CommonDialog&) {
      return path.empty() ? std::optional<std::string>() : std::optional<std::string>(path);
    };
  }
  void ReadFile(const std::string& path) {
    AnswerDialog(path);
    QTest::mouseClick(form->cmd_fitsauswahl, Qt::LeftButton);
  }
  std::string Status() const { return form->tb_statusline->text().toStdString(); }
};

// Saving as a person would: read, check "Add WCS-Info", type, pick, click.
class SaveTest : public WindowTest {
 protected:
  void Type(QLineEdit* field, const char* text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }
  // Read, check "Add WCS-Info", type the position, pick the second instrument.
  void ReadAndEnterWcs(const std::string& name) {
    ReadFile(Path(name));
    ASSERT_TRUE(form->cmd_start->isEnabled()) << Status();
    if (!form->chk_wcs->isChecked()) QTest::mouseClick(form->chk_wcs, Qt::LeftButton, {}, QPoint(5, 8));
    ASSERT_TRUE(form->chk_wcs->isChecked());
    Type(form->tb_r_HH, "6");
    Type(form->tb_r_MM, "8");
    Type(form->tb_r_SS, "54");
    Type(form->tb_d, "24.33");
    Type(form->tb_x, "3");
    Type(form->tb_y, "2");
    form->Cb_instrume->setCurrentIndex(1);
  }
  void Save() { QTest::mouseClick(form->cmd_start, Qt::LeftButton); }
  void ExpectUnlocked() {
    EXPECT_FALSE(form->cmd_start->isEnabled());
    EXPECT_TRUE(form->cmd_fitsauswahl->isEnabled());
    for (QWidget* option : std::initializer_list<QWidget*>{form->ob_flipNS, form->ob_NurHeader,
                                                           form->Chk_speichernunter, form->chk_wcs})
      EXPECT_FALSE(option->isHidden());
  }
};

}  // namespace app_test
