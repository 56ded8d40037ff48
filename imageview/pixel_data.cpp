#include "imageview/pixel_data.h"

#include <limits>

namespace imageview {

std::optional<double> ValueAt(const PixelData& pixels, std::int32_t x, std::int32_t y) {
  const auto index =
      static_cast<std::size_t>(y) * static_cast<std::size_t>(pixels.width) + static_cast<std::size_t>(x);
  return std::visit(
      [&](const auto& elements) -> std::optional<double> {
        const auto element = elements[index];
        if constexpr (std::is_integral_v<std::decay_t<decltype(element)>>) {
          if (pixels.blank && static_cast<std::int64_t>(element) == *pixels.blank) return std::nullopt;
        }
        return pixels.bzero + pixels.bscale * static_cast<double>(element);
      },
      pixels.store);
}

double NumberAt(const PixelData& pixels, std::int32_t x, std::int32_t y) {
  return ValueAt(pixels, x, y).value_or(std::numeric_limits<double>::quiet_NaN());
}

}  // namespace imageview
