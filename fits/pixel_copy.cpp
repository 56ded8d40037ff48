#include "fits/pixel_copy.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "fits/file_replace.h"
#include "fits/fits_sizes.h"
#include "fits/platform_file.h"

namespace fits {
namespace {

// Rows are read in blocks of about this size, from the last block back.
constexpr std::int64_t kBlockBytes = std::int64_t{8} << 20;

bool WriteRowsReversed(const platform::File& input, const ImageLayout& layout, const platform::File& output,
                       std::string& error) {
  const std::int64_t rowBytes = BytesPerElement(layout.bitpix) * layout.naxis1;
  const std::int64_t rows = layout.naxis2;
  const std::int64_t blockRows = std::clamp<std::int64_t>(kBlockBytes / rowBytes, 1, rows);
  std::vector<char> block(static_cast<std::size_t>(blockRows * rowBytes));
  std::vector<std::string_view> pieces(static_cast<std::size_t>(blockRows));
  for (std::int64_t end = rows; end > 0;) {
    const std::int64_t count = std::min(blockRows, end);
    const std::int64_t first = end - count;
    if (!ReadAt(input, block.data(), count * rowBytes, layout.dataOffset + first * rowBytes, error))
      return false;
    for (std::int64_t k = 0; k < count; ++k)
      pieces[static_cast<std::size_t>(k)] =
          std::string_view(block.data() + (count - 1 - k) * rowBytes, static_cast<std::size_t>(rowBytes));
    if (!WriteGathered(output, std::span(pieces.data(), static_cast<std::size_t>(count)), error))
      return false;
    end = first;
  }
  const std::string fill(static_cast<std::size_t>(FillBytes(DataBytes(layout))), '\0');
  return Write(output, fill, error);
}

}  // namespace

std::int64_t DataBytes(const ImageLayout& layout) {
  return BytesPerElement(layout.bitpix) * layout.naxis1 * layout.naxis2;
}

SaveResult WriteFlippedImage(const std::string& input, const ImageLayout& layout, std::string_view header,
                             const std::string& target) {
  SaveResult result;
  if (DataBytes(layout) <= 0 || layout.naxis1 <= 0 || layout.naxis2 <= 0) {
    result.error = "Bildgröße oder BITPIX ungültig, nichts geschrieben";
    return result;
  }
  platform::File source = platform::OpenForReading(input, result.error);
  if (!source.IsOpen()) return result;
  std::error_code exists;
  const std::string& permissionsFrom = std::filesystem::exists(target, exists) ? target : input;
  return ReplaceFile(target, permissionsFrom, [&](const platform::File& output, std::string& error) {
    return Write(output, header, error) && WriteRowsReversed(source, layout, output, error);
  });
}

}  // namespace fits
