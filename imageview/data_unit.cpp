#include "imageview/data_unit.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <span>

#include "fits/fits_sizes.h"
#include "fits/platform_file.h"

namespace imageview {
namespace {

// Large enough that a read costs no more than the bytes it moves, small
// enough that a cancel takes effect at once.
constexpr std::int64_t kBlockBytes = std::int64_t{8} << 20;

std::uint8_t Swapped(std::uint8_t v) {
  return v;
}
std::uint16_t Swapped(std::uint16_t v) {
  return static_cast<std::uint16_t>(v << 8 | v >> 8);
}
std::uint32_t Swapped(std::uint32_t v) {
  return v << 24 | (v & 0xFF00u) << 8 | (v >> 8 & 0xFF00u) | v >> 24;
}
std::uint64_t Swapped(std::uint64_t v) {
  return std::uint64_t{Swapped(static_cast<std::uint32_t>(v))} << 32 |
         Swapped(static_cast<std::uint32_t>(v >> 32));
}

template <std::size_t Bytes>
struct UnsignedOf;
template <>
struct UnsignedOf<1> {
  using type = std::uint8_t;
};
template <>
struct UnsignedOf<2> {
  using type = std::uint16_t;
};
template <>
struct UnsignedOf<4> {
  using type = std::uint32_t;
};
template <>
struct UnsignedOf<8> {
  using type = std::uint64_t;
};

// Turns the big-endian bytes of a block into native elements in place.
template <typename Element>
void ToNative(std::span<Element> block) {
  if constexpr (std::endian::native == std::endian::little) {
    using Unsigned = typename UnsignedOf<sizeof(Element)>::type;
    for (Element& element : block) {
      Unsigned bits;
      std::memcpy(&bits, &element, sizeof bits);
      bits = Swapped(bits);
      std::memcpy(&element, &bits, sizeof bits);
    }
  }
}

// Widens the range of physical values by the block's elements that are
// numbers. The test for a missing value stays out of the loop that has none
// to test, which the compiler then runs on whole vectors.
template <typename Element>
void Widen(std::span<const Element> block, const PixelData& pixels, double& low, double& high) {
  Element least = std::numeric_limits<Element>::max();
  Element most = std::numeric_limits<Element>::lowest();
  if constexpr (std::is_floating_point_v<Element>) {
    for (const Element element : block)
      if (element >= std::numeric_limits<Element>::lowest() &&
          element <= std::numeric_limits<Element>::max()) {
        least = std::min(least, element);
        most = std::max(most, element);
      }
  } else if (pixels.blank) {
    for (const Element element : block)
      if (static_cast<std::int64_t>(element) != *pixels.blank) {
        least = std::min(least, element);
        most = std::max(most, element);
      }
  } else {
    for (const Element element : block) {
      least = std::min(least, element);
      most = std::max(most, element);
    }
  }
  if (least > most) return;  // nothing but missing values
  const double a = pixels.bzero + pixels.bscale * static_cast<double>(least);
  const double b = pixels.bzero + pixels.bscale * static_cast<double>(most);
  low = std::min({low, a, b});
  high = std::max({high, a, b});
}

PixelStore StoreFor(std::int16_t bitpix, std::size_t count) {
  switch (bitpix) {
    case 8:
      return ImageVector<std::uint8_t>(count);
    case 16:
      return ImageVector<std::int16_t>(count);
    case 32:
      return ImageVector<std::int32_t>(count);
    case 64:
      return ImageVector<std::int64_t>(count);
    case -32:
      return ImageVector<float>(count);
    default:
      return ImageVector<double>(count);
  }
}

LoadedData Failed(LoadedData data, LoadCode code, std::string detail) {
  data.code = code;
  data.detail = std::move(detail);
  data.pixels = {};
  return data;
}

}  // namespace

LoadedData ReadDataUnit(const DataRequest& request, const std::atomic<bool>& cancelled) {
  LoadedData data;
  const std::int64_t elementBytes = fits::BytesPerElement(request.bitpix);
  if (elementBytes == 0 || request.naxis1 <= 0 || request.naxis2 <= 0 || request.dataOffset < 0)
    return Failed(std::move(data), LoadCode::NoImage, "BITPIX " + std::to_string(request.bitpix));

  const std::int64_t count = std::int64_t{request.naxis1} * request.naxis2;
  const std::int64_t dataBytes = count * elementBytes;
  std::string error;
  const fits::platform::File file = fits::platform::OpenForReading(request.path, error);
  std::int64_t size = 0;
  if (!file.IsOpen() || !fits::platform::FileSize(file, size, error))
    return Failed(std::move(data), LoadCode::Unreadable, error);
  if (size < request.dataOffset + dataBytes)
    return Failed(std::move(data), LoadCode::Truncated,
                  std::to_string(std::max<std::int64_t>(0, size - request.dataOffset)) + " von " +
                      std::to_string(dataBytes) + " Bytes");
  std::string header(static_cast<std::size_t>(request.dataOffset), ' ');
  if (!fits::platform::ReadAt(file, header.data(), request.dataOffset, 0, error))
    return Failed(std::move(data), LoadCode::Unreadable, error);
  data.cards = ReadPixelCards(header);
  if (data.cards.bitpix != request.bitpix || data.cards.naxis1 != request.naxis1 ||
      data.cards.naxis2 != request.naxis2)
    return Failed(std::move(data), LoadCode::Changed,
                  "BITPIX " + std::to_string(data.cards.bitpix) + ", NAXIS1 " +
                      std::to_string(data.cards.naxis1) + ", NAXIS2 " + std::to_string(data.cards.naxis2));

  PixelData& pixels = data.pixels;
  pixels.width = request.naxis1;
  pixels.height = request.naxis2;
  pixels.bzero = data.cards.bzero;
  pixels.bscale = data.cards.bscale;
  if (request.bitpix > 0) pixels.blank = data.cards.blank;
  pixels.store = StoreFor(request.bitpix, static_cast<std::size_t>(count));
  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  const bool read = std::visit(
      [&](auto& elements) {
        using Element = typename std::decay_t<decltype(elements)>::value_type;
        auto* bytes = reinterpret_cast<char*>(elements.data());
        const std::int64_t blockElements = kBlockBytes / elementBytes;
        for (std::int64_t first = 0; first < count; first += blockElements) {
          if (cancelled.load(std::memory_order_relaxed)) return false;
          const std::int64_t n = std::min(blockElements, count - first);
          if (!fits::platform::ReadAt(file, bytes + first * elementBytes, n * elementBytes,
                                      request.dataOffset + first * elementBytes, error))
            return false;
          const std::span<Element> block(elements.data() + first, static_cast<std::size_t>(n));
          ToNative(block);
          Widen<Element>(block, pixels, low, high);
        }
        return true;
      },
      pixels.store);
  if (!read)
    return Failed(std::move(data), cancelled.load() ? LoadCode::Cancelled : LoadCode::Unreadable, error);
  pixels.hasValues = low <= high;
  pixels.minimum = pixels.hasValues ? low : 0.0;
  pixels.maximum = pixels.hasValues ? high : 0.0;
  data.code = LoadCode::Loaded;
  return data;
}

}  // namespace imageview
