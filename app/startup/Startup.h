// The program's entry procedure: splash window, program-wide values, help page, data file from
// the command line, registration of the catalogue file type, view style, then the main window.
// Any error on the way is shown and ends the program. User-interface thread.
#pragma once

#include <QString>
#include <QStringList>

namespace karvio {

// The data file named by the arguments after the program's name: the first argument, or all of
// them joined by blanks (a path with blanks typed without quotes), when that names an existing
// file, as an absolute path; empty otherwise, which selects the default data file.
QString DataFileFromCommandLine(const QStringList& arguments);

// The text shown when start-up fails.
QString StartupErrorText(int code, const QString& source);

// Runs the program; returns its exit status.
int RunKarvio(int argc, char** argv);

}  // namespace karvio
