#include "mainwindow/WindowRect.h"

namespace karvio {

bool IsSavedRectUsable(const TwipsRect& r, long long screenWidth, long long screenHeight) {
    if (r.left < 0 || r.top < 0 || r.width < 0 || r.height < 0) return false;
    if (r.left > screenWidth || r.top > screenHeight) return false;
    if (r.left + r.width > screenWidth || r.top + r.height > screenHeight) return false;
    return true;
}

}  // namespace karvio
