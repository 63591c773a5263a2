// The main window's saved rectangle: whether a rectangle read from the settings may be used on
// this screen, the window's minimum size (lengths in twips), and how a window rectangle is made
// to fit the screen (pixels). Pure; any thread.
#pragma once

#include <QMargins>
#include <QRect>

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

// `wanted` (the window's inner rectangle) shrunk where it must be and moved as little as needed
// so that the window with its frame (`frame`: the frame's width on each side, the title bar on
// top) lies within `available`, the screen less its panels: title bar, menus and status bar are
// then always on the screen.
QRect FitWindowRect(const QRect& wanted, const QRect& available, const QMargins& frame);

}  // namespace karvio
