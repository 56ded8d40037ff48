#include "cli/sky_check_file.h"

#include <charconv>
#include <cmath>

#include "cli/json_text.h"
#include "skycheck/solved_entries.h"

namespace cli {
namespace {

std::string JsonDouble(double value) {
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return std::isfinite(value) && error == std::errc() ? std::string(text, end) : "null";
}

skycheck::CheckRequest Request(const Options& options, const std::string& path, const Road& road,
                               const skycheck::TanWcs& entered) {
  return {path,
          road.read.header.naxis1,
          road.read.header.naxis2,
          entered,
          options.flip,
          options.tolerancePixels,
          {options.indexFolders, skycheck::kDefaultCpuLimitSeconds}};
}

std::string NoWcs(Road& road) {
  road.log.WriteLine("Error: kein WCS zum Prüfen, Speichern abgelehnt");
  return "Fehler: kein TAN-WCS zum Prüfen; nicht geändert";
}

}  // namespace

FileResult CheckFile(const Options& options, const std::string& path) {
  FileResult result;
  Road road;
  result.status = PlanSave(options, path, road);
  result.bytes = road.read.asRead.size;
  if (result.status.empty()) {
    const auto entered = skycheck::TanWcsFromHeader(road.header.bytes);
    if (!entered) {
      result.status = NoWcs(road);
    } else {
      result.sky = skycheck::CheckAgainstSky(Request(options, path, road, *entered));
      result.status = skycheck::CheckText(*result.sky);
      result.ok = result.sky->verdict == skycheck::Verdict::Fits;
    }
  }
  result.log = road.log.Bytes();
  return result;
}

std::string CheckBeforeSave(const Options& options, const std::string& path, Road& road, FileResult& result) {
  const auto entered = skycheck::TanWcsFromHeader(road.header.bytes);
  if (!entered) return NoWcs(road);
  result.sky = skycheck::CheckAgainstSky(Request(options, path, road, *entered));
  const std::string text = skycheck::CheckText(*result.sky);
  if (result.sky->verdict == skycheck::Verdict::Fits) {
    road.log.WriteLine("Prüfung am Himmel: " + text);
    return {};
  }
  road.log.WriteLine("Error: Prüfung am Himmel: " + text + ", Speichern abgelehnt");
  return "Fehler: Prüfung am Himmel: " + text + "; nicht geändert";
}

std::string SolveIntoFields(const Options& options, const std::string& path, Road& road, FileResult& result) {
  const fits::HeaderReadResult& h = road.read.header;
  auto hint = skycheck::TanWcsFromHeader(road.header.bytes);
  if (!hint) return NoWcs(road);
  // The header describes the flipped image; the solve sees the stored one.
  if (options.flip) hint = skycheck::Mirrored(*hint, h.naxis2);
  const skycheck::CheckRequest request = Request(options, path, road, *hint);
  result.sky.emplace();
  result.sky->solution = skycheck::SolveNear(path, h.naxis1, h.naxis2, *hint, request.settings);
  const skycheck::Solution& solution = result.sky->solution;
  if (solution.code != skycheck::SolveCode::Solved) {
    road.log.WriteLine("Error: nicht gelöst: " + skycheck::ReasonText(solution) + ", Speichern abgelehnt");
    return "Fehler: nicht gelöst: " + skycheck::ReasonText(solution) + "; nicht geändert";
  }
  if (!skycheck::TakesMirror(solution, options.flip)) {
    const std::string reason = options.flip ? "Lösung gespiegelt: mit --flip zeigte das Bild den Himmel "
                                              "seitenverkehrt, ohne --flip speichern"
                                            : "Lösung gespiegelt: das Bild zeigt den Himmel seitenverkehrt, "
                                              "--flip speichert es gespiegelt";
    road.log.WriteLine("Error: " + reason + ", Speichern abgelehnt");
    return "Fehler: " + reason + "; nicht geändert";
  }
  const auto solved = skycheck::EntriesOfSolution(solution, h.naxis1, h.naxis2, options.flip);
  if (!solved) return NoWcs(road);
  road.state.wcsChecked = true;
  road.state.TypeRaHours(solved->raHours);
  road.state.TypeDecDegrees(solved->decDegrees);
  road.state.crpix1 = solved->crpix1;
  road.state.crpix2 = solved->crpix2;
  if (options.flip && !ChooseFlip(road.state, h.naxis2, road.log))
    return std::string(fits::StatusText(fits::SaveCode::MirrorOutOfRange));
  road.ownRow = solved->row;
  road.wholeNew = true;
  road.log.WriteLine("Gelöst: " + skycheck::ReasonText(solution));
  return ComposeSave(options, road);
}

std::string SkyJson(const skycheck::SkyCheck& sky) {
  JsonObject object;
  object.Raw("verdict", sky.verdict ? JsonString(skycheck::VerdictWord(*sky.verdict)) : "null");
  object.String("reason", skycheck::ReasonText(sky.solution));
  if (const auto& c = sky.comparison) {
    std::string corners = "[";
    for (const double corner : c->cornerArcsec)
      corners += (corners.size() > 1 ? "," : "") + JsonDouble(std::round(corner * 100) / 100);
    object.Raw("offset_reference_arcsec", JsonDouble(std::round(c->referenceArcsec * 100) / 100))
        .Raw("offset_corners_arcsec", corners + "]")
        .Raw("offset_pixels", JsonDouble(std::round(c->largestPixels * 100) / 100))
        .Raw("rotation_degrees", JsonDouble(std::round(c->rotationDegrees * 1e4) / 1e4))
        .Raw("scale_ratio", JsonDouble(std::round(c->scaleRatio * 1e6) / 1e6))
        .Bool("entered_mirrored", c->enteredMirrored)
        .Bool("solved_mirrored", c->solvedMirrored);
  }
  object.Raw("stars", std::to_string(sky.solution.stars))
      .Raw("seconds", JsonDouble(std::round(sky.solution.seconds * 100) / 100));
  std::string solution = "null";
  if (sky.solution.code == skycheck::SolveCode::Solved) {
    const skycheck::TanWcs& w = sky.solution.wcs;
    solution = JsonObject()
                   .Raw("CRPIX1", JsonDouble(w.crpix1))
                   .Raw("CRPIX2", JsonDouble(w.crpix2))
                   .Raw("CRVAL1", JsonDouble(w.crval1))
                   .Raw("CRVAL2", JsonDouble(w.crval2))
                   .Raw("CD1_1", JsonDouble(w.cd[0][0]))
                   .Raw("CD1_2", JsonDouble(w.cd[0][1]))
                   .Raw("CD2_1", JsonDouble(w.cd[1][0]))
                   .Raw("CD2_2", JsonDouble(w.cd[1][1]))
                   .Text();
  }
  return object.Raw("solution", solution).Text();
}

std::string SkySummary(const skycheck::SkyCheck& sky) {
  return sky.verdict ? skycheck::CheckText(sky) : skycheck::ReasonText(sky.solution);
}

}  // namespace cli
