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

TEST(Form1Start, WindowAndControlsAsLaidOut) {
  Form1 form;
  EXPECT_EQ(form.size(), QSize(320, 234));
  EXPECT_EQ(form.windowTitle(), "VELORIN: www.velorin.example");
  struct Row {
    const char* name;
    QRect twips;
  };
  const Row rows[] = {
      {"cmd_fitsauswahl", {240, 120, 1215, 495}},
      {"cmd_start", {240, 840, 1215, 495}},
      {"chk_wcs", {120, 2640, 1455, 255}},
      {"tb_x", {2400, 360, 735, 285}},
      {"tb_y", {3600, 360, 735, 285}},
      {"Label3", {2160, 120, 2055, 255}},
      {"Label6", {3240, 720, 1335, 255}},
      {"tb_r_SS", {4200, 960, 495, 285}},
      {"tb_d", {3240, 2280, 1455, 285}},
      {"Cb_instrume", {2280, 2880, 2415, 315}},
      {"tb_statusline", {120, 3240, 4575, 285}},
      {"ob_NurHeader", {120, 1920, 1815, 195}},
      {"ob_flipNS", {120, 2160, 1455, 195}},
      {"Image1", {2280, 360, 1725, 2160}},
  };
  for (const Row& row : rows) {
    const auto* control = form.findChild<QWidget*>(row.name);
    ASSERT_NE(control, nullptr) << row.name;
    const QRect& t = row.twips;
    EXPECT_EQ(control->geometry(), QRect(t.x() / 15, t.y() / 15, t.width() / 15, t.height() / 15))
        << row.name;
  }
  EXPECT_EQ(form.Label6->text(), " HH      MM     SS");
  EXPECT_EQ(form.Label7->text(), "  Deg      MM     SS");
  EXPECT_EQ(form.Label4->text(), "Rektaszension ");
  EXPECT_EQ(form.ob_NurHeader->text(), QString::fromUtf8("nur Header ändern"));
  EXPECT_EQ(form.ob_flipNS->text(), QString::fromUtf8("flip Nord/Süd"));
  EXPECT_FALSE(form.Image1->pixmap().isNull());
  EXPECT_EQ(form.Image1->pixmap().size(), QSize(115, 144));
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
  const std::vector<std::string> order = {
      "cmd_fitsauswahl", "cmd_start",    "chk_wcs",  "tb_x",        "tb_y",
      "tb_r_HH",         "tb_r_MM",      "tb_r_SS",  "tb_r",        "tb_d_dg",
      "tb_d_MM",         "tb_d_SS",      "tb_d",     "Cb_instrume", "Chk_speichernunter",
      "tb_statusline",   "ob_NurHeader", "ob_flipNS"};
  std::vector<std::string> chain;
  QWidget* widget = form.cmd_fitsauswahl;
  do {
    const std::string name = widget->objectName().toStdString();
    if (std::find(order.begin(), order.end(), name) != order.end() &&
        std::find(chain.begin(), chain.end(), name) == chain.end())
      chain.push_back(name);
    widget = widget->nextInFocusChain();
  } while (widget != form.cmd_fitsauswahl);
  EXPECT_EQ(chain, order);
}

TEST(Form1Start, OnlyReadingCanStart) {
  Form1 form;
  EXPECT_TRUE(form.cmd_fitsauswahl->isEnabled());
  for (QWidget* control : std::initializer_list<QWidget*>{form.cmd_start, form.chk_wcs, form.ob_flipNS,
                                                          form.ob_NurHeader, form.Chk_speichernunter})
    EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
  EXPECT_FALSE(form.chk_wcs->isChecked());
  EXPECT_FALSE(form.ob_flipNS->isChecked());
  EXPECT_FALSE(form.ob_NurHeader->isChecked());
  EXPECT_FALSE(form.Chk_speichernunter->isChecked());
  for (QWidget* control : form.WcsGroup()) {
    EXPECT_TRUE(control->isHidden()) << control->objectName().toStdString();
    EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
  }
  EXPECT_FALSE(form.Image1->isHidden());
  EXPECT_EQ(form.tb_statusline->text(), "warte auf lesen von fitsfile");
  for (const QLineEdit* field : {form.tb_r, form.tb_r_HH, form.tb_r_MM, form.tb_r_SS, form.tb_d, form.tb_d_dg,
                                 form.tb_d_MM, form.tb_d_SS, form.tb_x, form.tb_y})
    EXPECT_EQ(field->text(), "0");
  EXPECT_EQ(form.Cb_instrume->currentText(), "Instrumentenauswahl");
  EXPECT_EQ(form.Cb_instrume->count(), 0);
  EXPECT_EQ(form.SelectedInstrumentRow(), -1);
  EXPECT_TRUE(form.shared.InstrumentsPending);
  EXPECT_FALSE(form.RaDezim || form.RaHMS || form.DeDezim || form.DeGMS || form.TimerActive);
  EXPECT_FALSE(form.shared.StartDirectory.empty());
}

class Form1Fields : public testing::Test {
 protected:
  Form1 form;
  void Type(QLineEdit* field, const char* text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }
  void ExpectFlagsDown() { EXPECT_FALSE(form.RaDezim || form.RaHMS || form.DeDezim || form.DeGMS); }
};

TEST_F(Form1Fields, TypedRightAscensionFillsTheOtherForm) {
  Type(form.tb_r, "5.1");
  EXPECT_EQ(Text(form.tb_r_HH), " 5");
  EXPECT_EQ(Text(form.tb_r_MM), " 5");
  EXPECT_EQ(Text(form.tb_r_SS), " 59.9");
  EXPECT_EQ(Text(form.tb_r), "5.1");  // the typed text is never rewritten
  EXPECT_EQ(form.shared.RaHours, 5.1f);
  EXPECT_EQ(form.shared.Crval1, 76.5f);

  Type(form.tb_r_HH, "12");
  Type(form.tb_r_MM, "30");
  Type(form.tb_r_SS, "36");
  EXPECT_EQ(Text(form.tb_r), " 12.51");
  EXPECT_EQ(Text(form.tb_r_HH), "12");
  EXPECT_EQ(Text(form.tb_r_SS), "36");
  EXPECT_FLOAT_EQ(form.shared.Crval1, 187.65f);
  ExpectFlagsDown();
}

TEST_F(Form1Fields, DeclinationBothWays) {
  Type(form.tb_d, "45.1");
  EXPECT_EQ(Text(form.tb_d_dg), " 45");
  EXPECT_EQ(Text(form.tb_d_MM), " 5");
  EXPECT_EQ(Text(form.tb_d_SS), " 59");
  EXPECT_EQ(form.shared.Crval2, 45.1f);

  form.tb_d->setText("-12.25");  // set by code: the handler runs nested, at once
  EXPECT_EQ(Text(form.tb_d_dg), "-12");
  EXPECT_EQ(Text(form.tb_d_MM), " 15");
  EXPECT_EQ(form.shared.DecDegrees, -12.25f);

  Type(form.tb_d_MM, "30");  // changing the minutes alone reads all three fields
  EXPECT_EQ(Text(form.tb_d), "-12.5");
  EXPECT_EQ(form.shared.Crval2, -12.5f);

  form.tb_d->setText("");
  EXPECT_EQ(form.shared.Crval2, 0.0f);
  EXPECT_EQ(Text(form.tb_d_dg), " 0");
  ExpectFlagsDown();
}

TEST_F(Form1Fields, DeclinationJustBelowZeroKeepsItsSign) {
  form.tb_d->setText("-.5");
  EXPECT_EQ(Text(form.tb_d_dg), "-0");
  EXPECT_EQ(Text(form.tb_d_MM), " 30");
  Type(form.tb_d_SS, "30");  // reads the "-0" back as a negative declination
  EXPECT_EQ(Text(form.tb_d), "-.5083333");
  EXPECT_LT(form.shared.Crval2, 0.0f);

  Type(form.tb_d_dg, "-0");
  Type(form.tb_d_MM, "15");
  Type(form.tb_d_SS, "0");
  EXPECT_EQ(form.shared.DecDegrees, -0.25f);
}

TEST_F(Form1Fields, ReferencePixelRoundsHalfToEvenAndNeverWraps) {
  Type(form.tb_x, "100.5");
  EXPECT_EQ(form.shared.Crpix1, 100);
  Type(form.tb_x, "101.5");
  EXPECT_EQ(form.shared.Crpix1, 102);
  Type(form.tb_y, "abc");
  EXPECT_EQ(form.shared.Crpix2, 0);

  // Text set by the program is kept whole although it is longer than the
  // typing limit of five characters.
  form.tb_x->setText(" 20000");
  EXPECT_EQ(Text(form.tb_x), " 20000");
  EXPECT_EQ(form.shared.Crpix1, 20000);

  // 99999 cannot be stored in 16 bits: the last keystroke is refused.
  Type(form.tb_x, "99999");
  EXPECT_EQ(Text(form.tb_x), "9999");
  EXPECT_EQ(form.shared.Crpix1, 9999);
  Type(form.tb_y, "-40000");
  EXPECT_EQ(Text(form.tb_y), "-4000");
  EXPECT_EQ(form.shared.Crpix2, -4000);

  Type(form.tb_r_HH, "12345");  // three characters at most
  EXPECT_EQ(Text(form.tb_r_HH), "123");
}

class GroupEvents : public QObject {
 public:
  std::vector<std::string> seen;
  QEvent::Type type;
  explicit GroupEvents(QEvent::Type watched) : type(watched) {}
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == type) seen.push_back(object->objectName().toStdString());
    return false;
  }
};

TEST(Form1Group, ShownHiddenEnabledDisabledInFixedOrder) {
  Form1 form;
  std::vector<std::string> order;
  for (QWidget* control : form.WcsGroup()) order.push_back(control->objectName().toStdString());
  EXPECT_EQ(order.front(), "Label1");
  EXPECT_EQ(order[8], "tb_d");
  EXPECT_EQ(order.back(), "Cb_instrume");

  for (const QEvent::Type type : {QEvent::ShowToParent, QEvent::HideToParent, QEvent::EnabledChange}) {
    GroupEvents events(type);
    for (QWidget* control : form.WcsGroup()) control->installEventFilter(&events);
    if (type == QEvent::ShowToParent) form.chk_wcs->setChecked(true);
    if (type == QEvent::HideToParent) form.chk_wcs->setChecked(false);
    if (type == QEvent::EnabledChange) form.DisableWcsGroup();
    EXPECT_EQ(events.seen, order) << type;
    for (QWidget* control : form.WcsGroup()) control->removeEventFilter(&events);
  }
}

TEST(Form1Group, CheckBoxShowsGroupInPlaceOfPicture) {
  Form1 form;
  form.DisableWcsGroup();
  form.chk_wcs->setChecked(true);  // set by code: the handler runs
  for (QWidget* control : form.WcsGroup()) {
    EXPECT_FALSE(control->isHidden());
    EXPECT_FALSE(control->isEnabled());  // showing keeps the enabled state
  }
  EXPECT_TRUE(form.Image1->isHidden());
  form.chk_wcs->setChecked(false);
  for (QWidget* control : form.WcsGroup()) EXPECT_TRUE(control->isHidden());
  EXPECT_FALSE(form.Image1->isHidden());
  form.EnableWcsGroup();
  for (QWidget* control : form.WcsGroup()) {
    EXPECT_TRUE(control->isHidden());  // enabling keeps it hidden
    EXPECT_TRUE(control->isEnabled());
  }
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
  EXPECT_EQ(form.shared.Crpix2, 700);
  EXPECT_EQ(Text(form.tb_y), " 700");
  EXPECT_TRUE(form.shared.FlipNorthSouth);

  // Selected again, by code and by a click: no second mirror.
  form.ob_flipNS_Click();
  QTest::mouseClick(form.ob_flipNS, Qt::LeftButton);
  EXPECT_EQ(form.shared.Crpix2, 700);

  form.ob_NurHeader->setChecked(true);
  EXPECT_EQ(form.shared.Crpix2, 300);
  EXPECT_EQ(Text(form.tb_y), " 300");
  EXPECT_FALSE(form.shared.FlipNorthSouth);

  form.ob_NurHeader_Click();  // flag clear: nothing changes
  EXPECT_EQ(form.shared.Crpix2, 300);
}

TEST_F(Form1Options, MirrorBeyondTheImageIsNegative) {
  form.shared.Naxis2 = 100;
  form.tb_y->setText(" 150");
  form.ob_flipNS->setChecked(true);
  EXPECT_EQ(Text(form.tb_y), "-50");
  EXPECT_EQ(form.shared.Crpix2, -50);
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
  EXPECT_EQ(form.shared.Crpix2, 32667);
  form.tb_y->setText("-32000");
  form.ob_NurHeader->setChecked(true);
  EXPECT_EQ(form.shared.Crpix2, -32000);
  EXPECT_TRUE(form.shared.FlipNorthSouth);
  EXPECT_TRUE(form.ob_flipNS->isChecked());
}

TEST(Form1Pause, EndsOnTheTickOrWhenFatalErrorIsSet) {
  Form1 form;
  QElapsedTimer clock;
  clock.start();
  form.OneTickPause(50);
  EXPECT_FALSE(form.TimerActive);
  EXPECT_FALSE(form.Timer1->isActive());
  EXPECT_GE(clock.elapsed(), 40);

  clock.restart();
  QTimer::singleShot(20, [&form] { form.shared.FatalError = true; });
  form.OneTickPause(10000);
  EXPECT_LT(clock.elapsed(), 5000);
  EXPECT_TRUE(form.TimerActive);  // left early: the tick has not come

  form.shared.FatalError = true;
  clock.restart();
  form.OneTickPause(10000);
  EXPECT_LT(clock.elapsed(), 1000);
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
