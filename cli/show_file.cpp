#include "cli/show_file.h"

#include "cli/field_state.h"
#include "cli/file_result.h"
#include "cli/json_text.h"
#include "coords/number_text.h"
#include "coords/sky_position.h"
#include "fits/card_text.h"
#include "pipeline/header_hints.h"

namespace cli {
namespace {

// Field texts without their sign column.
std::string Trimmed(std::string_view text) {
  return std::string(fits::TrimBlanks(text));
}

std::string Joined(const coords::SexagesimalTexts& texts) {
  return Trimmed(texts.whole) + " " + Trimmed(texts.minutes) + " " + Trimmed(texts.seconds);
}

// What --from-header would write: the position on J2000, the image centre,
// the scale; or what it lacks.
struct FromHeader {
  std::string refused;  // missing cards or a position that must not be used
  std::string raHms, raHours, decDms, decDegrees, x, y, arcsec;
};

struct Shown {
  std::string status, raHms, raHours, decDms, decDegrees, x, y;
  bool wcs = false;
  std::optional<config::Instrument> row;
  std::optional<FromHeader> fromHeader;
};

// Only for a file without a WCS of its own taken that carries any hint.
std::optional<FromHeader> FromHeaderOf(const fits::HeaderReadResult& header) {
  const pipeline::HeaderHints h = pipeline::ReadHeaderHints(header.keptCards);
  if (header.hasWcs || !(h.raHours || h.decDegrees || h.focalLengthMm || h.pixelSizeUm || h.scale ||
                         !h.positionRefused.empty()))
    return std::nullopt;
  FromHeader f;
  f.refused = h.positionRefused.empty() ? pipeline::MissingHints(h) : h.positionRefused;
  if (!f.refused.empty()) return f;
  f.raHms = Joined(coords::RaFieldsFromHours(*h.raHours));
  f.raHours = Trimmed(coords::FormatNumberText(*h.raHours));
  f.decDms = Joined(coords::DecFieldsFromDegrees(*h.decDegrees));
  f.decDegrees = Trimmed(coords::FormatNumberText(*h.decDegrees));
  f.x = Trimmed(coords::FormatNumberText(coords::RoundToInteger(header.naxis1 / 2.0).value_or(0)));
  f.y = Trimmed(coords::FormatNumberText(coords::RoundToInteger(header.naxis2 / 2.0).value_or(0)));
  f.arcsec = Trimmed(coords::FormatNumberText(coords::ToSingle(h.scale->cdelt2 * 3600.0)));
  return f;
}

std::string TextLine(const std::string& path, const Shown& s) {
  std::string line = path + ": " + s.status + " | RA " + s.raHms + " (" + s.raHours + " h) | Dec " +
                     s.decDms + " (" + s.decDegrees + "°) | X " + s.x + " | Y " + s.y + " | WCS " +
                     (s.wcs ? "ja" : "nein");
  if (s.row)
    line += " | Instrument '" + s.row->name + "' " + Trimmed(coords::FormatNumberText(s.row->cdelt1)) + " " +
            Trimmed(coords::FormatNumberText(s.row->cdelt2)) + " " +
            Trimmed(coords::FormatNumberText(s.row->rotation));
  if (const auto& f = s.fromHeader)
    line += " | --from-header: " + (!f->refused.empty()
                                        ? "es fehlt " + f->refused
                                        : "RA " + f->raHms + " | Dec " + f->decDms + " | X " + f->x +
                                              " | Y " + f->y + " | " + f->arcsec + "\"/px");
  return line;
}

std::string FromHeaderJson(const std::optional<FromHeader>& f) {
  if (!f) return "null";
  if (!f->refused.empty()) return JsonObject().String("missing", f->refused).Text();
  return JsonObject()
      .Raw("ra_hours", JsonNumber(f->raHours))
      .Raw("dec_degrees", JsonNumber(f->decDegrees))
      .Raw("x", f->x)
      .Raw("y", f->y)
      .Raw("scale_arcsec", JsonNumber(f->arcsec))
      .Text();
}

std::string JsonLine(const std::string& path, bool ok, const Shown& s) {
  std::string row = "null";
  if (s.row)
    row = JsonObject()
              .String("name", s.row->name)
              .Raw("CDELT1", JsonNumber(coords::FormatNumberText(s.row->cdelt1)))
              .Raw("CDELT2", JsonNumber(coords::FormatNumberText(s.row->cdelt2)))
              .Raw("CROTA2", JsonNumber(coords::FormatNumberText(s.row->rotation)))
              .Text();
  return JsonObject()
      .String("file", path)
      .Bool("ok", ok)
      .String("status", s.status)
      .String("ra_hms", s.raHms)
      .Raw("ra_hours", JsonNumber(s.raHours))
      .String("dec_dms", s.decDms)
      .Raw("dec_degrees", JsonNumber(s.decDegrees))
      .Raw("x", s.x)
      .Raw("y", s.y)
      .Bool("wcs", s.wcs)
      .Raw("instrument", row)
      .Raw("from_header", FromHeaderJson(s.fromHeader))
      .Text();
}

}  // namespace

ShownFile ShowFile(const Options& options, const std::string& path) {
  pipeline::LogBuffer log;
  FieldState state(log);
  pipeline::InputRead read =
      pipeline::ReadInput({path, options.startDirectory, false, 0, options.iniFile, false}, state, log);
  read.input.close();
  Shown s;
  const bool usable = !read.header.fatal && fits::IsUsable(read.header.code);
  s.status = usable ? pipeline::ReadStatusText(read) : NotReadText(read, path);
  s.raHms = Joined(coords::RaFieldsFromHours(state.raHours));
  s.raHours = Trimmed(coords::FormatNumberText(state.raHours));
  s.decDms = Joined(coords::DecFieldsFromDegrees(state.decDegrees));
  s.decDegrees = Trimmed(coords::FormatNumberText(state.decDegrees));
  s.x = Trimmed(coords::FormatNumberText(state.crpix1));
  s.y = Trimmed(coords::FormatNumberText(state.crpix2));
  s.wcs = read.header.hasWcs;
  if (s.wcs && state.selected >= 0) s.row = state.table[static_cast<std::size_t>(state.selected)];
  if (usable) s.fromHeader = FromHeaderOf(read.header);
  ShownFile shown;
  shown.ok = usable;
  shown.bytes = read.asRead.size;
  shown.line = options.json ? JsonLine(path, shown.ok, s) : TextLine(path, s);
  return shown;
}

}  // namespace cli
