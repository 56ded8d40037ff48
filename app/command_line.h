// "velorin FILE": the desktop's "open with" and a shell start the window on a
// file, which is then read as if chosen with "fits lesen".
#pragma once

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

class Form1;

// Each argument as the file system names it. Qt hands arguments over as
// text, in which a name that is no UTF-8 (an old Latin-1 name) loses its
// bytes to replacement characters; such an argument is taken from argv.
std::vector<std::string> ArgumentNames(const QStringList& arguments, int argc, char** argv);

// Reads the first argument after the program name that is not an option
// ("-", "-x", "--x"; after "--" every argument is a file), made absolute as the
// file dialog gives it. Other arguments are ignored; with no file the window
// stays as started.
void ReadFileArgument(Form1& window, const std::vector<std::string>& arguments);

// What "velorin --help" (the German usage) or "velorin --version"
// ("velorin 1.0") prints on standard output instead of opening the window;
// empty for any other start. The first of them counts; after "--" neither is
// an option.
std::optional<std::string> InformationAnswer(const std::vector<std::string>& arguments);
