// The sky over the frame: the reference pixel marked, north and east arrows
// at it, and the right ascension and declination grid with its labels. The
// geometry comes from imageview/; this only paints it.
#pragma once

#include <QTransform>
#include <optional>
#include <vector>

#include "imageview/frame_layout.h"
#include "imageview/sky_grid.h"
#include "imageview/tan_sky.h"

class QPainter;

struct SkyOverlay {
  bool shown = false;                         // "Add WCS-Info" is checked
  imageview::PixelPoint reference;            // of the saved image
  std::optional<imageview::Compass> compass;  // with a scale only
  imageview::PixelPoint compassAt;  // the reference pixel, or the frame's centre when it lies outside
  std::vector<imageview::GridLine> grid;
};

// The overlay of a frame for the reference pixel and, when a scale is
// known, the sky.
SkyOverlay OverlayOf(const imageview::PixelPoint& reference, const std::optional<imageview::TanWcs>& wcs,
                     const imageview::FrameLayout& layout);

// Paints in widget coordinates; frameToWidget maps frame points (image
// pixels from the frame's top-left corner) onto the widget.
void PaintOverlay(QPainter& painter, const SkyOverlay& overlay, const imageview::FrameLayout& layout,
                  const QTransform& frameToWidget);

// Where the reference mark is drawn, in widget coordinates.
QPointF WidgetPointOf(const imageview::FrameLayout& layout, const QTransform& frameToWidget,
                      const imageview::PixelPoint& pixel);
