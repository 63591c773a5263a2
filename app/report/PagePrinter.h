// Prints a report page page by page on a thread of its own, as QTextDocument::print lays it out
// (2 cm margins, the page number at the foot of each page), so a long report never holds the
// event loop: the printing thread builds its own document from the page's bytes (as the preview
// builds the one it shows, with the shown document's font and options) and lays it out; nothing
// the size of the page is copied on the windows' thread. Reading the lines and printing the pages
// are progress steps, and the Stop flag ends the run between two lines or two pages (a job begun
// is then aborted). User-interface thread; the work runs on its own QThread.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QObject>
#include <QPointF>
#include <QString>
#include <QTextOption>
#include <QUrl>
#include <atomic>
#include <functional>
#include <memory>

class QPrinter;
class QTextDocument;
class QThread;

namespace karvio {

class ProgressSink;

class PagePrinter : public QObject {
    Q_OBJECT

public:
    enum class Outcome { Printed, Stopped, Failed };

    // Starts printing the report page `page` (its bytes as written, lines ending in CR LF) on
    // `printer`, laid out with the default font, text options and base address (for its
    // pictures) of `shown`, the document the preview shows; `done` is called on this object's
    // thread with the outcome (it must not delete this object at once: deleteLater). `stop` and
    // `progress` (may be null) are used from the printing thread and must outlive this object.
    PagePrinter(const QByteArray& page, const QTextDocument& shown, std::unique_ptr<QPrinter> printer,
                const std::atomic<bool>* stop, ProgressSink* progress, std::function<void(Outcome, QPrinter&)> done,
                QObject* parent = nullptr);
    // Waits for the printing thread (stopping it first).
    ~PagePrinter() override;

private:
    // The settings of the shown document the printed one takes over.
    struct Look {
        QFont font;
        QTextOption option;
        QUrl baseUrl;
        qreal margin = 0;
        qreal indentWidth = 0;
        QString styleSheet;
    };

    bool Stopped() const;
    // Fills `doc` from the page; false when stopped meanwhile.
    bool Build(QTextDocument& doc) const;
    Outcome Print(QTextDocument& doc);

    QByteArray page_;
    Look look_;
    std::unique_ptr<QPrinter> printer_;
    const std::atomic<bool>* stop_;
    ProgressSink* progress_;
    std::function<void(Outcome, QPrinter&)> done_;
    std::atomic<bool> ownStop_{false};
    QPointF sourceDpi_;  // the screen's, which the document's sizes are in
    Outcome outcome_ = Outcome::Failed;
    QThread* thread_ = nullptr;
};

}  // namespace karvio
