// Vectors for image-sized data: large memory pages asked for before the
// first touch, and elements left uninitialised, as the file's bytes or the
// grey levels fill them at once. On a virtual machine each small page's
// first touch can cost more than copying it.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "fits/platform_file.h"

namespace imageview {

template <typename T>
struct ImageAllocator {
  using value_type = T;
  // Below this the hint is not worth a call.
  static constexpr std::size_t kLargeBytes = std::size_t{4} << 20;

  ImageAllocator() = default;
  template <typename U>
  explicit ImageAllocator(const ImageAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    T* data = std::allocator<T>{}.allocate(n);
    if (n * sizeof(T) >= kLargeBytes) fits::platform::PreferLargePages(data, n * sizeof(T));
    return data;
  }
  void deallocate(T* data, std::size_t n) noexcept { std::allocator<T>{}.deallocate(data, n); }
  template <typename U>
  void construct(U* at) noexcept {
    ::new (static_cast<void*>(at)) U;
  }
  template <typename U, typename... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }
  friend bool operator==(const ImageAllocator&, const ImageAllocator&) { return true; }
};

template <typename T>
using ImageVector = std::vector<T, ImageAllocator<T>>;

}  // namespace imageview
