// Reads the primary data unit of a FITS file whose header has been read:
// the header's size, BITPIX and NAXIS1/2 come from that read; BZERO, BSCALE,
// BLANK and ROWORDER from the header's own cards. Reads in blocks, so a load
// can be cancelled between two, and turns each block into native elements
// where it lies: memory stays the image's size.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "imageview/pixel_cards.h"
#include "imageview/pixel_data.h"

namespace imageview {

struct DataRequest {
  std::string path;  // UTF-8
  std::int16_t bitpix = 0;
  std::int16_t naxis1 = 0;
  std::int16_t naxis2 = 0;
  std::int64_t dataOffset = 0;  // the header's size in bytes
};

enum class LoadCode : std::int8_t {
  Loaded = 0,
  Cancelled = 1,   // a newer request took its place
  Unreadable = 2,  // the file cannot be opened or read
  Truncated = 3,   // the file ends inside the data unit
  Changed = 4,     // its header no longer says what the read found
  NoImage = 5,     // a BITPIX or size no image can have
};

struct LoadedData {
  LoadCode code = LoadCode::Unreadable;
  PixelData pixels;
  PixelCards cards;
  std::string detail;  // the system's reason, or what differs; for the log
};

LoadedData ReadDataUnit(const DataRequest& request, const std::atomic<bool>& cancelled);

}  // namespace imageview
