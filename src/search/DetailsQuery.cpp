#include "DetailsQuery.h"

#include <QStringList>
#include <functional>

namespace karvio {

namespace {

using NumberReader = std::function<std::optional<int64_t>(const QString&)>;

std::optional<int64_t> PlainNumber(const QString& text) {
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    if (!ok || v < 0) return std::nullopt;
    return v;
}

// "90", "90s", "3m", "1.5h", "1h30m" as seconds.
std::optional<int64_t> Seconds(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t.isEmpty()) return std::nullopt;
    double total = 0;
    QString number;
    bool any = false;
    for (const QChar c : t) {
        if (c.isDigit() || c == '.') {
            number += c;
            continue;
        }
        const double unit = c == 'h' ? 3600 : c == 'm' ? 60 : c == 's' ? 1 : 0;
        bool ok = false;
        const double v = number.toDouble(&ok);
        if (unit == 0 || !ok) return std::nullopt;
        total += v * unit;
        number.clear();
        any = true;
    }
    if (!number.isEmpty()) {
        bool ok = false;
        const double v = number.toDouble(&ok);
        if (!ok) return std::nullopt;
        total += v;
        any = true;
    }
    if (!any || total > 1e12) return std::nullopt;
    return static_cast<int64_t>(total);
}

// "N", ">N", ">=N", "<N", "<=N" or "A..B".
std::optional<QuickRange> Range(const QString& t, const NumberReader& read) {
    QuickRange r;
    const qsizetype dots = t.indexOf(QLatin1String(".."));
    if (dots >= 0) {
        const QString a = t.left(dots), b = t.mid(dots + 2);
        if (a.isEmpty() && b.isEmpty()) return std::nullopt;
        if (!a.isEmpty()) {
            const auto v = read(a);
            if (!v) return std::nullopt;
            r.low = *v;
        }
        if (!b.isEmpty()) {
            const auto v = read(b);
            if (!v) return std::nullopt;
            r.high = *v;
        }
        return r;
    }
    const auto after = [&](qsizetype n) { return read(t.mid(n)); };
    std::optional<int64_t> v;
    if (t.startsWith(QLatin1String(">="))) {
        if (!(v = after(2))) return std::nullopt;
        r.low = *v;
    } else if (t.startsWith(QLatin1String("<="))) {
        if (!(v = after(2))) return std::nullopt;
        r.high = *v;
    } else if (t.startsWith('>')) {
        if (!(v = after(1))) return std::nullopt;
        r.low = *v + 1;
    } else if (t.startsWith('<')) {
        if (!(v = after(1))) return std::nullopt;
        r.high = *v - 1;
    } else {
        if (!(v = read(t))) return std::nullopt;
        r.low = r.high = *v;
    }
    return r;
}

}  // namespace

DetailsQuery ParseDetailsQuery(QString& text) {
    DetailsQuery q;
    QString rest;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        if (text[i].isSpace()) {
            rest += text[i++];
            continue;
        }
        // A quoted phrase stays for the names query, as it is.
        if (text[i] == '"') {
            const qsizetype end = text.indexOf('"', i + 1);
            const qsizetype stop = end < 0 ? n : end + 1;
            rest += text.mid(i, stop - i);
            i = stop;
            continue;
        }
        qsizetype j = i;
        while (j < n && !text[j].isSpace() && text[j] != ':') ++j;
        const QString key = text.mid(i, j - i).toLower();
        static const QStringList kKeys = {"artist", "album", "title", "camera", "taken", "duration", "width", "height", "in"};
        if (j >= n || text[j] != ':' || !kKeys.contains(key)) {
            while (j < n && !text[j].isSpace()) ++j;
            rest += text.mid(i, j - i);
            i = j;
            continue;
        }
        // The value: quoted, or up to the next space.
        qsizetype v = j + 1;
        QString value;
        if (v < n && text[v] == '"') {
            const qsizetype end = text.indexOf('"', v + 1);
            value = text.mid(v + 1, end < 0 ? -1 : end - v - 1);
            i = end < 0 ? n : end + 1;
        } else {
            qsizetype e = v;
            while (e < n && !text[e].isSpace()) ++e;
            value = text.mid(v, e - v);
            i = e;
        }
        auto fail = [&](const QString& what) { q.error = QStringLiteral("Cannot read %1: %2").arg(what, value); };
        if (key == QLatin1String("artist")) q.artist = QuickFold(value.trimmed());
        else if (key == QLatin1String("album")) q.album = QuickFold(value.trimmed());
        else if (key == QLatin1String("title")) q.title = QuickFold(value.trimmed());
        else if (key == QLatin1String("camera")) q.camera = QuickFold(value.trimmed());
        else if (key == QLatin1String("taken")) {
            if (!(q.takenYear = Range(value, PlainNumber))) fail(key);
        } else if (key == QLatin1String("duration")) {
            if (!(q.duration = Range(value, Seconds))) fail(key);
        } else if (key == QLatin1String("width")) {
            if (!(q.width = Range(value, PlainNumber))) fail(key);
        } else if (key == QLatin1String("height")) {
            if (!(q.height = Range(value, PlainNumber))) fail(key);
        } else {
            bool ok = false;
            const int id = value.toInt(&ok);
            if (value.compare(QLatin1String("archive"), Qt::CaseInsensitive) == 0) q.inArchive = -1;
            else if (ok && id > 0) q.inArchive = id;
            else fail(key);
        }
    }
    text = rest;
    return q;
}

FullQuery ParseFullQuery(const QString& text) {
    FullQuery q;
    QString rest = text;
    q.details = ParseDetailsQuery(rest);
    q.names = ParseQuickQuery(rest);
    return q;
}

}  // namespace karvio
