#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "startup/ShellRegistration.h"

namespace karvio {
namespace {

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(ShellRegistration, ExecArgumentQuoting) {
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/Karvio", "\"/usr/bin/Karvio\""},
        {"/home/me/My Programs/Karvio", "\"/home/me/My Programs/Karvio\""},
        {"/opt/100%/Karvio", "\"/opt/100%%/Karvio\""},
        {"/opt/$HOME/Karvio", "\"/opt/\\\\$HOME/Karvio\""},
        {"/opt/a\"b/Karvio", "\"/opt/a\\\\\"b/Karvio\""},
        {"/opt/back\\slash/Karvio", "\"/opt/back\\\\\\\\slash/Karvio\""},
        {"/opt/`tick`/Karvio", "\"/opt/\\\\`tick\\\\`/Karvio\""},
    };
    for (const auto& [path, quoted] : cases) EXPECT_EQ(QuoteExecArgument(path), quoted) << path;
}

TEST(ShellRegistration, WritesThePackageAndTheDesktopEntry) {
    QTemporaryDir home;
    const QString exe = "/opt/Karvio Apps/bin/Karvio";
    ASSERT_TRUE(
        Associate(exe, ".cd", kCatalogueMimeType, kCatalogueDescription, home.path(), false));

    const QString xml = ReadAll(home.filePath("mime/packages/karvio.xml"));
    EXPECT_TRUE(xml.contains("<mime-type type=\"application/x-karvio-catalogue\">"))
        << xml.toStdString();
    EXPECT_TRUE(xml.contains("<comment>Karvio Data File</comment>"));
    EXPECT_TRUE(xml.contains("<glob pattern=\"*.cd\"/>"));

    const QString entry = ReadAll(home.filePath("applications/Karvio.desktop"));
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry.contains("\nExec=\"/opt/Karvio Apps/bin/Karvio\" %f\n"))
        << entry.toStdString();
    EXPECT_TRUE(entry.contains("\nMimeType=application/x-karvio-catalogue;\n"));
    EXPECT_TRUE(entry.contains("\nType=Application\n"));
    EXPECT_TRUE(entry.contains("\nName=Karvio\n"));

    // Written again at the next start, unchanged.
    ASSERT_TRUE(
        Associate(exe, ".cd", kCatalogueMimeType, kCatalogueDescription, home.path(), false));
    EXPECT_EQ(ReadAll(home.filePath("applications/Karvio.desktop")), entry);
    // A moved program rewrites its command.
    ASSERT_TRUE(Associate("/usr/bin/Karvio", ".cd", kCatalogueMimeType, kCatalogueDescription,
                          home.path(), false));
    EXPECT_TRUE(ReadAll(home.filePath("applications/Karvio.desktop"))
                    .contains("Exec=\"/usr/bin/Karvio\" %f"));
}

TEST(ShellRegistration, TheDesktopAcceptsTheFiles) {
    QTemporaryDir home;
    ASSERT_TRUE(Associate("/usr/bin/Karvio", ".cd", kCatalogueMimeType, kCatalogueDescription,
                          home.path(), false));
    const QString validate = QStandardPaths::findExecutable("desktop-file-validate");
    if (!validate.isEmpty()) {
        QProcess p;
        p.start(validate, {home.filePath("applications/Karvio.desktop")});
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardOutput().toStdString();
    }
    const QString update = QStandardPaths::findExecutable("update-mime-database");
    if (update.isEmpty()) GTEST_SKIP() << "update-mime-database is not installed";
    QProcess p;
    p.start(update, {home.filePath("mime")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(QFile::exists(home.filePath("mime/application/x-karvio-catalogue.xml")));
}

TEST(ShellRegistration, FailuresAreReportedNotThrown) {
    QTemporaryDir home;
    // A file where the applications folder should be.
    QDir(home.path()).mkpath("mime/packages");
    QFile blocker(home.filePath("applications"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(Associate("/usr/bin/Karvio", ".cd", kCatalogueMimeType, kCatalogueDescription,
                           home.path(), false));
    EXPECT_FALSE(Associate("/usr/bin/Karvio", ".cd", kCatalogueMimeType, kCatalogueDescription,
                           QString(), false));
}

TEST(ShellRegistration, UserDataHomeFollowsXdgDataHome) {
    EXPECT_EQ(UserDataHome(), qEnvironmentVariable("XDG_DATA_HOME"));
}

}  // namespace
}  // namespace karvio
