#include "app/form1.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

std::string Text(const QLineEdit* field) {
  return field->text().toStdString();
}

void Type(QLineEdit* field, const char* text) {
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Delete);
  QTest::keyClicks(field, text);
}

TEST(Form1Start, OnlyReadingCanStartAndTheGroupIsHidden) {
  Form1 form;
  EXPECT_EQ(form.size(), QSize(320, 234));  // 4800 x 3510 twips
  EXPECT_EQ(form.tb_statusline->geometry(), QRect(8, 216, 305, 19));
  EXPECT_EQ(form.Image1->pixmap().size(), QSize(115, 144));
  EXPECT_TRUE(form.cmd_fitsauswahl->isEnabled());
  for (QWidget* control : std::initializer_list<QWidget*>{form.cmd_start, form.chk_wcs, form.ob_flipNS,
                                                          form.ob_NurHeader, form.Chk_speichernunter})
    EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
  EXPECT_FALSE(form.chk_wcs->isChecked());  // its design state is checked: the handler ran
  EXPECT_FALSE(form.ob_flipNS->isChecked() || form.ob_NurHeader->isChecked());
  for (QWidget* control : form.WcsGroup()) EXPECT_TRUE(control->isHidden() && control->isEnabled());
  EXPECT_FALSE(form.Image1->isHidden());
  EXPECT_EQ(form.tb_statusline->text(), "warte auf lesen von fitsfile");
  EXPECT_EQ(form.Cb_instrume->currentText(), "Instrumentenauswahl");
  EXPECT_EQ(form.SelectedInstrumentRow(), -1);
  EXPECT_TRUE(form.shared.InstrumentsPending);
}

TEST(Form1Start, EveryCaptionFitsItsControl) {
  Form1 form;
  for (QWidget* control : form.findChildren<QWidget*>()) {
    const auto* button = qobject_cast<QAbstractButton*>(control);
    const auto* label = qobject_cast<QLabel*>(control);
    if (button == nullptr && (label == nullptr || label->text().trimmed().isEmpty())) continue;
    const int needed = button != nullptr ? button->sizeHint().width()
                                         : label->fontMetrics().horizontalAdvance(label->text().trimmed());
    EXPECT_LE(needed, control->width()) << control->objectName().toStdString();
  }
}

TEST(Form1Start, TabOrderFollowsTheTable) {
  Form1 form;
  const QStringList order = {
      "cmd_fitsauswahl", "cmd_start",    "chk_wcs",  "tb_x",        "tb_y",
      "tb_r_HH",         "tb_r_MM",      "tb_r_SS",  "tb_r",        "tb_d_dg",
      "tb_d_MM",         "tb_d_SS",      "tb_d",     "Cb_instrume", "Chk_speichernunter",
      "tb_statusline",   "ob_NurHeader", "ob_flipNS"};
  QStringList chain;
  for (QWidget* w = form.cmd_fitsauswahl; chain.size() < order.size(); w = w->nextInFocusChain())
    if (order.contains(w->objectName()) && !chain.contains(w->objectName())) chain << w->objectName();
  EXPECT_EQ(chain, order);
}

TEST(Form1Fields, EitherFormFillsTheOtherWithoutFeedingBack) {
  Form1 form;
  Type(form.tb_r, "5.1");
  EXPECT_EQ(Text(form.tb_r_HH) + Text(form.tb_r_MM) + Text(form.tb_r_SS), " 5 5 59.9");
  EXPECT_EQ(Text(form.tb_r), "5.1");  // the typed text is never rewritten
  EXPECT_EQ(form.shared.Crval1, 76.5f);
  Type(form.tb_r_HH, "12");
  Type(form.tb_r_MM, "30");
  Type(form.tb_r_SS, "36");
  EXPECT_EQ(Text(form.tb_r), " 12.51");
  EXPECT_EQ(Text(form.tb_r_SS), "36");
  EXPECT_FLOAT_EQ(form.shared.Crval1, 187.65f);

  form.tb_d->setText("45.1");  // set by code: the handler runs nested, at once
  EXPECT_EQ(Text(form.tb_d_dg) + Text(form.tb_d_MM) + Text(form.tb_d_SS), " 45 5 59");
  form.tb_d->setText("-.5");  // just below zero keeps its sign both ways
  EXPECT_EQ(Text(form.tb_d_dg), "-0");
  Type(form.tb_d_SS, "30");
  EXPECT_EQ(Text(form.tb_d), "-.5083333");
  EXPECT_LT(form.shared.Crval2, 0.0f);
  form.tb_d->setText("");
  EXPECT_EQ(form.shared.Crval2, 0.0f);
  EXPECT_FALSE(form.RaDezim || form.RaHMS || form.DeDezim || form.DeGMS);
}

TEST(Form1Fields, ReferencePixelRoundsHalfToEvenAndNeverWraps) {
  Form1 form;
  Type(form.tb_x, "100.5");
  EXPECT_EQ(form.shared.Crpix1, 100);
  Type(form.tb_x, "101.5");
  EXPECT_EQ(form.shared.Crpix1, 102);
  // Text set by the program is kept whole, longer than the typing limit.
  form.tb_x->setText(" 20000");
  EXPECT_EQ(Text(form.tb_x), " 20000");
  EXPECT_EQ(form.shared.Crpix1, 20000);
  // 99999 cannot be stored in 16 bits: the last keystroke is refused.
  Type(form.tb_x, "99999");
  EXPECT_EQ(Text(form.tb_x), "9999");
  EXPECT_EQ(form.shared.Crpix1, 9999);
  Type(form.tb_r_HH, "12345");  // three characters at most
  EXPECT_EQ(Text(form.tb_r_HH), "123");
}

class EventOrder : public QObject {
 public:
  std::vector<std::string> seen;
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent ||
        event->type() == QEvent::EnabledChange)
      seen.push_back(object->objectName().toStdString());
    return false;
  }
};

TEST(Form1Group, ShownHiddenEnabledDisabledInFixedOrderAndIndependently) {
  Form1 form;
  std::vector<std::string> order;
  for (QWidget* control : form.WcsGroup()) order.push_back(control->objectName().toStdString());
  EXPECT_EQ(order[8], "tb_d");
  EXPECT_EQ(order.back(), "Cb_instrume");
  EventOrder events;
  for (QWidget* control : form.WcsGroup()) control->installEventFilter(&events);
  const auto step = [&](auto action) {
    events.seen.clear();
    action();
    EXPECT_EQ(events.seen, order);
  };
  step([&] { form.DisableWcsGroup(); });
  step([&] { form.chk_wcs->setChecked(true); });
  for (QWidget* control : form.WcsGroup()) EXPECT_TRUE(!control->isHidden() && !control->isEnabled());
  EXPECT_TRUE(form.Image1->isHidden());
  step([&] { form.chk_wcs->setChecked(false); });
  step([&] { form.EnableWcsGroup(); });
  for (QWidget* control : form.WcsGroup()) EXPECT_TRUE(control->isHidden() && control->isEnabled());
  EXPECT_FALSE(form.Image1->isHidden());
  for (QWidget* control : form.WcsGroup()) control->removeEventFilter(&events);
}

class Form1Options : public testing::Test {
 protected:
  Form1 form;
  void SetUp() override {
    form.ob_flipNS->setEnabled(true);
    form.ob_NurHeader->setEnabled(true);
    form.shared.Naxis2 = 1000;
    form.tb_y->setText(" 300");
  }
};

TEST_F(Form1Options, FlipMirrorsTheReferencePixelOnce) {
  form.ob_flipNS->setChecked(true);
  EXPECT_EQ(Text(form.tb_y), " 700");
  EXPECT_EQ(form.shared.Crpix2, 700);
  form.ob_flipNS_Click();  // selected again, by code and by a click: no second mirror
  QTest::mouseClick(form.ob_flipNS, Qt::LeftButton);
  EXPECT_EQ(form.shared.Crpix2, 700);
  form.ob_NurHeader->setChecked(true);
  EXPECT_EQ(Text(form.tb_y), " 300");
  EXPECT_FALSE(form.shared.FlipNorthSouth);
  form.tb_y->setText(" 1150");
  form.ob_flipNS->setChecked(true);
  EXPECT_EQ(Text(form.tb_y), "-150");  // beyond the image: negative, no blank
}

TEST_F(Form1Options, MirrorThatDoesNotFitIsRefused) {
  form.shared.Naxis2 = 32767;
  form.tb_y->setText("-100");
  form.ob_flipNS->setChecked(true);
  EXPECT_EQ(form.shared.Crpix2, -100);
  EXPECT_EQ(Text(form.tb_y), "-100");
  EXPECT_FALSE(form.shared.FlipNorthSouth);
  EXPECT_TRUE(form.ob_NurHeader->isChecked());
  EXPECT_EQ(form.tb_statusline->text().left(8), "Warnung:");
  // Flipped, then a y typed that cannot be mirrored back: the flip stays.
  form.tb_y->setText(" 100");
  form.ob_flipNS->setChecked(true);
  form.tb_y->setText("-32000");
  form.ob_NurHeader->setChecked(true);
  EXPECT_EQ(form.shared.Crpix2, -32000);
  EXPECT_TRUE(form.shared.FlipNorthSouth && form.ob_flipNS->isChecked());
}

TEST(Form1Pause, EndsOnTheTickOrWhenFatalErrorIsSet) {
  Form1 form;
  QElapsedTimer clock;
  clock.start();
  form.OneTickPause(50);
  EXPECT_FALSE(form.TimerActive || form.Timer1->isActive());
  EXPECT_GE(clock.elapsed(), 40);
  clock.restart();
  QTimer::singleShot(20, [&form] { form.shared.FatalError = true; });
  form.OneTickPause(10000);
  EXPECT_LT(clock.elapsed(), 5000);
  EXPECT_TRUE(form.TimerActive);  // left early: the tick has not come
}

TEST(Form1Instruments, TypedTextSelectsNoRow) {
  Form1 form;
  form.Cb_instrume->addItem("A");
  form.Cb_instrume->addItem("B");
  form.Cb_instrume->setCurrentIndex(1);
  EXPECT_EQ(form.SelectedInstrumentRow(), 1);
  form.Cb_instrume->setEditText("my own camera");
  EXPECT_EQ(form.SelectedInstrumentRow(), -1);
  QTest::keyClick(form.Cb_instrume->lineEdit(), Qt::Key_Return);  // never becomes an entry
  EXPECT_EQ(form.Cb_instrume->count(), 2);
}

}  // namespace
