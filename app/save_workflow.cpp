// Saving: "fits speichern" writes the new header over the old one (in place
// or in a copy), or rewrites the whole file with the image flipped.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/form1.h"
#include "app/save_progress.h"
#include "fits/fits_sizes.h"
#include "fits/read_status.h"

namespace {

constexpr int kRepaintPauseMs = 50;

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

fits::HeaderPlan Form1::PlanFromSharedState() const {
  fits::HeaderPlan plan;
  plan.bitpix = shared.Bitpix;
  plan.naxis1 = shared.Naxis1;
  plan.naxis2 = shared.Naxis2;
  plan.writeWcs = chk_wcs->isChecked();
  plan.flip = ob_flipNS->isChecked();
  plan.keepOldSize = ob_NurHeader->isChecked();
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
  if (const int row = SelectedInstrumentRow(); row >= 0)
    plan.instrument = shared.InstrumentTable[static_cast<std::size_t>(row)];
  plan.keepLines = std::span(shared.KeepLines.data(), static_cast<std::size_t>(shared.KeepLineCount));
  // The fields of a taken WCS are locked: what it says is saved as the file has it.
  if (shared.HasWcs) plan.ownWcs = shared.OwnWcsCards;
  return plan;
}

bool Form1::SaveAllowed(const fits::HeaderPlan& plan) {
  const bool usableRead = !shared.FatalError && !shared.InputFileName.empty();
  if (const auto refused = pipeline::RefusedSave(usableRead, plan, logFile)) {
    SetStatus(*refused);
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

void Form1::WriteAndReport(fits::ComposedHeader& header, SaveProgress& progress) {
  const fits::SaveResult result = pipeline::WriteOutput(
      {shared.InputFileName, shared.OutputFileName, InputLayout(), shared.InputAsRead, ob_flipNS->isChecked(),
       nullptr, [&progress](std::int64_t done, std::int64_t total) { progress.Report(done, total); }},
      header, logFile);
  if (result.ok()) {
    shared.Cdelt1 = header.cdelt1;
    shared.Cdelt2 = header.cdelt2;
    shared.Crota1 = header.crota1;
    shared.Crota2 = header.crota2;
  }
  cmd_fitsauswahl->setEnabled(true);
  // A save that failed or was refused may be tried again with the same
  // entries; one that succeeded needs a new read.
  cmd_start->setEnabled(!result.ok());
  SetSaveOptionsVisible(true);
  chk_wcs_Click();  // the group is shown again only where "Add WCS-Info" wants it
  SetStatus(result.code, result.error);
}

void Form1::SetSaveOptionsVisible(bool visible) {
  for (QWidget* option :
       std::initializer_list<QWidget*>{ob_flipNS, ob_NurHeader, Chk_speichernunter, chk_wcs})
    option->setVisible(visible);
}

void Form1::LockForSave() {
  inputFile.close();
  cmd_fitsauswahl->setEnabled(false);
  cmd_start->setEnabled(false);
  SetSaveOptionsVisible(false);
}

void Form1::SaveHeaderOnly() {
  const fits::HeaderPlan plan = PlanFromSharedState();
  if (!SaveAllowed(plan) || !ChooseOutputFile()) return;
  SaveProgress progress(tb_statusline);
  LockForSave();
  fits::ComposedHeader header = fits::ComposeHeader(plan);
  WriteAndReport(header, progress);
}

void Form1::SaveWithPixelData() {
  const fits::HeaderPlan plan = PlanFromSharedState();
  if (!SaveAllowed(plan) || !ChooseOutputFile()) return;
  SaveProgress progress(tb_statusline);
  SetStatus(fits::SaveCode::ReadingData);
  LockForSave();
  HideWcsGroup();
  Image1->setVisible(true);
  OneTickPause(kRepaintPauseMs);

  SetStatus(fits::SaveCode::WritingData);
  fits::ComposedHeader header = fits::ComposeHeader(plan);
  OneTickPause(kRepaintPauseMs);
  WriteAndReport(header, progress);
}
