#include "fits/read_status.h"

#include "fits/save_result.h"

namespace fits {

std::string_view StatusText(ReadCode code) {
  switch (code) {
    case ReadCode::HeaderRead:
      return "Fitsfileheader gelesen";
    case ReadCode::NotSimple:
      return "FATAL: keine einfache Fitsdatei";
    case ReadCode::AxesNotTwo:
      return "FATAL: 'number of axes' > 2";
    case ReadCode::SizeImplausible:
      return "FATAL: Bildgröße unplausibel";
    case ReadCode::LongHeader:
      return "Fitsfileheader > 36 Zeilen";
    case ReadCode::BitpixUnsupported:
      return "FATAL: BITPIX nicht unterstützt";
    case ReadCode::HeaderIncomplete:
      return "FATAL: Fitsheader unvollständig";
    case ReadCode::DataIncomplete:
      return "FATAL: Bilddaten unvollständig";
    case ReadCode::FileUnreadable:
      return "FATAL: Fitsdatei nicht lesbar";
    case ReadCode::HeaderTooLong:
      return "FATAL: Fitsheader zu lang";
    case ReadCode::InstrumentsFull:
      return "Warnung: Instrumentenliste voll, bitte Instrument wählen";
  }
  return "FATAL: unbekannter Status";
}

std::string_view StatusText(SaveCode code) {
  switch (code) {
    case SaveCode::Saved:
      return "FERTIG";
    case SaveCode::NotDurable:
      return "Warnung: gespeichert, aber nicht sicher auf der Platte, siehe logfile.txt";
    case SaveCode::Failed:
      return "FATAL: Speichern fehlgeschlagen, siehe logfile.txt";
    case SaveCode::InputChanged:
      return "Error: Datei seit dem Lesen verändert, nichts gespeichert";
    case SaveCode::ReadOnly:
      return "Error: Datei schreibgeschützt, nichts gespeichert";
    case SaveCode::HardLinked:
      return "Error: Datei hat mehrere Hardlinks, nichts gespeichert";
    case SaveCode::NoValidRead:
      return "Error: keine gültige Fitsdatei gelesen, nichts gespeichert";
    case SaveCode::NoInstrument:
      return "Error: kein Instrument ausgewählt, nichts gespeichert";
    case SaveCode::ReadingData:
      return "BITTE WARTEN: lese Bilddaten";
    case SaveCode::WritingData:
      return "BITTE WARTEN: schreibe Bilddaten";
    case SaveCode::MirrorOutOfRange:
      return "Warnung: gespiegeltes Referenzpixel Y passt nicht in 16 Bit, nicht gespiegelt";
    case SaveCode::ValueNotANumber:
      return "Error: Wert nicht als FITS-Zahl schreibbar, nichts gespeichert, siehe logfile.txt";
    case SaveCode::DecOutOfRange:
      return "Error: Deklination außerhalb -90° bis +90°, nichts gespeichert";
    case SaveCode::ScaleUnusable:
      return "Error: Maßstab null oder keine Zahl, nichts gespeichert";
  }
  return "FATAL: unbekannter Status";
}

}  // namespace fits
