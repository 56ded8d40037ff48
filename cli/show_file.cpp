#include "cli/show_file.h"

#include "cli/field_state.h"
#include "cli/file_result.h"
#include "cli/json_text.h"
#include "coords/number_text.h"
#include "coords/sky_position.h"
#include "fits/card_text.h"

namespace cli {
namespace {

// Field texts without their sign column.
std::string Trimmed(std::string_view text) {
  return std::string(fits::TrimBlanks(text));
}

std::string Joined(const coords::SexagesimalTexts& texts) {
  return Trimmed(texts.whole) + " " + Trimmed(texts.minutes) + " " + Trimmed(texts.seconds);
}

struct Shown {
  std::string status, raHms, raHours, decDms, decDegrees, x, y;
  bool wcs = false;
  std::optional<config::Instrument> row;
};

std::string TextLine(const std::string& path, const Shown& s) {
  std::string line = path + ": " + s.status + " | RA " + s.raHms + " (" + s.raHours + " h) | Dec " +
                     s.decDms + " (" + s.decDegrees + "°) | X " + s.x + " | Y " + s.y + " | WCS " +
                     (s.wcs ? "ja" : "nein");
  if (s.row)
    line += " | Instrument '" + s.row->name + "' " + Trimmed(coords::FormatNumberText(s.row->cdelt1)) + " " +
            Trimmed(coords::FormatNumberText(s.row->cdelt2)) + " " +
            Trimmed(coords::FormatNumberText(s.row->rotation));
  return line;
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
  s.status = usable ? pipeline::ReadStatusText(read, true) : NotReadText(read, path);
  s.raHms = Joined(coords::RaFieldsFromHours(state.raHours));
  s.raHours = Trimmed(coords::FormatNumberText(state.raHours));
  s.decDms = Joined(coords::DecFieldsFromDegrees(state.decDegrees));
  s.decDegrees = Trimmed(coords::FormatNumberText(state.decDegrees));
  s.x = Trimmed(coords::FormatNumberText(state.crpix1));
  s.y = Trimmed(coords::FormatNumberText(state.crpix2));
  s.wcs = read.header.hasWcs;
  if (s.wcs && state.selected >= 0) s.row = state.table[static_cast<std::size_t>(state.selected)];
  ShownFile shown;
  shown.ok = usable;
  shown.bytes = read.asRead.size;
  shown.line = options.json ? JsonLine(path, shown.ok, s) : TextLine(path, s);
  return shown;
}

}  // namespace cli
