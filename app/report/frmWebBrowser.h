// The report preview: a child window of the main window's MDI area that shows a report page in
// a QTextBrowser, and prints it or saves it with its images. A large page is shown at once by
// its first lines and then appended slice by slice while the user can already scroll. The page
// file lives while the preview is the active window; activating another child window drops it
// (the preview's own print and save dialogs do not). User-interface thread.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "mainwindow/MainWindowTargets.h"

class QMdiArea;
class QPrinter;
class QTextBrowser;

namespace karvio {

class BusyScope;
class PagePrinter;
class ReportDocumentBuilder;

// Writes `html` (a report page that refers to its images as "images/...") to `target` and the
// images it needs, taken from `imageDir` or else the program's resources, into a folder named
// after the target ("page_files" for "page.htm"), with the page's references rewritten to it.
// False with the reason in `error` when something cannot be written; the target is then as it
// was.
bool SaveReportPage(const QByteArray& html, const QString& imageDir, const QString& target, QString* error);

class frmWebBrowser : public QWidget, public ReportPreviewTarget {
    Q_OBJECT

public:
    explicit frmWebBrowser(QMdiArea* area, QWidget* parent = nullptr);
    ~frmWebBrowser() override;

    // Shows the page file in the preview window and makes it the active child; the first screen
    // is there when this returns, the rest follows in the background. `title` (the disc's or
    // directory's name) names the window and the printed document. False (and a message) when
    // the page cannot be read.
    bool ShowHtml(const QString& pageFile, const QString& title = QString());

    // Print: without a question on the default printer; without one, the print dialog (which
    // offers a PDF file). The pages are then printed in the background with the progress bar
    // and Stop (IsPrinting tells). Save as: asks for a file name and writes the page with its
    // images.
    void Print() override;
    void SaveAs() override;

    // Stops the loading, deletes the page file and hides the window.
    void DropPage();

    bool HasPage() const { return !pageFile_.isEmpty(); }
    bool IsPrinting() const { return printBusy_ != nullptr; }
    bool IsLoading() const { return next_ < lines_.size(); }
    // Appends what is left of the page at once (before printing).
    void FinishLoading();
    QString PageFile() const { return pageFile_; }
    QString Title() const { return title_; }
    QTextBrowser* Browser() const { return browser_; }
    QMdiSubWindow* SubWindow() const { return sub_; }

    // Seams for the desktop's dialogs (tests answer them); empty functions use the real ones.
    std::function<QString()> defaultPrinterName;          // "" when there is no default printer
    std::function<bool(QPrinter& printer)> askPrinter;     // the print dialog; false: cancelled
    std::function<QString(const QString& proposal)> askSaveName;  // "" when cancelled

signals:
    // The whole page has been appended.
    void pageComplete();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AppendSome();
    void AppendLines(qsizetype count);
    void OnSubWindowActivated(QMdiSubWindow* window);

    QMdiArea* area_;
    QPointer<QMdiSubWindow> sub_;
    // The sub-window as the event filter sees it: compared as a plain address, as a sub-window
    // being destroyed still sends events and is no longer one to convert to.
    const QObject* subObject_ = nullptr;
    QTextBrowser* browser_;
    QTimer loader_;
    QString pageFile_;
    QString title_;
    QByteArray html_;        // the page as written, for saving
    QStringList lines_;      // the page's lines; those before next_ are in the document
    qsizetype next_ = 0;
    std::unique_ptr<ReportDocumentBuilder> builder_;
    int ownDialogs_ = 0;     // our own modal dialogs are up: deactivation keeps the page
    QString lastSaveDir_;
    // A print run: its busy state and the pages being printed (declared last: it goes first,
    // waiting for its thread).
    std::unique_ptr<BusyScope> printBusy_;
    std::unique_ptr<PagePrinter> printer_;
};

}  // namespace karvio
