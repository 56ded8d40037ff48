#include "pipeline/write_output.h"

#include <cmath>

#include "coords/number_text.h"
#include "fits/file_replace.h"
#include "fits/fits_number.h"
#include "fits/fits_sizes.h"
#include "fits/header_rewrite.h"

namespace pipeline {
namespace {

void LogOutputHeader(const OutputRequest& request, const fits::ComposedHeader& header, bool dataSumRecomputed,
                     LogSink& log) {
  log.WriteLine("**** FITS-fileheader von Output-Datei: " + request.output + " ****");
  for (const std::string& line : header.logLines) log.WriteLine(line);
  log.WriteLine("**** Ende des FITS-fileheaders der Output-Datei ****");
  if (!header.integrity) return;
  if (header.integrity->hasChecksum) log.WriteLine("Warnung: CHECKSUM für den neuen Header neu berechnet");
  if (header.integrity->hasDatasum && dataSumRecomputed)
    log.WriteLine("Warnung: DATASUM für die gespeicherten Daten neu berechnet");
}

// The data stay as they are: a DATASUM of the input stands, and only
// without one are the data read to find it.
fits::SaveResult WriteHeaderOnly(const OutputRequest& request, fits::ComposedHeader& header,
                                 bool& dataSumRecomputed) {
  fits::SaveResult result = fits::InputUnchanged(request.input, request.inputAsRead);
  if (header.integrity) {
    std::uint32_t dataSum = header.integrity->inputDataSum.value_or(0);
    dataSumRecomputed = !header.integrity->inputDataSum;
    if (result.ok() && dataSumRecomputed &&
        !fits::PrimaryDataSum(request.input, request.layout, dataSum, result.error))
      result.code = fits::SaveCode::Failed;
    fits::SealIntegrityCards(header, dataSum);
  }
  if (!result.ok()) return result;
  const bool sameSize = static_cast<std::int64_t>(header.bytes.size()) == request.layout.dataOffset;
  if (!sameSize || (request.output != request.input && !fits::IsSameFile(request.input, request.output)))
    return fits::CopyWithNewHeader(request.input, header.bytes, request.layout.dataOffset, request.output,
                                   request.progress);
  fits::InPlaceHeader inPlace{
      request.output, header.bytes, request.layout.dataOffset, request.inputAsRead, {}};
  if (!request.deferred) return fits::RewriteHeaderInPlace(inPlace);
  fits::SaveResult taken;
  if (!fits::TakeOldHeader(inPlace, inPlace.oldHeader, taken)) return taken;
  *request.deferred = std::move(inPlace);
  return result;
}

fits::SaveResult WriteFlipped(const OutputRequest& request, fits::ComposedHeader& header) {
  fits::HeaderForDataSum seal = nullptr;
  if (header.integrity)
    seal = [&header](std::uint32_t dataSum) {
      fits::SealIntegrityCards(header, dataSum);
      return header.bytes;
    };
  fits::SaveResult result = fits::InputUnchanged(request.input, request.inputAsRead);
  if (!result.ok()) return result;
  return fits::WriteFlippedImage(request.input, request.layout, header.bytes, request.output, seal,
                                 request.progress);
}

// Checked before anything is written, so that no reader meets a value that is
// no number, or another number than the one meant.
std::optional<fits::SaveCode> UnwritableValue(const fits::HeaderPlan& plan, LogSink& log) {
  const auto bad = fits::FirstUnwritableValue(plan);
  if (!bad) return std::nullopt;
  log.WriteLine("Error: " + bad->keyword + " = " + bad->value + " ist keine FITS-Zahl, Speichern abgelehnt");
  return fits::SaveCode::ValueNotANumber;
}

// A number as a card shows it, without the sign column.
std::string Number(float value) {
  const std::string text = coords::FormatNumberText(value);
  return text.substr(text.find_first_not_of(' '));
}

// A WCS to write points somewhere on the sphere and has a scale: a
// declination beyond a pole or a scale of zero or no number (a velorin.ini
// row written so, used without the file's own WCS) makes none.
std::optional<fits::SaveCode> UnusableWcs(const fits::HeaderPlan& plan, LogSink& log) {
  if (!plan.writeWcs) return std::nullopt;
  if (!(std::fabs(plan.crval2) <= 90.0f)) {
    log.WriteLine("Error: Deklination CRVAL2 = " + Number(plan.crval2) +
                  " außerhalb -90° bis +90°, Speichern abgelehnt");
    return fits::SaveCode::DecOutOfRange;
  }
  const bool own = plan.hasWcs || !plan.instrument;
  const float cdelt1 = own ? plan.cdelt1 : plan.instrument->cdelt1;
  const float cdelt2 = own ? plan.cdelt2 : plan.instrument->cdelt2;
  if (std::isfinite(cdelt1) && std::isfinite(cdelt2) && cdelt1 != 0.0f && cdelt2 != 0.0f) return std::nullopt;
  log.WriteLine("Error: Maßstab CDELT1 = " + Number(cdelt1) + ", CDELT2 = " + Number(cdelt2) +
                " unbrauchbar, Speichern abgelehnt");
  return fits::SaveCode::ScaleUnusable;
}

}  // namespace

std::optional<fits::SaveCode> RefusedSave(bool usableRead, const fits::HeaderPlan& plan, LogSink& log) {
  if (!usableRead || plan.headerCardCount == 0 || fits::BytesPerElement(plan.bitpix) == 0)
    return fits::SaveCode::NoValidRead;
  if (plan.writeWcs && !plan.instrument) {
    log.WriteLine("Error: kein Instrument aus der Liste ausgewählt, Speichern abgelehnt");
    return fits::SaveCode::NoInstrument;
  }
  if (const auto unusable = UnusableWcs(plan, log)) return unusable;
  return UnwritableValue(plan, log);
}

fits::SaveResult WriteOutput(const OutputRequest& request, fits::ComposedHeader& header, LogSink& log) {
  bool dataSumRecomputed = request.flip;  // the flip sums the data it writes
  const fits::SaveResult result =
      request.flip ? WriteFlipped(request, header) : WriteHeaderOnly(request, header, dataSumRecomputed);
  LogOutputHeader(request, header, dataSumRecomputed, log);
  const auto grown = static_cast<std::int64_t>(header.bytes.size()) - request.layout.dataOffset;
  if (result.ok() && !request.flip && grown > 0)
    log.WriteLine("Warnung: Header um " +
                  std::to_string(grown / static_cast<std::int64_t>(fits::kRecordBytes)) +
                  " 2880Byte-Record(s) verlängert, Datei ganz neu geschrieben");
  if (!result.ok()) {
    log.WriteLine(SaveErrorLine(result.error));
  } else if (!result.error.empty()) {
    log.WriteLine("Warnung: " + result.error);
  }
  return result;
}

std::string SaveErrorLine(std::string_view error) {
  return "Error: Speichern fehlgeschlagen: " + std::string(error);
}

}  // namespace pipeline
