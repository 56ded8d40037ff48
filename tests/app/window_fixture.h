// A window in a directory of its own, which is both the start-up directory
// (velorin.ini) and the current one (logfile.txt), with the file dialog
// answered by the test.
#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/form1.h"

namespace app_test {

inline std::string Slurp(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
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

}  // namespace app_test
