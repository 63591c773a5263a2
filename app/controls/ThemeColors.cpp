#include "controls/ThemeColors.h"

#include <algorithm>

namespace karvio {

namespace {

// Lightness of a coloured text on a dark background: clearly lighter than any dark scheme's
// window, still coloured.
constexpr int kDarkSchemeLightness = 175;

}  // namespace

bool IsDarkPalette(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < palette.color(QPalette::WindowText).lightness();
}

QColor ReadableColor(const QColor& colour, const QPalette& palette) {
    if (!IsDarkPalette(palette)) return colour;
    const QColor hsl = colour.toHsl();
    // Black and greys have no hue to keep: they become the scheme's text.
    if (hsl.hslSaturation() < 16 || hsl.hslHue() < 0) return palette.color(QPalette::Text);
    return QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), std::max(hsl.lightness(), kDarkSchemeLightness),
                           colour.alpha());
}

}  // namespace karvio
