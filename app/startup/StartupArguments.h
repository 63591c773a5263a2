// The desktop program's command line: --help and --version answered before any window (or
// display) is needed, Qt's own options left to Qt, one catalogue file named, and anything else
// refused as a usage error. Pure functions of the arguments and the file system; any thread.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace karvio {

// The text `--help` (or `-h`) and `--version` (or `-v`) print, when one of them stands among
// the raw arguments (before a "--"); the program prints it and ends.
std::optional<QString> EarlyAnswer(const QStringList& rawArguments);

// The usage text of --help.
QString UsageText();

struct StartupCatalogue {
    QString path;   // the catalogue named, absolute; empty for the default catalogue
    QString error;  // set when the arguments cannot be used: the message to show
    int exitStatus = 0;  // with an error: 1 for a catalogue that is not there, 2 for bad usage
};

// The catalogue named by the arguments left after Qt took its own: none (the default
// catalogue), the first argument, or all of them joined by blanks (a path with blanks typed
// without quotes) when that names an existing file. A named catalogue that does not exist, or
// is not a file, is an error naming the path and the cause; so is an unknown option.
StartupCatalogue CatalogueFromArguments(const QStringList& arguments);

}  // namespace karvio
