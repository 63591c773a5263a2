#include "report/ReportDocument.h"

#include <QBrush>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextFrameFormat>
#include <QUrl>
#include <QVariant>

namespace karvio {

namespace {

// The page's rows are 16 pixels high, as are its images.
constexpr int kRowHeight = 16;

// The value of attribute `key` in the tag text `tag` ("img width=16 src='a.gif'"), quoted or
// not; a null string when the tag has no such attribute.
QString Attribute(QStringView tag, QLatin1StringView key) {
    qsizetype at = 0;
    while ((at = tag.indexOf(key, at, Qt::CaseInsensitive)) >= 0) {
        const qsizetype after = at + key.size();
        const bool wordStart = at > 0 && tag[at - 1].isSpace();
        if (!wordStart || after >= tag.size() || tag[after] != u'=') {
            at = after;
            continue;
        }
        qsizetype from = after + 1;
        if (from < tag.size() && (tag[from] == u'\'' || tag[from] == u'"')) {
            const QChar quote = tag[from++];
            const qsizetype end = tag.indexOf(quote, from);
            return (end < 0 ? tag.mid(from) : tag.mid(from, end - from)).toString();
        }
        qsizetype end = from;
        while (end < tag.size() && !tag[end].isSpace()) ++end;
        return tag.mid(from, end - from).toString();
    }
    return QString();
}

// The tag's name in lower case, with its slash for a closing tag ("/font").
QString TagName(QStringView tag) {
    qsizetype end = 0;
    while (end < tag.size() && !tag[end].isSpace()) ++end;
    return tag.left(end).toString().toLower();
}

// Appends text as HTML shows it: entities decoded, each run of white space one blank, and no
// blank at the start of a line.
void AppendText(QStringView text, QString* out) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c.isSpace()) {
            if (!out->isEmpty() && !out->endsWith(u' ')) out->append(u' ');
            continue;
        }
        if (c == u'&') {
            const qsizetype end = text.indexOf(u';', i);
            if (end > i && end - i <= 10) {
                const QStringView name = text.mid(i + 1, end - i - 1);
                char32_t code = 0;
                bool ok = true;
                if (name.startsWith(u'#')) {
                    const bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
                    code = static_cast<char32_t>(name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10));
                    ok = ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
                } else if (name == u"amp") {
                    code = '&';
                } else if (name == u"lt") {
                    code = '<';
                } else if (name == u"gt") {
                    code = '>';
                } else if (name == u"quot") {
                    code = '"';
                } else if (name == u"apos") {
                    code = '\'';
                } else if (name == u"nbsp") {
                    code = 0xA0;
                } else {
                    ok = false;
                }
                if (ok) {
                    out->append(QString::fromUcs4(&code, 1));
                    i = end;
                    continue;
                }
            }
        }
        out->append(c);
    }
}

// The character format QTextDocument gives the text of `<font ...>` (bold or not): taken from
// its own HTML reader once per distinct tag, so the blocks look exactly as the table cells did.
// The preview's and the printing thread's builders share what was learnt.
QTextCharFormat FontFormat(const QString& fontTag, bool bold) {
    static QMutex lock;
    static QHash<QString, QTextCharFormat> cache;
    const QString key = fontTag + (bold ? QStringLiteral("|b") : QStringLiteral("|"));
    {
        const QMutexLocker locked(&lock);
        const auto found = cache.constFind(key);
        if (found != cache.constEnd()) return *found;
    }
    QTextDocument scratch;
    scratch.setHtml(QStringLiteral("<%1>%2x%3</font>").arg(fontTag, bold ? QStringLiteral("<b>") : QString(),
                                                               bold ? QStringLiteral("</b>") : QString()));
    QTextCursor cursor(&scratch);
    cursor.movePosition(QTextCursor::NextCharacter);
    const QTextCharFormat format = cursor.charFormat();
    const QMutexLocker locked(&lock);
    cache.insert(key, format);
    return format;
}

}  // namespace

ReportDocumentBuilder::ReportDocumentBuilder(QTextDocument* document) : document_(document), cursor_(document) {
    cursor_.movePosition(QTextCursor::End);
    firstBlock_ = document_->isEmpty();
    blockFormat_.setLineHeight(kRowHeight, QTextBlockFormat::FixedHeight);
    blockFormat_.setTopMargin(0);
    blockFormat_.setBottomMargin(0);
    imageFormat_.setWidth(kRowHeight);
    imageFormat_.setHeight(kRowHeight);
    imageFormat_.setVerticalAlignment(QTextCharFormat::AlignBottom);
}

void ReportDocumentBuilder::AppendLine(QStringView line) {
    const QStringView trimmed = line.trimmed();
    if (trimmed.isEmpty()) return;
    if (trimmed.startsWith(u'<') && trimmed.endsWith(u'>') && trimmed.count(u'<') == 1) {
        const QStringView tag = trimmed.mid(1, trimmed.size() - 2);
        const QString name = TagName(tag);
        if (name == u"html" || name == u"/html" || name == u"/body") return;
        if (name == u"body") {
            SetBackground(Attribute(tag, QLatin1StringView("background")));
            return;
        }
    }
    Entry entry;
    if (ParseEntry(trimmed, &entry)) {
        AppendEntry(entry);
    } else {
        AppendHtml(trimmed);
    }
}

// An entry line: table, row and cell tags around image cells, then a font with optional bold
// around the text, whose line breaks before the closing tags split notes into lines.
bool ReportDocumentBuilder::ParseEntry(QStringView line, Entry* entry) const {
    QString fontTag;
    bool bold = false, inFont = false, fontClosed = false;
    QString text;
    for (qsizetype at = 0; at < line.size();) {
        if (line[at] != u'<') {
            qsizetype end = line.indexOf(u'<', at);
            if (end < 0) end = line.size();
            const QStringView run = line.mid(at, end - at);
            if (!inFont || fontClosed) {
                if (!run.trimmed().isEmpty()) return false;  // text outside the entry's font
            } else {
                AppendText(run, &text);
            }
            at = end;
            continue;
        }
        const qsizetype end = line.indexOf(u'>', at);
        if (end < 0) return false;
        const QStringView tag = line.mid(at + 1, end - at - 1);
        at = end + 1;
        const QString name = TagName(tag);
        if (name == u"table" || name == u"tr" || name == u"td" || name == u"/td" || name == u"/tr" ||
            name == u"/table") {
            continue;
        }
        if (name == u"img") {
            const QString source = Attribute(tag, QLatin1StringView("src"));
            if (inFont || source.isEmpty()) return false;
            entry->images.append(source);
        } else if (name == u"font") {
            if (inFont) return false;
            inFont = true;
            fontTag = tag.toString();
        } else if (name == u"/font") {
            if (!inFont) return false;
            fontClosed = true;
        } else if (name == u"b") {
            bold = true;
        } else if (name == u"/b") {
            // Bold ends with the entry's text.
        } else if (name == u"br") {
            if (inFont && !fontClosed) {
                entry->texts.append(text);
                text.clear();
            }
        } else {
            return false;
        }
    }
    if (!inFont) return false;
    if (!text.isEmpty() || entry->texts.isEmpty()) entry->texts.append(text);
    entry->format = FontFormat(fontTag, bold);
    return true;
}

void ReportDocumentBuilder::StartBlock() {
    if (firstBlock_) {
        cursor_.setBlockFormat(blockFormat_);
        firstBlock_ = false;
    } else {
        cursor_.insertBlock(blockFormat_, QTextCharFormat());
    }
}

void ReportDocumentBuilder::AppendEntry(const Entry& entry) {
    // Each line of a note repeats the entry's images, so the tree's lines run on beside it.
    for (const QString& text : entry.texts) {
        StartBlock();
        for (const QString& image : entry.images) {
            KeepImage(image);
            imageFormat_.setName(image);
            cursor_.insertImage(imageFormat_);
        }
        // Names stored decomposed (an accent as a character of its own after its letter, as
        // some systems write them) are drawn composed: a font's precomposed letter keeps the
        // accent on its letter.
        cursor_.insertText(text.normalized(QString::NormalizationForm_C), entry.format);
    }
}

void ReportDocumentBuilder::KeepImage(const QString& source) {
    if (kept_.contains(source)) return;
    kept_.insert(source);
    // Loaded once through the document's viewer and kept as the document's own resource: a
    // printout is made from a copy of the document, which takes its resources along but has no
    // viewer to load pictures from the page's folder.
    const QUrl url(source);
    const QVariant picture = document_->resource(QTextDocument::ImageResource, url);
    if (picture.isValid()) document_->addResource(QTextDocument::ImageResource, url, picture);
}

void ReportDocumentBuilder::AppendHtml(QStringView line) {
    StartBlock();
    cursor_.insertHtml(line.toString());
}

void ReportDocumentBuilder::SetBackground(const QString& source) {
    if (source.isEmpty()) return;
    const QVariant resource = document_->resource(QTextDocument::ImageResource, QUrl(source));
    QImage image;
    if (resource.userType() == QMetaType::QImage) {
        image = resource.value<QImage>();
    } else if (resource.userType() == QMetaType::QPixmap) {
        image = resource.value<QPixmap>().toImage();
    } else if (resource.userType() == QMetaType::QByteArray) {
        image.loadFromData(resource.toByteArray());
    }
    if (image.isNull()) return;
    QTextFrameFormat format = document_->rootFrame()->frameFormat();
    format.setBackground(QBrush(image));
    document_->rootFrame()->setFrameFormat(format);
}

}  // namespace karvio
