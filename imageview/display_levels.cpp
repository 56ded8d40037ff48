#include "imageview/display_levels.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>
#include <variant>

namespace imageview {
namespace {

constexpr std::size_t kBrightnessSteps = 65536;  // the background keeps hundreds of steps under a steep curve

std::uint8_t GreyOf(double brightness) {
  return static_cast<std::uint8_t>(std::lround(brightness * kTopLevel));
}

template <typename Element>
std::uint8_t LevelOf(const PixelData& pixels, const LevelTable& table, Element element) {
  if constexpr (std::is_integral_v<Element> && sizeof(Element) <= 2) {
    return table.byElement[static_cast<std::make_unsigned_t<Element>>(element)];
  } else {
    if constexpr (std::is_integral_v<Element>) {
      if (pixels.blank && static_cast<std::int64_t>(element) == *pixels.blank) return kBlankLevel;
    }
    const double value = pixels.bzero + pixels.bscale * static_cast<double>(element);
    if (std::isnan(value)) return kBlankLevel;
    // Written so that a NaN step (an infinite value times a zero step) takes the first entry.
    const double step = (value - table.black) * table.steps;
    const double last = kBrightnessSteps - 1;
    return table.byBrightness[step >= last ? kBrightnessSteps - 1
                              : step > 0.0 ? static_cast<std::size_t>(step)
                                           : 0];
  }
}

// One row of the level below from two rows of grey levels (b null for a
// last, single row): each pixel the rounded mean of the known ones of its
// 2 x 2. Blocks without a missing value, nearly all of them, take the
// quick way.
void HalveRow(const std::uint8_t* a, const std::uint8_t* b, std::int32_t width, std::uint8_t* out) {
  std::int32_t x = 0;
  if (b != nullptr) {
    for (; x + 1 < width; x += 2) {
      const unsigned p = a[x], q = a[x + 1], r = b[x], s = b[x + 1];
      if (p != kBlankLevel && q != kBlankLevel && r != kBlankLevel && s != kBlankLevel) {
        *out++ = static_cast<std::uint8_t>((p + q + r + s + 2) / 4);
        continue;
      }
      unsigned sum = 0, known = 0;
      for (const unsigned grey : {p, q, r, s})
        if (grey != kBlankLevel) sum += grey, ++known;
      *out++ = known == 0 ? kBlankLevel : static_cast<std::uint8_t>((sum + known / 2) / known);
    }
  }
  for (; x < width; x += 2) {
    unsigned sum = 0, known = 0;
    for (std::int32_t dx = 0; dx < 2 && x + dx < width; ++dx)
      for (const std::uint8_t* row : {a, b})
        if (row != nullptr && row[x + dx] != kBlankLevel) sum += row[x + dx], ++known;
    *out++ = known == 0 ? kBlankLevel : static_cast<std::uint8_t>((sum + known / 2) / known);
  }
}

// The level below an image whose row y rowOf(y, buffer) gives as grey levels.
template <typename Rows>
LevelImage Halve(std::int32_t width, std::int32_t height, Rows rowOf) {
  LevelImage half{(width + 1) / 2, (height + 1) / 2, {}};
  half.levels.resize(static_cast<std::size_t>(half.width) * static_cast<std::size_t>(half.height));
  std::vector<std::uint8_t> first(static_cast<std::size_t>(width)), second(first.size());
  for (std::int32_t y = 0; y < height; y += 2) {
    const std::uint8_t* a = rowOf(y, first.data());
    const std::uint8_t* b = y + 1 < height ? rowOf(y + 1, second.data()) : nullptr;
    HalveRow(a, b, width,
             half.levels.data() + static_cast<std::size_t>(y / 2) * static_cast<std::size_t>(half.width));
  }
  return half;
}

template <typename Element>
void MapRow(const PixelData& pixels, const LevelTable& table, const Element* row, std::int32_t left,
            std::int32_t right, std::uint8_t* out) {
  for (std::int32_t x = left; x < right; ++x) *out++ = LevelOf(pixels, table, row[x]);
}

}  // namespace

LevelTable MakeLevelTable(const PixelData& pixels, const DisplayMap& map) {
  LevelTable table;
  const auto fill = [&](auto least) {
    using Element = decltype(least);
    using Unsigned = std::make_unsigned_t<Element>;
    table.byElement.resize(std::size_t{std::numeric_limits<Unsigned>::max()} + 1);
    for (std::size_t i = 0; i < table.byElement.size(); ++i) {
      const auto element = static_cast<Element>(static_cast<Unsigned>(i));
      const bool blank = pixels.blank && static_cast<std::int64_t>(element) == *pixels.blank;
      const double value = pixels.bzero + pixels.bscale * static_cast<double>(element);
      table.byElement[i] = blank || std::isnan(value) ? kBlankLevel : GreyOf(Brightness(map, value));
    }
  };
  if (std::holds_alternative<ImageVector<std::uint8_t>>(pixels.store)) {
    fill(std::uint8_t{});
  } else if (std::holds_alternative<ImageVector<std::int16_t>>(pixels.store)) {
    fill(std::int16_t{});
  } else {
    const double range = map.white - map.black;
    table.black = map.black;
    table.steps = range > 0.0 ? (kBrightnessSteps - 1) / range : 0.0;
    table.byBrightness.resize(kBrightnessSteps);
    for (std::size_t i = 0; i < kBrightnessSteps; ++i)
      table.byBrightness[i] =
          GreyOf(range > 0.0 ? Brightness(map, map.black + static_cast<double>(i) / table.steps)
                             : Brightness(map, map.black));
  }
  return table;
}

LevelImage MapRegion(const PixelData& pixels, const LevelTable& table, std::int32_t x0, std::int32_t y0,
                     std::int32_t width, std::int32_t height) {
  const std::int32_t left = std::clamp(x0, 0, pixels.width), top = std::clamp(y0, 0, pixels.height);
  const std::int32_t right = std::clamp(x0 + width, left, pixels.width);
  const std::int32_t bottom = std::clamp(y0 + height, top, pixels.height);
  LevelImage region{right - left, bottom - top, {}};
  region.levels.resize(static_cast<std::size_t>(region.width) * static_cast<std::size_t>(region.height));
  std::visit(
      [&](const auto& elements) {
        for (std::int32_t y = top; y < bottom; ++y)
          MapRow(pixels, table,
                 elements.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(pixels.width), left,
                 right,
                 region.levels.data() +
                     static_cast<std::size_t>(y - top) * static_cast<std::size_t>(region.width));
      },
      pixels.store);
  return region;
}

std::vector<LevelImage> HalvedLevels(const PixelData& pixels, const LevelTable& table,
                                     const std::atomic<bool>& cancelled) {
  std::vector<LevelImage> halves;
  if (std::max(pixels.width, pixels.height) <= kSmallestHalvedSide) return halves;
  halves.reserve(32);  // each level is made from the one before, in place
  halves.push_back(std::visit(
      [&](const auto& elements) {
        return Halve(pixels.width, pixels.height, [&](std::int32_t y, std::uint8_t* buffer) {
          MapRow(pixels, table,
                 elements.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(pixels.width), 0,
                 pixels.width, buffer);
          return static_cast<const std::uint8_t*>(buffer);
        });
      },
      pixels.store));
  while (std::max(halves.back().width, halves.back().height) > kSmallestHalvedSide) {
    if (cancelled.load(std::memory_order_relaxed)) return {};
    const LevelImage& above = halves.back();
    halves.push_back(Halve(above.width, above.height, [&](std::int32_t y, std::uint8_t*) {
      return above.levels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(above.width);
    }));
  }
  return halves;
}

}  // namespace imageview
