#include "startup/StartupArguments.h"

#include <sys/stat.h>

#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "ProgramInfo.h"

namespace karvio {

namespace {

// Why `path` cannot be opened as a catalogue; empty when it can.
QString CatalogueProblem(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return QString::fromLocal8Bit(std::strerror(errno));
    if (S_ISDIR(st.st_mode)) return QString::fromLocal8Bit(std::strerror(EISDIR));
    return {};
}

}  // namespace

QString UsageText() {
    return QStringLiteral(
        "Usage: Karvio [CATALOGUE]\n"
        "Catalogue CDs, DVDs, USB drives and folders, and find any file without the disc.\n"
        "\n"
        "  CATALOGUE      the catalogue file to open (default: ~/.local/share/Karvio/Karvio.cd)\n"
        "  -h, --help     print this help and exit\n"
        "  -v, --version  print the version and exit\n"
        "\n"
        "Qt's options (-platform, -style, ...) are accepted too. karvio-cli works on the same\n"
        "catalogues from the command line.\n");
}

std::optional<QString> EarlyAnswer(const QStringList& rawArguments) {
    for (qsizetype i = 1; i < rawArguments.size(); ++i) {
        const QString& a = rawArguments[i];
        if (a == QLatin1String("--")) break;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) return UsageText();
        if (a == QLatin1String("--version") || a == QLatin1String("-v")) {
            return QStringLiteral("Karvio %1\n").arg(QLatin1String(kVersionText));
        }
    }
    return std::nullopt;
}

StartupCatalogue CatalogueFromArguments(const QStringList& arguments) {
    QStringList words = arguments;
    const qsizetype separator = words.indexOf(QStringLiteral("--"));
    for (qsizetype i = 0; i < (separator < 0 ? words.size() : separator); ++i) {
        if (words[i].size() > 1 && words[i].startsWith('-')) {
            return {{}, QStringLiteral("Karvio: unknown option '%1'\nRun 'Karvio --help' for the usage.").arg(words[i]), 2};
        }
    }
    if (separator >= 0) words.removeAt(separator);
    if (words.isEmpty() || (words.size() == 1 && words.first().isEmpty())) return {};

    const QString first = words.first();
    if (CatalogueProblem(first).isEmpty()) return {QFileInfo(first).absoluteFilePath(), {}, 0};
    if (words.size() > 1) {
        const QString joined = words.join(' ');
        if (CatalogueProblem(joined).isEmpty()) return {QFileInfo(joined).absoluteFilePath(), {}, 0};
    }
    return {{},
            QCoreApplication::translate("Startup", "The catalogue %1 cannot be opened: %2.")
                .arg(first, CatalogueProblem(first)),
            1};
}

}  // namespace karvio
