#include "cli/apply_file.h"

#include <utility>

#include "cli/field_state.h"
#include "cli/instrument_rows.h"
#include "cli/sky_check_file.h"
#include "fits/card_text.h"
#include "fits/file_replace.h"
#include "fits/fits_sizes.h"
#include "fits/pixel_copy.h"
#include "fits/platform_file.h"
#include "pipeline/header_hints.h"
#include "pipeline/hint_entries.h"
#include "pipeline/write_output.h"

namespace cli {
namespace {

// The row a file without a WCS of its own is saved with: an explicit option
// before the header's scale. Selects it in the table as choosing it in the
// list would; false when there is none.
bool ChooseRow(const Options& options, const pipeline::HeaderHints& hints, FieldState& state,
               std::optional<config::Instrument>& ownRow) {
  if (options.instrument) {
    const auto row = FindRow(state.table, *options.instrument);
    if (!row) return false;
    state.selected = static_cast<int>(*row);
    return true;
  }
  if (options.scaleArcsec) {
    ownRow = ScaleRow(*options.scaleArcsec, options.rotation.value_or(0.0f));
  } else if (hints.scale) {
    ownRow = pipeline::HintRow(hints);
    if (options.rotation) ownRow->rotation = *options.rotation;
  }
  return ownRow.has_value();
}

// The row's scale against the header's optics, when both are there.
void CompareScales(const Options& options, const pipeline::HeaderHints& hints, const FieldState& state,
                   const std::optional<config::Instrument>& ownRow, pipeline::LogSink& log) {
  if (!options.instrument && !options.scaleArcsec) return;
  const config::Instrument& row = ownRow ? *ownRow : state.table[static_cast<std::size_t>(state.selected)];
  const std::string name = options.instrument ? "'" + *options.instrument + "'" : "--scale";
  if (const std::string warning = pipeline::ScaleMismatchWarning(hints, row, name); !warning.empty())
    log.WriteLine(warning);
}

// The entries for a file without a WCS, or for one whose WCS they replace
// whole: position, reference pixel, scale. The German reason when something
// needed is missing, or the header's position may not be used.
std::string EnterNewWcs(const Options& options, const pipeline::InputRead& read, FieldState& state,
                        std::optional<config::Instrument>& ownRow, pipeline::LogSink& log) {
  const pipeline::HeaderHints hints =
      options.fromHeader ? pipeline::ReadHeaderHints(read.header.keptCards) : pipeline::HeaderHints{};
  const pipeline::HintEntries entries =
      pipeline::EnterHints(hints, {options.raHours, options.decDegrees, options.x, options.y},
                           read.header.naxis1, read.header.naxis2);
  if (!entries.refused.empty()) {
    log.WriteLine("Error: " + entries.refused + ", Speichern abgelehnt");
    return "Fehler: " + entries.refused + "; nicht geändert";
  }
  const std::optional<float> ra = entries.raHours, dec = entries.decDegrees;
  std::string missing;
  if (!ra || !dec)
    missing = options.fromHeader ? "Position (OBJCTRA/OBJCTDEC oder RA/DEC)"
                                 : "Position (--ra/--dec oder --from-header)";
  if (!ChooseRow(options, hints, state, ownRow)) {
    // The hints' own names for what the scale lacks, the position aside.
    pipeline::HeaderHints scaleOnly = hints;
    scaleOnly.raHours = scaleOnly.decDegrees = 0.0f;
    missing += std::string(missing.empty() ? "" : " und ") +
               (options.instrument   ? "Instrument '" + *options.instrument + "' in velorin.ini"
                : options.fromHeader ? "Maßstab (" + pipeline::MissingHints(scaleOnly) + ")"
                                     : "Maßstab (--instrument, --scale oder --from-header)");
  }
  if (!missing.empty())
    return (read.header.carriesWcs ? "Fehler: für ein neues WCS fehlt "
                                   : "Fehler: Datei ohne WCS, es fehlt ") +
           missing + "; nicht geändert";
  if (options.fromHeader) CompareScales(options, hints, state, ownRow, log);
  if (!entries.precessionLine.empty()) log.WriteLine(entries.precessionLine);
  state.wcsChecked = true;
  state.TypeRaHours(*ra);
  state.TypeDecDegrees(*dec);
  state.crpix1 = entries.crpix1;
  state.crpix2 = entries.crpix2;
  return {};
}

// Entries for a file with its own WCS replace what they name.
void ReplaceWcs(const Options& options, FieldState& state, std::optional<config::Instrument>& ownRow) {
  if (options.raHours) state.TypeRaHours(*options.raHours);
  if (options.decDegrees) state.TypeDecDegrees(*options.decDegrees);
  if (options.x) state.crpix1 = *options.x;
  if (options.y) state.crpix2 = *options.y;
  if (options.instrument) {
    if (const auto row = FindRow(state.table, *options.instrument)) ownRow = state.table[*row];
  } else if (options.scaleArcsec) {
    ownRow = ScaleRow(*options.scaleArcsec, options.rotation.value_or(0.0f));
  }
}

fits::HeaderPlan Plan(const Options& options, const pipeline::InputRead& read, const FieldState& state) {
  const fits::HeaderReadResult& h = read.header;
  fits::HeaderPlan plan;
  plan.bitpix = h.bitpix;
  plan.naxis1 = h.naxis1;
  plan.naxis2 = h.naxis2;
  plan.writeWcs = state.wcsChecked;
  plan.flip = options.flip;
  plan.keepOldSize = !options.flip;
  plan.headerCardCount = h.headerCardCount;
  plan.hasWcs = h.hasWcs;
  plan.crval1 = state.crval1;
  plan.crval2 = state.crval2;
  plan.crpix1 = state.crpix1;
  plan.crpix2 = state.crpix2;
  plan.cdelt1 = h.cdelt1;
  plan.cdelt2 = h.cdelt2;
  plan.crota1 = h.crota1;
  plan.crota2 = h.crota2;
  if (state.selected >= 0) plan.instrument = state.table[static_cast<std::size_t>(state.selected)];
  plan.keepLines = read.keepLines;
  return plan;
}

}  // namespace

bool ChooseFlip(FieldState& state, std::int16_t naxis2, pipeline::LogSink& log) {
  const auto mirrored = fits::MirroredCrpix2(naxis2, state.crpix2);
  if (!mirrored) {
    log.WriteLine("Warnung: Spiegelung von CRPIX2 " + std::to_string(state.crpix2) + " an NAXIS2 " +
                  std::to_string(naxis2) + " ergibt " + std::to_string(naxis2 + 1 - state.crpix2) +
                  ", Wert nicht übernommen");
    return false;
  }
  state.crpix2 = *mirrored;
  return true;
}

namespace {

FileResult Finish(FileResult& result, std::string status, const pipeline::LogBuffer& log) {
  result.status = std::move(status);
  result.log = log.Bytes();
  return std::move(result);
}

// A result under --output is never written through a name that leads
// elsewhere: a symbolic link there (whatever it names) stays as it is, and
// a second name of the input (a hard link) is not the new file the user
// asked for. The German reason, empty when the output may be written.
std::string RefusedOutput(const std::string& input, const std::string& output) {
  if (fits::platform::IsSymbolicLink(output))
    return "Fehler: " + output + " ist ein symbolischer Link, er wird nicht verfolgt; nicht geändert";
  if (fits::IsSameFile(input, output))
    return "Fehler: " + output + " ist dieselbe Datei wie die Eingabe " + input + "; nicht geändert";
  return {};
}

}  // namespace

std::string OutputName(const Options& options, const std::string& input) {
  if (options.output.empty()) return input;
  using fits::platform::NativePath;
  return fits::platform::Utf8Name(NativePath(options.output) / NativePath(input).filename());
}

std::string PlanSave(const Options& options, const std::string& path, Road& road) {
  road.read = pipeline::ReadInput({path, options.startDirectory, true, 0, options.iniFile, false}, road.state,
                                  road.log);
  road.read.input.close();
  const fits::HeaderReadResult& h = road.read.header;
  if (h.fatal || !fits::IsUsable(h.code)) return NotReadText(road.read, path);

  // A WCS of the file's own, taken or not, is replaced only when asked.
  road.entries = options.HasEntries() || options.fromHeader || options.solve;
  if (h.carriesWcs && !options.replaceWcs && (road.entries || !h.hasWcs)) {
    const std::string reason = road.entries
                                   ? "Datei hat schon ein WCS, Angaben abgelehnt (--replace-wcs ersetzt es)"
                                   : "WCS der Datei nicht übernommen, ein neues nur mit Angaben und "
                                     "--replace-wcs";
    road.log.WriteLine("Error: " + reason + ", Speichern abgelehnt");
    return "Fehler: " + reason + "; nicht geändert";
  }
  // The header's hints describe a whole WCS: it replaces the file's whole.
  road.wholeNew = !h.hasWcs || options.fromHeader;
  if (road.wholeNew) {
    if (std::string missing = EnterNewWcs(options, road.read, road.state, road.ownRow, road.log);
        !missing.empty())
      return missing;
  } else if (options.HasEntries()) {
    ReplaceWcs(options, road.state, road.ownRow);
  }
  // The cards of a replaced WCS go the way of every other WCS form: left out, each with a warning.
  if (h.hasWcs && road.entries)
    road.read.keepLines.insert(road.read.keepLines.end(), h.wcsCards.begin(), h.wcsCards.end());
  if (options.flip && !ChooseFlip(road.state, h.naxis2, road.log))
    return std::string(fits::StatusText(fits::SaveCode::MirrorOutOfRange));
  return ComposeSave(options, road);
}

std::string ComposeSave(const Options& options, Road& road) {
  const fits::HeaderReadResult& h = road.read.header;
  fits::HeaderPlan plan = Plan(options, road.read, road.state);
  // A taken WCS that no entry replaces is saved as the file has it.
  if (h.hasWcs && !road.entries) plan.ownWcs = h.wcsCards;
  if (road.ownRow) plan.instrument = road.ownRow;
  if (road.ownRow || road.wholeNew) plan.hasWcs = false;  // scale and rotation come from the new row
  if (const auto refused = pipeline::RefusedSave(true, plan, road.log))
    return std::string(fits::StatusText(*refused));
  road.header = fits::ComposeHeader(plan);
  return {};
}

FileResult ApplyToFile(const Options& options, const std::string& path) {
  FileResult result;
  Road road;
  std::string refused = PlanSave(options, path, road);
  result.bytes = road.read.asRead.size;
  if (refused.empty() && options.solve) refused = SolveIntoFields(options, path, road, result);
  if (refused.empty() && options.check) refused = CheckBeforeSave(options, path, road, result);
  // Looked at last, so that little time is left for a link to appear there.
  if (refused.empty() && !options.output.empty()) refused = RefusedOutput(path, OutputName(options, path));
  if (!refused.empty()) return Finish(result, std::move(refused), road.log);
  const fits::HeaderReadResult& h = road.read.header;
  fits::ComposedHeader& header = road.header;
  if (options.dryRun) {
    TakeWrittenValues(header.bytes, result);
    result.ok = true;
    for (std::size_t at = 0; at + fits::kCardBytes <= header.bytes.size(); at += fits::kCardBytes) {
      const std::string_view card =
          fits::TrimTrailingBlanks(std::string_view(header.bytes).substr(at, fits::kCardBytes));
      result.headerCards.emplace_back(card);
      if (card == "END") break;
    }
    return Finish(result, "Probelauf: nichts geschrieben", road.log);
  }
  const fits::ImageLayout layout{
      h.bitpix, h.naxis1, h.naxis2,
      std::int64_t{h.headerCardCount} * static_cast<std::int64_t>(fits::kCardBytes)};
  const fits::SaveResult saved = pipeline::WriteOutput(
      {path, OutputName(options, path), layout, road.read.asRead, options.flip, &result.pending}, header,
      road.log);
  result.ok = saved.ok();
  result.detail = saved.error;
  if (result.ok) TakeWrittenValues(header.bytes, result);
  return Finish(result, std::string(fits::StatusText(saved.code)), road.log);
}

}  // namespace cli
