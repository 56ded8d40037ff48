#include "app/form1.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "app/display_text.h"
#include "app/image_window.h"
#include "app/typing_limit.h"
#include "coords/number_text.h"
#include "coords/typed_text.h"
#include "fits/pixel_copy.h"
#include "fits/velorin_identity.h"

// The picture is compiled into the static app library; its resource must be
// registered by hand there.
static void InitResources() {
  Q_INIT_RESOURCE(velorin);
}

namespace {

constexpr int kStartTimerIntervalMs = 1200;

void FitListToEntries(QComboBox& box) {
  int widest = 0;
  for (int row = 0; row < box.count(); ++row)
    widest = std::max(widest, box.view()->fontMetrics().horizontalAdvance(box.itemText(row)));
  // Room for the entry's margins and a scroll bar beside the longest name.
  box.view()->setMinimumWidth(widest + 2 * box.view()->frameWidth() +
                              box.style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                              box.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) * 4);
}

// Places a control at its position given in twips.
template <typename Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(name);
  widget->setGeometry(left / Form1::kTwipsPerPixel, top / Form1::kTwipsPerPixel,
                      width / Form1::kTwipsPerPixel, height / Form1::kTwipsPerPixel);
  return widget;
}

QLineEdit* Field(QWidget* parent, const char* name, coords::FieldLimit limit, int left, int top, int width,
                 int height) {
  auto* field = Place(new QLineEdit("0", parent), name, left, top, width, height);
  if (limit.maxLength > 0 || limit.fitsInteger) field->setValidator(new TypingLimit(limit, field));
  return field;
}

QLabel* Caption(QWidget* parent, const char* name, const char* text, int left, int top, int width,
                int height) {
  auto* label = Place(new QLabel(QString::fromUtf8(text), parent), name, left, top, width, height);
  label->setWordWrap(false);
  return label;
}

}  // namespace

Form1::Form1() {
  InitResources();
  setObjectName("Form1");
  setFixedSize(kClientWidthTwips / kTwipsPerPixel, kClientHeightTwips / kTwipsPerPixel);
  setWindowTitle(QString("VELORIN: ") + fits::kPublisherAddress);
  setAcceptDrops(true);
  BuildControls();
  ConnectHandlers();
  imageWindow = new ImageWindow(*this);  // after the handlers: it redraws once they have run
  Form_Load();
}

// The image window reads the shared state and the fields: it goes while they are still there.
Form1::~Form1() {
  delete imageWindow;
}

void Form1::BuildControls() {
  // Created in tab order, so Qt's focus chain follows it.
  cmd_fitsauswahl = Place(new QPushButton("fits lesen", this), "cmd_fitsauswahl", 240, 120, 1215, 495);
  cmd_start = Place(new QPushButton("fits speichern", this), "cmd_start", 240, 840, 1215, 495);
  chk_wcs = Place(new QCheckBox("Add WCS-Info", this), "chk_wcs", 120, 2640, 1455, 255);
  tb_x = Field(this, "tb_x", coords::kPixelField, 2400, 360, 735, 285);
  tb_y = Field(this, "tb_y", coords::kPixelField, 3600, 360, 735, 285);
  Label1 = Caption(this, "Label1", "X=", 2040, 405, 255, 255);
  Label2 = Caption(this, "Label2", "Y=", 3360, 405, 255, 255);
  Label3 = Caption(this, "Label3", "Referenzpixelposition", 2160, 120, 2055, 255);
  Label4 = Caption(this, "Label4", "Rektaszension ", 2040, 960, 1095, 255);
  Label5 = Caption(this, "Label5", "Deklination", 2280, 1920, 855, 255);
  Label6 = Caption(this, "Label6", " HH      MM     SS", 3240, 720, 1335, 255);
  tb_r_HH = Field(this, "tb_r_HH", coords::kRaHoursField, 3240, 960, 375, 285);
  tb_r_MM = Field(this, "tb_r_MM", coords::kRaMinutesField, 3720, 960, 375, 285);
  tb_r_SS = Field(this, "tb_r_SS", coords::kRaSecondsField, 4200, 960, 495, 285);
  tb_r = Field(this, "tb_r", coords::kRaDecimalField, 3240, 1320, 1455, 285);
  tb_d_dg = Field(this, "tb_d_dg", coords::kDecDegreesField, 3240, 1920, 495, 285);
  tb_d_MM = Field(this, "tb_d_MM", coords::kDecMinutesField, 3840, 1920, 375, 285);
  tb_d_SS = Field(this, "tb_d_SS", coords::kDecSecondsField, 4320, 1920, 375, 285);
  tb_d = Field(this, "tb_d", coords::kDecDecimalField, 3240, 2280, 1455, 285);
  Label7 = Caption(this, "Label7", "  Deg      MM     SS", 3240, 1680, 1455, 255);
  Label8 = Caption(this, "Label8", "Instrument", 2280, 2640, 855, 255);
  Cb_instrume = Place(new QComboBox(this), "Cb_instrume", 2280, 2880, 2415, 315);
  Cb_instrume->setEditable(true);
  Cb_instrume->setInsertPolicy(QComboBox::NoInsert);  // typed text is never a new instrument
  Cb_instrume->setEditText("Instrumentenauswahl");
  // A long name shows from its start, not scrolled to its end.
  connect(Cb_instrume, &QComboBox::currentIndexChanged, Cb_instrume, [this](int index) {
    Cb_instrume->lineEdit()->setCursorPosition(0);
    Cb_instrume->setToolTip(index < 0 ? QString() : Cb_instrume->itemText(index));  // the name the box cuts
  });
  // The list shows every name whole, however narrow the box.
  for (const auto changed : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
    connect(Cb_instrume->model(), changed, Cb_instrume, [this] { FitListToEntries(*Cb_instrume); });
  Chk_speichernunter =
      Place(new QCheckBox("speichern unter", this), "Chk_speichernunter", 120, 1440, 1455, 255);
  tb_statusline =
      Place(new QLineEdit("warte auf lesen von fitsfile", this), "tb_statusline", 120, 3240, 4575, 285);
  tb_statusline->setReadOnly(true);
  ob_NurHeader = Place(new QRadioButton(QString::fromUtf8("nur Header ändern"), this), "ob_NurHeader", 120,
                       1920, 1815, 195);
  ob_flipNS =
      Place(new QRadioButton(QString::fromUtf8("flip Nord/Süd"), this), "ob_flipNS", 120, 2160, 1455, 195);
  Image1 = Place(new QLabel(this), "Image1", 2280, 360, 1725, 2160);
  Image1->setPixmap(QPixmap(":/velorin/starfield.jpg"));
  Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(kStartTimerIntervalMs);
  Timer1->start();

  chk_wcs->setChecked(true);  // the design state; Form_Load unchecks it
}

void Form1::ConnectHandlers() {
  // Direct connections: each handler runs inside the call that changed the value.
  connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
  connect(cmd_fitsauswahl, &QPushButton::clicked, this, &Form1::cmd_fitsauswahl_Click);
  connect(cmd_start, &QPushButton::clicked, this, &Form1::cmd_start_Click);
  connect(chk_wcs, &QCheckBox::toggled, this, &Form1::chk_wcs_Click);
  // Only a click is the user's: a check the file's WCS made is not.
  connect(chk_wcs, &QCheckBox::clicked, this, [this] { shared.WcsCheckedByFile = false; });
  connect(ob_flipNS, &QRadioButton::toggled, this, [this](bool selected) {
    if (selected) ob_flipNS_Click();
  });
  connect(ob_NurHeader, &QRadioButton::toggled, this, [this](bool selected) {
    if (selected) ob_NurHeader_Click();
  });
  connect(tb_r, &QLineEdit::textChanged, this, &Form1::tb_r_Change);
  connect(tb_r_HH, &QLineEdit::textChanged, this, &Form1::tb_r_HH_Change);
  connect(tb_r_MM, &QLineEdit::textChanged, this, &Form1::tb_r_MM_Change);
  connect(tb_r_SS, &QLineEdit::textChanged, this, &Form1::tb_r_SS_Change);
  connect(tb_d, &QLineEdit::textChanged, this, &Form1::tb_d_Change);
  connect(tb_d_dg, &QLineEdit::textChanged, this, &Form1::tb_d_dg_Change);
  connect(tb_d_MM, &QLineEdit::textChanged, this, &Form1::tb_d_MM_Change);
  connect(tb_d_SS, &QLineEdit::textChanged, this, &Form1::tb_d_SS_Change);
  connect(tb_x, &QLineEdit::textChanged, this, &Form1::tb_x_Change);
  connect(tb_y, &QLineEdit::textChanged, this, &Form1::tb_y_Change);
}

void Form1::Form_Load() {
  chk_wcs->setChecked(false);
  for (QWidget* control :
       std::initializer_list<QWidget*>{chk_wcs, ob_flipNS, ob_NurHeader, Chk_speichernunter, cmd_start})
    control->setEnabled(false);
  RaDezim = false;
  RaHMS = false;
  DeDezim = false;
  DeGMS = false;
  shared.InstrumentsPending = true;
  shared.FlipNorthSouth = false;
  std::error_code error;
  shared.StartDirectory = std::filesystem::current_path(error).string();
}

void Form1::Timer1_Timer() {
  TimerActive = false;
  Timer1->stop();
}

void Form1::OneTickPause(int intervalMs) {
  TimerActive = true;
  Timer1->setInterval(intervalMs);
  Timer1->start();
  // Sleeps until the next event arrives; the tick is one of them.
  while (TimerActive && !shared.FatalError) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

std::array<QWidget*, 19> Form1::WcsGroup() const {
  return {Label1,  Label2,  Label3, Label4,  Label5,  Label6,  Label7, Label8, tb_d,       tb_d_dg,
          tb_d_MM, tb_d_SS, tb_r,   tb_r_HH, tb_r_MM, tb_r_SS, tb_x,   tb_y,   Cb_instrume};
}

void Form1::ShowWcsGroup() {
  for (QWidget* control : WcsGroup()) control->setVisible(true);
}

void Form1::HideWcsGroup() {
  for (QWidget* control : WcsGroup()) control->setVisible(false);
}

void Form1::EnableWcsGroup() {
  for (QWidget* control : WcsGroup()) control->setEnabled(true);
}

void Form1::DisableWcsGroup() {
  for (QWidget* control : WcsGroup()) control->setEnabled(false);
}

void Form1::chk_wcs_Click() {
  if (!chk_wcs->isChecked()) {
    HideWcsGroup();
    Image1->setVisible(true);
  } else {
    ShowWcsGroup();
    Image1->setVisible(false);
    // A flip chosen without a WCS kept its Y; with a WCS it must be mirrored,
    // or the flip is given up.
    if (shared.Crpix2Unmirrored && !MirrorCrpix2()) ob_NurHeader->setChecked(true);
    shared.Crpix2Unmirrored = false;
  }
}

bool Form1::MirrorCrpix2() {
  const auto mirrored = fits::MirroredCrpix2(shared.Naxis2, shared.Crpix2);
  if (!mirrored) {
    SetStatus(fits::SaveCode::MirrorOutOfRange);
    logFile.WriteLine("Warnung: Spiegelung von CRPIX2 " + std::to_string(shared.Crpix2) + " an NAXIS2 " +
                      std::to_string(shared.Naxis2) + " ergibt " +
                      std::to_string(shared.Naxis2 + 1 - shared.Crpix2) + ", Wert nicht übernommen");
    return false;
  }
  shared.Crpix2 = *mirrored;
  ShowProgramText(tb_y, coords::FormatNumberText(shared.Crpix2));
  return true;
}

void Form1::ob_flipNS_Click() {
  // A repeated selection of the option already in force must not mirror again.
  if (shared.FlipNorthSouth) return;
  // Without a WCS to write, Y is not saved: a Y that has no mirror in 16 bits
  // never stands in the way of a flip.
  if (!chk_wcs->isChecked() && !fits::MirroredCrpix2(shared.Naxis2, shared.Crpix2)) {
    shared.Crpix2Unmirrored = true;
  } else if (!MirrorCrpix2()) {
    ob_NurHeader->setChecked(true);  // its handler finds the flag clear and keeps Crpix2
    return;
  }
  shared.FlipNorthSouth = true;
}

void Form1::ob_NurHeader_Click() {
  if (!shared.FlipNorthSouth) return;
  if (!shared.Crpix2Unmirrored && !MirrorCrpix2()) {
    ob_flipNS->setChecked(true);  // its handler finds the flag set and keeps Crpix2
    return;
  }
  shared.Crpix2Unmirrored = false;
  shared.FlipNorthSouth = false;
}

int Form1::SelectedInstrumentRow() const {
  const int index = Cb_instrume->currentIndex();
  if (index < 0 || Cb_instrume->currentText() != Cb_instrume->itemText(index)) return -1;
  return index;
}

void Form1::SetStatus(std::string_view text) {
  tb_statusline->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void Form1::SetStatus(fits::SaveCode code, std::string_view reason) {
  SetStatus(pipeline::StatusNamingLog(fits::StatusText(code), logFile, reason));
}
