#include <gtest/gtest.h>

#include <QApplication>

#include "app/german_qt_texts.h"
#include "app/window_font.h"

// The window tests (and the window half of cli_test) need a QApplication; without a display they use Qt's
// offscreen platform.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  ApplyWindowFont(application);
  LoadGermanQtTexts(application);
  return RUN_ALL_TESTS();
}
