// The image window through its widgets: frames of every BITPIX that astropy
// writes, a click on a star filling tb_x and tb_y, the clicks that change
// nothing, the flip, and the reference mark following the typing.
#include <QCoreApplication>

#include "app/image_canvas.h"
#include "app/image_window.h"
#include "imageview/view_text.h"
#include "window_fixture.h"

namespace {

class ImageWindowTest : public app_test::WindowTest {
 protected:
  ImageWindow& view() { return *form->imageWindow; }
  // Reads astropy's star frame of this BITPIX and waits until its image is shown.
  void ReadStar(int bitpix) {
    const std::string path = Path("star" + std::to_string(bitpix) + ".fit");
    ASSERT_EQ(Problems(std::string(VELORIN_PYTHON) + " " + VELORIN_MAKE_FITS + " star " + path + " " +
                           std::to_string(bitpix),
                       ""),
              "");
    ReadFile(path);
    for (int i = 0; i < 500 && view().Loading(); ++i) QTest::qWait(10);
  }
  std::string ViewStatus() const { return form->imageWindow->tb_bildstatus->text().toStdString(); }
  // Where a FITS position of the saved image is drawn on the canvas.
  QPoint On(double x, double y, bool flipped = false) {
    const auto layout = imageview::LayoutOf(64, 48, flipped, imageview::RowOrder::None);
    return WidgetPointOf(layout, view().canvas->FrameToWidget(), {x, y}).toPoint();
  }
  void Click(QPoint at) { QTest::mouseClick(view().canvas, Qt::LeftButton, {}, at); }
  std::string Fields() const { return (form->tb_x->text() + "|" + form->tb_y->text()).toStdString(); }
};

TEST_F(ImageWindowTest, AClickNearAStarTakesItsCentroidInFramesOfEveryBitpix) {
  for (const int bitpix : {8, 16, 32, -32, -64}) {
    SCOPED_TRACE(bitpix);
    ReadStar(bitpix);
    EXPECT_EQ(ViewStatus(), "Bild geladen: 64 × 48 Pixel, BITPIX " + std::to_string(bitpix));
    if (!form->chk_wcs->isChecked()) QTest::mouseClick(form->chk_wcs, Qt::LeftButton, {}, QPoint(5, 8));
    Click(On(22, 29));  // two pixels off the star
    EXPECT_EQ(Fields(), " 20| 31");
    EXPECT_NE(Log().find("Referenzpixel aus Stern: X 20 Y 31 (Zentrum X 20.30 Y 30.70)"), std::string::npos);
  }
}

TEST_F(ImageWindowTest, FlatSkyHiddenOrLockedFieldsChangeNothingAndTheFlipMirrorsTheRows) {
  ReadStar(16);
  Click(On(20, 31));
  EXPECT_EQ(ViewStatus() + "|" + Fields(), std::string(imageview::kHiddenText) + "| 0| 0");
  QTest::mouseClick(form->chk_wcs, Qt::LeftButton, {}, QPoint(5, 8));
  Click(On(50, 10));
  EXPECT_EQ(ViewStatus() + "|" + Fields(),
            std::string(imageview::StatusText(imageview::StarCode::Flat)) + "| 0| 0");
  // Flipped, the star's row counts from the other edge, and the picture shows it so.
  form->ob_flipNS->setChecked(true);
  EXPECT_EQ(view().lbl_ausrichtung->text().toStdString(), "gespiegelt wie gespeichert, Zeile 1 unten");
  Click(On(21, 49 - 31, true));
  EXPECT_EQ(Fields(), " 20| 18");
  form->ob_NurHeader->setChecked(true);  // mirrored back as the option does
  EXPECT_EQ(Fields(), " 20| 31");
  // A file with a WCS of its own locks the fields.
  ASSERT_EQ(
      Problems(std::string(VELORIN_PYTHON) + " " + VELORIN_MAKE_FITS + " cfitsio " + Path("wcs.fit"), ""),
      "");
  ReadFile(Path("wcs.fit"));
  for (int i = 0; i < 500 && view().Loading(); ++i) QTest::qWait(10);
  Click(view().canvas->rect().center());
  EXPECT_EQ(ViewStatus() + "|" + Fields(), std::string(imageview::kLockedText) + "| 3| 2");
}

TEST_F(ImageWindowTest, TheReferenceMarkFollowsTheTyping) {
  ReadStar(16);
  QTest::mouseClick(form->chk_wcs, Qt::LeftButton, {}, QPoint(5, 8));
  // Red on the mark's circle, between the arrows.
  const auto markAt = [&](double x, double y) {
    const QColor colour = view().canvas->grab().toImage().pixelColor(On(x, y) + QPoint(6, 6));
    return colour.red() > 200 && colour.green() < 120;
  };
  Type(form->tb_x, "10");
  Type(form->tb_y, "40");
  EXPECT_TRUE(markAt(10, 40));
  Type(form->tb_x, "50");
  EXPECT_EQ(std::pair(markAt(10, 40), markAt(50, 40)), std::pair(false, true));
}

}  // namespace
