// Lengths in twips, the unit of the window layouts and of the saved window rectangle: 1440 to
// the logical inch, so 15 to the pixel at 96 dpi. Conversions follow the primary screen's
// logical dpi. User-interface thread (they ask the screen).
#pragma once

namespace karvio {

inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kDefaultDpi = 96.0;

// The primary screen's logical dots per inch; 96 without a screen.
double ScreenLogicalDpi();

// Rounded to the nearest pixel.
int TwipsToPixels(double twips, double dpi);
int TwipsToPixels(double twips);
double PixelsToTwips(double pixels, double dpi);
double PixelsToTwips(double pixels);

}  // namespace karvio
