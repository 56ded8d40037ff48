#include <QApplication>

#include "app/command_line.h"
#include "app/form1.h"
#include "app/german_qt_texts.h"
#include "app/window_font.h"
#include "fits/platform_file.h"

int main(int argc, char* argv[]) {
  fits::platform::IgnoreFileSizeSignal();
  QApplication application(argc, argv);
  ApplyWindowFont(application);
  LoadGermanQtTexts(application);
  Form1 window;
  window.show();
  ReadFileArgument(window, ArgumentNames(QCoreApplication::arguments(), argc, argv));
  return application.exec();
}
