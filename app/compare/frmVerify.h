// The verification window (CD > Verify): reads a disc again against its catalogue, on a worker
// with its progress and Stop in the window, and lists what is missing, new, changed, no longer
// readable and, where the catalogue holds content hashes, what holds other contents now. The
// disc is read where its volume is mounted (found through its recorded identity), or in a folder
// the user chooses. Nothing in the catalogue changes. One window per verification, closed by the
// user; user-interface thread.
#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "DiscVerify.h"
#include "compare/ListExport.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeView;

namespace karvio {

class BackgroundWork;
class frmMenu;
class VerifyFindingsModel;

class frmVerify : public QWidget, public ExportableList {
    Q_OBJECT

public:
    explicit frmVerify(QWidget* parent = nullptr);
    ~frmVerify() override;

    // Installs the verification command on `menu`.
    static void Install(frmMenu& menu);
    // Finds where CD `cdId` is mounted (asking for its folder when it is not), then shows a new
    // window on `menu` that verifies it. Nullptr when the user cancelled or the CD is gone.
    static frmVerify* Open(frmMenu& menu, int32_t cdId);

    // Starts reading CD `cdId` at `folder` (returns at once; IsVerifying() tells when it ends).
    void Start(int32_t cdId, const std::string& folder);
    void btnStop_Click();

    bool IsVerifying() const { return work_ != nullptr; }
    // What the last verification found (empty before its end).
    const VerifyReport& Report() const { return report_; }
    // The catalogue name of the CD verified.
    const std::string& CdName() const { return cdName_; }

    QTreeView* Results() const { return tree_; }
    QLabel* Summary() const { return lblSummary_; }
    QLabel* Current() const { return lblCurrent_; }
    QProgressBar* Progress() const { return progress_; }
    QPushButton* StopButton() const { return btnStop_; }
    QPushButton* CloseButton() const { return btnClose_; }

    // What the worker shares with the window.
    struct Job;

    // The list File > Export writes.
    std::vector<std::string> ExportColumns() const override;
    void WriteExportRows(ListWriter& writer) const override;
    QString ExportName() const override;

    QSize sizeHint() const override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowProgress();
    void OnVerified();
    void ShowSummary(const std::string& failure, const std::string& hashNote, size_t hashes);

    QLabel* lblFolder_ = nullptr;
    QLabel* lblCurrent_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* btnStop_ = nullptr;
    QPushButton* btnClose_ = nullptr;
    QTreeView* tree_ = nullptr;
    VerifyFindingsModel* model_ = nullptr;
    QLabel* lblSummary_ = nullptr;
    QTimer* timer_ = nullptr;

    std::shared_ptr<Job> job_;
    std::unique_ptr<BackgroundWork> work_;
    VerifyReport report_;
    std::string cdName_;
};

}  // namespace karvio
