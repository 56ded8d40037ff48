// How far a long write has come, told as it goes, so that a window can show
// it and stay responsive.
#pragma once

#include <cstdint>
#include <functional>

namespace fits {

// Bytes of the data written so far, and of all the data to write.
using Progress = std::function<void(std::int64_t done, std::int64_t total)>;

}  // namespace fits
