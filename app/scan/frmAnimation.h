// The scan progress window "Processing Directories !! Please Wait": an animation, a one-line
// progress label (the directory being read and the running counts) and Cancel. It owns the scan
// engine of one scan: SetVars takes what the scan dialog collected, ScanCd shows the window
// modeless, runs the walk on the user-interface thread with the main window disabled but
// painted (events are pumped through the engine's yield hook, by time) and returns the new CD.
// A medium that goes away during the walk stops the scan: nothing is linked, every CD stays.
// User-interface thread.
#pragma once

#include <sys/types.h>

#include <QDialog>
#include <QElapsedTimer>
#include <cstdint>
#include <QString>
#include <string>

#include "ScanEngine.h"

class QLabel;
class QMovie;
class QPushButton;

namespace karvio {

class ScanAnimation;

class frmAnimation : public QDialog, public ScanProgress {
    Q_OBJECT

public:
    explicit frmAnimation(QWidget* parent = nullptr);
    ~frmAnimation() override;

    // What to scan: the CD to rescan (0 a new scan), the folder (with its trailing "/"), the
    // CD's name, notes, volume label and category.
    void SetVars(int32_t cdId, const std::string& path, const std::string& name,
                 const std::string& notes, const std::string& volumeLabel, int32_t categoryId);

    // For a rescan: the CD as the dialog showed it (ScanEngine::SetReplacedCd).
    void SetReplacedCd(const HeldRecord& cd) { engine_.SetReplacedCd(cd); }

    // What the scan reads inside files (ScanOption bits); after SetVars. Without it a rescan
    // reads what the CD was scanned with.
    void SetScanOptions(uint32_t options) { engine_.SetScanOptions(options); }

    // Runs the scan. `newId` receives the id of the CD that now holds it, or 0 when the user
    // stopped it or its medium went away (MediumLost() tells which).
    void ScanCd(int32_t& newId);

    bool IsScanning() const { return engine_.IsScanning(); }
    bool MediumLost() const { return mediumLost_; }
    const ScanCounts& Totals() const { return engine_.Totals(); }
    // Whether the animation plays the shipped picture (false: the painted one).
    bool PlaysAnimationFile() const { return movie_ != nullptr; }

    // How often the walk checks that its medium is still there (milliseconds; tests use 0).
    void SetMediumCheckInterval(int ms) { mediumCheckMs_ = ms; }

    QLabel* Label1() const { return label1_; }
    QPushButton* btnCancel() const { return btnCancel_; }

    void btnCancel_Click();

    // ScanProgress: the label follows the walk, redrawn at most every few tens of milliseconds
    // so that showing progress costs the walk nothing.
    void DirectoryStarted(std::string_view path, const ScanCounts& soFar) override;
    void FileAdded(std::string_view dirPath, std::string_view name, const ScanCounts& soFar) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void reject() override;

private:
    void Place();
    void ShowProgress(std::string_view path, std::string_view name, const ScanCounts& soFar);
    bool MediumStillThere();
    // Tells the user which folders and files the scan could not read.
    void ShowSkipped();

    ScanEngine engine_;
    std::string scanPath_;
    QString volumeRoot_ = QStringLiteral("/");  // with its trailing "/"
    dev_t scanDevice_ = 0;
    bool mediumLost_ = false;
    int mediumCheckMs_ = 500;
    QElapsedTimer sinceLabel_;
    QElapsedTimer sinceMediumCheck_;
    QLabel* label1_;
    QLabel* picture_;
    ScanAnimation* painted_ = nullptr;
    QMovie* movie_ = nullptr;
    QPushButton* btnCancel_;
};

}  // namespace karvio
