// Arbitrary text as velorin.ini. Each input is parsed with small rooms and
// with rooms too large to fill; the two readings must agree on everything
// that fits.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/ini_reader.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// An entry that reached a list: one item of one line, never a section header.
void CheckEntry(const std::string& entry) {
  Check(!entry.empty());
  Check(entry[0] != '[');
  Check(entry.find_first_of("\r\n") == std::string::npos);
}

bool operator==(const config::Instrument& a, const config::Instrument& b) {
  return a.name == b.name && a.cdelt1 == b.cdelt1 && a.cdelt2 == b.cdelt2 && a.rotation == b.rotation;
}

template <typename T>
bool IsPrefix(const std::vector<T>& part, const std::vector<T>& whole) {
  if (part.size() > whole.size()) return false;
  for (std::size_t i = 0; i < part.size(); ++i)
    if (!(part[i] == whole[i])) return false;
  return true;
}

std::size_t CountLines(const std::vector<std::string>& log, std::string_view start) {
  std::size_t n = 0;
  for (const std::string& line : log)
    if (line.starts_with(start)) ++n;
  return n;
}

// A list filled up to its room logs its surplus once, and only then.
void CheckSurplus(std::size_t kept, std::size_t all, std::size_t room, const config::IniContents& small,
                  std::string_view logStart) {
  Check(kept == std::min(all, room));
  Check(CountLines(small.logLines, logStart) == (all > room ? 1u : 0u));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // Rooms of 0 to 3 from the input's length, so any text meets all of them.
  const config::IniRoom small{size % 4, size / 4 % 4, size / 16 % 4};
  const config::IniRoom large{size + 1, size + 1, size + 1};

  const config::IniContents a = config::ParseIni(text, true, small);
  const config::IniContents all = config::ParseIni(text, true, large);
  const config::IniContents noInstruments = config::ParseIni(text, false, large);

  Check(a.opened && all.opened && noInstruments.opened);
  Check(a.addedLines.size() <= small.addedLines);
  Check(a.removeKeys.size() <= small.removeKeys);
  Check(a.instruments.size() <= small.instruments);

  for (const std::string& line : all.addedLines) CheckEntry(line);
  for (const std::string& key : all.removeKeys) CheckEntry(key);
  for (const config::Instrument& instrument : all.instruments) {
    Check(instrument.name.find('\'') == std::string::npos);
    Check(instrument.name.find_first_of("\r\n") == std::string::npos);
    Check(std::isfinite(instrument.cdelt1) && std::isfinite(instrument.cdelt2) &&
          std::isfinite(instrument.rotation));
  }

  // The first entries are kept, the rest dropped.
  Check(IsPrefix(a.addedLines, all.addedLines));
  Check(IsPrefix(a.removeKeys, all.removeKeys));
  Check(IsPrefix(a.instruments, all.instruments));
  CheckSurplus(a.addedLines.size(), all.addedLines.size(), small.addedLines, a,
               "Warnung: zu viele Einträge in [addheaderlines]");
  CheckSurplus(a.removeKeys.size(), all.removeKeys.size(), small.removeKeys, a,
               "Warnung: zu viele Einträge in [removeheaderlines]");
  CheckSurplus(a.instruments.size(), all.instruments.size(), small.instruments, a,
               "Warnung: zu viele Instrumente");

  // Skipping the instruments changes nothing else.
  Check(noInstruments.instruments.empty());
  Check(noInstruments.addedLines == all.addedLines);
  Check(noInstruments.removeKeys == all.removeKeys);
  return 0;
}
