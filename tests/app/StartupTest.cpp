// Start-up: the catalogue the command line names (or reports), --help and --version without a
// display, the program-wide values, the settings, and Exit on Ctrl+Q.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "mainwindow/frmMenu.h"
#include "startup/ProgramValues.h"
#include "startup/Settings.h"
#include "startup/Startup.h"
#include "startup/StartupArguments.h"

namespace karvio {
namespace {

void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(Startup, CatalogueFromTheCommandLine) {
    QTemporaryDir dir;
    const QString plain = dir.filePath("Music.cd");
    const QString spaced = dir.filePath("My Discs.cd");
    const QString dashed = dir.filePath("-odd.cd");
    Touch(plain);
    Touch(spaced);
    Touch(dashed);
    const QString relative = QDir::current().relativeFilePath(plain);

    struct Case {
        QStringList arguments;
        QString path;     // the catalogue chosen
        QString problem;  // part of the error, when the arguments cannot be used
        int status;
    } cases[] = {
        {{}, "", "", 0},                                    // the default catalogue
        {{""}, "", "", 0},
        {{plain}, plain, "", 0},
        {{relative}, plain, "", 0},                         // made absolute
        {{dir.filePath("My"), "Discs.cd"}, spaced, "", 0},  // a path with a blank typed unquoted
        {{"--", dashed}, dashed, "", 0},                    // a name that begins with "-"
        // Reported, never swapped for the default catalogue, which would then be changed.
        {{dir.filePath("Missing.cd")}, "", "Missing.cd cannot be opened: No such file or directory", 1},
        {{dir.path()}, "", "Is a directory", 1},
        {{"\"" + plain + "\""}, "", "No such file or directory", 1},
        {{"--bogus"}, "", "unknown option '--bogus'", 2},
        {{plain, "-x"}, "", "unknown option '-x'", 2},
    };
    for (const Case& c : cases) {
        const StartupCatalogue got = CatalogueFromArguments(c.arguments);
        const std::string which = c.arguments.join('|').toStdString();
        EXPECT_EQ(got.path, c.path) << which;
        EXPECT_EQ(got.exitStatus, c.status) << which;
        if (c.problem.isEmpty()) {
            EXPECT_TRUE(got.error.isEmpty()) << which << ": " << got.error.toStdString();
        } else {
            EXPECT_TRUE(got.error.contains(c.problem)) << which << ": " << got.error.toStdString();
        }
    }
}

TEST(Startup, HelpAndVersionNeedNoDisplay) {
    EXPECT_FALSE(EarlyAnswer({"Karvio"}).has_value());
    EXPECT_FALSE(EarlyAnswer({"Karvio", "catalogue.cd"}).has_value());
    EXPECT_FALSE(EarlyAnswer({"Karvio", "--", "--help"}).has_value()) << "a file called --help";
    EXPECT_TRUE(EarlyAnswer({"Karvio", "x.cd", "-h"}).value_or("").startsWith("Usage: Karvio [CATALOGUE]"));
    EXPECT_EQ(EarlyAnswer({"Karvio", "--version"}).value_or(""), "Karvio 1.1.5\n");

    // The built program, without any display to connect to.
    for (const auto& [argument, expected] : {std::pair{"--help", "Usage: Karvio"}, std::pair{"--version", "Karvio 1.1.5"}}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        p.setProcessEnvironment(env);
        p.start(KARVIO_APP, {argument});
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 0) << argument;
        EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput()).startsWith(expected)) << argument;
    }
    // An unknown option is a usage error, said on stderr before any window.
    QProcess p;
    p.start(KARVIO_APP, {"--frobnicate"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains("unknown option '--frobnicate'"));
}

TEST(Startup, ExitAnswersCtrlQ) {
    SaveSetting(settings::kViewModeExplorer, "True");
    frmMenu menu;
    menu.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    menu.mnuViewPanels_Click();
    QTest::keyClick(&menu, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(menu.isVisible());
    EXPECT_EQ(GetSetting(settings::kViewModeExplorer), "False") << "Exit stores the view style";
    SaveSetting(settings::kViewModeExplorer, "True");
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
