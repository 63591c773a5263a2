// The per-user settings store: text values addressed by section and key, kept by QSettings as an
// INI file in $XDG_CONFIG_HOME/Karvio/. Every key the program reads or writes is declared here
// with its default, so the sections, key texts and value texts live in one place.
// User-interface thread.
#pragma once

#include <QString>

namespace karvio {

// One key of the settings store. `defaultValue` is null for the window rectangle, whose default
// is the window's current value.
struct SettingKey {
    const char* section;
    const char* key;
    const char* defaultValue;
};

namespace settings {
inline constexpr SettingKey kViewModeExplorer{"Startup", "ViewModeExplorer", "True"};
inline constexpr SettingKey kLeft{"Startup", "Left", nullptr};
inline constexpr SettingKey kTop{"Startup", "Top", nullptr};
inline constexpr SettingKey kWidth{"Startup", "Width", nullptr};
inline constexpr SettingKey kHeight{"Startup", "Height", nullptr};
inline constexpr SettingKey kLastCdId{"Settings", "LastCdId", "0"};
inline constexpr SettingKey kChkDirSize{"Preview", "chkDirSize", "1"};
inline constexpr SettingKey kChkDirDate{"Preview", "chkDirDate", "0"};
inline constexpr SettingKey kChkDirAttrib{"Preview", "chkDirAttrib", "0"};
inline constexpr SettingKey kChkDirNotes{"Preview", "chkDirNotes", "1"};
inline constexpr SettingKey kChkDirFiles{"Preview", "chkDirFiles", "1"};
inline constexpr SettingKey kChkFileSizes{"Preview", "chkFileSizes", "1"};
inline constexpr SettingKey kChkFileDates{"Preview", "chkFileDates", "0"};
inline constexpr SettingKey kChkFileAttrib{"Preview", "chkFileAttrib", "0"};
inline constexpr SettingKey kChkFileNotes{"Preview", "chkFileNotes", "1"};
inline constexpr SettingKey kShowTipsAtStartup{"Options", "Show Tips at Startup", "1"};
// View > "Exact Sizes in Bytes": "1" shows exact byte counts in the lists.
inline constexpr SettingKey kExactSizes{"Options", "Exact Sizes in Bytes", "0"};

// Every key of the program's historic key table, in its order.
inline constexpr SettingKey kAllKeys[] = {
    kViewModeExplorer, kLeft,          kTop,          kWidth,
    kHeight,           kLastCdId,      kChkDirSize,   kChkDirDate,
    kChkDirAttrib,     kChkDirNotes,   kChkDirFiles,  kChkFileSizes,
    kChkFileDates,     kChkFileAttrib, kChkFileNotes, kShowTipsAtStartup,
};

// Beyond the table: what the scan dialog last chose to read inside files.
inline constexpr SettingKey kScanArchives{"Scan", "chkArchives", "False"};
inline constexpr SettingKey kScanMedia{"Scan", "chkMedia", "False"};
inline constexpr SettingKey kScanThumbnails{"Scan", "chkThumbnails", "False"};
inline constexpr SettingKey kScanHashes{"Scan", "chkHashes", "False"};
}  // namespace settings

// The organisation and application name under which the settings are kept.
inline constexpr const char* kSettingsApplication = "Karvio";

// The stored text of section/key, or `defaultValue` when the key is missing.
QString GetSetting(const QString& section, const QString& key, const QString& defaultValue);
// The stored text of `key`, or its declared default (empty for the window rectangle).
QString GetSetting(const SettingKey& key);
void SaveSetting(const QString& section, const QString& key, const QString& value);
void SaveSetting(const SettingKey& key, const QString& value);

// The settings file's path.
QString SettingsFilePath();

// Boolean values are stored as "True" and "False". Any other text gives `fallback`, so a damaged
// settings file never stops the program.
QString BoolToSettingText(bool value);
bool SettingTextToBool(const QString& text, bool fallback);

}  // namespace karvio
