// A FITS file dropped from a file manager onto the window is read as if
// chosen with "fits lesen".
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <optional>

#include "app/form1.h"

namespace {

// The one local .fit/.fits file a drop carries; anything else (several files,
// other endings, remote URLs, text) is not taken.
std::optional<std::string> DroppedFitsFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return std::nullopt;
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) return std::nullopt;
  const QString path = urls.front().toLocalFile();
  const QString suffix = QFileInfo(path).suffix();
  if (suffix.compare("fit", Qt::CaseInsensitive) != 0 && suffix.compare("fits", Qt::CaseInsensitive) != 0)
    return std::nullopt;
  // A name that is no UTF-8 (an old Latin-1 name) lost its bytes in the
  // text; the URL still holds them.
  if (path.contains(QChar::ReplacementCharacter))
    return QByteArray::fromPercentEncoding(urls.front().path(QUrl::FullyEncoded).toLatin1()).toStdString();
  return path.toStdString();
}

}  // namespace

void Form1::dragEnterEvent(QDragEnterEvent* event) {
  // While a save runs "fits lesen" is disabled, and so is a read by drop.
  if (cmd_fitsauswahl->isEnabled() && DroppedFitsFile(event->mimeData())) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void Form1::dropEvent(QDropEvent* event) {
  const std::optional<std::string> path = DroppedFitsFile(event->mimeData());
  if (!cmd_fitsauswahl->isEnabled() || !path) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  ReadFile(*path);
}
