#include "controls/ThemeColors.h"

#include <algorithm>
#include <cmath>

namespace karvio {

namespace {

// Contrast that text needs against its background to be read comfortably (WCAG's 4.5:1).
constexpr double kReadableContrast = 4.5;
// Lightness a coloured text starts from on a dark background.
constexpr int kDarkSchemeLightness = 175;

double Luminance(const QColor& c) {
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace

bool IsDarkPalette(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < palette.color(QPalette::WindowText).lightness();
}

QColor ReadableColor(const QColor& colour, const QPalette& palette) {
    if (!IsDarkPalette(palette)) return colour;
    const QColor hsl = colour.toHsl();
    // Black and greys have no hue to keep: they become the scheme's text.
    if (hsl.hslSaturation() < 16 || hsl.hslHue() < 0) return palette.color(QPalette::Text);
    // Lighter until it reads well on both backgrounds the colour is drawn on (deep blue needs
    // more light than red to stand out).
    const QColor base = palette.color(QPalette::Base), window = palette.color(QPalette::Window);
    QColor readable;
    for (int lightness = std::max(hsl.lightness(), kDarkSchemeLightness); lightness <= 255; lightness += 5) {
        readable = QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), lightness, colour.alpha());
        if (std::min(Contrast(readable, base), Contrast(readable, window)) >= kReadableContrast) break;
    }
    return readable;
}

}  // namespace karvio
