// How Velorin names itself in the window caption and in the HISTORY card it
// writes into every header with a WCS.
#pragma once

#include <cstdint>

namespace fits {

// At most 28 characters, so that the HISTORY card keeps it whole.
inline constexpr const char* kPublisherAddress = "www.velorin.example";
inline constexpr std::int16_t kVelorinVersion = 1;

}  // namespace fits
