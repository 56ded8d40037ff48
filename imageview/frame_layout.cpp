#include "imageview/frame_layout.h"

namespace imageview {

FrameLayout LayoutOf(std::int32_t width, std::int32_t height, bool flipped, RowOrder order) {
  // A flip turns a ROWORDER the composer knows; none stays none.
  const bool turned = flipped && (order == RowOrder::BottomUp || order == RowOrder::TopDown);
  return {width, height, flipped, turned ? order == RowOrder::BottomUp : order == RowOrder::TopDown};
}

bool StoredRowsDown(const FrameLayout& layout) {
  return layout.rowOneAtTop != layout.flipped;
}

double SavedRow(const FrameLayout& layout, double row) {
  return layout.flipped ? layout.height + 1.0 - row : row;
}

FramePoint FrameOf(const FrameLayout& layout, double x, double savedY) {
  return {x - 0.5, layout.rowOneAtTop ? savedY - 0.5 : layout.height + 0.5 - savedY};
}

void PositionOf(const FrameLayout& layout, const FramePoint& point, double& x, double& savedY) {
  x = point.u + 0.5;
  savedY = layout.rowOneAtTop ? point.v + 0.5 : layout.height + 0.5 - point.v;
}

std::string OrientationText(const FrameLayout& layout, const PixelCards& cards) {
  std::string text = layout.flipped ? "gespiegelt wie gespeichert, " : "";
  text += layout.rowOneAtTop ? "Zeile 1 oben" : "Zeile 1 unten";
  if (cards.rowOrder == RowOrder::None) return text;
  const bool turned = layout.flipped && cards.rowOrder != RowOrder::Unknown;
  const std::string saved = !turned ? cards.rowOrderValue : layout.rowOneAtTop ? "TOP-DOWN" : "BOTTOM-UP";
  return text + " (ROWORDER '" + saved + "'" + (cards.rowOrder == RowOrder::Unknown ? " unbekannt)" : ")");
}

}  // namespace imageview
