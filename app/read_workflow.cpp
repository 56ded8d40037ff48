// Reading an input file: the dialog, a fresh log, the configuration, the
// header, and the outcome in the status line.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/display_text.h"
#include "app/form1.h"
#include "app/image_window.h"
#include "app/typing_limit.h"
#include "coords/number_text.h"
#include "fits/read_status.h"
#include "pipeline/hint_entries.h"

namespace {

constexpr int kCaptionPathCharacters = 30;

}  // namespace

void Form1::cmd_fitsauswahl_Click() {
  CommonDialog1.DialogTitle = "fits-File zum lesen auswählen";
  CommonDialog1.FileName.clear();
  CommonDialog1.Filter = kFitsFilter;
  // A cancel leaves the window, the state, the open input and the log as they were.
  if (!CommonDialog1.ShowOpen(this)) return;
  ReadFile(CommonDialog1.FileName);
}

void Form1::ReadFile(const std::string& path) {
  shared.ReadStatus = 0;
  shared.FatalError = false;
  shared.FlipNorthSouth = false;
  shared.Crpix2Unmirrored = false;
  ob_NurHeader->setChecked(true);  // its handler finds the flag clear
  ForgetPreviousFile();
  shared.InputFileName = path;
  for (QWidget* control :
       std::initializer_list<QWidget*>{chk_wcs, ob_flipNS, ob_NurHeader, Chk_speichernunter})
    control->setEnabled(true);
  setWindowTitle("VELORIN: ..." + EscapedControls(DisplayName(path).right(kCaptionPathCharacters)));

  logFile.Recreate("logfile.txt");
  if (inputFile.is_open()) inputFile.close();
  pipeline::InputRead read = pipeline::ReadInput({path,
                                                  shared.StartDirectory,
                                                  shared.InstrumentsPending,
                                                  static_cast<std::size_t>(shared.InstrumentCount),
                                                  {}},
                                                 *this, logFile);
  TakeReadResult(read);
  imageWindow->ShowReadFile();
}

void Form1::ForgetPreviousFile() {
  if (shared.WcsCheckedByFile) {
    shared.WcsCheckedByFile = false;
    chk_wcs->setChecked(false);
  }
  if (!shared.FileInstrumentListed) return;
  shared.FileInstrumentListed = false;
  const int row = --shared.InstrumentCount;
  shared.InstrumentTable[static_cast<std::size_t>(row)] = {};
  // Its row selected: no other row may stand in for it unasked.
  const bool selected = Cb_instrume->currentIndex() == row;
  Cb_instrume->removeItem(row);
  if (!selected) return;
  Cb_instrume->setCurrentIndex(-1);
  Cb_instrume->setEditText("Instrumentenauswahl");
}

void Form1::TakeReadResult(pipeline::InputRead& read) {
  const fits::HeaderReadResult& result = read.header;
  shared.ReadStatus = static_cast<std::int16_t>(result.code);
  shared.FatalError = result.fatal;
  shared.Bitpix = result.bitpix;
  shared.Naxis1 = result.naxis1;
  shared.Naxis2 = result.naxis2;
  shared.HeaderCardCount = result.headerCardCount;
  shared.HasWcs = result.hasWcs;
  shared.Telescope = result.telescope;
  shared.Cdelt1 = result.cdelt1;
  shared.Cdelt2 = result.cdelt2;
  shared.Crota1 = result.crota1;
  shared.Crota2 = result.crota2;
  shared.InputAsRead = read.asRead;
  shared.KeepLines = read.keepLines;
  shared.KeepLineCount = static_cast<std::int32_t>(shared.KeepLines.size());
  shared.OwnWcsCards = result.wcsCards;
  shared.RemoveKeyCount = 0;
  for (const std::string& key : read.removeKeys) shared.RemoveKeys[shared.RemoveKeyCount++] = key;
  if (read.instrumentsLoaded) shared.InstrumentsPending = false;
  inputFile = std::move(read.input);
  if (fits::IsUsable(result.code) && !result.fatal && !result.hasWcs) TakeHeaderHints(result);

  SetStatus(pipeline::ReadStatusText(read) + pipeline::LogSuffix(logFile));
  // A failed read after a good one must not leave saving open.
  cmd_start->setEnabled(fits::IsUsable(result.code));
}

void Form1::TakeHeaderHints(const fits::HeaderReadResult& header) {
  const pipeline::HeaderHints hints = pipeline::ReadHeaderHints(header.keptCards);
  const pipeline::HintEntries entries = pipeline::EnterHints(hints, {}, header.naxis1, header.naxis2);
  const std::optional<config::Instrument> row = pipeline::HintRow(hints);
  if (!entries.refused.empty()) WriteLog(pipeline::WindowRefusalLine(entries.refused));
  const bool position = entries.raHours && entries.decDegrees;
  if (!position && !row) return;
  WriteLog(pipeline::HintCardsLine(hints, position, row.has_value()));
  if (position) {
    if (!entries.precessionLine.empty()) WriteLog(entries.precessionLine);
    SetFieldText(fits::CoordinateBox::tb_r, coords::FormatNumberText(*entries.raHours));
    SetFieldText(fits::CoordinateBox::tb_d, coords::FormatNumberText(*entries.decDegrees));
  }
  SetFieldText(fits::CoordinateBox::tb_x, coords::FormatNumberText(entries.crpix1));
  SetFieldText(fits::CoordinateBox::tb_y, coords::FormatNumberText(entries.crpix2));
  if (row && !AddInstrument(*row))
    WriteLog("Warnung: Instrumententabelle voll, " + row->name + " nicht aufgenommen");
}

void Form1::TakeInstruments(const std::vector<config::Instrument>& rows) {
  for (const config::Instrument& row : rows) {
    shared.InstrumentTable[static_cast<std::size_t>(shared.InstrumentCount++)] = row;
    Cb_instrume->addItem(DisplayName(row.name));
  }
  if (Cb_instrume->count() > 0) Cb_instrume->setCurrentIndex(0);
}

void Form1::SetFieldText(fits::CoordinateBox box, const std::string& text) {
  struct Target {
    QLineEdit* field;
    void (Form1::*handler)();
  };
  const Target target = box == fits::CoordinateBox::tb_r   ? Target{tb_r, &Form1::tb_r_Change}
                        : box == fits::CoordinateBox::tb_x ? Target{tb_x, &Form1::tb_x_Change}
                        : box == fits::CoordinateBox::tb_d ? Target{tb_d, &Form1::tb_d_Change}
                                                           : Target{tb_y, &Form1::tb_y_Change};
  const QString newText = FieldText(text);
  if (target.field->text() != newText) {
    ShowProgramText(target.field, text);  // runs the field's handler
  } else {
    (this->*target.handler)();  // same text: Qt reports no change, but the values must still follow it
  }
}

void Form1::CheckWcs() {
  if (chk_wcs->isChecked()) return;  // a check the user made stays the user's
  chk_wcs->setChecked(true);
  shared.WcsCheckedByFile = true;
}

bool Form1::AddInstrument(const config::Instrument& instrument) {
  if (static_cast<std::size_t>(shared.InstrumentCount) >= kInstrumentLimit) {
    // No row of another file may be taken silently: nothing is selected.
    Cb_instrume->setCurrentIndex(-1);
    Cb_instrume->setEditText(DisplayName(instrument.name));
    return false;
  }
  const auto row = static_cast<std::size_t>(shared.InstrumentCount);
  Cb_instrume->insertItem(shared.InstrumentCount, DisplayName(instrument.name));
  Cb_instrume->setCurrentIndex(shared.InstrumentCount);
  shared.InstrumentTable[row] = instrument;
  ++shared.InstrumentCount;
  shared.FileInstrumentListed = true;
  return true;
}
