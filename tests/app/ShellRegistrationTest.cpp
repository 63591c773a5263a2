// Registration of the catalogue file type: what the user's copies hold, that they are written
// only when they differ and not at all beside an installed Karvio (whose stale user copies go,
// and nobody else's), and that the desktop's own tools accept the files and the installation:
// desktop-file-validate, appstreamcli validate, update-mime-database and xdg-mime, which must
// name a catalogue by its content alone.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "startup/ShellRegistration.h"
#include "support/MediaFixtures.h"

namespace karvio {
namespace {

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void WriteAll(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

bool Register(const QString& home, const QStringList& systemDirs = {}, const QString& exe = "/usr/bin/Karvio") {
    return Associate(exe, ".cd", kCatalogueMimeType, kCatalogueDescription, home, systemDirs, false);
}

struct ToolRun {
    int exitCode = -1;
    QString output;
};

// Runs an installed tool; nullopt-like (exitCode -2) when it is not installed.
ToolRun RunTool(const QString& name, const QStringList& arguments, const QProcessEnvironment& env = {}) {
    const QString tool = QStandardPaths::findExecutable(name);
    if (tool.isEmpty()) return {-2, {}};
    QProcess p;
    if (!env.isEmpty()) p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(tool, arguments);
    if (!p.waitForFinished(60000)) return {-1, "timed out"};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
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

TEST(ShellRegistration, UserCopiesWrittenOnlyWhenTheyDiffer) {
    QTemporaryDir home;
    const QString exe = "/opt/Karvio Apps/bin/Karvio";
    ASSERT_TRUE(Register(home.path(), {}, exe));

    const QString packagePath = home.filePath("mime/packages/karvio.xml");
    const QString xml = ReadAll(packagePath);
    EXPECT_TRUE(xml.contains("<mime-type type=\"application/x-karvio-catalogue\">")) << xml.toStdString();
    EXPECT_TRUE(xml.contains("<comment>Karvio Data File</comment>"));
    EXPECT_TRUE(xml.contains("<glob pattern=\"*.cd\"/>"));
    EXPECT_TRUE(xml.contains("<match type=\"string\" offset=\"0\" value=\"VELK\"/>"));
    EXPECT_TRUE(IsOwnMimePackage(xml.toUtf8()));

    const QString entryPath = home.filePath("applications/org.karvio.Karvio.desktop");
    const QString entry = ReadAll(entryPath);
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry.contains("\nExec=\"/opt/Karvio Apps/bin/Karvio\" %f\n")) << entry.toStdString();
    EXPECT_TRUE(entry.contains("\nMimeType=application/x-karvio-catalogue;\n"));
    EXPECT_TRUE(IsOwnDesktopEntry(entry.toUtf8()));
    EXPECT_FALSE(QFile::exists(home.filePath("applications/Karvio.desktop")));

    // The next start finds both as they should be and leaves the files alone, so the desktop's
    // caches are not rebuilt at every start.
    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    for (const QString& path : {packagePath, entryPath}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(Register(home.path(), {}, exe));
    EXPECT_EQ(QFileInfo(packagePath).lastModified().date(), old.date());
    EXPECT_EQ(QFileInfo(entryPath).lastModified().date(), old.date());

    // A moved program rewrites its command.
    ASSERT_TRUE(Register(home.path(), {}, "/usr/bin/Karvio"));
    EXPECT_TRUE(ReadAll(entryPath).contains("Exec=\"/usr/bin/Karvio\" %f"));
    EXPECT_EQ(QFileInfo(packagePath).lastModified().date(), old.date());
}

TEST(ShellRegistration, AnInstalledKarvioNeedsNoUserCopies) {
    QTemporaryDir home, system;
    // What the program wrote before it had its desktop id, and what it writes now.
    const QByteArray former =
        "[Desktop Entry]\nType=Application\nName=Karvio\nGenericName=Disc Catalogue\n"
        "Comment=Catalogue CDs\nExec=\"/home/me/src/karvio/build/bin/Karvio\" %f\nTerminal=false\n"
        "MimeType=application/x-karvio-catalogue;\nCategories=Utility;Archiving;\n";
    WriteAll(home.filePath("applications/Karvio.desktop"), former);
    ASSERT_TRUE(Register(home.path()));
    EXPECT_FALSE(QFile::exists(home.filePath("applications/Karvio.desktop"))) << "the former copy is replaced";

    // Only the entry installed: the package is still the user's to provide.
    WriteAll(system.filePath("applications/org.karvio.Karvio.desktop"), "[Desktop Entry]\n");
    EXPECT_FALSE(IsInstalledForAllUsers({system.path()}));
    ASSERT_TRUE(Register(home.path(), {system.path()}));
    EXPECT_TRUE(QFile::exists(home.filePath("mime/packages/karvio.xml")));

    // Both installed (in two of the data directories): the user's copies go, a user's own
    // package of another name and an entry someone else wrote stay.
    QTemporaryDir other;
    WriteAll(other.filePath("mime/packages/karvio.xml"), "<mime-info/>");
    const QStringList dirs{system.path(), other.path()};
    ASSERT_TRUE(IsInstalledForAllUsers(dirs));
    WriteAll(home.filePath("applications/Karvio.desktop"), "[Desktop Entry]\nName=My own launcher\n");
    WriteAll(home.filePath("mime/packages/photos.xml"), "<mime-info/>");
    ASSERT_TRUE(Register(home.path(), dirs));
    EXPECT_FALSE(QFile::exists(home.filePath("applications/org.karvio.Karvio.desktop")));
    EXPECT_FALSE(QFile::exists(home.filePath("mime/packages/karvio.xml")));
    EXPECT_TRUE(QFile::exists(home.filePath("applications/Karvio.desktop")));
    EXPECT_TRUE(QFile::exists(home.filePath("mime/packages/photos.xml")));

    // The package written before it had a magic rule is known as the program's own too; one
    // the user edited is not.
    const char* formerPackage =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"application/x-karvio-catalogue\">\n"
        "    <comment>Karvio Data File</comment>\n"
        "    <glob pattern=\"*.cd\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    EXPECT_TRUE(IsOwnMimePackage(formerPackage));
    EXPECT_FALSE(IsOwnMimePackage(QByteArray(formerPackage).replace("*.cd", "*.kcd")));
    WriteAll(home.filePath("mime/packages/karvio.xml"), formerPackage);
    ASSERT_TRUE(Register(home.path(), dirs));
    EXPECT_FALSE(QFile::exists(home.filePath("mime/packages/karvio.xml")));
}

TEST(ShellRegistration, FailuresAreReportedNotThrown) {
    QTemporaryDir home;
    // A file where the applications folder should be.
    QDir(home.path()).mkpath("mime/packages");
    QFile blocker(home.filePath("applications"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(Register(home.path()));
    EXPECT_FALSE(Register(QString()));
}

TEST(ShellRegistration, DataDirectoriesFollowTheXdgVariables) {
    EXPECT_EQ(UserDataHome(), qEnvironmentVariable("XDG_DATA_HOME"));
    EXPECT_FALSE(SystemDataDirs().contains(UserDataHome()));
}

TEST(ShellRegistration, TheDesktopToolsAgree) {
    QTemporaryDir home;
    ASSERT_TRUE(Register(home.path()));
    const QString installedEntry = QStringLiteral(KARVIO_SOURCE_DIR "/resources/org.karvio.Karvio.desktop");
    for (const QString& entry : {home.filePath("applications/org.karvio.Karvio.desktop"), installedEntry}) {
        const ToolRun run = RunTool("desktop-file-validate", {entry});
        if (run.exitCode == -2) GTEST_SKIP() << "desktop-file-validate is not installed";
        EXPECT_EQ(run.exitCode, 0) << entry.toStdString() << "\n" << run.output.toStdString();
        EXPECT_FALSE(run.output.contains("error")) << run.output.toStdString();
    }
    const ToolRun appstream =
        RunTool("appstreamcli", {"validate", "--no-net", KARVIO_SOURCE_DIR "/resources/org.karvio.Karvio.metainfo.xml"});
    if (appstream.exitCode != -2) {
        EXPECT_EQ(appstream.exitCode, 0) << appstream.output.toStdString();
    }

    // The installed package is the one the program writes for a user, without the user's mark.
    QString written = ReadAll(home.filePath("mime/packages/karvio.xml"));
    written.remove(QRegularExpression("<!--[^\n]*-->\n"));
    EXPECT_EQ(ReadAll(KARVIO_SOURCE_DIR "/resources/karvio-mime.xml"), written);

    ASSERT_EQ(RunTool("update-mime-database", {home.filePath("mime")}).exitCode, 0);
    // A catalogue and a file of other bytes, neither with the .cd ending: only content decides.
    const QString catalogue = home.filePath("a catalogue"), other = home.filePath("not one");
    WriteAll(catalogue, QByteArray("VELK\x01\x00\x01\x00", 8) + QByteArray(600, '\0'));
    WriteAll(other, QByteArray("VELD") + QByteArray(600, '\0'));
    // xdg-mime asks mimetype (File::MimeInfo) on a desktop it does not know and gio on GNOME;
    // both read the shared MIME database.
    for (const char* desktop : {"", "GNOME"}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", home.path());
        env.insert("XDG_CURRENT_DESKTOP", desktop);
        env.remove("KDE_FULL_SESSION");
        const ToolRun ours = RunTool("xdg-mime", {"query", "filetype", catalogue}, env);
        if (ours.exitCode == -2) GTEST_SKIP() << "xdg-mime is not installed";
        EXPECT_EQ(ours.output.trimmed(), kCatalogueMimeType) << desktop << ": " << ours.output.toStdString();
        EXPECT_NE(RunTool("xdg-mime", {"query", "filetype", other}, env).output.trimmed(), kCatalogueMimeType);
    }
}

TEST(ShellRegistration, AnInstallationIsRegisteredForAllUsers) {
    QTemporaryDir prefix;
    const ToolRun install = RunTool("cmake", {"--install", KARVIO_BUILD_DIR, "--prefix", prefix.path()});
    ASSERT_EQ(install.exitCode, 0) << install.output.toStdString();
    const QDir root(prefix.path());
    for (const char* installed :
         {"bin/Karvio", "bin/karvio-cli", "share/applications/org.karvio.Karvio.desktop",
          "share/metainfo/org.karvio.Karvio.metainfo.xml", "share/mime/packages/karvio.xml",
          "share/man/man1/karvio-cli.1.gz", "share/man/man1/Karvio.1.gz", "share/doc/karvio/copyright",
          "share/bash-completion/completions/karvio-cli", "share/icons/hicolor/48x48/apps/karvio.png",
          "share/karvio/Karvio.tip"}) {
        EXPECT_TRUE(QFile::exists(root.filePath(installed))) << installed;
    }
    // The entry names the program by its name, found on the PATH wherever the prefix is.
    EXPECT_TRUE(ReadAll(root.filePath("share/applications/org.karvio.Karvio.desktop")).contains("\nExec=Karvio %f\n"));
    EXPECT_TRUE(IsInstalledForAllUsers({root.filePath("share")}));

    // The installed program started by a user writes nothing into the user's folders.
    QTemporaryDir home;
    ASSERT_TRUE(Register(home.path(), {root.filePath("share")}, root.filePath("bin/Karvio")));
    EXPECT_TRUE(QDir(home.filePath("applications")).isEmpty());
    EXPECT_FALSE(QFile::exists(home.filePath("mime/packages/karvio.xml")));

    // The readers of what is inside files are installed in the library folder, not beside the
    // programs, and the installed karvio-cli finds them there: a scan lists an archive's member.
    QDirIterator modules(root.path(), {"libkarvio_readers.so"}, QDir::Files, QDirIterator::Subdirectories);
    ASSERT_TRUE(modules.hasNext());
    EXPECT_TRUE(root.relativeFilePath(modules.next()).startsWith("lib")) << modules.filePath().toStdString();
    QTemporaryDir work;
    const QString disc = work.filePath("disc"), data = work.filePath("Karvio.cd");
    ASSERT_TRUE(QDir().mkpath(disc));
    ASSERT_TRUE(testing::WriteArchive((disc + "/backup.zip").toStdString(), "zip", "", {{"docs/report.pdf", "pdf"}}));
    const QString cli = root.filePath("bin/karvio-cli");
    const ToolRun scan = RunTool(cli, {"--data", data, "scan", disc, "--archives"});
    ASSERT_EQ(scan.exitCode, 0) << scan.output.toStdString();
    const ToolRun find = RunTool(cli, {"--data", data, "find", "report.pdf"});
    EXPECT_EQ(find.exitCode, 0) << find.output.toStdString();
    EXPECT_TRUE(find.output.contains("/backup.zip/docs/report.pdf")) << find.output.toStdString();
}

}  // namespace
}  // namespace karvio
