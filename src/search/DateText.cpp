#include "DateText.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include "CatalogueDate.h"

namespace karvio {

namespace {

// The locale's long time format without its time-zone field: catalogue dates are local times
// with no zone attached.
QString TimeFormatWithoutZone(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && c == QLatin1Char('t')) continue;
        out += c;
    }
    return out.trimmed();
}

}  // namespace

std::string DateToText(double date) {
    const LocalDateTime f = FieldsFromDate(date);
    const QLocale locale = QLocale::system();
    QString text = locale.toString(QDate(f.year, f.month, f.day), QLocale::ShortFormat);
    const QTime time(f.hour, f.minute, f.second);
    if (time != QTime(0, 0)) text += QLatin1Char(' ') + locale.toString(time, TimeFormatWithoutZone(locale));
    return text.toStdString();
}

}  // namespace karvio
