#include "cli/json_text.h"

#include <algorithm>
#include <cstdint>

namespace cli {
namespace {

// The length of the valid UTF-8 sequence at the start of text, 0 if none.
std::size_t Utf8Length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  std::uint32_t code = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0u) != 0x80u) return 0;
    code = (code << 6) | (byte(i) & 0x3Fu);
  }
  // Overlong forms, surrogates and code points beyond Unicode are not UTF-8.
  const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return length;
}

void AppendEscape(std::string& out, unsigned char byte) {
  constexpr char kHex[] = "0123456789abcdef";
  out += "\\u00";
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0Fu];
}

}  // namespace

std::string JsonString(std::string_view bytes) {
  std::string out = "\"";
  while (!bytes.empty()) {
    const auto byte = static_cast<unsigned char>(bytes[0]);
    const std::size_t length = Utf8Length(bytes);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte < 0x20 || length == 0) {
      AppendEscape(out, byte);
    } else {
      out.append(bytes.substr(0, length));
    }
    bytes.remove_prefix(length == 0 ? 1 : length);
  }
  return out + "\"";
}

std::string JsonStrings(std::span<const std::string> texts) {
  std::string array = "[";
  for (const std::string& text : texts) array += (array.size() > 1 ? "," : "") + JsonString(text);
  return array + "]";
}

std::string JsonNumber(const std::optional<std::string>& text) {
  if (!text) return "null";
  std::string_view number = *text;
  number.remove_prefix(std::min(number.size(), number.find_first_not_of(' ')));
  std::string sign;
  if (number.starts_with('-')) sign = "-";
  if (number.starts_with('-') || number.starts_with('+')) number.remove_prefix(1);
  // JSON wants a digit before the point.
  return sign + (number.starts_with('.') ? "0" : "") + std::string(number);
}

JsonObject& JsonObject::Raw(std::string_view name, std::string_view json) {
  if (text_.size() > 1) text_ += ",";
  text_ += JsonString(name);
  text_ += ":";
  text_ += json;
  return *this;
}

}  // namespace cli
