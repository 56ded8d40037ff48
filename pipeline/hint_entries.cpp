#include "pipeline/hint_entries.h"

#include <string_view>

#include "coords/number_text.h"

namespace pipeline {

std::int16_t Centre(std::int16_t naxis) {
  return coords::RoundToInteger(naxis / 2.0).value_or(0);
}

std::optional<config::Instrument> HintRow(const HeaderHints& hints) {
  if (!hints.scale) return std::nullopt;
  config::Instrument row = *hints.scale;
  row.name = coords::FormatNumberText(row.cdelt1) + "/" + coords::FormatNumberText(row.cdelt2);
  row.namesTelescope = false;
  return row;
}

HintEntries EnterHints(const HeaderHints& hints, const TypedPosition& typed, std::int16_t naxis1,
                       std::int16_t naxis2) {
  HintEntries entries;
  entries.raHours = typed.raHours;
  entries.decDegrees = typed.decDegrees;
  entries.crpix1 = typed.x.value_or(Centre(naxis1));
  entries.crpix2 = typed.y.value_or(Centre(naxis2));
  if (typed.raHours && typed.decDegrees) return entries;
  // Contradicting or unreachable hints name no position, not even half of one.
  entries.refused = hints.positionRefused;
  if (!entries.refused.empty()) return entries;
  if (!entries.raHours) entries.raHours = hints.raHours;
  if (!entries.decDegrees) entries.decDegrees = hints.decDegrees;
  entries.precessionLine = hints.precessionLine;
  return entries;
}

std::string HintCardsLine(const HeaderHints& hints, bool position, bool scale) {
  std::string line = "Aus dem Header eingetragen: ";
  if (position) line += "Position aus " + hints.positionCards + (scale ? ", " : "");
  if (scale) line += "Maßstab aus FOCALLEN und XPIXSZ/YPIXSZ";
  return line;
}

std::string WindowRefusalLine(const std::string& refused) {
  constexpr std::string_view kTypedDecides = ", --ra/--dec entscheiden";
  std::string reason = refused;
  if (reason.ends_with(kTypedDecides)) reason.resize(reason.size() - kTypedDecides.size());
  return "Warnung: " + reason + ", Position nicht eingetragen";
}

}  // namespace pipeline
