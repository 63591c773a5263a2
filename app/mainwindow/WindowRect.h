// The main window's saved rectangle: whether a rectangle read from the settings may be used on
// this screen, and the window's minimum size. Lengths in twips. Pure; any thread.
#pragma once

namespace karvio {

inline constexpr int kMinWindowWidthTwips = 6000;
inline constexpr int kMinWindowHeightTwips = 4500;

struct TwipsRect {
    long long left = 0;
    long long top = 0;
    long long width = 0;
    long long height = 0;
};

// False when any value is negative or the rectangle reaches past the screen's right or bottom
// edge (a window left minimized stores negative coordinates).
bool IsSavedRectUsable(const TwipsRect& rect, long long screenWidth, long long screenHeight);

}  // namespace karvio
