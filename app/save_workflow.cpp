// Saving: "fits speichern" writes the new header over the old one (in place
// or in a copy), or rewrites the whole file with the image flipped.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/form1.h"
#include "fits/file_replace.h"
#include "fits/fits_sizes.h"
#include "fits/header_composer.h"
#include "fits/header_rewrite.h"
#include "fits/pixel_copy.h"
#include "fits/read_status.h"

namespace {

constexpr int kRepaintPauseMs = 50;

fits::HeaderPlan PlanFromSharedState(const SharedState& shared, int instrumentRow) {
  fits::HeaderPlan plan;
  plan.bitpix = shared.Bitpix;
  plan.naxis1 = shared.Naxis1;
  plan.naxis2 = shared.Naxis2;
  plan.headerCardCount = shared.HeaderCardCount;
  plan.hasWcs = shared.HasWcs;
  plan.crval1 = shared.Crval1;
  plan.crval2 = shared.Crval2;
  plan.crpix1 = shared.Crpix1;
  plan.crpix2 = shared.Crpix2;
  plan.cdelt1 = shared.Cdelt1;
  plan.cdelt2 = shared.Cdelt2;
  plan.crota1 = shared.Crota1;
  plan.crota2 = shared.Crota2;
  if (instrumentRow >= 0) plan.instrument = shared.InstrumentTable[static_cast<std::size_t>(instrumentRow)];
  plan.keepLines = std::span(shared.KeepLines.data(), static_cast<std::size_t>(shared.KeepLineCount));
  return plan;
}

}  // namespace

fits::ImageLayout Form1::InputLayout() const {
  return {shared.Bitpix, shared.Naxis1, shared.Naxis2,
          std::int64_t{shared.HeaderCardCount} * static_cast<std::int64_t>(fits::kCardBytes)};
}

void Form1::cmd_start_Click() {
  shared.ReadStatus = 0;
  if (ob_flipNS->isChecked()) {
    SaveWithPixelData();
  } else {
    SaveHeaderOnly();
  }
}

bool Form1::SaveAllowed() {
  if (shared.FatalError || shared.InputFileName.empty() || shared.HeaderCardCount == 0 ||
      fits::BytesPerElement(shared.Bitpix) == 0) {
    SetStatus(fits::SaveCode::NoValidRead);
    return false;
  }
  if (chk_wcs->isChecked() && SelectedInstrumentRow() < 0) {
    SetStatus(fits::SaveCode::NoInstrument);
    logFile.WriteLine("Error: kein Instrument aus der Liste ausgewählt, Speichern abgelehnt");
    return false;
  }
  return true;
}

bool Form1::ChooseOutputFile() {
  shared.OutputFileName = shared.InputFileName;
  if (!Chk_speichernunter->isChecked()) return true;
  CommonDialog1.DialogTitle = "fits-File zum speichern auswählen";
  CommonDialog1.FileName = shared.InputFileName;
  CommonDialog1.Filter = kFitsFilter;
  if (!CommonDialog1.ShowOpen(this)) return false;
  shared.OutputFileName = CommonDialog1.FileName;
  return true;
}

fits::ComposedHeader Form1::WriteHeader() {
  fits::HeaderPlan plan = PlanFromSharedState(shared, SelectedInstrumentRow());
  plan.writeWcs = chk_wcs->isChecked();
  plan.flip = ob_flipNS->isChecked();
  plan.fitOldHeader = ob_NurHeader->isChecked();
  fits::ComposedHeader header = fits::ComposeHeader(plan);
  shared.Cdelt1 = header.cdelt1;
  shared.Cdelt2 = header.cdelt2;
  shared.Crota1 = header.crota1;
  shared.Crota2 = header.crota2;
  if (header.cut) shared.ReadStatus = static_cast<std::int16_t>(fits::ReadCode::HeaderCut);
  return header;
}

void Form1::LogOutputHeader(const fits::ComposedHeader& header, bool dataSumRecomputed) {
  logFile.WriteLine("**** FITS-fileheader von Output-Datei: " + shared.OutputFileName + " ****");
  for (const std::string& line : header.logLines) logFile.WriteLine(line);
  logFile.WriteLine("**** Ende des FITS-fileheaders der Output-Datei ****");
  if (!header.integrity) return;
  if (header.integrity->hasChecksum)
    logFile.WriteLine("Warnung: CHECKSUM für den neuen Header neu berechnet");
  if (header.integrity->hasDatasum && dataSumRecomputed)
    logFile.WriteLine("Warnung: DATASUM für die gespeicherten Daten neu berechnet");
}

void Form1::ReportSave(const fits::SaveResult& result) {
  if (!result.ok()) {
    logFile.WriteLine("Error: Speichern fehlgeschlagen: " + result.error);
  } else if (!result.error.empty()) {
    logFile.WriteLine("Warnung: " + result.error);
  }
  const bool cut = shared.ReadStatus == static_cast<std::int16_t>(fits::ReadCode::HeaderCut);
  SetStatus(result.code == fits::SaveCode::Saved && cut ? fits::SaveCode::HeaderCut : result.code);
}

void Form1::SetSaveOptionsVisible(bool visible) {
  for (QWidget* option :
       std::initializer_list<QWidget*>{ob_flipNS, ob_NurHeader, Chk_speichernunter, chk_wcs})
    option->setVisible(visible);
}

void Form1::SaveHeaderOnly() {
  if (!SaveAllowed() || !ChooseOutputFile()) return;
  inputFile.close();
  cmd_fitsauswahl->setEnabled(false);
  cmd_start->setEnabled(false);
  SetSaveOptionsVisible(false);

  fits::ComposedHeader header = WriteHeader();
  const fits::ImageLayout layout = InputLayout();
  // The data stay as they are: a DATASUM of the input stands, and only
  // without one are the data read to find it.
  fits::SaveResult result = fits::InputUnchanged(shared.InputFileName, shared.InputAsRead);
  bool dataSumRecomputed = false;
  if (header.integrity) {
    std::uint32_t dataSum = header.integrity->inputDataSum.value_or(0);
    dataSumRecomputed = !header.integrity->inputDataSum;
    if (result.ok() && dataSumRecomputed &&
        !fits::PrimaryDataSum(shared.InputFileName, layout, dataSum, result.error))
      result.code = fits::SaveCode::Failed;
    fits::SealIntegrityCards(header, dataSum);
  }
  if (result.ok())
    result = fits::IsSameFile(shared.InputFileName, shared.OutputFileName)
                 ? fits::RewriteHeaderInPlace(shared.OutputFileName, header.bytes, layout.dataOffset)
                 : fits::CopyWithNewHeader(shared.InputFileName, header.bytes, layout.dataOffset,
                                           shared.OutputFileName);
  LogOutputHeader(header, dataSumRecomputed);

  cmd_fitsauswahl->setEnabled(true);
  SetSaveOptionsVisible(true);
  ReportSave(result);
}

void Form1::SaveWithPixelData() {
  if (!SaveAllowed() || !ChooseOutputFile()) return;
  SetStatus(fits::SaveCode::ReadingData);
  cmd_fitsauswahl->setEnabled(false);
  cmd_start->setEnabled(false);
  SetSaveOptionsVisible(false);
  HideWcsGroup();
  Image1->setVisible(true);
  OneTickPause(kRepaintPauseMs);

  inputFile.close();
  SetStatus(fits::SaveCode::WritingData);
  fits::ComposedHeader header = WriteHeader();
  OneTickPause(kRepaintPauseMs);
  fits::HeaderForDataSum seal = nullptr;
  if (header.integrity)
    seal = [&header](std::uint32_t dataSum) {
      fits::SealIntegrityCards(header, dataSum);
      return header.bytes;
    };
  fits::SaveResult result = fits::InputUnchanged(shared.InputFileName, shared.InputAsRead);
  if (result.ok())
    result = fits::WriteFlippedImage(shared.InputFileName, InputLayout(), header.bytes, shared.OutputFileName,
                                     seal);
  LogOutputHeader(header, true);

  cmd_fitsauswahl->setEnabled(true);
  SetSaveOptionsVisible(true);
  Image1->setVisible(false);
  ShowWcsGroup();
  ReportSave(result);
}
