// JSON lines: strings escaped so that any bytes of a file name make valid
// JSON, and number texts of header cards as JSON numbers.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace cli {

// A quoted JSON string. Valid UTF-8 is kept; each byte that is not part of
// valid UTF-8 is read as Latin-1 and written as \u00XX, so the name stays
// readable and its bytes can be told back.
std::string JsonString(std::string_view bytes);

// A JSON array of the texts as strings.
std::string JsonStrings(std::span<const std::string> texts);

// A card's number text ("-0.000250001", " .5", "1.234568E+07") as a JSON
// number, or null.
std::string JsonNumber(const std::optional<std::string>& text);

// Builds one object, members in the order added.
class JsonObject {
 public:
  JsonObject& Raw(std::string_view name, std::string_view json);
  JsonObject& String(std::string_view name, std::string_view bytes) { return Raw(name, JsonString(bytes)); }
  JsonObject& Bool(std::string_view name, bool value) { return Raw(name, value ? "true" : "false"); }
  std::string Text() const { return text_ + "}"; }

 private:
  std::string text_ = "{";
};

}  // namespace cli
