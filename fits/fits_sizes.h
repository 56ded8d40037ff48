// The fixed sizes of the FITS format, named once.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fits {

inline constexpr std::size_t kCardBytes = 80;
inline constexpr std::size_t kKeywordBytes = 8;
inline constexpr std::size_t kCardsPerRecord = 36;
inline constexpr std::size_t kRecordBytes = kCardBytes * kCardsPerRecord;  // 2880

// Bytes per data element for a BITPIX value; 0 for a value FITS does not define.
constexpr std::int64_t BytesPerElement(std::int16_t bitpix) {
  switch (bitpix) {
    case 8:
      return 1;
    case 16:
      return 2;
    case 32:
    case -32:
      return 4;
    case 64:
    case -64:
      return 8;
    default:
      return 0;
  }
}

// Bytes of fill that take n bytes up to the next whole record.
constexpr std::int64_t FillBytes(std::int64_t n) {
  const auto record = static_cast<std::int64_t>(kRecordBytes);
  return (record - n % record) % record;
}

}  // namespace fits
