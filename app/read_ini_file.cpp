#include "app/read_ini_file.h"

#include <QComboBox>

#include "app/display_text.h"
#include "config/ini_reader.h"

void ReadIniFile(SharedState& shared, QComboBox* Cb_instrume, LogFile& logFile) {
  const config::IniRoom room{kKeepLineLimit - static_cast<std::size_t>(shared.KeepLineCount),
                             kRemoveKeyLimit - static_cast<std::size_t>(shared.RemoveKeyCount),
                             kInstrumentLimit - static_cast<std::size_t>(shared.InstrumentCount)};
  const config::IniContents contents =
      config::LoadIni(shared.StartDirectory, shared.InstrumentsPending, room);
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
