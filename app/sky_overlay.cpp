#include "app/sky_overlay.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kArrowPixels = 60.0;  // on the screen, at any zoom
constexpr double kMarkRadius = 9.0;
const QColor kGridColour(90, 200, 255, 140);
const QColor kLabelColour(150, 225, 255);
const QColor kReferenceColour(255, 48, 48);
const QColor kNorthColour(255, 210, 60);
const QColor kEastColour(120, 255, 120);

void Arrow(QPainter& painter, QPointF from, QPointF direction, const QColor& colour, const QString& label) {
  const QPointF tip = from + direction * kArrowPixels;
  const QPointF across(-direction.y(), direction.x());
  painter.setPen(QPen(colour, 2.0));
  painter.drawLine(from, tip);
  painter.drawLine(tip, tip - direction * 10.0 + across * 5.0);
  painter.drawLine(tip, tip - direction * 10.0 - across * 5.0);
  painter.drawText(QRectF(tip + direction * 12.0 - QPointF(10, 10), QSizeF(20, 20)), Qt::AlignCenter, label);
}

// A unit vector on the widget for a direction in FITS pixels at a pixel.
QPointF WidgetDirection(const imageview::FrameLayout& layout, const QTransform& frameToWidget,
                        const imageview::PixelPoint& at, const imageview::PixelPoint& direction) {
  const QPointF from = WidgetPointOf(layout, frameToWidget, at);
  const QPointF to = WidgetPointOf(layout, frameToWidget, {at.x + direction.x, at.y + direction.y});
  const QPointF d = to - from;
  const double length = std::hypot(d.x(), d.y());
  return length > 0.0 ? d / length : QPointF();
}

// A label beside where its line enters the frame, moved inside the frame
// where it would stand out of it, and left out where it would cover one
// already drawn (two lines entering at one corner).
void Label(QPainter& painter, QPointF at, const QRectF& frame, const QString& text,
           std::vector<QRectF>& drawn) {
  QRectF box = painter.fontMetrics().boundingRect(text).adjusted(-2, -1, 2, 1);
  box.moveTopLeft(at + QPointF(4, 4));
  box.moveLeft(std::clamp(box.left(), frame.left(), std::max(frame.left(), frame.right() - box.width())));
  box.moveTop(std::clamp(box.top(), frame.top(), std::max(frame.top(), frame.bottom() - box.height())));
  for (const QRectF& other : drawn)
    if (other.intersects(box)) return;
  drawn.push_back(box);
  painter.fillRect(box, QColor(0, 0, 0, 190));
  painter.setPen(kLabelColour);
  painter.drawText(box, Qt::AlignCenter, text);
}

}  // namespace

QPointF WidgetPointOf(const imageview::FrameLayout& layout, const QTransform& frameToWidget,
                      const imageview::PixelPoint& pixel) {
  const imageview::FramePoint point = imageview::FrameOf(layout, pixel.x, pixel.y);
  return frameToWidget.map(QPointF(point.u, point.v));
}

SkyOverlay OverlayOf(const imageview::PixelPoint& reference, const std::optional<imageview::TanWcs>& wcs,
                     const imageview::FrameLayout& layout) {
  SkyOverlay overlay{true, reference, {}, reference, {}};
  if (!wcs) return overlay;
  // Arrows off the frame would tell nothing.
  const bool inside = reference.x >= 0.5 && reference.x <= layout.width + 0.5 && reference.y >= 0.5 &&
                      reference.y <= layout.height + 0.5;
  if (!inside) overlay.compassAt = {(layout.width + 1) / 2.0, (layout.height + 1) / 2.0};
  overlay.compass = imageview::CompassAt(*wcs, overlay.compassAt);
  overlay.grid = imageview::SkyGrid(*wcs, layout.width, layout.height);
  return overlay;
}

void PaintOverlay(QPainter& painter, const SkyOverlay& overlay, const imageview::FrameLayout& layout,
                  const QTransform& frameToWidget) {
  if (!overlay.shown) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF frame = frameToWidget.mapRect(QRectF(0, 0, layout.width, layout.height));
  painter.setClipRect(frame);
  for (const imageview::GridLine& line : overlay.grid) {
    painter.setPen(QPen(kGridColour, 1.0));
    for (const auto& piece : line.pieces) {
      QPainterPath path;
      for (std::size_t i = 0; i < piece.size(); ++i) {
        const QPointF point = WidgetPointOf(layout, frameToWidget, piece[i]);
        i == 0 ? path.moveTo(point) : path.lineTo(point);
      }
      painter.drawPath(path);
    }
  }
  std::vector<QRectF> labels;
  for (const imageview::GridLine& line : overlay.grid) {
    if (line.labelAt)
      Label(painter, WidgetPointOf(layout, frameToWidget, *line.labelAt), frame,
            QString::fromStdString(line.label), labels);
  }
  painter.setClipping(false);
  const QPointF mark = WidgetPointOf(layout, frameToWidget, overlay.reference);
  painter.setPen(QPen(kReferenceColour, 2.0));
  painter.drawEllipse(mark, kMarkRadius, kMarkRadius);
  painter.drawLine(mark - QPointF(2 * kMarkRadius, 0), mark + QPointF(2 * kMarkRadius, 0));
  painter.drawLine(mark - QPointF(0, 2 * kMarkRadius), mark + QPointF(0, 2 * kMarkRadius));
  if (overlay.compass) {
    const QPointF from = WidgetPointOf(layout, frameToWidget, overlay.compassAt);
    Arrow(painter, from, WidgetDirection(layout, frameToWidget, overlay.compassAt, overlay.compass->north),
          kNorthColour, "N");
    // "O" for Ost, as German star charts have it.
    Arrow(painter, from, WidgetDirection(layout, frameToWidget, overlay.compassAt, overlay.compass->east),
          kEastColour, "O");
  }
  painter.restore();
}
