#include "config/ini_reader.h"

#include <fstream>

#include "coords/number_text.h"

namespace config {
namespace {

bool IsLineEnd(char c) {
  return c == '\n' || c == '\r';
}

// Splits the file into its items: blanks before an item are skipped; a quoted
// item runs to the next double quote (the rest of its line up to a comma is
// dropped); any other item runs to the next comma or line end, trailing blanks
// removed. Empty items are passed over.
std::vector<std::string> SplitItems(std::string_view text) {
  std::vector<std::string> items;
  std::size_t pos = 0;
  const std::size_t size = text.size();
  auto skipDelimiter = [&] {
    if (pos < size && text[pos] == ',') {
      ++pos;
    } else if (pos < size && text[pos] == '\r') {
      ++pos;
      if (pos < size && text[pos] == '\n') ++pos;
    } else if (pos < size && text[pos] == '\n') {
      ++pos;
    }
  };
  while (pos < size) {
    while (pos < size && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos >= size) break;
    std::string item;
    if (text[pos] == '"') {
      std::size_t close = pos + 1;
      while (close < size && text[close] != '"' && !IsLineEnd(text[close])) ++close;
      item.assign(text.substr(pos + 1, close - pos - 1));
      pos = close < size && text[close] == '"' ? close + 1 : close;
      while (pos < size && text[pos] != ',' && !IsLineEnd(text[pos])) ++pos;
    } else {
      std::size_t end = pos;
      while (end < size && text[end] != ',' && !IsLineEnd(text[end])) ++end;
      item.assign(text.substr(pos, end - pos));
      while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.pop_back();
      pos = end;
    }
    skipDelimiter();
    if (!item.empty()) items.push_back(std::move(item));
  }
  return items;
}

// First position (0-based) of c at or after from, or npos.
std::size_t FindFrom(std::string_view text, char c, std::size_t from) {
  return from >= text.size() ? std::string_view::npos : text.find(c, from);
}

}  // namespace

bool ParseInstrumentLine(std::string_view item, Instrument& instrument) {
  // Searches start two characters after the previous delimiter, as the format
  // has exactly one blank after the closing quote and between the numbers.
  const std::size_t quote = FindFrom(item, '\'', 1);
  if (quote == std::string_view::npos) return false;
  const std::size_t blank1 = FindFrom(item, ' ', quote + 2);
  if (blank1 == std::string_view::npos) return false;
  const std::size_t blank2 = FindFrom(item, ' ', blank1 + 2);
  if (blank2 == std::string_view::npos) return false;
  instrument.name.assign(item.substr(1, quote - 1));
  instrument.cdelt1 = coords::ToSingle(coords::ParseLeadingNumber(item.substr(quote + 1, blank1 - quote)));
  instrument.cdelt2 = coords::ToSingle(coords::ParseLeadingNumber(item.substr(blank1 + 1, blank2 - blank1)));
  instrument.rotation = coords::ToSingle(coords::ParseLeadingNumber(item.substr(blank2 + 1, 10)));
  return true;
}

IniContents ParseIni(std::string_view text, bool readInstruments, const IniRoom& room) {
  IniContents contents;
  contents.opened = true;
  const std::vector<std::string> items = SplitItems(text);
  bool addedFull = false, removeFull = false, instrumentsFull = false;

  auto append = [&](std::vector<std::string>& list, std::size_t limit, bool& full, const char* section,
                    const std::string& item) {
    if (list.size() < limit) {
      list.push_back(item);
    } else if (!full) {
      full = true;
      contents.logLines.push_back(std::string("Warnung: zu viele Einträge in ") + section +
                                  " im ini-file, Rest ignoriert");
    }
  };

  std::size_t next = 0;
  std::string header = next < items.size() ? items[next++] : std::string();
  for (;;) {
    const bool added = header == "[addheaderlines]";
    const bool removed = header == "[removeheaderlines]";
    const bool instruments = header == "[instruments]";
    const bool tolerance = header == "[checktolerance]";
    if (header == "[end]") return contents;
    if (!added && !removed && !instruments && !tolerance) {
      if (header.empty()) {
        contents.logLines.push_back("Warnung: ini-file ist leer");
      } else {
        contents.logLines.push_back("Unbekanntes Schlüsselwort im ini-file" + header);
      }
      return contents;
    }
    bool sectionEnded = false;
    while (next < items.size()) {
      const std::string& item = items[next++];
      if (item[0] == '[') {
        header = item;
        sectionEnded = true;
        break;
      }
      if (added) {
        append(contents.addedLines, room.addedLines, addedFull, "[addheaderlines]", item);
      } else if (removed) {
        append(contents.removeKeys, room.removeKeys, removeFull, "[removeheaderlines]", item);
      } else if (tolerance) {
        const double pixels = coords::ParseLeadingNumber(item);
        if (pixels > 0.0 && pixels < 1e6) {
          contents.checkTolerance = pixels;
        } else {
          contents.logLines.push_back("Warnung: fehlerhafte Toleranz im ini-file übergangen: " + item);
        }
      } else if (readInstruments) {
        Instrument instrument;
        if (!ParseInstrumentLine(item, instrument)) {
          contents.logLines.push_back("Warnung: fehlerhafte Instrumentenzeile im ini-file übergangen: " +
                                      item);
        } else if (contents.instruments.size() < room.instruments) {
          contents.instruments.push_back(std::move(instrument));
        } else if (!instrumentsFull) {
          instrumentsFull = true;
          contents.logLines.push_back("Warnung: zu viele Instrumente im ini-file, Rest ignoriert");
        }
      }
    }
    if (!sectionEnded) {
      contents.logLines.push_back("Warnung: ini-file endet ohne [end]");
      return contents;
    }
  }
}

IniContents LoadIni(const std::filesystem::path& directory, bool readInstruments, const IniRoom& room) {
  return LoadIniFile(directory / kIniFileName, readInstruments, room);
}

IniContents LoadIniFile(const std::filesystem::path& path, bool readInstruments, const IniRoom& room) {
  std::error_code error;
  std::ifstream file;
  if (std::filesystem::is_regular_file(path, error)) file.open(path, std::ios::binary);
  // One byte beyond the limit tells a file too large, however large it is.
  std::string text(kIniMostBytes + 1, '\0');
  if (file.is_open())
    text.resize(static_cast<std::size_t>(file.read(text.data(), std::ssize(text)).gcount()));
  IniContents contents;
  if (!file.is_open() || file.bad()) {
    contents.logLines.push_back("Warnung: ini-file nicht lesbar: " + path.string());
  } else if (text.size() > kIniMostBytes) {
    contents.tooLarge = true;
    contents.logLines.push_back("Warnung: ini-file größer als 1 MiB, nicht gelesen: " + path.string());
  } else {
    contents = ParseIni(text, readInstruments, room);
  }
  return contents;
}

}  // namespace config
