#include "mainwindow/WindowRect.h"

#include <algorithm>

namespace karvio {

bool IsSavedRectUsable(const TwipsRect& r, long long screenWidth, long long screenHeight) {
    if (r.left < 0 || r.top < 0 || r.width < 0 || r.height < 0) return false;
    if (r.left > screenWidth || r.top > screenHeight) return false;
    if (r.left + r.width > screenWidth || r.top + r.height > screenHeight) return false;
    return true;
}

QRect FitWindowRect(const QRect& wanted, const QRect& available, const QMargins& frame) {
    const int width = std::max(1, std::min(wanted.width(), available.width() - frame.left() - frame.right()));
    const int height = std::max(1, std::min(wanted.height(), available.height() - frame.top() - frame.bottom()));
    // The far edges first, then the near ones: a window wider than the screen keeps its left.
    int left = std::min(wanted.left(), available.left() + available.width() - frame.right() - width);
    left = std::max(left, available.left() + frame.left());
    int top = std::min(wanted.top(), available.top() + available.height() - frame.bottom() - height);
    top = std::max(top, available.top() + frame.top());
    return QRect(left, top, width, height);
}

}  // namespace karvio
