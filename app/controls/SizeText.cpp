#include "controls/SizeText.h"

#include <QCoreApplication>
#include <QLocale>
#include <cmath>

#include "Format.h"
#include "startup/Settings.h"

namespace karvio {

namespace {

constexpr double kUnit = 1024;

}  // namespace

QString HumanSizeText(double bytes) {
    double value = std::fabs(bytes);
    const QLocale locale = QLocale::system();
    if (value < kUnit) {
        const auto whole = static_cast<qlonglong>(value);
        return (whole == 1 ? QCoreApplication::translate("SizeText", "%1 byte")
                           : QCoreApplication::translate("SizeText", "%1 bytes"))
            .arg(locale.toString(whole));
    }
    static const char* const units[] = {
        QT_TRANSLATE_NOOP("SizeText", "KB"), QT_TRANSLATE_NOOP("SizeText", "MB"),
        QT_TRANSLATE_NOOP("SizeText", "GB"), QT_TRANSLATE_NOOP("SizeText", "TB"),
        QT_TRANSLATE_NOOP("SizeText", "PB"), QT_TRANSLATE_NOOP("SizeText", "EB")};
    size_t unit = 0;
    value /= kUnit;
    // 1023.95 KB would show as "1024.0 KB": such a value goes up a unit.
    while (value >= kUnit - 0.05 && unit + 1 < std::size(units)) {
        value /= kUnit;
        ++unit;
    }
    return locale.toString(value, 'f', 1) + QLatin1Char(' ') +
           QCoreApplication::translate("SizeText", units[unit]);
}

QString ExactSizeText(double bytes) {
    return QCoreApplication::translate("SizeText", "%1 bytes")
        .arg(QString::fromStdString(FormatSize(bytes)).trimmed());
}

QString ListSizeText(double bytes) {
    if (SizeDisplay::Instance().Exact()) return QString::fromStdString(FormatSize(bytes)).trimmed();
    return HumanSizeText(bytes);
}

QString FullSizeText(double bytes) {
    if (SizeDisplay::Instance().Exact() || std::fabs(bytes) < kUnit) return ExactSizeText(bytes);
    return HumanSizeText(bytes) + QStringLiteral(" (") + ExactSizeText(bytes) + QLatin1Char(')');
}

SizeDisplay& SizeDisplay::Instance() {
    static SizeDisplay display;
    return display;
}

bool SizeDisplay::Exact() {
    if (exact_ < 0) exact_ = GetSetting(settings::kExactSizes) == QLatin1String("1") ? 1 : 0;
    return exact_ == 1;
}

void SizeDisplay::SetExact(bool exact) {
    if (Exact() == exact) return;
    exact_ = exact ? 1 : 0;
    SaveSetting(settings::kExactSizes, exact ? QStringLiteral("1") : QStringLiteral("0"));
    emit changed();
}

}  // namespace karvio
