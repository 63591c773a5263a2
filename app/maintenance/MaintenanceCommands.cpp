#include "maintenance/MaintenanceCommands.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <memory>

#include "CatalogueCopy.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "maintenance/frmAnimation2.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/frmMenu.h"

namespace karvio {

namespace {

BackupTargetChooser& Chooser() {
    static BackupTargetChooser chooser;
    return chooser;
}

QString AskBackupTarget(QWidget* parent, const QString& startDir) {
    if (const BackupTargetChooser& chooser = Chooser()) return chooser(parent, startDir);
    QFileDialog dialog(parent, QStringLiteral("Backup"), startDir, QStringLiteral("Karvio Data File (*.cd)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("cd"));
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

// The progress window and the waiting pointer, from the copy's first callback to the end of the
// command: compaction asks its question first, and nothing is shown for a declined one.
class ProgressWindow {
public:
    explicit ProgressWindow(frmMenu& menu) : menu_(menu) {}
    ~ProgressWindow() {
        if (window_) {
            window_->hide();
            QApplication::restoreOverrideCursor();
        }
    }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    CopyCallbacks Callbacks() {
        CopyCallbacks callbacks;
        callbacks.showLabel = [this](const std::string& label) { Window().showLabel(label); };
        callbacks.cancelRequested = [this] { return Window().cancelRequested(); };
        return callbacks;
    }

private:
    const CopyCallbacks& Window() {
        if (!window_) {
            window_ = std::make_unique<frmAnimation2>(&menu_);
            relay_ = window_->Callbacks();
            window_->show();
            QApplication::setOverrideCursor(Qt::WaitCursor);
            QCoreApplication::processEvents();
        }
        return relay_;
    }

    frmMenu& menu_;
    std::unique_ptr<frmAnimation2> window_;
    CopyCallbacks relay_;
};

}  // namespace

BackupTargetChooser SetBackupTargetChooser(BackupTargetChooser chooser) {
    return std::exchange(Chooser(), std::move(chooser));
}

void RunBackupCommand(frmMenu& menu) {
    const QString dataFile = QString::fromStdString(GetDataFileName());
    const QString target = AskBackupTarget(&menu, QFileInfo(dataFile).absolutePath());
    if (target.isEmpty()) return;

    MaintenanceResult result;
    {
        ProgressWindow progress(menu);
        result = BackupDataFile(target.toStdString(), progress.Callbacks());
    }
    if (result.outcome == MaintenanceOutcome::Failed) {
        ShowMessage("The backup could not be written; nothing was changed.\r\n" + result.error, vbOKOnly);
    } else if (result.outcome == MaintenanceOutcome::Done && !result.error.empty()) {
        ShowMessage("The backup was written, but " + result.error, vbOKOnly);
    }
}

void RunCompactCommand(frmMenu& menu) {
    MaintenanceResult result;
    {
        ProgressWindow progress(menu);
        result = CompactDataFiles(progress.Callbacks());
    }
    switch (result.outcome) {
        case MaintenanceOutcome::Done:
            // Every record id changed: the views rebuild, the search window forgets its results.
            emit CatalogueEvents::Instance().catalogueReplaced();
            if (!result.error.empty()) ShowMessage("The data file was compacted, but " + result.error, vbOKOnly);
            break;
        case MaintenanceOutcome::Failed:
            ShowMessage("The data file could not be compacted; it is unchanged.\r\n" + result.error, vbOKOnly);
            break;
        default:
            break;
    }
}

}  // namespace karvio
