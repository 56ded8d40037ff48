// The FITS checksum convention: DATASUM is the 32-bit ones'-complement sum of
// the data records taken as big-endian words; CHECKSUM is a 16-character
// ASCII text that makes the whole HDU sum to minus zero.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fits {

// The running sum of a byte stream fed in pieces of any length; the stream's
// position decides which byte of a word each byte is.
class OnesComplementSum {
 public:
  void Add(std::string_view bytes);
  // The sum so far, a last partial word taken as zero-padded.
  std::uint32_t Value() const;

 private:
  std::uint64_t sum_ = 0;
  std::uint32_t partial_ = 0;
  int partialBytes_ = 0;
};

std::uint32_t AddOnesComplement(std::uint32_t a, std::uint32_t b);

// The 16 characters that, summed with the rest of an HDU whose sum is
// hduSum, give minus zero.
std::string EncodeChecksum(std::uint32_t hduSum);

}  // namespace fits
