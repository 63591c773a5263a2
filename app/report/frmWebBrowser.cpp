#include "report/frmWebBrowser.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include "HtmlReport.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "mainwindow/BusyScope.h"
#include "mainwindow/MenuState.h"
#include "mainwindow/frmMenu.h"
#include "report/PagePrinter.h"
#include "report/ReportDocument.h"

namespace karvio {

namespace {

// Lines shown before the window appears: a screenful and more, yet only milliseconds.
constexpr int kFirstLines = 200;
// Lines appended between two looks at the clock.
constexpr int kLinesPerCheck = 64;
// Appending stops for the event loop after this long, so scrolling stays smooth.
constexpr int kAppendSliceMs = 30;

constexpr char kImageRef[] = "src='images/";
constexpr char kBackgroundRef[] = "background=images/";

// Keeps the page while one of the preview's own modal dialogs is up.
class OwnDialog {
public:
    explicit OwnDialog(int& count) : count_(count) { ++count_; }
    ~OwnDialog() { --count_; }
    OwnDialog(const OwnDialog&) = delete;
    OwnDialog& operator=(const OwnDialog&) = delete;

private:
    int& count_;
};

}  // namespace

bool SaveReportPage(const QByteArray& html, const QString& imageDir, const QString& target, QString* error) {
    const QFileInfo info(target);
    const QString folderName = info.completeBaseName() + QStringLiteral("_files");
    const QDir folder(info.absolutePath() + '/' + folderName);
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        *error =
            QCoreApplication::translate("karvio::frmWebBrowser", "The folder %1 cannot be created.")
                .arg(QDir::toNativeSeparators(folder.path()));
        return false;
    }
    for (const char* image : kReportImages) {
        const QString name = QFileInfo(QString::fromLatin1(image)).fileName();
        const QString to = folder.filePath(name);
        QString from = imageDir + '/' + QString::fromLatin1(image);
        if (!QFile::exists(from)) from = QString::fromStdString(FindResource(image));
        QFile::remove(to);
        if (!QFile::copy(from, to)) {
            *error = QCoreApplication::translate("karvio::frmWebBrowser",
                                                 "The image %1 cannot be written.")
                         .arg(QDir::toNativeSeparators(to));
            return false;
        }
    }
    // Only the page's own attributes carry these texts: catalogue names on the page have their
    // quotes escaped, and the body tag is the second line.
    const QByteArray folderRef = QUrl::toPercentEncoding(folderName) + '/';
    QByteArray page = html;
    page.replace(kImageRef, QByteArray("src='") + folderRef);
    const qsizetype body = page.indexOf(kBackgroundRef);
    if (body >= 0 && body < 200) {
        page.replace(body, qsizetype(sizeof kBackgroundRef - 1), QByteArray("background=") + folderRef);
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(page) != page.size() || !out.commit()) {
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(target), out.errorString());
        return false;
    }
    return true;
}

frmWebBrowser::frmWebBrowser(QMdiArea* area, QWidget* parent)
    : QWidget(parent), area_(area), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("frmWebBrowser"));
    setWindowTitle(tr("Report Preview"));
    browser_->setObjectName(QStringLiteral("WebBrowser1"));
    browser_->setAccessibleName(tr("Report page"));
    browser_->setOpenLinks(false);
    browser_->setLineWrapMode(QTextEdit::NoWrap);
    // A read-only page needs no undo history, which would keep a copy of every appended piece.
    browser_->document()->setUndoRedoEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);

    loader_.setInterval(0);
    connect(&loader_, &QTimer::timeout, this, &frmWebBrowser::AppendSome);
    if (area_) connect(area_, &QMdiArea::subWindowActivated, this, &frmWebBrowser::OnSubWindowActivated);
}

frmWebBrowser::~frmWebBrowser() {
    loader_.stop();
    if (!pageFile_.isEmpty()) QFile::remove(pageFile_);
}

bool frmWebBrowser::ShowHtml(const QString& pageFile, const QString& title) {
    DropPage();
    QFile file(pageFile);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowMessage(tr("The report page cannot be read:\r\n%1\r\n%2")
                        .arg(QDir::toNativeSeparators(pageFile), file.errorString())
                        .toStdString(),
                    vbOKOnly);
        return false;
    }
    html_ = file.readAll();
    pageFile_ = pageFile;
    title_ = title.isEmpty() ? QFileInfo(pageFile).completeBaseName() : title;

    // Every entry is a line of its own. The first screen goes in before the window shows; the
    // rest is appended from the event loop in slices, so the user can scroll meanwhile.
    lines_ = QString::fromUtf8(html_).split(QStringLiteral("\r\n"));
    next_ = 0;
    browser_->clear();
    QTextDocument* document = browser_->document();
    document->setBaseUrl(QUrl::fromLocalFile(QFileInfo(pageFile).absolutePath() + '/'));
    document->setMetaInformation(QTextDocument::DocumentTitle, title_);
    builder_ = std::make_unique<ReportDocumentBuilder>(document);
    AppendLines(kFirstLines);
    // The browser's own cursor moved along with the lines inserted at its place; back at the
    // top it stays there while the rest is appended below, and so does the view.
    browser_->moveCursor(QTextCursor::Start);

    if (!sub_ && area_) {
        sub_ = area_->addSubWindow(this);
        sub_->setAttribute(Qt::WA_DeleteOnClose, false);
        sub_->installEventFilter(this);
        subObject_ = sub_.data();
    }
    if (sub_) sub_->setWindowTitle(windowTitle() + QStringLiteral(" - ") + title_);
    QApplication::restoreOverrideCursor();
    if (sub_) {
        sub_->show();
        show();
        area_->setActiveSubWindow(sub_);
    } else {
        show();
    }
    // The first screen is painted before appending starts, so a long page is seen at once and
    // the rest only ever comes from the loader's slices.
    QCoreApplication::processEvents();
    if (IsLoading()) loader_.start();
    SetMenuState(kModePreview);
    return true;
}

void frmWebBrowser::AppendLines(qsizetype count) {
    const qsizetype end = std::min(lines_.size(), next_ + count);
    QTextCursor cursor(browser_->document());
    cursor.beginEditBlock();
    for (; next_ < end; ++next_) {
        builder_->AppendLine(lines_[next_]);
        lines_[next_].clear();
    }
    cursor.endEditBlock();
    if (!IsLoading()) {
        loader_.stop();
        lines_.clear();
        next_ = 0;
        builder_.reset();
        emit pageComplete();
    }
}

void frmWebBrowser::AppendSome() {
    // Appending keeps the reader's place: the scroll bar only grows below it.
    QElapsedTimer slice;
    slice.start();
    while (IsLoading() && slice.elapsed() < kAppendSliceMs) AppendLines(kLinesPerCheck);
}

void frmWebBrowser::FinishLoading() {
    if (!IsLoading()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    while (IsLoading()) AppendSome();
    QApplication::restoreOverrideCursor();
}

void frmWebBrowser::DropPage() {
    loader_.stop();
    lines_.clear();
    next_ = 0;
    builder_.reset();
    if (!pageFile_.isEmpty()) QFile::remove(pageFile_);  // a failure to delete is of no concern
    pageFile_.clear();
    title_.clear();
    html_.clear();
    browser_->clear();
    if (sub_) sub_->hide();
}

void frmWebBrowser::OnSubWindowActivated(QMdiSubWindow* window) {
    // Another child window taking over ends the preview; a dialog of our own, or the main
    // window losing the focus (window == nullptr), does not.
    if (!window || window == sub_ || ownDialogs_ > 0 || !HasPage()) return;
    DropPage();
}

bool frmWebBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close && watched == subObject_ && !sub_.isNull()) {
        // Closing the preview drops its page; the window is kept for the next preview.
        event->ignore();
        DropPage();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmWebBrowser::Print() {
    if (!HasPage() || printer_) return;
    auto printer = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
    {
        OwnDialog guard(ownDialogs_);
        // Screen resolution keeps the page's 16-pixel rows as they are on the screen.
        printer->setDocName(title_);
        const QString printerName = defaultPrinterName ? defaultPrinterName() : QPrinterInfo::defaultPrinterName();
        if (!printerName.isEmpty()) {
            printer->setPrinterName(printerName);
        } else {
            // No default printer: printing without a question would print nothing and say nothing.
            bool accepted = false;
            if (askPrinter) {
                accepted = askPrinter(*printer);
            } else {
                QPrintDialog dialog(printer.get(), this);
                dialog.setWindowTitle(tr("Print"));
                accepted = dialog.exec() == QDialog::Accepted;
            }
            if (!accepted) return;
        }
    }
    // The pages are printed on a thread of their own, with the progress bar and Stop, from the
    // page as written: one still being appended here prints whole.
    printBusy_ = std::make_unique<BusyScope>(true, kModePreview);
    printer_ = std::make_unique<PagePrinter>(
        html_, *browser_->document(), std::move(printer), &printBusy_->StopFlag(), printBusy_->WorkerProgress(),
        [this](PagePrinter::Outcome outcome, QPrinter& printer) {
            const QString output = printer.outputFileName();
            if (outcome == PagePrinter::Outcome::Failed || printer.printerState() == QPrinter::Error ||
                (outcome == PagePrinter::Outcome::Printed && !output.isEmpty() && QFileInfo(output).size() == 0)) {
                const QString where = output.isEmpty() ? printer.printerName() : QDir::toNativeSeparators(output);
                ShowMessage(tr("The page could not be printed on %1.").arg(where).toStdString(),
                            vbOKOnly);
            }
            printBusy_.reset();
            // Its thread has ended; the object goes once this call is over.
            printer_.release()->deleteLater();
        });
}

void frmWebBrowser::SaveAs() {
    if (!HasPage()) return;
    OwnDialog guard(ownDialogs_);
    if (lastSaveDir_.isEmpty()) lastSaveDir_ = QDir::homePath();
    const QString proposal = lastSaveDir_ + QStringLiteral("/report.htm");
    QString target = askSaveName ? askSaveName(proposal)
                                 : QFileDialog::getSaveFileName(this, tr("Save as htm"), proposal,
                                                                tr("Web page (*.htm *.html)"));
    if (target.isEmpty()) return;
    if (QFileInfo(target).suffix().isEmpty()) target += QStringLiteral(".htm");
    lastSaveDir_ = QFileInfo(target).absolutePath();
    QString error;
    if (!SaveReportPage(html_, QFileInfo(pageFile_).absolutePath(), target, &error)) {
        ShowMessage(tr("The page could not be saved.\r\n%1").arg(error).toStdString(), vbOKOnly);
    }
}

}  // namespace karvio
