// "velorin FILE": the desktop's "open with" and a shell start the window on a
// file, which is then read as if chosen with "fits lesen".
#pragma once

#include <QStringList>

class Form1;

// Reads the first argument after the program name that is not an option
// ("-", "-x", "--x"; after "--" every argument is a file), made absolute as the
// file dialog gives it. Other arguments are ignored; with no file the window
// stays as started.
void ReadFileArgument(Form1& window, const QStringList& arguments);
