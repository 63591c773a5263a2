#include "report/PagePrinter.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QStringTokenizer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QThread>
#include <algorithm>
#include <limits>

#include "Progress.h"
#include "report/ReportDocument.h"

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

PagePrinter::PagePrinter(const QByteArray& page, const QTextDocument& shown, std::unique_ptr<QPrinter> printer,
                         const std::atomic<bool>* stop, ProgressSink* progress,
                         std::function<void(Outcome, QPrinter&)> done, QObject* parent)
    : QObject(parent), page_(page), printer_(std::move(printer)), stop_(stop), progress_(progress),
      done_(std::move(done)) {
    look_.font = shown.defaultFont();
    look_.option = shown.defaultTextOption();
    look_.baseUrl = shown.baseUrl();
    look_.margin = shown.documentMargin();
    look_.indentWidth = shown.indentWidth();
    look_.styleSheet = shown.defaultStyleSheet();
    const QScreen* screen = QGuiApplication::primaryScreen();
    sourceDpi_ = QPointF(screen ? screen->logicalDotsPerInchX() : 96, screen ? screen->logicalDotsPerInchY() : 96);
    thread_ = QThread::create([this] {
        if (progress_) SetProgressSink(progress_);
        // The document is made, laid out and dropped on this thread.
        QTextDocument doc;
        outcome_ = Build(doc) ? Print(doc) : Outcome::Stopped;
        ProgressEnd();
    });
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

bool PagePrinter::Stopped() const { return ownStop_.load() || (stop_ && stop_->load()); }

bool PagePrinter::Build(QTextDocument& doc) const {
    doc.setUndoRedoEnabled(false);
    doc.setDefaultFont(look_.font);
    doc.setDefaultTextOption(look_.option);
    doc.setBaseUrl(look_.baseUrl);
    doc.setDocumentMargin(look_.margin);
    doc.setIndentWidth(look_.indentWidth);
    doc.setDefaultStyleSheet(look_.styleSheet);
    const QString text = QString::fromUtf8(page_);
    ProgressStart(int(std::min<qsizetype>(text.count(u'\n') + 1, std::numeric_limits<int>::max())));
    ReportDocumentBuilder builder(&doc);
    QTextCursor block(&doc);
    block.beginEditBlock();
    for (const QStringView line : QStringTokenizer(text, u"\r\n")) {
        if (Stopped()) return false;
        builder.AppendLine(line);
        ProgressStep();
    }
    block.endEditBlock();
    return true;
}

PagePrinter::Outcome PagePrinter::Print(QTextDocument& doc) {
    QPrinter& printer = *printer_;
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
        if (Stopped()) {
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
    return outcome;
}

}  // namespace karvio
