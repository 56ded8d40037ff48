// "WCS prüfen" and "Lösung übernehmen" in the image view, on the command
// line test's own sky (sky_frame.py): verdicts, nothing written by a check,
// and a saved solution within 1″ of the WCS the frame was rendered with.
#include "app/image_window.h"
#include "window_fixture.h"

namespace {

const std::string kSkyFrame = std::string(VELORIN_PYTHON) + " " + VELORIN_SKY_FRAME;

class ImageWindowCheck : public app_test::WindowTest {
 protected:
  static inline fs::path sky;
  static void SetUpTestSuite() {
    sky = fs::temp_directory_path() / ("velorin_viewsky_" + std::to_string(::getpid()));
    fs::create_directories(sky / "index");
    RunIn(sky, kSkyFrame +
                   " make . && build-astrometry-index -i cat.fits -o index/index-P6.fits "
                   "-P 6 -E -S MAG -A RA -D DEC -I 90006 >/dev/null");
  }
  static void TearDownTestSuite() { fs::remove_all(sky); }
  void SetUp() override {
    if (RunIn(".", "command -v solve-field").status != 0) GTEST_SKIP() << "astrometry.net is not installed";
    WindowTest::SetUp();
    Write("velorin.ini", "[instruments]\n'Test' -0.000805556 0.000805556 12\n[end]\n");
    for (const char* name : {"frame.fits", "mirror.fits"}) fs::copy_file(sky / name, dir / name);
    form->imageWindow->indexFolders = {sky / "index"};
  }
  // The status once the check ended; it must run while the window goes on.
  std::string Check() {
    QTest::mouseClick(form->imageWindow->cmd_wcspruefen, Qt::LeftButton);
    EXPECT_TRUE(form->imageWindow->Checking());
    for (int i = 0; i < 3000 && form->imageWindow->Checking(); ++i) QTest::qWait(10);
    return form->imageWindow->tb_bildstatus->text().toStdString();
  }
  void Enter(const char* file, const char* dec) {
    ReadFile(Path(file));
    if (!form->chk_wcs->isChecked()) QTest::mouseClick(form->chk_wcs, Qt::LeftButton, {}, QPoint(5, 8));
    for (auto [field, text] :
         {std::pair{form->tb_r, "6.15"}, {form->tb_d, dec}, {form->tb_x, "600"}, {form->tb_y, "400"}})
      Type(field, text);
    form->Cb_instrume->setCurrentIndex(0);
  }
};

TEST_F(ImageWindowCheck, VerdictsWithoutWritingThenTheSolutionSavedAsTyped) {
  ReadFile(Path("frame.fits"));
  QTest::mouseClick(form->imageWindow->cmd_wcspruefen, Qt::LeftButton);
  EXPECT_EQ(form->imageWindow->tb_bildstatus->text().toStdString().rfind("kein WCS zum Prüfen", 0), 0u);
  Enter("mirror.fits", "24.33");
  EXPECT_EQ(Check().rfind("gespiegelt: das Bild zeigt den Himmel seitenverkehrt, der Eintrag nicht "
                          "(\"flip Nord/Süd\" wählen, dann \"Lösung übernehmen\")",
                          0),
            0u);
  EXPECT_FALSE(form->imageWindow->cmd_loesunguebernehmen->isEnabled());
  for (auto [dec, verdict] : {std::pair{"24.33", "passt: "}, {"24.3466667", "weicht ab: Versatz 60.0″"}}) {
    Enter("frame.fits", dec);
    EXPECT_EQ(Check().rfind(verdict, 0), 0u) << dec;
  }
  for (const char* name : {"frame.fits", "mirror.fits"}) EXPECT_EQ(Slurp(dir / name), Slurp(sky / name));
  QTest::mouseClick(form->imageWindow->cmd_loesunguebernehmen, Qt::LeftButton);
  EXPECT_EQ(
      (form->tb_x->text() + "|" + form->tb_y->text() + "|" + form->Cb_instrume->currentText()).toStdString(),
      " 600| 400|gelöst");
  QTest::mouseClick(form->cmd_start, Qt::LeftButton);
  EXPECT_LT(std::stod(RunIn(dir.path, kSkyFrame + " offset frame.fits").out), 1.0) << Status();
  EXPECT_EQ(fs::file_size(dir / "frame.fits"), fs::file_size(sky / "frame.fits"));
}

}  // namespace
