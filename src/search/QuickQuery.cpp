#include "QuickQuery.h"

#include <QStringDecoder>

#include "CatalogueText.h"

namespace karvio {

namespace {

// Windows-1252's 0x80..0x9F; the undefined places map to the C1 controls as Windows does.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::optional<int64_t> ParseSize(QString t)
{
    t = t.trimmed().toLower();
    if (t.isEmpty()) return std::nullopt;
    int64_t mult = 1;
    if (t.endsWith('b')) t.chop(1);
    if (t.endsWith('k')) { mult = 1024; t.chop(1); }
    else if (t.endsWith('m')) { mult = 1024LL * 1024; t.chop(1); }
    else if (t.endsWith('g')) { mult = 1024LL * 1024 * 1024; t.chop(1); }
    else if (t.endsWith('t')) { mult = 1024LL * 1024 * 1024 * 1024; t.chop(1); }
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || v < 0 || v * double(mult) > 9.0e18) return std::nullopt;
    return int64_t(v * double(mult));
}

std::optional<int64_t> ParseYear(const QString& t)
{
    bool ok = false;
    const int y = t.trimmed().toInt(&ok);
    if (!ok || y < 1 || y > 9999) return std::nullopt;
    return y;
}

// Reads "N", ">N", ">=N", "<N", "<=N" or "A..B" with the given number reader.
template <typename Reader>
std::optional<QuickRange> ParseRange(const QString& t, Reader read)
{
    QuickRange r;
    const qsizetype dots = t.indexOf(QLatin1String(".."));
    if (dots >= 0) {
        const QString a = t.left(dots), b = t.mid(dots + 2);
        if (!a.isEmpty()) { auto v = read(a); if (!v) return std::nullopt; r.low = *v; }
        if (!b.isEmpty()) { auto v = read(b); if (!v) return std::nullopt; r.high = *v; }
        if (a.isEmpty() && b.isEmpty()) return std::nullopt;
        return r;
    }
    auto take = [&](qsizetype n) { return read(t.mid(n)); };
    if (t.startsWith(QLatin1String(">="))) { auto v = take(2); if (!v) return std::nullopt; r.low = *v; }
    else if (t.startsWith(QLatin1String("<="))) { auto v = take(2); if (!v) return std::nullopt; r.high = *v; }
    else if (t.startsWith('>')) { auto v = take(1); if (!v || *v == INT64_MAX) return std::nullopt; r.low = *v + 1; }
    else if (t.startsWith('<')) { auto v = take(1); if (!v || *v == INT64_MIN) return std::nullopt; r.high = *v - 1; }
    else { auto v = read(t); if (!v) return std::nullopt; r.low = r.high = *v; }
    return r;
}

bool WordMatches(const QString& name, const QString& word, QuickMatchMode mode)
{
    return FoldedMatches(name.toStdString(), word.toStdString(), static_cast<int>(mode));
}

} // namespace

QString QuickDecodeName(const QByteArray& raw)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8(raw);
    if (!utf8.hasError()) return s;
    s.clear();
    s.reserve(raw.size());
    for (const char c : raw) {
        const auto b = static_cast<unsigned char>(c);
        s.append(b >= 0x80 && b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(char16_t(b)));
    }
    return s;
}

QString QuickFold(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return QString::fromStdString(FoldText(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size()))));
}

bool QuickQuery::IsEmpty() const
{
    return words.isEmpty() && phrases.isEmpty() && kindMask == 0 && extensions.isEmpty() &&
           !size && !year;
}

bool QuickQuery::MatchesName(const QString& foldedName, QuickMatchMode mode) const
{
    for (const QString& w : words)
        if (!WordMatches(foldedName, w, mode)) return false;
    for (const QString& p : phrases)
        if (!WordMatches(foldedName, p, mode)) return false;
    return true;
}

QuickQuery ParseQuickQuery(const QString& text)
{
    QuickQuery q;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        if (text[i].isSpace()) { ++i; continue; }
        if (text[i] == '"') {
            const qsizetype end = text.indexOf('"', i + 1);
            const QString p = text.mid(i + 1, end < 0 ? -1 : end - i - 1);
            if (!p.trimmed().isEmpty()) q.phrases << QuickFold(p);
            i = end < 0 ? n : end + 1;
            continue;
        }
        qsizetype j = i;
        while (j < n && !text[j].isSpace()) ++j;
        const QString tok = text.mid(i, j - i);
        i = j;
        const qsizetype colon = tok.indexOf(':');
        const QString key = colon > 0 ? tok.left(colon).toLower() : QString();
        const QString val = colon > 0 ? tok.mid(colon + 1) : QString();
        if (key == QLatin1String("kind")) {
            for (const QString& k : val.toLower().split(',', Qt::SkipEmptyParts)) {
                if (k == QLatin1String("cd")) q.kindMask |= 1;
                else if (k == QLatin1String("dir")) q.kindMask |= 2;
                else if (k == QLatin1String("file")) q.kindMask |= 4;
                else q.error = QStringLiteral("Unknown kind: %1").arg(k);
            }
        } else if (key == QLatin1String("ext")) {
            for (QString e : val.split(',', Qt::SkipEmptyParts)) {
                if (e.startsWith('.')) e.remove(0, 1);
                if (!e.isEmpty()) q.extensions << QuickFold(e);
            }
        } else if (key == QLatin1String("size")) {
            q.size = ParseRange(val, ParseSize);
            if (!q.size) q.error = QStringLiteral("Cannot read size: %1").arg(val);
        } else if (key == QLatin1String("date")) {
            q.year = ParseRange(val, ParseYear);
            if (!q.year) q.error = QStringLiteral("Cannot read date: %1").arg(val);
        } else {
            q.words << QuickFold(tok);
        }
    }
    return q;
}

} // namespace karvio
