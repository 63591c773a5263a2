// Colours that stay readable under the user's colour scheme. The program's fixed display colours
// (black captions, dark red directories, dark blue messages) are used as they are on a light
// palette; on a dark one each is replaced by a colour of the same hue that stands out from the
// palette's background, or by the palette's own text colour for black and greys.
// User-interface thread.
#pragma once

#include <QColor>
#include <QPalette>

namespace karvio {

// Whether the palette shows light text on a dark background.
bool IsDarkPalette(const QPalette& palette);

// `colour` for text on `palette`'s base and window colours.
QColor ReadableColor(const QColor& colour, const QPalette& palette);

}  // namespace karvio
