#include "fits/pixel_copy.h"

#include <algorithm>
#include <vector>

#include "coords/number_text.h"
#include "fits/checksum.h"
#include "fits/file_replace.h"
#include "fits/fits_sizes.h"
#include "fits/platform_file.h"

namespace fits {
namespace {

// Rows are read in blocks of about this size, from the last block back: small
// enough to stay in the processor's cache from the read to the write, and to
// reach the disk soon after it is written.
constexpr std::int64_t kBlockBytes = std::int64_t{1} << 20;

// offset: where the rows start in the output.
bool WriteRowsReversed(const platform::File& input, const ImageLayout& layout, const platform::File& output,
                       std::int64_t offset, bool startWriteBack, OnesComplementSum* sum,
                       const Progress& progress, std::string& error) {
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
    const std::span rowsOut(pieces.data(), static_cast<std::size_t>(count));
    // Summed while the block is fresh in the cache from the read.
    if (sum != nullptr)
      for (const std::string_view row : rowsOut) sum->Add(row);
    if (!WriteGathered(output, rowsOut, error)) return false;
    // The disk takes this block while the next ones are read.
    if (startWriteBack) platform::StartWriteBack(output, offset, count * rowBytes);
    offset += count * rowBytes;
    end = first;
    if (progress) progress((rows - end) * rowBytes, rows * rowBytes);
  }
  // Zero fill adds nothing to the sum.
  const std::string fill(static_cast<std::size_t>(FillBytes(DataBytes(layout))), '\0');
  return Write(output, fill, error);
}

// Extensions are self-describing: they follow the new primary data as they were.
bool CopyExtensions(const platform::File& input, const ImageLayout& layout, const platform::File& output,
                    std::string& error) {
  std::int64_t size = 0;
  if (!FileSize(input, size, error)) return false;
  const std::int64_t data = DataBytes(layout);
  const std::int64_t rest = layout.dataOffset + data + FillBytes(data);
  return size <= rest || CopyRange(input, rest, size - rest, output, error);
}

}  // namespace

std::optional<std::int16_t> MirroredCrpix2(std::int16_t naxis2, std::int16_t crpix2) {
  return coords::RoundToInteger(int{naxis2} + 1 - int{crpix2});
}

std::int64_t DataBytes(const ImageLayout& layout) {
  return BytesPerElement(layout.bitpix) * layout.naxis1 * layout.naxis2;
}

SaveResult WriteFlippedImage(const std::string& input, const ImageLayout& layout, std::string_view header,
                             const std::string& target, const HeaderForDataSum& sealHeader,
                             const Progress& progress) {
  return detail::WriteFlippedImageWith(input, layout, header, target, sealHeader, true, progress);
}

namespace detail {

SaveResult WriteFlippedImageWith(const std::string& input, const ImageLayout& layout, std::string_view header,
                                 const std::string& target, const HeaderForDataSum& sealHeader,
                                 bool startWriteBack, const Progress& progress) {
  SaveResult result;
  if (DataBytes(layout) <= 0 || layout.naxis1 <= 0 || layout.naxis2 <= 0) {
    result.error = "Bildgröße oder BITPIX ungültig, nichts geschrieben";
    return result;
  }
  platform::File source = platform::OpenForReading(input, result.error);
  if (!source.IsOpen()) return result;
  OnesComplementSum sum;
  return ReplaceFile(target, input, [&](const platform::File& output, std::string& error) {
    // The input is closed before the replace: Windows refuses to replace a
    // file that is still open, and target may be the input.
    if (!Write(output, header, error) ||
        !WriteRowsReversed(source, layout, output, static_cast<std::int64_t>(header.size()), startWriteBack,
                           sealHeader ? &sum : nullptr, progress, error) ||
        !CopyExtensions(source, layout, output, error) || !source.Close(error))
      return false;
    if (!sealHeader) return true;
    const std::string sealed = sealHeader(sum.Value());
    if (sealed.size() != header.size()) {
      error = "versiegelter Header hat eine andere Länge";
      return false;
    }
    return WriteAt(output, sealed, 0, error);
  });
}

}  // namespace detail

bool PrimaryDataSum(const std::string& input, const ImageLayout& layout, std::uint32_t& sum,
                    std::string& error) {
  platform::File source = platform::OpenForReading(input, error);
  std::int64_t size = 0;
  if (!source.IsOpen() || !FileSize(source, size, error)) return false;
  const std::int64_t data = DataBytes(layout);
  std::int64_t left = std::min(data + FillBytes(data), size - layout.dataOffset);
  std::vector<char> block(static_cast<std::size_t>(std::clamp<std::int64_t>(left, 1, kBlockBytes)));
  OnesComplementSum total;
  for (std::int64_t offset = layout.dataOffset; left > 0;) {
    const std::int64_t piece = std::min<std::int64_t>(left, static_cast<std::int64_t>(block.size()));
    if (!ReadAt(source, block.data(), piece, offset, error)) return false;
    total.Add(std::string_view(block.data(), static_cast<std::size_t>(piece)));
    offset += piece;
    left -= piece;
  }
  sum = total.Value();
  return true;
}

}  // namespace fits
