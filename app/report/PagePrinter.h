// Prints a report page's document page by page on a thread of its own, as QTextDocument::print
// lays it out (2 cm margins, the page number at the foot of each page), so a long report never
// holds the event loop: the document is copied for the printer and moved to the printing thread,
// each page is a progress step, and the Stop flag ends the print run between two pages (the job
// is then aborted). User-interface thread; the work runs on its own QThread.
#pragma once

#include <QObject>
#include <QPointF>
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

    // Starts printing a copy of `document` (made now) on `printer`; `done` is called on this
    // object's thread with the outcome (it must not delete this object at once: deleteLater).
    // `stop` and `progress` (may be null) are used from the printing thread and must outlive
    // this object.
    PagePrinter(const QTextDocument& document, std::unique_ptr<QPrinter> printer, const std::atomic<bool>* stop,
                ProgressSink* progress, std::function<void(Outcome, QPrinter&)> done, QObject* parent = nullptr);
    // Waits for the printing thread (stopping it first).
    ~PagePrinter() override;

private:
    Outcome Run();

    std::unique_ptr<QTextDocument> document_;
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
