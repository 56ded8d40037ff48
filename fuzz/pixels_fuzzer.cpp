// Arbitrary bytes as a header's scaling cards and as the elements of a small
// image of any BITPIX: the statistics, every curve's grey levels and a star
// search at every pixel stay defined (the sanitizers watch), a grey level
// marks a missing value exactly where the pixel has none, and a star found
// lies on the image.
#include <cmath>
#include <cstring>
#include <string_view>

#include "fits/fits_sizes.h"
#include "imageview/display_levels.h"
#include "imageview/pixel_cards.h"
#include "imageview/star_centroid.h"

namespace {

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

template <typename T>
imageview::PixelStore Elements(std::string_view bytes) {
  imageview::ImageVector<T> elements(bytes.size() / sizeof(T));
  if (!elements.empty()) std::memcpy(elements.data(), bytes.data(), elements.size() * sizeof(T));
  return elements;
}

}  // namespace

// Byte 0 picks BITPIX, byte 1 the width; three cards, then the elements.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kCards = 2 + 3 * fits::kCardBytes;
  if (size < kCards) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const imageview::PixelCards cards = imageview::ReadPixelCards(bytes.substr(2, kCards - 2));
  const std::string_view rest = bytes.substr(kCards);
  imageview::PixelData pixels;
  pixels.store =
      std::array{Elements<std::uint8_t>, Elements<std::int16_t>, Elements<std::int32_t>,
                 Elements<std::int64_t>, Elements<float>,        Elements<double>}[data[0] % 6](rest);
  const auto count =
      static_cast<std::int32_t>(std::visit([](const auto& e) { return e.size(); }, pixels.store));
  pixels.width = std::max(1, data[1] % 16);
  pixels.height = count / pixels.width;
  if (pixels.height == 0) return 0;
  pixels.bzero = cards.bzero;
  pixels.bscale = cards.bscale;
  if (data[0] % 6 < 4) pixels.blank = cards.blank;
  pixels.minimum = -1e30;
  pixels.maximum = 1e30;
  const imageview::SampleStatistics statistics = imageview::SampleOf(pixels);
  for (const auto curve : {imageview::Curve::Auto, imageview::Curve::Linear, imageview::Curve::Log}) {
    const imageview::DisplayMap map = imageview::MapFor(curve, statistics, pixels);
    const imageview::LevelImage levels = imageview::MapRegion(pixels, imageview::MakeLevelTable(pixels, map),
                                                              0, 0, pixels.width, pixels.height);
    for (std::int32_t i = 0; i < pixels.width * pixels.height; ++i)
      Check((levels.levels[static_cast<std::size_t>(i)] == imageview::kBlankLevel) ==
            std::isnan(imageview::NumberAt(pixels, i % pixels.width, i / pixels.width)));
  }
  for (std::int32_t y = 1; y <= pixels.height; ++y)
    for (std::int32_t x = 1; x <= pixels.width; ++x) {
      const imageview::Star star = imageview::FindStar(pixels, x, y);
      Check(star.code != imageview::StarCode::Found || (star.x >= 0.5 && star.x <= pixels.width + 0.5 &&
                                                        star.y >= 0.5 && star.y <= pixels.height + 0.5));
    }
  return 0;
}
