#include "app/read_ini_file.h"

#include <QComboBox>
#include <cstdlib>

#include "app/display_text.h"
#include "config/ini_path.h"
#include "config/ini_reader.h"

namespace {

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

}  // namespace

void ReadIniFile(SharedState& shared, QComboBox* Cb_instrume, LogFile& logFile) {
  const config::IniRoom room{kKeepLineLimit - static_cast<std::size_t>(shared.KeepLineCount),
                             kRemoveKeyLimit - static_cast<std::size_t>(shared.RemoveKeyCount),
                             kInstrumentLimit - static_cast<std::size_t>(shared.InstrumentCount)};
  const config::IniLocation location =
      config::ChooseIniLocation(shared.StartDirectory, Environment("XDG_CONFIG_HOME"), Environment("HOME"),
                                [](const std::filesystem::path& path) {
                                  std::error_code error;
                                  return std::filesystem::exists(path, error);
                                });
  const config::IniContents contents = config::LoadIni(location.directory, shared.InstrumentsPending, room);
  // Only a file from elsewhere than the start-up directory is named, so a
  // user can tell where the instruments came from.
  if (location.fromConfigHome && contents.opened)
    logFile.WriteLine("velorin.ini gelesen aus " + (location.directory / config::kIniFileName).string());
  for (const std::string& line : contents.logLines) logFile.WriteLine(line);

  for (const std::string& line : contents.addedLines) shared.KeepLines[shared.KeepLineCount++] = line;
  for (const std::string& key : contents.removeKeys) shared.RemoveKeys[shared.RemoveKeyCount++] = key;
  // A missing file leaves the instrument list pending, so a later read can
  // still build it once the file is there.
  if (!shared.InstrumentsPending || !contents.opened) return;

  const std::int16_t firstNew = shared.InstrumentCount;
  for (const config::Instrument& instrument : contents.instruments)
    shared.InstrumentTable[static_cast<std::size_t>(shared.InstrumentCount++)] = instrument;
  // Rows a file's own WCS added before the configuration could be read are
  // in the list already.
  for (std::int16_t row = firstNew; row < shared.InstrumentCount; ++row)
    Cb_instrume->addItem(DisplayName(shared.InstrumentTable[static_cast<std::size_t>(row)].name));
  if (Cb_instrume->count() > 0) Cb_instrume->setCurrentIndex(0);
  shared.InstrumentsPending = false;
}
