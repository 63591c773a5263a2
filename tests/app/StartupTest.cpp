#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "startup/ProgramValues.h"
#include "startup/Settings.h"
#include "startup/Startup.h"

namespace karvio {
namespace {

void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(Startup, DataFileFromTheCommandLine) {
    QTemporaryDir dir;
    const QString plain = dir.filePath("Music.cd");
    const QString spaced = dir.filePath("My Discs.cd");
    Touch(plain);
    Touch(spaced);
    const QString relative = QDir::current().relativeFilePath(plain);

    struct Case {
        QStringList arguments;
        QString expected;
    } cases[] = {
        {{}, ""},
        {{plain}, plain},
        {{relative}, plain},                         // made absolute
        {{plain, "--ignored"}, plain},               // the first argument is the data file
        {{dir.filePath("My"), "Discs.cd"}, spaced},  // a path with a blank typed unquoted
        {{dir.filePath("Missing.cd")}, ""},          // falls back to the default data file
        {{dir.path()}, ""},                          // a folder is not a data file
        {{"\"" + plain + "\""}, ""},                 // a quoted path is not a file name
        {{""}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DataFileFromCommandLine(c.arguments), c.expected)
            << c.arguments.join('|').toStdString();
    }
}

TEST(Startup, ProgramWideValues) {
    RefreshExplorer = false;
    RefreshCdView = false;
    DisplayColor2 = 0;
    SetProgramWideValues();
    EXPECT_TRUE(RefreshExplorer);
    EXPECT_TRUE(RefreshCdView);
    EXPECT_EQ(DisplayColor1, 0);
    EXPECT_EQ(DisplayColor2, 143);
    EXPECT_EQ(DisplayColor3, 0x8F0000);
    EXPECT_EQ(DisplayColor4, -28928);
    EXPECT_EQ(DisplayColorToQColor(DisplayColor2), QColor(143, 0, 0));
    EXPECT_EQ(DisplayColorToQColor(DisplayColor3), QColor(0, 0, 143));
    EXPECT_EQ(DisplayColorToQColor(DisplayColor4), QColor(0, 0x8F, 0xFF));
}

TEST(Startup, ErrorText) {
    EXPECT_EQ(StartupErrorText(6, "std::bad_alloc"),
              "An Error Has Occured !! Quitting !!\nError code : 6 std::bad_alloc");
}

TEST(Settings, EveryKeyHasItsDefaultAndRoundTrips) {
    const std::tuple<SettingKey, const char*, const char*, const char*> keys[] = {
        {settings::kViewModeExplorer, "Startup", "ViewModeExplorer", "True"},
        {settings::kLastCdId, "Settings", "LastCdId", "0"},
        {settings::kChkDirSize, "Preview", "chkDirSize", "1"},
        {settings::kChkDirDate, "Preview", "chkDirDate", "0"},
        {settings::kChkDirAttrib, "Preview", "chkDirAttrib", "0"},
        {settings::kChkDirNotes, "Preview", "chkDirNotes", "1"},
        {settings::kChkDirFiles, "Preview", "chkDirFiles", "1"},
        {settings::kChkFileSizes, "Preview", "chkFileSizes", "1"},
        {settings::kChkFileDates, "Preview", "chkFileDates", "0"},
        {settings::kChkFileAttrib, "Preview", "chkFileAttrib", "0"},
        {settings::kChkFileNotes, "Preview", "chkFileNotes", "1"},
        {settings::kShowTipsAtStartup, "Options", "Show Tips at Startup", "1"},
    };
    QFile::remove(SettingsFilePath());
    for (const auto& [key, section, name, fallback] : keys) {
        EXPECT_STREQ(key.section, section);
        EXPECT_STREQ(key.key, name);
        EXPECT_EQ(GetSetting(key), fallback) << name;
    }
    for (const SettingKey& key :
         {settings::kLeft, settings::kTop, settings::kWidth, settings::kHeight}) {
        EXPECT_STREQ(key.section, "Startup");
        EXPECT_EQ(key.defaultValue, nullptr);
        EXPECT_EQ(GetSetting(key.section, key.key, "1234"), "1234");
    }
    EXPECT_EQ(std::size(settings::kAllKeys), 16u);

    SaveSetting(settings::kChkDirDate, "1");
    SaveSetting(settings::kShowTipsAtStartup, "0");
    SaveSetting(settings::kLeft, "1500");
    EXPECT_EQ(GetSetting(settings::kChkDirDate), "1");

    QFile file(SettingsFilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << SettingsFilePath().toStdString();
    const QString ini = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(SettingsFilePath().endsWith("/Karvio/Karvio.ini"));
    EXPECT_TRUE(ini.contains("[Preview]\nchkDirDate=1")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("[Startup]\nLeft=1500")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("[Options]")) << ini.toStdString();
    SaveSetting(settings::kShowTipsAtStartup, "0");
}

TEST(Settings, BooleanTexts) {
    EXPECT_EQ(BoolToSettingText(true), "True");
    EXPECT_EQ(BoolToSettingText(false), "False");
    const std::tuple<const char*, bool, bool> cases[] = {
        {"True", false, true},     {"False", true, false}, {"true", false, true},
        {"-1", false, true},       {"0", true, false},     {"garbage", true, true},
        {"garbage", false, false}, {"", true, true},
    };
    for (const auto& [text, fallback, expected] : cases) {
        EXPECT_EQ(SettingTextToBool(text, fallback), expected) << text;
    }
}

}  // namespace
}  // namespace karvio
