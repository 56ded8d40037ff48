// The window on its own: layout, the coordinate fields feeding each other,
// the WCS group and the save options.
#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include "window_fixture.h"

static std::string Text(const QLineEdit* field) {
  return field->text().toStdString();
}

class Form1Test : public app_test::WindowTest {};

TEST_F(Form1Test, StartLayoutOnlyReadingCanStart) {
  // The picture found and scaled; chk_wcs' design state is checked: its handler ran.
  EXPECT_EQ(form->Image1->pixmap().size(), QSize(115, 144));
  EXPECT_EQ(State() + Status() + "|" + form->Cb_instrume->currentText().toStdString() +
                std::to_string(form->SelectedInstrumentRow()) +
                (form->shared.InstrumentsPending ? " pending" : ""),
            "v+ v- v- v- v- v- | h+ | v+ warte auf lesen von fitsfile|Instrumentenauswahl-1 pending");
  form->Cb_instrume->addItem("A");  // a text typed by the user selects no row and never becomes an entry
  form->Cb_instrume->setEditText("my own camera");
  QTest::keyClick(form->Cb_instrume->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(std::pair(form->SelectedInstrumentRow(), form->Cb_instrume->count()), std::pair(-1, 1));
  const QString longName =
      "Takahashi FSQ-106 + KAF-16803";  // too long for the box: whole in list and tooltip
  form->Cb_instrume->addItem(longName);
  form->Cb_instrume->setCurrentIndex(1);
  EXPECT_TRUE(form->Cb_instrume->toolTip() == longName &&
              form->Cb_instrume->view()->minimumWidth() >
                  form->Cb_instrume->view()->fontMetrics().horizontalAdvance(longName));
  for (QWidget* control : form->findChildren<QWidget*>()) {  // every caption fits its control
    const auto* button = qobject_cast<QAbstractButton*>(control);
    const auto* label = qobject_cast<QLabel*>(control);
    if (button == nullptr && (label == nullptr || label->text().trimmed().isEmpty())) continue;
    EXPECT_LE(
        button ? button->sizeHint().width() : label->fontMetrics().horizontalAdvance(label->text().trimmed()),
        control->width())
        << control->objectName().toStdString();
  }
  const QString order =
      "cmd_fitsauswahl cmd_start chk_wcs tb_x tb_y tb_r_HH tb_r_MM tb_r_SS tb_r tb_d_dg tb_d_MM tb_d_SS tb_d "
      "Cb_instrume Chk_speichernunter tb_statusline ob_NurHeader ob_flipNS";
  QStringList chain;
  for (QWidget* w = form->cmd_fitsauswahl; chain.size() <= order.count(' '); w = w->nextInFocusChain())
    if (order.split(' ').contains(w->objectName()) && !chain.contains(w->objectName()))
      chain << w->objectName();
  EXPECT_EQ(chain.join(' '), order);
  // Qt's own buttons speak German like the window.
  const QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().toStdString(), "Abbrechen");
}

TEST_F(Form1Test, EitherFormFillsTheOtherWithoutFeedingBack) {
  Type(form->tb_r, "5.1");  // the typed text is never rewritten
  EXPECT_EQ(Text(form->tb_r_HH) + Text(form->tb_r_MM) + Text(form->tb_r_SS) + "|" + Text(form->tb_r) +
                (form->shared.Crval1 == 76.5f ? "" : " crval1"),
            " 5 5 59.9|5.1");
  Type(form->tb_r_HH, "12");  // with 5 min 59.9 s from above
  EXPECT_EQ(Text(form->tb_r) + Text(form->tb_r_HH), " 12.0999712");
  form->tb_d->setText("45.1");  // set by code: the handler runs nested, at once
  EXPECT_EQ(Text(form->tb_d_dg) + Text(form->tb_d_MM) + Text(form->tb_d_SS), " 45 5 59");
  form->tb_d->setText("");
  EXPECT_FALSE(form->shared.Crval2 != 0.0f || form->RaDezim || form->RaHMS || form->DeDezim || form->DeGMS);
  // The conversions and rounding are the coords tests'; a keystroke that would not fit 16 bits is refused.
  Type(form->tb_x, "99999");
  EXPECT_EQ(Text(form->tb_x) + " " + std::to_string(form->shared.Crpix1), "9999 9999");
  form->tb_x->setText(" 20000");  // text set by the program is kept whole, longer than the typing limit
  EXPECT_EQ(Text(form->tb_x) + std::to_string(form->shared.Crpix1), " 2000020000");
  Type(form->tb_r_HH, "12345");  // three characters at most
  EXPECT_EQ(Text(form->tb_r_HH), "123");
}

TEST_F(Form1Test, FlipMirrorsTheReferencePixelOnceOrNotAtAll) {
  form->ob_flipNS->setEnabled(true);
  form->ob_NurHeader->setEnabled(true);
  form->shared.Naxis2 = 1000;
  form->tb_y->setText(" 300");
  form->ob_flipNS->setChecked(true);
  EXPECT_EQ(Text(form->tb_y) + "|" + std::to_string(form->shared.Crpix2),
            " 701|701");    // row j becomes row NAXIS2 + 1 - j
  form->ob_flipNS_Click();  // selected again, by code and by a click: no second mirror
  QTest::mouseClick(form->ob_flipNS, Qt::LeftButton);
  const std::string once = std::to_string(form->shared.Crpix2);
  form->ob_NurHeader->setChecked(true);
  EXPECT_EQ(once + Text(form->tb_y) + (form->shared.FlipNorthSouth ? " flip" : ""), "701 300");
  // Mirrored at 12000 rows, 100 becomes " 11901": six characters in a field of five. A typed digit would
  // make it " 119015" while CRPIX2 stayed.
  form->shared.Naxis2 = 12000;
  Type(form->tb_y, "100");
  form->ob_flipNS->setChecked(true);
  form->tb_y->end(false);
  QTest::keyClicks(form->tb_y, "5");
  EXPECT_EQ(Text(form->tb_y) + " " + std::to_string(form->shared.Crpix2), " 11901 11901");
  QTest::keyClick(form->tb_y, Qt::Key_Backspace);
  EXPECT_EQ(Text(form->tb_y) + " " + std::to_string(form->shared.Crpix2), " 1190 1190");
  form->ob_NurHeader->setChecked(true);
  form->shared.Naxis2 = 32767;  // a mirror that does not fit: kept unmirrored while no WCS is written,
  form->tb_y->setText("-100");
  form->ob_flipNS->setChecked(true);
  EXPECT_TRUE(form->shared.FlipNorthSouth && Status() == "warte auf lesen von fitsfile");
  form->chk_wcs->setChecked(true);  // refused once one is
  EXPECT_EQ(Text(form->tb_y) + "|" + std::to_string(form->shared.Crpix2) + "|" + Status(),
            "-100|-100|Warnung: gespiegeltes Referenzpixel Y passt nicht in 16 Bit, nicht gespiegelt");
  EXPECT_TRUE(!form->shared.FlipNorthSouth && form->ob_NurHeader->isChecked());
  form->tb_y->setText(" 100");  // flipped, then a y typed that cannot be mirrored back: the flip stays
  form->ob_flipNS->setChecked(true);
  form->tb_y->setText("-32000");
  form->ob_NurHeader->setChecked(true);
  EXPECT_TRUE(form->shared.Crpix2 == -32000 && form->shared.FlipNorthSouth && form->ob_flipNS->isChecked());
}

// Ending on the tick is proven by every save, which would hang otherwise.
TEST_F(Form1Test, PauseEndsWhenFatalErrorIsSet) {
  QElapsedTimer clock;
  clock.start();
  QTimer::singleShot(20, [this] { form->shared.FatalError = true; });
  form->OneTickPause(10000);
  EXPECT_TRUE(clock.elapsed() < 5000 && form->TimerActive);  // left early: the tick has not come
}
