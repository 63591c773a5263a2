#include "startup/Translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTranslator>
#include <memory>

#include "Messages.h"
#include "ProgramInfo.h"

namespace karvio {

namespace {

// The context of the engine's messages in the translation files.
constexpr char kMessagesContext[] = "Messages";

struct Installed {
    std::unique_ptr<QTranslator> program;
    std::unique_ptr<QTranslator> qt;
    QString language;  // "de", "fr"; empty for English
};

Installed& Current() {
    static Installed installed;
    return installed;
}

void Remove(std::unique_ptr<QTranslator>& translator) {
    if (translator) QCoreApplication::removeTranslator(translator.get());
    translator.reset();
}

std::unique_ptr<QTranslator> Load(const QLocale& locale, const QString& name,
                                  const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, name, QStringLiteral("_"), folder)) return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator;
}

QString TranslateLine(const QString& line, int depth = 0);

// A line the engine made from a pattern: the pattern's translation with the filled-in part,
// itself translated when it is one of the engine's texts (a reason such as "the catalogue is
// read-only ...").
QString TranslatePatterned(const QString& line, int depth) {
    for (const char* pattern : kMessagePatterns) {
        const QString text = QString::fromUtf8(pattern);
        const qsizetype hole = text.indexOf(QLatin1String("%1"));
        if (hole < 0) continue;
        const QString before = text.left(hole);
        const QString after = text.mid(hole + 2);
        if (line.size() < before.size() + after.size() || !line.startsWith(before) ||
            !line.endsWith(after)) {
            continue;
        }
        const QString filled = line.mid(before.size(), line.size() - before.size() - after.size());
        const QString translated = QCoreApplication::translate(kMessagesContext, pattern);
        return translated.arg(depth < 2 ? TranslateLine(filled, depth + 1) : filled);
    }
    return line;
}

QString TranslateLine(const QString& line, int depth) {
    if (line.isEmpty()) return line;
    const QByteArray source = line.toUtf8();
    const QString whole = QCoreApplication::translate(kMessagesContext, source.constData());
    if (whole != line) return whole;
    return TranslatePatterned(line, depth);
}

}  // namespace

bool InstallTranslations(const QLocale& locale) {
    Installed& installed = Current();
    Remove(installed.program);
    Remove(installed.qt);
    installed.language.clear();
    if (locale.language() == QLocale::English || locale.language() == QLocale::C) return false;
    installed.qt =
        Load(locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    installed.program = Load(locale, QStringLiteral("karvio"),
                             QString::fromStdString(FindResource("translations")));
    if (!installed.program) return false;
    const QString name = locale.name();  // "de_DE"
    installed.language = name.left(name.indexOf(QLatin1Char('_')));
    return true;
}

QString LocalizedResource(const QString& relative) {
    const QString plain = QString::fromStdString(FindResource(relative.toStdString()));
    const QString language = Current().language;
    if (language.isEmpty()) return plain;
    const QFileInfo info(relative);
    const QString folder = info.path() == QLatin1String(".") ? QString() : info.path() + QLatin1Char('/');
    const QString translated =
        folder + info.completeBaseName() + QLatin1Char('.') + language + QLatin1Char('.') + info.suffix();
    const QString found = QString::fromStdString(FindResource(translated.toStdString()));
    return QFileInfo::exists(found) ? found : plain;
}

QString TranslateMessage(const QString& text) {
    if (Current().language.isEmpty()) return text;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n"));
    qsizetype start = 0;
    QRegularExpressionMatchIterator breaks = lineBreak.globalMatch(text);
    QString result;
    while (breaks.hasNext()) {
        const QRegularExpressionMatch match = breaks.next();
        result += TranslateLine(text.mid(start, match.capturedStart() - start)) + match.captured();
        start = match.capturedEnd();
    }
    return result + TranslateLine(text.mid(start));
}

}  // namespace karvio
