#include "cli/field_state.h"

#include "coords/sky_position.h"
#include "coords/typed_text.h"

namespace cli {

void FieldState::TypeRaHours(float hours) {
  raHours = hours;
  crval1 = coords::Crval1FromRaHours(hours);
}

void FieldState::TypeDecDegrees(float degrees) {
  decDegrees = degrees;
  crval2 = degrees;
}

// As the fields' change handlers take a text set by the read.
void FieldState::SetFieldText(fits::CoordinateBox box, const std::string& text) {
  switch (box) {
    case fits::CoordinateBox::tb_r:
      TypeRaHours(coords::DecimalFieldValue(text));
      break;
    case fits::CoordinateBox::tb_d:
      TypeDecDegrees(coords::DecimalFieldValue(text));
      break;
    case fits::CoordinateBox::tb_x:
      if (const auto pixel = coords::PixelFieldValue(text)) crpix1 = *pixel;
      break;
    case fits::CoordinateBox::tb_y:
      if (const auto pixel = coords::PixelFieldValue(text)) crpix2 = *pixel;
      break;
  }
}

bool FieldState::AddInstrument(const config::Instrument& instrument) {
  if (table.size() >= pipeline::kInstrumentLimit) {
    selected = -1;
    return false;
  }
  table.push_back(instrument);
  selected = static_cast<int>(table.size()) - 1;
  return true;
}

void FieldState::TakeInstruments(const std::vector<config::Instrument>& rows) {
  table.insert(table.end(), rows.begin(), rows.end());
  if (!table.empty()) selected = 0;
}

}  // namespace cli
