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
#include "mainwindow/BusyScope.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/frmMenu.h"
#include "startup/Translations.h"

namespace karvio {

namespace {

BackupTargetChooser& Chooser() {
    static BackupTargetChooser chooser;
    return chooser;
}

QString AskBackupTarget(QWidget* parent, const QString& startDir) {
    if (const BackupTargetChooser& chooser = Chooser()) return chooser(parent, startDir);
    QFileDialog dialog(
        parent, QCoreApplication::translate("MaintenanceCommands", "Backup"), startDir,
        QCoreApplication::translate("MaintenanceCommands", "Karvio Data File (*.cd)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("cd"));
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

using CopyRun = std::function<MaintenanceResult(const CopyCallbacks& callbacks)>;
using CopyEnd = std::function<void(const MaintenanceResult& result)>;

int runsUnderWay = 0;

// One backup or compaction under way: the progress window, the busy state and the copy on a
// worker thread (which opens its own store objects). The window's Cancel stops the copy at its
// next record. When the copy has ended the outcome is told and the run goes.
class MaintenanceRun : public QObject {
public:
    MaintenanceRun(frmMenu& menu, CopyJob job, const CopyRun& copy, CopyEnd end)
        : QObject(&menu), end_(std::move(end)), window_(std::make_unique<frmAnimation2>(&menu, job)),
          busy_(std::make_unique<BusyScope>(false, kModeCdShown)) {
        ++runsUnderWay;
        connect(window_.get(), &frmAnimation2::cancelConfirmed, busy_.get(), &BusyScope::Stop);
        window_->show();
        const CopyCallbacks callbacks = window_->Callbacks();
        work_ = std::make_unique<BackgroundWork>(
            this, [this, copy, callbacks] { result_ = copy(callbacks); }, [this] { Finish(); },
            busy_->WorkerProgress());
    }

private:
    void Finish() {
        work_.reset();
        window_->hide();
        window_.reset();
        busy_.reset();
        --runsUnderWay;
        end_(result_);
        deleteLater();
    }

    CopyEnd end_;
    std::unique_ptr<frmAnimation2> window_;
    std::unique_ptr<BusyScope> busy_;
    MaintenanceResult result_;
    std::unique_ptr<BackgroundWork> work_;
};

// Asks whether to salvage a catalogue whose check found damage, saying what it found, what a
// salvage leaves out and what happens to the damaged file. True on Yes.
bool AskSalvage(const MaintenanceResult& result, const char* refusal, const char* kept) {
    std::string problems = ProblemSummary(result.damage, 3);
    for (size_t at = 0; (at = problems.find('\n', at)) != std::string::npos;) {
        problems.replace(at, 1, "\r\n");
        at += 2;
    }
    const std::string loss = SalvageLossText(result.damage);
    const QString salvage =
        loss.empty()
            ? QCoreApplication::translate("MaintenanceCommands",
                                          "A salvage copies what can be read.")
            : QCoreApplication::translate("MaintenanceCommands",
                                          "A salvage copies what can be read and leaves out %1.")
                  .arg(QString::fromStdString(loss));
    const QString text =
        QCoreApplication::translate("MaintenanceCommands", refusal)
            .arg(QString::fromStdString(result.dataFile)) +
        QStringLiteral("\r\n\r\n") + QString::fromStdString(problems) + QStringLiteral("\r\n") +
        salvage + QLatin1Char(' ') + QCoreApplication::translate("MaintenanceCommands", kept) +
        QStringLiteral("\r\n\r\n") +
        QCoreApplication::translate("MaintenanceCommands", "Salvage what can be read?");
    return ShowMessage(text.toStdString(), vbYesNoCancel) == vbYes;
}

// A backup to `path` (a salvage when `salvage`); a damaged catalogue is offered a salvage.
void StartBackup(frmMenu& menu, const std::string& path, bool salvage) {
    new MaintenanceRun(
        menu, CopyJob::kBackup,
        [path, salvage](const CopyCallbacks& callbacks) { return BackupDataFile(path, callbacks, salvage); },
        [&menu, path](const MaintenanceResult& result) {
            if (result.outcome == MaintenanceOutcome::Damaged) {
                if (AskSalvage(
                        result,
                        QT_TRANSLATE_NOOP(
                            "MaintenanceCommands",
                            "The data file %1 is damaged, so it was not backed up; nothing "
                            "was changed."),
                        QT_TRANSLATE_NOOP(
                            "MaintenanceCommands",
                            "The data file stays as it is; the salvaged copy is written only "
                            "to a new file."))) {
                    StartBackup(menu, path, true);
                }
            } else if (result.outcome == MaintenanceOutcome::Failed) {
                ShowMessage(
                    QT_TRANSLATE_NOOP("Messages",
                                      "The backup could not be written; nothing was changed.") +
                        std::string("\r\n") + result.error,
                    vbOKOnly);
            } else if (result.outcome == MaintenanceOutcome::Done && !result.error.empty()) {
                ShowMessage(QCoreApplication::translate("MaintenanceCommands",
                                                        "The backup was written, but %1")
                                .arg(TranslateMessage(QString::fromStdString(result.error)))
                                .toStdString(),
                            vbOKOnly);
            }
        });
}

// The compaction, its question asked (a salvage when `salvage`); a damaged catalogue is offered
// a salvage.
void StartCompaction(frmMenu& menu, bool salvage) {
    // The copy tells every CD's and category's new id (on the worker); the views find the
    // user's place again through them once it is done.
    auto ids = std::make_shared<CatalogueRenumbering>();
    new MaintenanceRun(
        menu, CopyJob::kCompaction,
        [ids, salvage](const CopyCallbacks& callbacks) {
            CopyCallbacks collecting = callbacks;
            collecting.cdCopied = [ids](int32_t oldId, int32_t newId) { ids->cds[oldId] = newId; };
            collecting.categoryCopied = [ids](int32_t oldId, int32_t newId) { ids->categories[oldId] = newId; };
            return CompactDataFiles(collecting, {}, false, salvage);
        },
        [&menu, ids](const MaintenanceResult& result) {
            switch (result.outcome) {
                case MaintenanceOutcome::Done:
                    // Every record id changed: the views rebuild where the user was, the search
                    // window forgets its results.
                    emit CatalogueEvents::Instance().catalogueReplaced(*ids);
                    if (!result.error.empty())
                        ShowMessage(
                            QCoreApplication::translate("MaintenanceCommands",
                                                        "The data file was compacted, but %1")
                                .arg(TranslateMessage(QString::fromStdString(result.error)))
                                .toStdString(),
                            vbOKOnly);
                    if (result.salvaged) {
                        ShowMessage(
                            QCoreApplication::translate(
                                "MaintenanceCommands",
                                "What could be read was salvaged. The damaged file is kept as %1")
                                .arg(QString::fromStdString(result.bakFile))
                                .toStdString(),
                            vbOKOnly);
                    }
                    break;
                case MaintenanceOutcome::Damaged:
                    if (AskSalvage(result,
                                   QT_TRANSLATE_NOOP(
                                       "MaintenanceCommands",
                                       "The data file %1 is damaged, so it was not compacted; "
                                       "nothing was changed."),
                                   QT_TRANSLATE_NOOP(
                                       "MaintenanceCommands",
                                       "The damaged file is kept beside it under a new dated name, "
                                       "and the .bak copy stays as it is."))) {
                        StartCompaction(menu, true);
                    }
                    break;
                case MaintenanceOutcome::Failed:
                    ShowMessage(
                        QT_TRANSLATE_NOOP(
                            "Messages", "The data file could not be compacted; it is unchanged.") +
                            std::string("\r\n") + result.error,
                        vbOKOnly);
                    break;
                default:
                    break;
            }
        });
}

}  // namespace

BackupTargetChooser SetBackupTargetChooser(BackupTargetChooser chooser) {
    return std::exchange(Chooser(), std::move(chooser));
}

bool MaintenanceUnderWay() { return runsUnderWay > 0; }

void RunBackupCommand(frmMenu& menu) {
    if (MaintenanceUnderWay()) return;
    const QString dataFile = QString::fromStdString(GetDataFileName());
    const QString target = AskBackupTarget(&menu, QFileInfo(dataFile).absolutePath());
    if (target.isEmpty()) return;
    StartBackup(menu, target.toStdString(), false);
}

void RunCompactCommand(frmMenu& menu) {
    if (MaintenanceUnderWay()) return;
    // Asked here, on the windows' thread, before anything is shown.
    if (ShowMessage(kCompactQuestion, vbYesNoCancel) != vbYes) return;
    StartCompaction(menu, false);
}

}  // namespace karvio
