// Outcome codes of a save, each with the status text the window shows for it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fits {

enum class SaveCode : std::int16_t {
  Saved = 0,     // "FERTIG"
  NotDurable,    // saved, but the folder could not be flushed: a power cut may lose the new name
  Failed,        // nothing changed; the error says why
  InputChanged,  // the file is no longer the one that was read
  ReadOnly,      // the target is write-protected
  HardLinked,    // the target has other names that a replace would split off
  NoValidRead,   // no usable header has been read
  NoInstrument,  // a WCS is to be written but no instrument row is selected
  ReadingData,   // the full rewrite is under way
  WritingData,
  MirrorOutOfRange,  // the mirrored reference pixel does not fit 16 bits
  ValueNotANumber,   // a value to write is no FITS number within its card
  DecOutOfRange,     // the declination to write is beyond -90 to +90 degrees
  ScaleUnusable,     // the scale to write is zero or no number
};

// The outcome of writing a file: unless ok(), the target is as it was.
// error holds the detail for the log (German).
struct SaveResult {
  SaveCode code = SaveCode::Failed;
  std::string error;
  bool ok() const { return code == SaveCode::Saved || code == SaveCode::NotDurable; }
};

// The status line for a save outcome.
std::string_view StatusText(SaveCode code);

}  // namespace fits
