#include "report/PagePrinter.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QTextDocument>
#include <QTextFrame>
#include <QThread>

#include "Progress.h"

namespace karvio {

namespace {

// The margins QTextDocument::print gives a document without pages of its own.
constexpr qreal kMarginCm = 2.0;
constexpr qreal kCmPerInch = 2.54;

// One page of the laid-out document at `index` (1-based), clipped to the page.
void PrintPage(int index, QPainter& painter, const QTextDocument& doc, const QRectF& body, const QPointF& pageNumberAt) {
    painter.save();
    painter.translate(body.left(), body.top() - (index - 1) * body.height());
    const QRectF view(0, (index - 1) * body.height(), body.width(), body.height());
    QAbstractTextDocumentLayout::PaintContext context;
    painter.setClipRect(view);
    context.clip = view;
    // Black text on paper whatever the desktop's palette.
    context.palette.setColor(QPalette::Text, Qt::black);
    doc.documentLayout()->draw(&painter, context);
    painter.setClipping(false);
    painter.setFont(doc.defaultFont());
    const QString number = QString::number(index);
    painter.drawText(qRound(pageNumberAt.x() - painter.fontMetrics().horizontalAdvance(number)),
                     qRound(pageNumberAt.y() + view.top()), number);
    painter.restore();
}

}  // namespace

PagePrinter::PagePrinter(const QTextDocument& document, std::unique_ptr<QPrinter> printer,
                         const std::atomic<bool>* stop, ProgressSink* progress,
                         std::function<void(Outcome, QPrinter&)> done, QObject* parent)
    : QObject(parent), document_(document.clone()), printer_(std::move(printer)), stop_(stop), progress_(progress),
      done_(std::move(done)) {
    // The pictures are read again beside the page by the copy.
    document_->setBaseUrl(document.baseUrl());
    const QScreen* screen = QGuiApplication::primaryScreen();
    sourceDpi_ = QPointF(screen ? screen->logicalDotsPerInchX() : 96, screen ? screen->logicalDotsPerInchY() : 96);
    thread_ = QThread::create([this] {
        if (progress_) SetProgressSink(progress_);
        outcome_ = Run();
        // Back to the windows' thread, which deletes it.
        document_->moveToThread(QCoreApplication::instance()->thread());
    });
    document_->moveToThread(thread_);
    connect(thread_, &QThread::finished, this, [this] {
        thread_->wait();
        done_(outcome_, *printer_);
    });
    thread_->start();
}

PagePrinter::~PagePrinter() {
    ownStop_ = true;
    thread_->wait();
    delete thread_;
}

PagePrinter::Outcome PagePrinter::Run() {
    QPrinter& printer = *printer_;
    QTextDocument& doc = *document_;
    auto stopped = [this] { return ownStop_.load() || (stop_ && stop_->load()); };
    const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Millimeter);
    if (margins.isNull()) {
        const qreal mm = kMarginCm * 10;
        printer.setPageMargins(QMarginsF(mm, mm, mm, mm), QPageLayout::Millimeter);
    }
    QPainter painter;
    if (!painter.begin(&printer)) return Outcome::Failed;
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    layout->setPaintDevice(painter.device());
    const int horizontal = int(kMarginCm / kCmPerInch * sourceDpi_.x());
    const int vertical = int(kMarginCm / kCmPerInch * sourceDpi_.y());
    QTextFrameFormat frame = doc.rootFrame()->frameFormat();
    frame.setLeftMargin(horizontal);
    frame.setRightMargin(horizontal);
    frame.setTopMargin(vertical);
    frame.setBottomMargin(vertical);
    doc.rootFrame()->setFrameFormat(frame);
    const QRectF body(0, 0, printer.width(), printer.height());
    const qreal scaleX = printer.logicalDpiX() / sourceDpi_.x();
    const qreal scaleY = printer.logicalDpiY() / sourceDpi_.y();
    const QPointF pageNumberAt(body.width() - horizontal * scaleX,
                               body.height() - vertical * scaleY + QFontMetrics(doc.defaultFont(), painter.device()).ascent() +
                                   5 * painter.device()->logicalDpiY() / 72.0);
    // The layout of the whole page happens here, on this thread.
    doc.setPageSize(body.size());
    const int pages = doc.pageCount();
    ProgressStart(pages);
    Outcome outcome = Outcome::Printed;
    for (int page = 1; page <= pages; ++page) {
        if (stopped()) {
            printer.abort();
            outcome = Outcome::Stopped;
            break;
        }
        PrintPage(page, painter, doc, body, pageNumberAt);
        ProgressStep();
        if (page < pages && !printer.newPage()) {
            outcome = Outcome::Failed;
            break;
        }
    }
    painter.end();
    ProgressEnd();
    return outcome;
}

}  // namespace karvio
