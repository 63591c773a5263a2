#include "controls/NaturalOrder.h"

#include <QLocale>

namespace karvio {

QCollator NaturalCollator() {
    QLocale locale = QLocale::system();
    // The C locale's collator compares code points and ignores the numeric mode.
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

}  // namespace karvio
