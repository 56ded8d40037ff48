// Which way the frame is drawn, and how a FITS position maps onto it.
// Positions the user sees and types are those of the image as it will be
// saved: with the north/south flip chosen, row j of the file is row
// NAXIS2 + 1 - j. Row 1 is drawn at the bottom, as FITS viewers draw it,
// unless ROWORDER says the camera stored its rows from the top; a flipped
// image gets the other ROWORDER, so the flip moves the picture only where no
// ROWORDER tells a viewer how to turn it.
#pragma once

#include <cstdint>
#include <string>

#include "imageview/pixel_cards.h"

namespace imageview {

struct FrameLayout {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool flipped = false;      // the rows are saved in reverse order
  bool rowOneAtTop = false;  // the saved image's row 1 is drawn at the top
};

FrameLayout LayoutOf(std::int32_t width, std::int32_t height, bool flipped, RowOrder order);

// Whether the file's first stored row is drawn at the top.
bool StoredRowsDown(const FrameLayout& layout);

// The saved image's row of a stored row, and the stored row of a saved one
// (1-based, fractions allowed): the same mirror both ways.
double SavedRow(const FrameLayout& layout, double row);

// A point of the frame as drawn: from its top-left corner, v downward, in
// image pixels; the centre of FITS pixel (1, 1) is half a pixel from a corner.
struct FramePoint {
  double u = 0.0;
  double v = 0.0;
};
FramePoint FrameOf(const FrameLayout& layout, double x, double savedY);
// The saved image's FITS position of a frame point, the inverse.
void PositionOf(const FrameLayout& layout, const FramePoint& point, double& x, double& savedY);

// What the view tells about the drawing's orientation, in German:
// "Zeile 1 unten", "Zeile 1 oben (ROWORDER 'TOP-DOWN')", after
// "gespiegelt wie gespeichert, " for a flip; a ROWORDER the view does not
// know is named as "unbekannt".
std::string OrientationText(const FrameLayout& layout, const PixelCards& cards);

}  // namespace imageview
