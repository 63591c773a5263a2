// Builds the preview's rich-text document from the lines of a report page.
//
// The page draws every entry as a one-row table of 16-pixel image cells and a text cell, which
// a web browser lays out in no time but which costs QTextDocument a frame and a table per line:
// tens of thousands of them take seconds to parse and grow slower with every line appended.
// The builder reads the page's own line shapes and writes each entry as one fixed-height text
// block instead (the same images, font and colours, in the same places), which QTextDocument
// appends in microseconds. A line of another shape is inserted as HTML, so any page shows.
// A builder works on its document's thread: the preview's on the user-interface thread, the
// printer's on the printing thread.
#pragma once

#include <QSet>
#include <QString>
#include <QStringView>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QVector>

class QTextDocument;

namespace karvio {

class ReportDocumentBuilder {
public:
    // Appends to the end of `document`, which should be empty before the page's first line.
    explicit ReportDocumentBuilder(QTextDocument* document);

    // One line of the page, without its line break.
    void AppendLine(QStringView line);

private:
    // The parts of an entry line: its image cells and its text with the text's format.
    struct Entry {
        QVector<QString> images;  // image sources, left to right
        QVector<QString> texts;   // the text's lines (notes may hold several)
        QTextCharFormat format;
    };

    bool ParseEntry(QStringView line, Entry* entry) const;
    void AppendEntry(const Entry& entry);
    void AppendHtml(QStringView line);
    void SetBackground(const QString& source);
    // Makes the picture `source` a resource of the document itself.
    void KeepImage(const QString& source);
    void StartBlock();

    QTextDocument* document_;
    QTextCursor cursor_;
    QTextBlockFormat blockFormat_;
    QTextImageFormat imageFormat_;
    bool firstBlock_ = true;
    QSet<QString> kept_;  // pictures made the document's own
};

}  // namespace karvio
