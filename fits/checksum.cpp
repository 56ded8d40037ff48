#include "fits/checksum.h"

#include <array>

namespace fits {
namespace {

std::uint32_t Fold(std::uint64_t sum) {
  while (sum >> 32) sum = (sum & 0xFFFFFFFFu) + (sum >> 32);
  return static_cast<std::uint32_t>(sum);
}

std::uint32_t BigEndianWord(const unsigned char* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

}  // namespace

void OnesComplementSum::Add(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t size = bytes.size();
  while (partialBytes_ > 0 && size > 0) {
    partial_ |= std::uint32_t{*p++} << (24 - 8 * partialBytes_);
    --size;
    if (++partialBytes_ == 4) {
      sum_ += partial_;
      partial_ = 0;
      partialBytes_ = 0;
    }
  }
  // Whole words; the 64-bit total cannot overflow within one piece of less
  // than 16 GiB, and is folded after each.
  std::uint64_t sum = 0;
  const std::size_t words = size / 4;
  for (std::size_t i = 0; i < words; ++i) sum += BigEndianWord(p + 4 * i);
  sum_ = Fold(sum_ + Fold(sum));
  p += 4 * words;
  for (std::size_t i = 4 * words; i < size; ++i)
    partial_ |= std::uint32_t{*p++} << (24 - 8 * partialBytes_++);
}

std::uint32_t OnesComplementSum::Value() const {
  return Fold(sum_ + partial_);
}

std::uint32_t AddOnesComplement(std::uint32_t a, std::uint32_t b) {
  return Fold(std::uint64_t{a} + b);
}

std::string EncodeChecksum(std::uint32_t hduSum) {
  // The characters 0x3a to 0x40 and 0x5b to 0x60 are avoided, so the text is
  // letters and digits only.
  constexpr std::array<int, 13> kExcluded = {0x3a, 0x3b, 0x3c, 0x3d, 0x3e, 0x3f, 0x40,
                                             0x5b, 0x5c, 0x5d, 0x5e, 0x5f, 0x60};
  const std::uint32_t value = ~hduSum;
  char ascii[16];
  for (int i = 0; i < 4; ++i) {
    const int byte = static_cast<int>((value >> (24 - 8 * i)) & 0xFF);
    const int quotient = byte / 4 + 0x30;
    int ch[4] = {quotient + byte % 4, quotient, quotient, quotient};
    for (bool changed = true; changed;) {
      changed = false;
      for (const int excluded : kExcluded)
        for (int j = 0; j < 4; j += 2)
          if (ch[j] == excluded || ch[j + 1] == excluded) {
            ++ch[j];
            --ch[j + 1];
            changed = true;
          }
    }
    for (int j = 0; j < 4; ++j) ascii[4 * j + i] = static_cast<char>(ch[j]);
  }
  // Rotated one place to the right, as the convention writes it.
  std::string text(16, ' ');
  for (int i = 0; i < 16; ++i) text[static_cast<std::size_t>(i)] = ascii[(i + 15) % 16];
  return text;
}

}  // namespace fits
