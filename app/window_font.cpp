#include "app/window_font.h"

#include <QApplication>
#include <QFont>

void ApplyWindowFont(QApplication& application) {
  QFont font("DejaVu Sans");
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(10);
  font.setStretch(QFont::SemiCondensed);
  application.setFont(font);
}
