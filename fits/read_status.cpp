#include "fits/read_status.h"

namespace fits {

std::string_view StatusText(ReadCode code) {
  switch (code) {
    case ReadCode::HeaderRead:
      return "Fitsfileheader gelesen";
    case ReadCode::HeaderCut:
      return "Warnung: FITS-Header war zu lang, gekürzt";
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
  }
  return "FATAL: unbekannter Status";
}

}  // namespace fits
