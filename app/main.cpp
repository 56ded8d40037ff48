#include <QApplication>

#include "app/form1.h"
#include "app/window_font.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  ApplyWindowFont(application);
  Form1 window;
  window.show();
  return application.exec();
}
