// Icons of the main window's toolbar: the desktop icon theme's picture for each button's key,
// or the picture the program ships (icons/toolbar/<key>.png) when the theme has none.
// User-interface thread.
#pragma once

#include <QIcon>
#include <QString>

namespace karvio {

// The theme name used for a toolbar key ("Add", "Edit", ... "Setup"); empty when unknown.
QString ThemeIconNameFor(const QString& key);

// The program's own picture for a toolbar key.
QString FallbackIconPathFor(const QString& key);

QIcon ToolbarIcon(const QString& key);

// The program's icon (window and desktop entry).
QIcon ApplicationIcon();

}  // namespace karvio
