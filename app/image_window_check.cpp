// The image view's check against the sky: the header a save would write,
// composed but not written, is solved near by astrometry.net off the window's
// thread; a solution that suits the flip option can be typed into the entries.
#include <QCheckBox>
#include <QComboBox>
#include <QFutureWatcher>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtConcurrent/QtConcurrentRun>

#include "app/form1.h"
#include "app/image_window.h"
#include "app/typing_limit.h"
#include "coords/number_text.h"
#include "fits/pixel_copy.h"
#include "pipeline/configuration.h"
#include "skycheck/index_files.h"
#include "skycheck/solved_entries.h"

namespace {

constexpr std::string_view kCheckingText = "Prüfung am Himmel läuft …";
constexpr std::string_view kNoWcsText =
    "kein WCS zum Prüfen: \"Add WCS-Info\" wählen, Position eintragen und ein Instrument wählen";
constexpr std::string_view kFlipAdvice = "\"flip Nord/Süd\" wählen, dann \"Lösung übernehmen\"";
constexpr std::string_view kMirroredText =
    "Lösung gespiegelt: das Bild zeigt den Himmel seitenverkehrt, nicht übernommen; \"flip Nord/Süd\" "
    "wählen und erneut prüfen";
constexpr std::string_view kMirroredFlippedText =
    "Lösung gespiegelt: mit \"flip Nord/Süd\" zeigte das Bild den Himmel seitenverkehrt, nicht übernommen; "
    "\"nur Header ändern\" wählen und erneut prüfen";
constexpr std::string_view kLockedSolutionText =
    "Lösung nicht übernommen: das WCS der Datei wird übernommen, die Felder sind gesperrt";
constexpr std::string_view kListFullText = "Lösung nicht übernommen: Instrumentenliste voll";

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// velorin.ini's [checktolerance], found as a read finds the file; its log
// lines were written by the read already.
double Tolerance(const std::string& startDirectory) {
  pipeline::LogBuffer quiet;
  const config::IniRoom room{pipeline::kAddedLineLimit, pipeline::kRemoveKeyLimit, 0};
  return pipeline::LoadConfiguration(startDirectory, {}, false, room, quiet)
      .checkTolerance.value_or(skycheck::kDefaultTolerancePixels);
}

}  // namespace

void ImageWindow::ForgetCheck() {
  ++checkGeneration_;
  checking_ = false;
  solution_.reset();
  cmd_loesunguebernehmen->setEnabled(false);
}

void ImageWindow::CheckWcs() {
  const SharedState& shared = form_.shared;
  const fits::HeaderPlan plan = form_.PlanFromSharedState();
  const auto entered = skycheck::TanWcsFromHeader(fits::ComposeHeader(plan).bytes);
  if (!entered) return SetStatus(kNoWcsText);
  ForgetCheck();
  checking_ = true;
  cmd_wcspruefen->setEnabled(false);
  SetStatus(kCheckingText);
  skycheck::CheckRequest request{shared.InputFileName,
                                 shared.Naxis1,
                                 shared.Naxis2,
                                 *entered,
                                 plan.flip,
                                 skycheck::kDefaultTolerancePixels,
                                 {indexFolders, skycheck::kDefaultCpuLimitSeconds}};
  auto* watcher = new QFutureWatcher<skycheck::SkyCheck>(this);
  connect(watcher, &QFutureWatcherBase::finished, this,
          [this, watcher, generation = checkGeneration_, flip = plan.flip] {
            if (generation == checkGeneration_) TakeCheck(watcher->result(), flip);
            watcher->deleteLater();
          });
  watcher->setFuture(QtConcurrent::run([request, start = shared.StartDirectory]() mutable {
    request.tolerancePixels = Tolerance(start);
    if (request.settings.indexFolders.empty())
      request.settings.indexFolders = skycheck::InstalledIndexFolders();
    return skycheck::CheckAgainstSky(request);
  }));
}

void ImageWindow::TakeCheck(const skycheck::SkyCheck& check, bool flip) {
  checking_ = false;
  cmd_wcspruefen->setEnabled(true);
  std::string text = skycheck::CheckText(check, kFlipAdvice);
  const bool solved = check.solution.code == skycheck::SolveCode::Solved;
  // A mirror the verdict does not name yet: both sides agree, the flip does not.
  if (solved && !skycheck::TakesMirror(check.solution, flip) && check.verdict != skycheck::Verdict::Mirrored)
    text += "; " + std::string(flip ? kMirroredFlippedText : kMirroredText);
  if (solved) solution_ = check.solution;
  cmd_loesunguebernehmen->setEnabled(solved && skycheck::TakesMirror(check.solution, flip));
  form_.WriteLog("Prüfung am Himmel: " + text);
  SetStatus(text);
}

void ImageWindow::TakeSolution() {
  if (!solution_) return;
  SharedState& shared = form_.shared;
  // A taken WCS is saved as the file has it, whatever the fields say.
  if (shared.HasWcs || !form_.tb_x->isEnabled()) return SetStatus(kLockedSolutionText);
  const bool flip = form_.ob_flipNS->isChecked();
  const auto entries = skycheck::EntriesOfSolution(*solution_, shared.Naxis1, shared.Naxis2, flip);
  if (!entries) return SetStatus(flip ? kMirroredFlippedText : kMirroredText);
  // Y counts in the image as it will be saved, as selecting the flip made it.
  const auto y = flip ? fits::MirroredCrpix2(shared.Naxis2, entries->crpix2) : entries->crpix2;
  if (!y) return SetStatus(fits::StatusText(fits::SaveCode::MirrorOutOfRange));
  if (shared.FileInstrumentListed) {
    // This file's row, a solution taken before: replaced, not listed twice.
    const int row = shared.InstrumentCount - 1;
    shared.InstrumentTable[static_cast<std::size_t>(row)] = entries->row;
    form_.Cb_instrume->setItemText(row, Text(entries->row.name));
    form_.Cb_instrume->setCurrentIndex(row);
  } else if (!form_.AddInstrument(entries->row)) {
    return SetStatus(kListFullText);
  }
  shared.WcsCheckedByFile = false;  // as a click of the user's
  form_.chk_wcs->setChecked(true);
  ShowProgramText(form_.tb_r, coords::FormatNumberText(entries->raHours));
  ShowProgramText(form_.tb_d, coords::FormatNumberText(entries->decDegrees));
  ShowProgramText(form_.tb_x, coords::FormatNumberText(entries->crpix1));
  ShowProgramText(form_.tb_y, coords::FormatNumberText(*y));
  const std::string text = "Lösung übernommen: RA" + coords::FormatNumberText(entries->raHours) + " h, Dek" +
                           coords::FormatNumberText(entries->decDegrees) + "°, Referenzpixel X" +
                           coords::FormatNumberText(entries->crpix1) + " Y" + coords::FormatNumberText(*y) +
                           ", Instrument \"" + entries->row.name + "\"; \"fits speichern\" schreibt sie";
  form_.WriteLog(text);
  SetStatus(text);
}
