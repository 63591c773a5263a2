#include "startup/Settings.h"

#include <QSettings>

namespace karvio {

namespace {

QSettings Store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, kSettingsApplication,
                     kSettingsApplication);
}

QString Path(const QString& section, const QString& key) {
    return section + '/' + key;
}

}  // namespace

QString GetSetting(const QString& section, const QString& key, const QString& defaultValue) {
    return Store().value(Path(section, key), defaultValue).toString();
}

QString GetSetting(const SettingKey& key) {
    return GetSetting(key.section, key.key, key.defaultValue ? key.defaultValue : "");
}

void SaveSetting(const QString& section, const QString& key, const QString& value) {
    QSettings store = Store();
    store.setValue(Path(section, key), value);
    store.sync();
}

void SaveSetting(const SettingKey& key, const QString& value) {
    SaveSetting(key.section, key.key, value);
}

QString SettingsFilePath() {
    return Store().fileName();
}

QString BoolToSettingText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool SettingTextToBool(const QString& text, bool fallback) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    // Numbers as Booleans are stored elsewhere as -1 and 0.
    bool ok = false;
    const int n = t.toInt(&ok);
    if (ok) return n != 0;
    return fallback;
}

}  // namespace karvio
