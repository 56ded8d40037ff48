#include "app/image_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>

#include "app/form1.h"
#include "app/image_canvas.h"
#include "app/typing_limit.h"
#include "coords/number_text.h"
#include "fits/fits_sizes.h"
#include "fits/read_status.h"
#include "imageview/star_centroid.h"
#include "imageview/view_text.h"

namespace {

struct Loaded {
  std::shared_ptr<const imageview::LoadedImage> image;
  std::shared_ptr<const imageview::DisplayImage> display;
};

// Runs work on Qt's thread pool and hands its result to take on the
// window's thread; work must not touch the window.
template <typename Work, typename Take>
void RunOffThread(QObject* owner, Work work, Take take) {
  using Result = decltype(work());
  auto* watcher = new QFutureWatcher<Result>(owner);
  QObject::connect(watcher, &QFutureWatcherBase::finished, owner, [watcher, take] {
    take(watcher->result());
    watcher->deleteLater();
  });
  watcher->setFuture(QtConcurrent::run(std::move(work)));
}

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

ImageWindow::ImageWindow(Form1& form) : QWidget(&form, Qt::Window), form_(form) {
  setObjectName("ImageWindow");
  setWindowTitle("Bild");
  setAttribute(Qt::WA_ShowWithoutActivating);  // the entries keep the keyboard
  canvas = new ImageCanvas(this);
  canvas->setObjectName("ImageCanvas");
  cmd_einpassen = new QPushButton("Einpassen", this);
  cmd_einpassen->setObjectName("cmd_einpassen");
  cmd_originalgroesse = new QPushButton("1:1", this);
  cmd_originalgroesse->setObjectName("cmd_originalgroesse");
  Cb_streckung = new QComboBox(this);
  Cb_streckung->setObjectName("Cb_streckung");
  Cb_streckung->addItems({"automatisch", "linear", "logarithmisch"});  // in the order of imageview::Curve
  lbl_ausrichtung = new QLabel(this);
  lbl_ausrichtung->setObjectName("lbl_ausrichtung");
  lbl_cursor = new QLabel(this);
  lbl_cursor->setObjectName("lbl_cursor");
  tb_bildstatus = new QLineEdit(this);
  tb_bildstatus->setObjectName("tb_bildstatus");
  tb_bildstatus->setReadOnly(true);
  cmd_wcspruefen = new QPushButton("WCS prüfen", this);
  cmd_wcspruefen->setObjectName("cmd_wcspruefen");
  cmd_wcspruefen->setEnabled(false);
  cmd_loesunguebernehmen = new QPushButton("Lösung übernehmen", this);
  cmd_loesunguebernehmen->setObjectName("cmd_loesunguebernehmen");
  cmd_loesunguebernehmen->setEnabled(false);

  auto* tools = new QHBoxLayout;
  tools->addWidget(cmd_einpassen);
  tools->addWidget(cmd_originalgroesse);
  tools->addWidget(new QLabel("Streckung:", this));
  tools->addWidget(Cb_streckung);
  tools->addWidget(cmd_wcspruefen);
  tools->addWidget(cmd_loesunguebernehmen);
  tools->addStretch();
  tools->addWidget(lbl_ausrichtung);
  auto* column = new QVBoxLayout(this);
  column->addLayout(tools);
  column->addWidget(canvas, 1);
  column->addWidget(lbl_cursor);
  column->addWidget(tb_bildstatus);
  resize(900, 680);
  column->activate();  // the controls get their sizes before the first show

  connect(cmd_einpassen, &QPushButton::clicked, canvas, &ImageCanvas::Fit);
  connect(cmd_originalgroesse, &QPushButton::clicked, canvas, &ImageCanvas::ShowFullSize);
  connect(Cb_streckung, &QComboBox::currentIndexChanged, this, &ImageWindow::Restretch);
  connect(cmd_wcspruefen, &QPushButton::clicked, this, &ImageWindow::CheckWcs);
  connect(cmd_loesunguebernehmen, &QPushButton::clicked, this, &ImageWindow::TakeSolution);
  canvas->clicked = [this](imageview::FramePoint point) { Click(point); };
  canvas->hovered = [this](std::optional<imageview::FramePoint> point) { Hover(point); };
  // Each entry the sky depends on redraws it at once, after Form1's own handler has run.
  for (QLineEdit* field : {form.tb_r, form.tb_r_HH, form.tb_r_MM, form.tb_r_SS, form.tb_d, form.tb_d_dg,
                           form.tb_d_MM, form.tb_d_SS, form.tb_x, form.tb_y})
    connect(field, &QLineEdit::textChanged, this, &ImageWindow::Refresh);
  connect(form.Cb_instrume, &QComboBox::currentIndexChanged, this, &ImageWindow::Refresh);
  connect(form.Cb_instrume, &QComboBox::editTextChanged, this, &ImageWindow::Refresh);
  for (QAbstractButton* option :
       std::initializer_list<QAbstractButton*>{form.chk_wcs, form.ob_flipNS, form.ob_NurHeader})
    connect(option, &QAbstractButton::toggled, this, &ImageWindow::Refresh);
}

ImageWindow::~ImageWindow() {
  cancel_->store(true);  // a load still running stops at its next block; it holds nothing of the window
}

void ImageWindow::ShowReadFile() {
  const SharedState& shared = form_.shared;
  ForgetCheck();  // a check running belongs to the file before
  const bool usable = !shared.FatalError && fits::IsUsable(static_cast<fits::ReadCode>(shared.ReadStatus));
  cmd_wcspruefen->setEnabled(usable);
  if (!usable) {
    Forget();
    SetStatus(imageview::kNoHeaderText);
    return;
  }
  StartLoad({shared.InputFileName, shared.Bitpix, shared.Naxis1, shared.Naxis2,
             std::int64_t{shared.HeaderCardCount} * static_cast<std::int64_t>(fits::kCardBytes)});
  if (isHidden()) {
    move(form_.frameGeometry().topRight() + QPoint(12, 0));  // beside the entries, not over them
    show();
  }
}

void ImageWindow::Forget() {
  cancel_->store(true);
  cancel_ = std::make_shared<std::atomic<bool>>(false);
  ++generation_;
  loading_ = false;
  image_.reset();
  canvas->SetImage(nullptr, nullptr);
  lbl_ausrichtung->clear();
  lbl_cursor->clear();
}

void ImageWindow::StartLoad(const imageview::DataRequest& request) {
  Forget();  // the last image goes first: memory holds one image at a time
  loading_ = true;
  SetStatus(imageview::kLoadingText);
  const int generation = generation_;
  const auto curve = static_cast<imageview::Curve>(Cb_streckung->currentIndex());
  RunOffThread(
      this,
      [request, curve, cancel = cancel_] {
        imageview::ImageLoad load = imageview::LoadImage(request, curve, *cancel);
        return Loaded{std::make_shared<const imageview::LoadedImage>(std::move(load.image)),
                      std::make_shared<const imageview::DisplayImage>(std::move(load.display))};
      },
      [this, generation, curve](const Loaded& loaded) {
        if (generation != generation_) return;
        loading_ = false;
        const imageview::LoadedData& data = loaded.image->data;
        if (data.code != imageview::LoadCode::Loaded) {
          SetStatus(imageview::StatusText(data.code));
          form_.WriteLog("Warnung: " + std::string(imageview::StatusText(data.code)) + " (" + data.detail +
                         ")");
          return;
        }
        image_ = loaded.image;
        Refresh();
        canvas->SetImage(image_, loaded.display);
        SetStatus(imageview::LoadedText(data.pixels, data.cards.bitpix));
        if (curve != static_cast<imageview::Curve>(Cb_streckung->currentIndex())) Restretch();
      });
}

void ImageWindow::Restretch() {
  if (!image_) return;  // a load running takes the curve when it ends
  cancel_->store(true);
  cancel_ = std::make_shared<std::atomic<bool>>(false);
  const int generation = ++generation_;
  RunOffThread(
      this,
      [image = image_, curve = static_cast<imageview::Curve>(Cb_streckung->currentIndex()),
       cancel = cancel_] {
        return std::make_shared<const imageview::DisplayImage>(
            imageview::MakeDisplay(*image, curve, *cancel));
      },
      [this, generation](const std::shared_ptr<const imageview::DisplayImage>& display) {
        if (generation == generation_) canvas->SetDisplay(display);
      });
}

std::optional<imageview::TanWcs> ImageWindow::EntriesWcs() const {
  const SharedState& shared = form_.shared;
  imageview::SkyEntries entries{shared.Crval1,
                                shared.Crval2,
                                static_cast<double>(shared.Crpix1),
                                static_cast<double>(shared.Crpix2),
                                shared.Cdelt1,
                                shared.Cdelt2,
                                shared.Crota2,
                                shared.FlipNorthSouth};
  if (!shared.HasWcs) {
    // The scale a save would write: the chosen instrument's.
    const int row = form_.SelectedInstrumentRow();
    if (row < 0) return std::nullopt;
    const config::Instrument& instrument = shared.InstrumentTable[static_cast<std::size_t>(row)];
    entries.cdelt1 = instrument.cdelt1;
    entries.cdelt2 = instrument.cdelt2;
    entries.rotation = instrument.rotation;
  }
  return imageview::WcsOf(entries);
}

void ImageWindow::Refresh() {
  if (!image_) return;
  const imageview::PixelData& pixels = image_->data.pixels;
  layout_ = imageview::LayoutOf(pixels.width, pixels.height, form_.shared.FlipNorthSouth,
                                image_->data.cards.rowOrder);
  lbl_ausrichtung->setText(Text(imageview::OrientationText(layout_, image_->data.cards)));
  const bool shown = form_.chk_wcs->isChecked();
  wcs_ = shown ? EntriesWcs() : std::nullopt;
  canvas->SetFrame(layout_, shown ? OverlayOf({static_cast<double>(form_.shared.Crpix1),
                                               static_cast<double>(form_.shared.Crpix2)},
                                              wcs_, layout_)
                                  : SkyOverlay{});
}

void ImageWindow::Hover(std::optional<imageview::FramePoint> point) {
  double x = 0.0, y = 0.0;
  if (point) imageview::PositionOf(layout_, *point, x, y);
  const long column = std::lround(x) - 1, row = std::lround(imageview::SavedRow(layout_, std::round(y))) - 1;
  if (!image_ || !point || column < 0 || row < 0 || column >= layout_.width || row >= layout_.height) {
    lbl_cursor->clear();
    return;
  }
  const auto sky = wcs_ ? std::optional(imageview::SkyOf(*wcs_, {x, y})) : std::nullopt;
  const auto value = imageview::ValueAt(image_->data.pixels, static_cast<std::int32_t>(column),
                                        static_cast<std::int32_t>(row));
  lbl_cursor->setText(Text(imageview::CursorText(x, y, value, sky)));
}

void ImageWindow::Click(imageview::FramePoint point) {
  if (!image_) return;
  if (!form_.tb_x->isEnabled()) return SetStatus(imageview::kLockedText);
  if (form_.tb_x->isHidden()) return SetStatus(imageview::kHiddenText);
  double x = 0.0, y = 0.0;
  imageview::PositionOf(layout_, point, x, y);
  const imageview::Star star = imageview::FindStar(image_->data.pixels, x, imageview::SavedRow(layout_, y));
  if (star.code != imageview::StarCode::Found) return SetStatus(imageview::StatusText(star.code));
  // The fields' own rule: halves to the even neighbour, in 16 bits.
  const double savedY = imageview::SavedRow(layout_, star.y);
  const auto pixelX = coords::RoundToInteger(star.x), pixelY = coords::RoundToInteger(savedY);
  if (!pixelX || !pixelY) return SetStatus(imageview::StatusText(imageview::StarCode::Outside));
  ShowProgramText(form_.tb_x, coords::FormatNumberText(*pixelX));
  ShowProgramText(form_.tb_y, coords::FormatNumberText(*pixelY));
  const std::string text = imageview::StarText(star, savedY, *pixelX, *pixelY);
  form_.WriteLog(text);
  SetStatus(text);
}

void ImageWindow::SetStatus(std::string_view text) {
  tb_bildstatus->setText(Text(text));
  tb_bildstatus->setCursorPosition(0);  // a long verdict shows its first word
}
