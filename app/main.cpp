#include <QApplication>
#include <cstdio>

#include "app/command_line.h"
#include "app/form1.h"
#include "app/german_qt_texts.h"
#include "app/window_font.h"
#include "fits/platform_file.h"

int main(int argc, char* argv[]) {
  // Answered before any window system is asked for, so it works without a display too.
  if (const auto answer = InformationAnswer(std::vector<std::string>(argv, argv + argc))) {
    std::fputs(answer->c_str(), stdout);
    return 0;
  }
  fits::platform::IgnoreFileSizeSignal();
  QApplication application(argc, argv);
  ApplyWindowFont(application);
  LoadGermanQtTexts(application);
  Form1 window;
  window.show();
  ReadFileArgument(window, ArgumentNames(QCoreApplication::arguments(), argc, argv));
  return application.exec();
}
