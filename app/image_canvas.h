// The frame as drawn: the stretched image, scaled by one transform, and the
// sky over it. The wheel zooms about the cursor, a drag pans; a click
// without a drag, and each move of the cursor, are handed on as frame
// points (image pixels from the frame's top-left corner).
#pragma once

#include <QImage>
#include <QPoint>
#include <QTransform>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "app/sky_overlay.h"
#include "imageview/frame_layout.h"
#include "imageview/loaded_image.h"

class ImageCanvas : public QWidget {
 public:
  explicit ImageCanvas(QWidget* parent);

  // Null forgets the image.
  void SetImage(std::shared_ptr<const imageview::LoadedImage> image,
                std::shared_ptr<const imageview::DisplayImage> display);
  void SetDisplay(std::shared_ptr<const imageview::DisplayImage> display);
  void SetFrame(const imageview::FrameLayout& layout, SkyOverlay overlay);

  void Fit();           // the whole frame in the window
  void ShowFullSize();  // one image pixel a screen pixel, about the window's centre

  QTransform FrameToWidget() const;

  std::function<void(imageview::FramePoint)> clicked;
  std::function<void(std::optional<imageview::FramePoint>)> hovered;  // empty: the cursor left

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void DrawImage(QPainter& painter, const QTransform& frameToWidget);
  // The full-resolution grey levels of what the window shows, made anew
  // when the view leaves the region made last.
  const QImage& Detail(const QRect& needed);
  void ZoomAbout(QPointF at, double factor);
  imageview::FramePoint FrameAt(QPointF at) const;

  std::shared_ptr<const imageview::LoadedImage> image_;
  std::shared_ptr<const imageview::DisplayImage> display_;
  std::vector<QImage> halves_;  // over display_'s grey levels
  QImage detail_;
  QRect detailRegion_;  // stored columns and rows detail_ holds
  imageview::FrameLayout layout_;
  SkyOverlay overlay_;
  double scale_ = 1.0;  // screen pixels per image pixel
  QPointF offset_;      // where the frame's top-left corner is drawn
  bool fitted_ = true;  // the view follows the window's size until zoomed or panned
  QPoint pressedAt_;
  QPointF offsetAtPress_;
  bool pressed_ = false;
  bool dragged_ = false;
};
