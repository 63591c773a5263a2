// Runs the window tests on the offscreen platform, with the settings store and the user's data
// folder redirected to a temporary directory so no test touches the real ones.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "startup/Settings.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
    QApplication app(argc, argv);
    // The tip window is modal; tests that want it ask for it.
    karvio::SaveSetting(karvio::settings::kShowTipsAtStartup, "0");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
