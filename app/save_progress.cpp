#include "app/save_progress.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>

#include "fits/save_result.h"

namespace {

// Often enough for the window to stay alive, seldom enough to cost the write nothing.
constexpr qint64 kEventsEveryMs = 50;

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::Close:
      return true;
    default:
      return false;
  }
}

}  // namespace

SaveProgress::SaveProgress(QLineEdit* statusLine) : statusLine_(statusLine) {
  QCoreApplication::instance()->installEventFilter(this);
}

SaveProgress::~SaveProgress() {
  QCoreApplication::processEvents();
  QCoreApplication::instance()->removeEventFilter(this);
}

bool SaveProgress::eventFilter(QObject* /*watched*/, QEvent* event) {
  if (!IsUserInput(event->type())) return false;
  // A window closed now would end the program under the save.
  event->setAccepted(event->type() != QEvent::Close);
  return true;
}

void SaveProgress::Report(std::int64_t done, std::int64_t total) {
  const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
  if (percent != percentShown_) {
    percentShown_ = percent;
    statusLine_->setText(QString::fromUtf8(fits::StatusText(fits::SaveCode::WritingData)) + " " +
                         QString::number(percent) + " %");
  }
  if (sinceEvents_.isValid() && sinceEvents_.elapsed() < kEventsEveryMs) return;
  QCoreApplication::processEvents();
  sinceEvents_.start();
}
