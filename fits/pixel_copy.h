// The full rewrite: the new header, the image rows in reverse order (a
// north/south flip), zero fill to the next record. Rows stream through a
// bounded buffer, so memory does not grow with the image; bytes of each
// element pass unchanged (big-endian values, NaN patterns).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "fits/save_result.h"

namespace fits {

struct ImageLayout {
  std::int16_t bitpix = 0;
  std::int16_t naxis1 = 0;
  std::int16_t naxis2 = 0;
  std::int64_t dataOffset = 0;  // first data byte of the input: its header's size
};

// Bytes of the data alone, 64-bit.
std::int64_t DataBytes(const ImageLayout& layout);

// Writes header, flipped rows and fill to target, replacing it whole (target
// may be the input itself). On failure target is untouched.
SaveResult WriteFlippedImage(const std::string& input, const ImageLayout& layout, std::string_view header,
                             const std::string& target);

}  // namespace fits
