#include "app/display_text.h"

#include <QStringDecoder>

#include "pipeline/log_file.h"

QString DisplayName(std::string_view bytes) {
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  const QString decoded = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!utf8.hasError()) return decoded;
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString EscapedControls(const QString& text) {
  return QString::fromStdString(pipeline::EscapeControls(text.toStdString()));
}
