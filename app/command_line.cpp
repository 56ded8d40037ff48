#include "app/command_line.h"

#include <filesystem>

#include "app/form1.h"
#include "fits/platform_file.h"

std::vector<std::string> ArgumentNames(const QStringList& arguments, int argc, char** argv) {
  std::vector<std::string> names;
  for (qsizetype index = 0; index < arguments.size(); ++index)
    names.push_back(arguments[index].contains(QChar::ReplacementCharacter) && index < argc
                        ? std::string(argv[index])
                        : arguments[index].toStdString());
  return names;
}

void ReadFileArgument(Form1& window, const std::vector<std::string>& arguments) {
  bool optionsEnded = false;
  for (std::size_t index = 1; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (optionsEnded || !argument.starts_with('-')) {
      // The log, the caption and a later save all name the file by this path,
      // so a relative one must not depend on the working directory later.
      std::error_code error;
      const std::filesystem::path path =
          std::filesystem::absolute(fits::platform::NativePath(argument), error);
      window.ReadFile(fits::platform::Utf8Name(path.lexically_normal()));
      return;
    }
  }
}

std::optional<std::string> InformationAnswer(const std::vector<std::string>& arguments) {
  for (std::size_t index = 1; index < arguments.size() && arguments[index] != "--"; ++index) {
    if (arguments[index] == "--version") return "velorin 1.0\n";
    if (arguments[index] == "--help")
      return "Aufruf: velorin [DATEI]\n"
             "Öffnet das Fenster von Velorin; eine angegebene FITS-Datei wird gelesen\n"
             "wie mit \"fits lesen\".\n"
             "  --help     diese Hilfe zeigen\n"
             "  --version  die Version zeigen\n"
             "Viele Dateien auf einmal: velorin-cli --help\n";
  }
  return std::nullopt;
}
