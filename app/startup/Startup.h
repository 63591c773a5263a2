// The program's entry procedure: --help and --version, splash window, program-wide values, help
// page, data file from the command line (one that is not there is reported and ends the
// program), registration of the catalogue file type, view style, then the main window. Any error
// on the way is shown and ends the program. User-interface thread.
#pragma once

#include <QString>
#include <QStringList>

namespace karvio {

// The text shown when start-up fails.
QString StartupErrorText(int code, const QString& source);

class frmMenu;

// Gives the main window what start-up gives it before MenuStart: the view style from the
// settings, the report and maintenance commands, both catalogue views, the category command,
// the search window and quick find.
void InstallProgramWindows(frmMenu& menu);

// Runs the program; returns its exit status.
int RunKarvio(int argc, char** argv);

}  // namespace karvio
