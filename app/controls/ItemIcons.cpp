#include "controls/ItemIcons.h"

#include <QStyle>
#include <QApplication>

namespace karvio {

// Interim pictures from the style, until the project's own set is drawn.
QIcon ItemIcon(int kind) {
    QStyle* style = QApplication::style();
    switch (kind) {
        case kIconCd: return style->standardIcon(QStyle::SP_DriveCDIcon);
        case kIconFolder: return style->standardIcon(QStyle::SP_DriveHDIcon);
        case kIconDirectory: return style->standardIcon(QStyle::SP_DirIcon);
        case kIconFile: return style->standardIcon(QStyle::SP_FileIcon);
        case kIconRoot: return style->standardIcon(QStyle::SP_ComputerIcon);
        default: return style->standardIcon(QStyle::SP_DirClosedIcon);
    }
}

int LastCategoryPicture() { return kFirstCategoryPicture - 1 + 12; }

}  // namespace karvio
