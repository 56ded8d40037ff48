#include "app/german_qt_texts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void LoadGermanQtTexts(QApplication& application) {
  auto* translator = new QTranslator(&application);  // lives as long as the application
  if (translator->load(QLocale(QLocale::German, QLocale::Germany), "qtbase", "_",
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(translator);
}
