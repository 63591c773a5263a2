#include "report/PreviewCommand.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include "HtmlReport.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "ReportPages.h"
#include "classData.h"
#include "maintenance/MaintenanceCommands.h"
#include "mainwindow/MenuState.h"
#include "mainwindow/frmMenu.h"
#include "report/frmPreviewOptions.h"
#include "report/frmWebBrowser.h"

namespace karvio {

namespace {

// Puts the commands and the pointer back however the command ends.
class BusyScope {
public:
    explicit BusyScope(frmMenu& menu) : menu_(menu) {
        menu_.SetMenuState(kModeBusy);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyScope() {
        QApplication::restoreOverrideCursor();
        if (!shown_) menu_.SetMenuState(kModeCdShown);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    void Shown() { shown_ = true; }

private:
    frmMenu& menu_;
    bool shown_ = false;
};

void Refuse(const std::string& text) { ShowMessage(text, vbOKOnly); }

}  // namespace

void RunPreviewCommand(frmMenu& menu, frmWebBrowser& preview) {
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

    BusyScope busy(menu);
    const std::string dir = ReportPageDirectory();
    if (!IsDirectoryWritable(dir)) {
        Refuse("The report page cannot be written: the folder " + dir + " cannot be written to.");
        return;
    }
    // The page's images go beside it; a page without them still shows its text.
    ProvideReportImages(dir);
    const std::string page = NextReportPagePath(dir);
    std::string error;
    bool written = false;
    {
        classData data;
        if (!data.IsOpen()) {
            error = DataFileErrorText(data.GetError(), data.GetOpenErrorText());
        } else {
            written = WriteHtmlReport(data, source->tree, start, choice->options, page, &error);
        }
    }
    if (!written) {
        QFile::remove(QString::fromStdString(page));
        Refuse("The report page could not be written.\r\n" + error);
        return;
    }
    if (preview.ShowHtml(QString::fromStdString(page))) busy.Shown();
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
