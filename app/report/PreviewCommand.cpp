#include "report/PreviewCommand.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <memory>

#include "CatalogueText.h"
#include "HtmlReport.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "ReportPages.h"
#include "classData.h"
#include "maintenance/MaintenanceCommands.h"
#include "mainwindow/BusyScope.h"
#include "mainwindow/MenuState.h"
#include "mainwindow/frmMenu.h"
#include "report/frmPreviewOptions.h"
#include "report/frmWebBrowser.h"

namespace karvio {

namespace {

void Refuse(const std::string& text) {
    ShowMessage(text, vbOKOnly);
}

int runsUnderWay = 0;

// One report page being written: on a worker over its own store object, with the progress bar
// and Stop; then shown in the preview. It goes when the page is shown or given up.
class PreviewRun : public QObject {
public:
    PreviewRun(frmMenu& menu, frmWebBrowser& preview, const ReportTree& tree, int start,
               const ReportOptions& options, std::string page)
        : QObject(&menu),
          preview_(preview),
          page_(std::move(page)),
          // The disc's or directory's name titles the page (and what is printed of it).
          title_(QString::fromStdString(DecodeCatalogueText(tree.Node(start).caption))),
          busy_(std::make_unique<BusyScope>(true, kModeCdShown)) {
        ++runsUnderWay;
        const std::atomic<bool>* stop = &busy_->StopFlag();
        work_ = std::make_unique<BackgroundWork>(
            this,
            [this, tree, start, options, stop] {
                classData data;
                if (!data.IsOpen()) {
                    error_ = data.OpenFailureText(data.GetError());
                    return;
                }
                written_ = WriteHtmlReport(data, tree, start, options, page_, &error_, stop);
            },
            [this] { Finish(); }, busy_->WorkerProgress());
    }

private:
    void Finish() {
        work_.reset();
        const bool stopped = busy_->Stopped();
        if (!written_) {
            QFile::remove(QString::fromStdString(page_));
            busy_.reset();
            if (!stopped)
                Refuse(QT_TRANSLATE_NOOP("Messages", "The report page could not be written.") +
                       std::string("\r\n") + error_);
        } else {
            // The preview sets the menus for itself once it shows the page.
            busy_->SetEndMode(-1);
            busy_.reset();
            if (!preview_.ShowHtml(QString::fromStdString(page_), title_))
                SetMenuState(kModeCdShown);
        }
        --runsUnderWay;
        deleteLater();
    }

    frmWebBrowser& preview_;
    std::string page_;
    QString title_;
    std::unique_ptr<BusyScope> busy_;
    std::string error_;
    bool written_ = false;
    std::unique_ptr<BackgroundWork> work_;
};

}  // namespace

bool PreviewUnderWay() {
    return runsUnderWay > 0;
}

namespace {

void StartPreview(frmMenu& menu, frmWebBrowser& preview) {
    if (PreviewUnderWay()) return;
    CatalogueView* view = menu.CurrentCatalogueView();
    if (!view) return;
    const std::optional<PreviewSource> source = view->PreviewStart();
    if (!source) return;  // the view has said why

    std::optional<PreviewChoice> choice;
    {
        frmPreviewOptions dialog(&menu);
        choice = dialog.AskPreviewOptions(source->selectedNode);
    }
    if (!choice) return;
    const int start = choice->fromSelected ? choice->startIndex : source->cdNode;
    if (start < 0 || start >= source->tree.Size()) return;

    const std::string dir = ReportPageDirectory();
    if (!IsDirectoryWritable(dir)) {
        Refuse(QCoreApplication::translate(
                   "PreviewCommand",
                   "The report page cannot be written: the folder %1 cannot be written to.")
                   .arg(QString::fromStdString(dir))
                   .toStdString());
        return;
    }
    // The page's images go beside it; a page without them still shows its text.
    ProvideReportImages(dir);
    new PreviewRun(menu, preview, source->tree, start, choice->options, NextReportPagePath(dir));
}

// Set while the view readies the selection for a preview: a second Preview meanwhile is the same
// request. It lapses by itself when the view drops the wait (the catalogue was rebuilt).
std::weak_ptr<bool> previewWaiting;

}  // namespace

void RunPreviewCommand(frmMenu& menu, frmWebBrowser& preview) {
    if (PreviewUnderWay() || !previewWaiting.expired()) return;
    CatalogueView* view = menu.CurrentCatalogueView();
    if (!view) return;
    auto waiting = std::make_shared<bool>(true);
    previewWaiting = waiting;
    QPointer<frmMenu> alive(&menu);
    QPointer<frmWebBrowser> shown(&preview);
    view->PreparePreview([alive, shown, waiting] {
        previewWaiting.reset();
        if (alive && shown) StartPreview(*alive, *shown);
    });
}

frmWebBrowser* InstallReportAndMaintenance(frmMenu& menu) {
    auto* preview = new frmWebBrowser(menu.MdiArea(), &menu);
    preview->hide();
    menu.SetReportPreview(preview);
    MainCommandTargets targets = menu.CommandTargets();
    targets.preview = [&menu, preview] { RunPreviewCommand(menu, *preview); };
    targets.backup = [&menu] { RunBackupCommand(menu); };
    targets.compact = [&menu] { RunCompactCommand(menu); };
    menu.SetCommandTargets(std::move(targets));
    return preview;
}

}  // namespace karvio
