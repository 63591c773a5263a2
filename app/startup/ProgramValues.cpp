#include "startup/ProgramValues.h"

namespace karvio {

bool RefreshCdView = true;
bool RefreshExplorer = true;
int32_t DisplayColor1 = kDisplayColor1;
int32_t DisplayColor2 = kDisplayColor2;
int32_t DisplayColor3 = kDisplayColor3;
int32_t DisplayColor4 = kDisplayColor4;
QString HelpFilePath;

void SetProgramWideValues() {
    RefreshCdView = true;
    RefreshExplorer = true;
    DisplayColor1 = kDisplayColor1;
    DisplayColor2 = kDisplayColor2;
    DisplayColor3 = kDisplayColor3;
    DisplayColor4 = kDisplayColor4;
}

QColor DisplayColorToQColor(int32_t colour) {
    const auto c = static_cast<uint32_t>(colour);
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

}  // namespace karvio
