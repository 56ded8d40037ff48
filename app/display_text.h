// Conversions between the byte texts of headers and velorin.ini and the
// strings the widgets show.
#pragma once

#include <QString>
#include <string>
#include <string_view>

// UTF-8 when the bytes are valid UTF-8, otherwise Latin-1, so that an old
// instrument name with umlauts in a single-byte encoding still reads well.
QString DisplayName(std::string_view bytes);

// The text with each control character written as "\xNN", as the log
// writes it, so that a name with a line break keeps to one line.
QString EscapedControls(const QString& text);

// Field texts are plain ASCII numbers; both directions keep the bytes.
inline QString FieldText(const std::string& text) {
  return QString::fromStdString(text);
}
inline std::string FieldBytes(const QString& text) {
  return text.toStdString();
}
