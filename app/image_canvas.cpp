#include "app/image_canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kLargestScale = 32.0;
constexpr double kWheelStep = 1.25;  // one notch of the wheel
constexpr int kDragThreshold = 4;    // screen pixels a press may move and still be a click
constexpr int kDetailMargin = 64;    // image pixels made beyond what is shown, for short pans
const QColor kBackground(40, 40, 40);
const QRgb kBlankColour = qRgb(170, 40, 120);  // BLANK and NaN: no grey could mean them

QVector<QRgb> GreyTable() {
  QVector<QRgb> table(256);
  for (int i = 0; i <= imageview::kTopLevel; ++i) {
    const int grey = i * 255 / imageview::kTopLevel;
    table[i] = qRgb(grey, grey, grey);
  }
  table[imageview::kBlankLevel] = kBlankColour;
  return table;
}

QImage ImageOf(const imageview::LevelImage& level) {
  static const QVector<QRgb> table = GreyTable();
  QImage image(level.levels.data(), level.width, level.height, level.width, QImage::Format_Indexed8);
  image.setColorTable(table);
  return image;
}

}  // namespace

ImageCanvas::ImageCanvas(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setMinimumSize(200, 150);
}

void ImageCanvas::SetImage(std::shared_ptr<const imageview::LoadedImage> image,
                           std::shared_ptr<const imageview::DisplayImage> display) {
  image_ = std::move(image);
  SetDisplay(std::move(display));
  Fit();
}

void ImageCanvas::SetDisplay(std::shared_ptr<const imageview::DisplayImage> display) {
  display_ = std::move(display);
  halves_.clear();
  detail_ = QImage();
  detailRegion_ = QRect();
  if (display_)
    for (const imageview::LevelImage& level : display_->halves) halves_.push_back(ImageOf(level));
  update();
}

void ImageCanvas::SetFrame(const imageview::FrameLayout& layout, SkyOverlay overlay) {
  layout_ = layout;
  overlay_ = std::move(overlay);
  update();
}

QTransform ImageCanvas::FrameToWidget() const {
  return QTransform(scale_, 0, 0, scale_, offset_.x(), offset_.y());
}

imageview::FramePoint ImageCanvas::FrameAt(QPointF at) const {
  return {(at.x() - offset_.x()) / scale_, (at.y() - offset_.y()) / scale_};
}

void ImageCanvas::Fit() {
  fitted_ = true;
  if (layout_.width <= 0 || layout_.height <= 0) return;
  scale_ = std::min(width() / double(layout_.width), height() / double(layout_.height));
  offset_ = QPointF((width() - scale_ * layout_.width) / 2.0, (height() - scale_ * layout_.height) / 2.0);
  update();
}

void ImageCanvas::ShowFullSize() {
  ZoomAbout(QPointF(width() / 2.0, height() / 2.0), 1.0 / scale_);
}

void ImageCanvas::ZoomAbout(QPointF at, double factor) {
  const double smallest = std::min(1.0, std::min(width() / double(std::max(1, layout_.width)),
                                                 height() / double(std::max(1, layout_.height)))) /
                          4.0;
  const imageview::FramePoint kept = FrameAt(at);
  scale_ = std::clamp(scale_ * factor, smallest, kLargestScale);
  offset_ = at - QPointF(kept.u, kept.v) * scale_;
  fitted_ = false;
  update();
}

void ImageCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kBackground);
  if (!image_ || !display_) return;
  const QTransform frameToWidget = FrameToWidget();
  DrawImage(painter, frameToWidget);
  PaintOverlay(painter, overlay_, layout_, frameToWidget);
}

void ImageCanvas::DrawImage(QPainter& painter, const QTransform& frameToWidget) {
  const int width = layout_.width, height = layout_.height;
  // Stored rows run down the frame, or up it from its bottom edge.
  const QTransform storedToWidget =
      imageview::StoredRowsDown(layout_) ? frameToWidget : QTransform(1, 0, 0, -1, 0, height) * frameToWidget;
  painter.save();
  painter.setTransform(storedToWidget);
  painter.setClipRect(QRectF(0, 0, width, height));
  painter.setRenderHint(QPainter::SmoothPixmapTransform, scale_ < 1.0);
  // The smallest halved level that still has a pixel for every screen pixel.
  for (int k = static_cast<int>(halves_.size()) - 1; k >= 0; --k) {
    const double factor = std::ldexp(1.0, k + 1);
    if (scale_ * factor > 1.0) continue;
    const QImage& level = halves_[static_cast<std::size_t>(k)];
    painter.drawImage(QRectF(0, 0, level.width() * factor, level.height() * factor), level);
    painter.restore();
    return;
  }
  const QRect shown =
      storedToWidget.inverted().mapRect(QRectF(rect())).toAlignedRect() & QRect(0, 0, width, height);
  if (!shown.isEmpty()) {
    const QImage& detail = Detail(shown);
    painter.drawImage(QRectF(detailRegion_), detail);
  }
  painter.restore();
}

const QImage& ImageCanvas::Detail(const QRect& needed) {
  if (detailRegion_.contains(needed) && !detail_.isNull()) return detail_;
  detailRegion_ = needed.adjusted(-kDetailMargin, -kDetailMargin, kDetailMargin, kDetailMargin) &
                  QRect(0, 0, layout_.width, layout_.height);
  const imageview::LevelImage region =
      imageview::MapRegion(image_->data.pixels, display_->table, detailRegion_.x(), detailRegion_.y(),
                           detailRegion_.width(), detailRegion_.height());
  detail_ = ImageOf(region).copy();  // the region's vector goes when this returns
  return detail_;
}

void ImageCanvas::resizeEvent(QResizeEvent*) {
  if (fitted_) Fit();
}

void ImageCanvas::wheelEvent(QWheelEvent* event) {
  ZoomAbout(event->position(), std::pow(kWheelStep, event->angleDelta().y() / 120.0));
}

void ImageCanvas::mousePressEvent(QMouseEvent* event) {
  if (!(event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton)) return;
  pressed_ = true;
  dragged_ = event->button() == Qt::MiddleButton;  // the middle button only pans
  pressedAt_ = event->position().toPoint();
  offsetAtPress_ = offset_;
}

void ImageCanvas::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (pressed_) {
    dragged_ = dragged_ || (at - pressedAt_).manhattanLength() > kDragThreshold;
    if (dragged_) {
      offset_ = offsetAtPress_ + (at - pressedAt_);
      fitted_ = false;
      update();
    }
  }
  if (hovered) hovered(FrameAt(event->position()));
}

void ImageCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (!pressed_) return;
  pressed_ = false;
  if (!dragged_ && event->button() == Qt::LeftButton && clicked) clicked(FrameAt(event->position()));
}

void ImageCanvas::leaveEvent(QEvent*) {
  if (hovered) hovered(std::nullopt);
}
