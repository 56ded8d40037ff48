// Change handlers of the ten coordinate fields. Each decimal field and its
// three sexagesimal fields write each other; the guard flags keep the nested
// handler from reading back what its partner has just written.
#include <QLineEdit>

#include "app/display_text.h"
#include "app/form1.h"
#include "app/typing_limit.h"
#include "coords/number_text.h"
#include "coords/sky_position.h"
#include "coords/typed_text.h"

namespace {

void SetTexts(const coords::SexagesimalTexts& texts, QLineEdit* whole, QLineEdit* minutes,
              QLineEdit* seconds) {
  ShowProgramText(whole, texts.whole);
  ShowProgramText(minutes, texts.minutes);
  ShowProgramText(seconds, texts.seconds);
}

}  // namespace

void Form1::tb_r_Change() {
  RaDezim = true;
  if (!RaHMS) {
    shared.RaHours = coords::DecimalFieldValue(FieldBytes(tb_r->text()));
    SetTexts(coords::RaFieldsFromHours(shared.RaHours), tb_r_HH, tb_r_MM, tb_r_SS);
    shared.Crval1 = coords::Crval1FromRaHours(shared.RaHours);
  }
  RaDezim = false;
}

void Form1::tb_r_HH_Change() {
  RaHMS = true;
  if (!RaDezim) {
    shared.RaHours = coords::RaHoursFromFields(FieldBytes(tb_r_HH->text()), FieldBytes(tb_r_MM->text()),
                                               FieldBytes(tb_r_SS->text()));
    ShowProgramText(tb_r, coords::FormatNumberText(shared.RaHours));
    shared.Crval1 = coords::Crval1FromRaHours(shared.RaHours);
  }
  RaHMS = false;
}

void Form1::tb_d_Change() {
  DeDezim = true;
  if (!DeGMS) {
    shared.DecDegrees = coords::DecimalFieldValue(FieldBytes(tb_d->text()));
    SetTexts(coords::DecFieldsFromDegrees(shared.DecDegrees), tb_d_dg, tb_d_MM, tb_d_SS);
    shared.Crval2 = shared.DecDegrees;
  }
  DeDezim = false;
}

void Form1::tb_d_dg_Change() {
  DeGMS = true;
  if (!DeDezim) {
    shared.DecDegrees = coords::DecDegreesFromFields(FieldBytes(tb_d_dg->text()), FieldBytes(tb_d_MM->text()),
                                                     FieldBytes(tb_d_SS->text()));
    ShowProgramText(tb_d, coords::FormatNumberText(shared.DecDegrees));
    shared.Crval2 = shared.DecDegrees;
  }
  DeGMS = false;
}

// A text that does not fit 16 bits cannot be typed (the field refuses the
// keystroke); should one arrive anyway, the stored value is kept rather than
// wrapped.
void Form1::tb_x_Change() {
  if (const auto value = coords::PixelFieldValue(FieldBytes(tb_x->text()))) shared.Crpix1 = *value;
}

void Form1::tb_y_Change() {
  if (const auto value = coords::PixelFieldValue(FieldBytes(tb_y->text()))) shared.Crpix2 = *value;
}
