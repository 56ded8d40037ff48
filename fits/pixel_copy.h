// The full rewrite: the new header, the image rows in reverse order (a
// north/south flip), zero fill to the next record. Rows stream through a
// bounded buffer, so memory does not grow with the image; bytes of each
// element pass unchanged (big-endian values, NaN patterns).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "fits/progress.h"
#include "fits/save_result.h"

namespace fits {

struct ImageLayout {
  std::int16_t bitpix = 0;
  std::int16_t naxis1 = 0;
  std::int16_t naxis2 = 0;
  std::int64_t dataOffset = 0;  // first data byte of the input: its header's size
};

// The reference pixel's y in the flipped image: FITS counts rows from 1, so
// row j becomes row naxis2 + 1 - j (1000 and 300 give 701). Empty when the
// result does not fit 16 bits.
std::optional<std::int16_t> MirroredCrpix2(std::int16_t naxis2, std::int16_t crpix2);

// Bytes of the data alone, 64-bit.
std::int64_t DataBytes(const ImageLayout& layout);

// Given the data sum of what was written (data and fill), the header to put
// in place of the first one, of the same size.
using HeaderForDataSum = std::function<std::string(std::uint32_t dataSum)>;

// Writes header, flipped rows and fill to target, then everything the input
// holds after its primary data (extensions) unchanged, replacing target whole
// (target may be the input itself). With sealHeader set, the data are summed
// as they stream out and the header is rewritten before the file is put in
// place. progress hears of each block of rows written. On failure target is
// untouched.
SaveResult WriteFlippedImage(const std::string& input, const ImageLayout& layout, std::string_view header,
                             const std::string& target, const HeaderForDataSum& sealHeader = nullptr,
                             const Progress& progress = nullptr);

namespace detail {

// WriteFlippedImage, which starts write-back of each block as soon as it is
// written; without startWriteBack the disk gets everything at the final
// flush, to measure the difference against.
SaveResult WriteFlippedImageWith(const std::string& input, const ImageLayout& layout, std::string_view header,
                                 const std::string& target, const HeaderForDataSum& sealHeader,
                                 bool startWriteBack, const Progress& progress = nullptr);

}  // namespace detail

// The ones'-complement sum of the input's primary data and fill; fill missing
// at the end of the file counts as the zeros it would be.
bool PrimaryDataSum(const std::string& input, const ImageLayout& layout, std::uint32_t& sum,
                    std::string& error);

}  // namespace fits
