// Program-wide values of the desktop program, set once at start-up and read (and the two refresh
// flags also written) by the catalogue views. Colours hold red in the low byte, green in the
// second and blue in the third. User-interface thread only.
#pragma once

#include <QColor>
#include <QString>
#include <cstdint>

namespace karvio {

inline constexpr int32_t kDisplayColor1 = 0;        // black: root and category nodes
inline constexpr int32_t kDisplayColor2 = 143;      // dark red: directory nodes
inline constexpr int32_t kDisplayColor3 = 9371648;  // dark blue (0x8F0000): other nodes
inline constexpr int32_t kDisplayColor4 = -28928;   // 0xFFFF8F00: notes lines of the report

// Whether the CD panel view reloads its CD list at its next activation.
extern bool RefreshCdView;
// Whether the explorer view reloads at its next activation.
extern bool RefreshExplorer;
extern int32_t DisplayColor1;
extern int32_t DisplayColor2;
extern int32_t DisplayColor3;
extern int32_t DisplayColor4;
// The help page the Help menu opens.
extern QString HelpFilePath;

// Sets the refresh flags and the display colours to their start-up values.
void SetProgramWideValues();

// A display colour as a QColor (the high byte is ignored).
QColor DisplayColorToQColor(int32_t colour);

}  // namespace karvio
