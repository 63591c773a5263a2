// The progress window of compaction ("Compacting Data Files") and of backup ("Backing Up Data
// Files"): the project's animation, the CD being copied, how many records are copied, and
// Cancel, which asks "Cancel Data Compaction" (or "Cancel Data Backup") first. Shown modeless
// but application-modal, so the rest of the program waits while the copy runs on a worker and
// the event loop goes on. User-interface thread; its callbacks may be called from the copy's
// thread.
#pragma once

#include <QDialog>
#include <QTimer>
#include <atomic>

#include "CatalogueCopy.h"

class QLabel;
class QMovie;
class QPushButton;

namespace karvio {

class CompactAnimation;

// What the copy makes: the window and its question say so.
enum class CopyJob { kCompaction, kBackup };

class frmAnimation2 : public QDialog {
    Q_OBJECT

public:
    explicit frmAnimation2(QWidget* parent = nullptr, CopyJob job = CopyJob::kCompaction);
    ~frmAnimation2() override;

    // The public cancel flag, set when the user confirmed Cancel.
    bool Cancelled() const { return cancelled_.load(); }

    // The copy's callbacks: the CD label, and the cancel flag asked after every record (which
    // also counts the records shown in the second label).
    CopyCallbacks Callbacks();

    void SetCdLabel(const QString& text);
    void SetRecordCount(qint64 records);

    QLabel* Animation1() const { return animation1_; }
    QLabel* CdLabel() const { return lblCD_; }
    QLabel* FilesLabel() const { return lblFiles_; }
    QPushButton* CancelButton() const { return btnCancel_; }
    // Whether the animation plays: the shipped picture, or the painted one without it.
    bool IsAnimating() const;
    bool PlaysAnimationFile() const { return movie_ != nullptr; }

public slots:
    // Escape and the close box ask like the Cancel button.
    void reject() override;

signals:
    // The user confirmed Cancel.
    void cancelConfirmed();

private:
    void AskCancel();

    QLabel* animation1_;
    QMovie* movie_ = nullptr;
    CompactAnimation* painted_ = nullptr;
    QLabel* lblCD_;
    QLabel* lblFiles_;
    QPushButton* btnCancel_;
    CopyJob job_;
    std::atomic<bool> cancelled_{false};
    bool asking_ = false;
    std::atomic<qint64> records_{0};
    QTimer countTimer_;
};

}  // namespace karvio
