// Arbitrary text as velorin.ini. Each input is parsed with small rooms and
// with rooms too large to fill; the two readings must agree on everything
// that fits.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "config/ini_reader.h"
#include "number_text_check.h"

using fuzz_check::Check;

static bool operator==(const config::Instrument& a, const config::Instrument& b) {
  return a.name == b.name && a.cdelt1 == b.cdelt1 && a.cdelt2 == b.cdelt2 && a.rotation == b.rotation;
}

// The first entries are kept, the rest dropped; a list filled up to its room
// logs its surplus once, and only then.
template <typename T>
static void CheckKept(const std::vector<T>& kept, const std::vector<T>& all, std::size_t room,
                      const std::vector<std::string>& log, std::string_view logStart) {
  Check(kept.size() == std::min(all.size(), room));
  for (std::size_t i = 0; i < kept.size(); ++i) Check(kept[i] == all[i]);
  const auto lines =
      std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.starts_with(logStart); });
  Check(lines == (all.size() > room ? 1 : 0));
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // Rooms of 0 to 3 from the input's length, so any text meets all of them.
  const config::IniRoom room{size % 4, size / 4 % 4, size / 16 % 4};
  const config::IniContents a = config::ParseIni(text, true, room);
  const config::IniContents all = config::ParseIni(text, true, {size + 1, size + 1, size + 1});
  const config::IniContents noInstruments = config::ParseIni(text, false, {size + 1, size + 1, size + 1});
  Check(a.opened && all.opened && noInstruments.opened);
  for (const auto* entries : {&all.addedLines, &all.removeKeys})  // one item of one line, never a section
    for (const std::string& e : *entries)
      Check(!e.empty() && e[0] != '[' && e.find_first_of("\r\n") == std::string::npos);
  for (const config::Instrument& i : all.instruments)
    Check(i.name.find_first_of("'\r\n") == std::string::npos && std::isfinite(i.cdelt1) &&
          std::isfinite(i.cdelt2) && std::isfinite(i.rotation));
  CheckKept(a.addedLines, all.addedLines, room.addedLines, a.logLines,
            "Warnung: zu viele Einträge in [addheaderlines]");
  CheckKept(a.removeKeys, all.removeKeys, room.removeKeys, a.logLines,
            "Warnung: zu viele Einträge in [removeheaderlines]");
  CheckKept(a.instruments, all.instruments, room.instruments, a.logLines, "Warnung: zu viele Instrumente");
  // Skipping the instruments changes nothing else.
  Check(noInstruments.instruments.empty() && noInstruments.addedLines == all.addedLines &&
        noInstruments.removeKeys == all.removeKeys);
  return 0;
}
