// A journal file is outside bytes: whatever a folder holds under a journal's
// name, parsing never reads past it, and what it accepts writes back the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fits/header_journal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto entries = fits::ParseJournal(bytes);
  if (entries && fits::JournalBytes(*entries) != bytes) std::abort();
  return 0;
}
