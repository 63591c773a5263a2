// The preview's document built line by line from a report page: the same texts, images and
// rows as QTextDocument's own reading of the page, for names and notes of every awkward kind.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QUrl>

#include "HtmlReport.h"
#include "ReportTree.h"
#include "report/ReportDocument.h"
#include "support/SampleCatalogue.h"
#include "support/TempDir.h"

namespace karvio {
namespace {

using testing::TempDir;

// The texts a reader sees, line by line: images and blank lines left out.
QStringList VisibleLines(const QTextDocument& document) {
    QStringList lines;
    for (QString line : document.toPlainText().split(u'\n')) {
        line.remove(QChar::ObjectReplacementCharacter);
        line = line.simplified();
        if (!line.isEmpty()) lines.append(line);
    }
    return lines;
}

QStringList BlockImages(const QTextBlock& block) {
    QStringList images;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        if (!format.isImageFormat()) continue;
        for (int i = 0; i < it.fragment().length(); ++i) images.append(format.toImageFormat().name());
    }
    return images;
}

class ReportDocument : public ::testing::Test {
protected:
    void SetUp() override {
        classData data;
        ASSERT_TRUE(data.OpenFiles(dir.File("Karvio.cd")));
        const int32_t cd = testing::AddSampleCd(
            data, "R&D <draft> \"one\" 'two'",
            {{"", "\\", {{"a  b\tc.txt", 10, "line one\r\nline two\r\n\r\nline four"}, {"Ünïcode 日本.txt", 20}}},
             {"Sub & more", "\\", {{"x<y>.dat", 5000, "&amp; stays &amp;"}}, "a directory's notes"},
             {"Deeper", "Sub & more", {{"last", 70}}}},
            0, "the disc's notes");
        ReportOptions options;
        options.chkDirDate = true;
        options.chkFileDates = true;
        const ReportTree tree = BuildCdReportTree(data, cd, false);
        ProvideReportImages(dir.path().string());
        const std::string page = dir.File("page.htm");
        ASSERT_TRUE(WriteHtmlReport(data, tree, 0, options, page, nullptr));
        QFile file(QString::fromStdString(page));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        html = QString::fromUtf8(file.readAll());
        lines = html.split(QStringLiteral("\r\n"));
        const QUrl base = QUrl::fromLocalFile(QString::fromStdString(dir.path().string()) + '/');
        reference.setBaseUrl(base);
        reference.setHtml(html);
        built.setBaseUrl(base);
        ReportDocumentBuilder builder(&built);
        for (const QString& line : lines) builder.AppendLine(line);
    }

    TempDir dir;
    QString html;
    QStringList lines;
    QTextDocument reference;
    QTextDocument built;
};

TEST_F(ReportDocument, ShowsWhatTheHtmlReaderShowsInOneFixedRowPerLine) {
    const QStringList expected = VisibleLines(reference);
    ASSERT_GT(expected.size(), 10);
    EXPECT_EQ(VisibleLines(built), expected);
    EXPECT_TRUE(expected.join(u'\n').contains(QStringLiteral("R&D <draft> \"one\" 'two'")));
    EXPECT_TRUE(expected.join(u'\n').contains(QStringLiteral("Ünïcode 日本.txt")));

    // One row per entry line and one more per further line of a note, each 16 pixels high,
    // with the images of its line in their order.
    static const QRegularExpression image(QStringLiteral("src='([^']*)'"));
    QTextBlock block = built.begin();
    for (const QString& line : lines) {
        if (!line.startsWith(QLatin1String("<table"))) continue;
        QStringList images;
        for (const auto& match : image.globalMatch(line)) images.append(match.captured(1));
        const qsizetype rows = line.count(QLatin1String("<BR>"));  // the closing break included
        for (qsizetype row = 0; row < rows; ++row) {
            ASSERT_TRUE(block.isValid()) << line.toStdString();
            EXPECT_EQ(BlockImages(block), images) << line.toStdString();
            EXPECT_EQ(block.blockFormat().lineHeightType(), int(QTextBlockFormat::FixedHeight));
            EXPECT_EQ(block.blockFormat().lineHeight(), 16);
            block = block.next();
        }
    }
    EXPECT_FALSE(block.isValid()) << "a row too many: " << block.text().toStdString();

    // Bold names in the fonts of the page's colours.
    bool boldDirectory = false;
    for (QTextBlock b = built.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (it.fragment().text().contains(QStringLiteral("Sub & more"))) {
                boldDirectory = format.fontWeight() == QFont::Bold &&
                                format.foreground().color() == QColor(QStringLiteral("#8F0000"));
            }
        }
    }
    EXPECT_TRUE(boldDirectory);
    // The page's background picture.
    EXPECT_EQ(built.rootFrame()->frameFormat().background().style(), Qt::TexturePattern);
}

TEST(ReportDocumentLines, DecomposedAccentsAreDrawnOnTheirLetters) {
    // "Café" and "Noël" with their accents stored as characters of their own (NFD), as some
    // systems name files, and as one character each (NFC): both read and draw alike.
    const QString decomposed = QStringLiteral("Cafe\u0301 Noe\u0308l");
    const QString composed = QStringLiteral("Caf\u00e9 No\u00ebl");
    QImage pictures[2];
    int i = 0;
    for (const QString& name : {decomposed, composed}) {
        QTextDocument document;
        ReportDocumentBuilder builder(&document);
        builder.AppendLine(QStringLiteral("<table width=5000 height=16 border=0 cellpadding=0 cellspacing=0>"
                                          "<tr height=16><td height=16><font size=1 face=arial color=#000000><B>") +
                           name + QStringLiteral("</B></font><BR></td></tr></table>"));
        EXPECT_EQ(VisibleLines(document), QStringList{composed});
        pictures[i] = QImage(200, 20, QImage::Format_RGB32);
        pictures[i].fill(Qt::white);
        QPainter painter(&pictures[i]);
        document.drawContents(&painter);
        ++i;
    }
    EXPECT_EQ(pictures[0], pictures[1]);
}

TEST(ReportDocumentLines, LinesOfAnotherShapeAreReadAsHtml) {
    QTextDocument document;
    ReportDocumentBuilder builder(&document);
    builder.AppendLine(u"<p>plain <i>italic</i> &amp; more</p>");
    builder.AppendLine(u"<table><tr><td><font size=1>in a cell</font><BR></td></tr></table>");
    builder.AppendLine(u"<td><font size=1>broken &#xZZ; &#0; &bogus;</font>");
    builder.AppendLine(u"<table><tr><td><img src='a.gif'><font>unclosed");
    builder.AppendLine(u"text <b>outside</b> a font");
    EXPECT_EQ(VisibleLines(document),
              (QStringList{"plain italic & more", "in a cell", "broken &#xZZ; &#0; &bogus;", "unclosed",
                           "text outside a font"}));
}

}  // namespace
}  // namespace karvio
