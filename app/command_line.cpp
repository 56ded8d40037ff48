#include "app/command_line.h"

#include <QFileInfo>

#include "app/form1.h"

void ReadFileArgument(Form1& window, const QStringList& arguments) {
  bool optionsEnded = false;
  for (qsizetype index = 1; index < arguments.size(); ++index) {
    const QString& argument = arguments[index];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (optionsEnded || !argument.startsWith(QLatin1Char('-'))) {
      // The log, the caption and a later save all name the file by this path,
      // so a relative one must not depend on the working directory later.
      window.ReadFile(QFileInfo(argument).absoluteFilePath().toStdString());
      return;
    }
  }
}
