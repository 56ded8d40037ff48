#include "cli/instrument_rows.h"

#include "coords/number_text.h"
#include "fits/platform_file.h"
#include "pipeline/configuration.h"
#include "pipeline/read_input.h"

namespace cli {

IniRows LoadInstrumentRows(const Options& options) {
  const config::IniRoom room{pipeline::kAddedLineLimit, pipeline::kRemoveKeyLimit,
                             pipeline::kInstrumentLimit};
  pipeline::LogBuffer ignored;
  const config::IniContents contents =
      pipeline::LoadConfiguration(options.startDirectory, options.iniFile, true, room, ignored);
  IniRows rows{contents.opened, fits::platform::Utf8Name(options.iniFile), contents.instruments,
               contents.checkTolerance};
  if (rows.path.empty()) rows.path = config::kIniFileName;
  return rows;
}

std::optional<std::size_t> FindRow(std::span<const config::Instrument> rows, const std::string& name) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].name == name) return i;
  return std::nullopt;
}

config::Instrument ScaleRow(float arcsec, float rotation) {
  const float degrees = coords::ToSingle(static_cast<double>(arcsec) / 3600.0);
  return {coords::FormatNumberText(degrees) + "/" + coords::FormatNumberText(degrees), degrees, degrees,
          rotation, false};
}

}  // namespace cli
