#include "controls/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace karvio {

double ScreenLogicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : kDefaultDpi;
    return dpi > 0 ? dpi : kDefaultDpi;
}

int TwipsToPixels(double twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

int TwipsToPixels(double twips) {
    return TwipsToPixels(twips, ScreenLogicalDpi());
}

double PixelsToTwips(double pixels, double dpi) {
    return pixels * kTwipsPerInch / dpi;
}

double PixelsToTwips(double pixels) {
    return PixelsToTwips(pixels, ScreenLogicalDpi());
}

}  // namespace karvio
