// The program's languages: loads the translations of the program and of Qt's own dialogs for the
// user's locale, finds the translated copy of a resource (the user guide), and translates the
// engine's messages, which reach the message box as finished English text. User-interface thread.
#pragma once

#include <QLocale>
#include <QString>

namespace karvio {

// Installs the translations for `locale` (replacing any installed before): the program's own
// from the translations folder of its resources, and Qt's for its standard dialogs. English
// needs none. Returns whether the program's own translation was found.
bool InstallTranslations(const QLocale& locale = QLocale::system());

// The resource `relative` ("help/Karvio.html", "Karvio.tip") in the language of the installed
// translation ("help/Karvio.de.html", "Karvio.de.tip") when the program ships one, else the
// resource itself.
QString LocalizedResource(const QString& relative);

// An engine message in the user's language: each line is translated as a whole, or through the
// message patterns the engine fills in (a fixed text around a name or a reason); lines that are
// neither (names, paths, causes from the system) stay as they are.
QString TranslateMessage(const QString& text);

}  // namespace karvio
