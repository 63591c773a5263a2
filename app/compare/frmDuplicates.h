// The duplicates window (Tools > Duplicates): which files the catalogue holds more than once, by
// name and size or by recorded content hash, as groups that open to every copy's disc, category
// and path, with the space they take; or the opposite, the files on one disc only (what is not
// backed up twice). A child of the main window, made once and kept like the search window. The
// grouping runs on a worker over its own store object, with Stop in the status bar; a row opens
// the file's place in the catalogue view, or its properties. User-interface thread.
#pragma once

#include <QWidget>
#include <atomic>
#include <memory>

#include "compare/DuplicatesModel.h"
#include "compare/ListExport.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QSpinBox;
class QTreeView;

namespace karvio {

class BackgroundWork;
class BusyScope;
class frmMenu;

class frmDuplicates : public QWidget, public ExportableList {
    Q_OBJECT

public:
    explicit frmDuplicates(QWidget* parent = nullptr);
    ~frmDuplicates() override;

    // Makes the window and installs it on `menu` as its duplicates window.
    static frmDuplicates* Install(frmMenu& menu);

    // Find: starts the grouping over every CD (returns at once; IsFinding() tells when it ends).
    void btnFind_Click();
    void btnStop_Click();
    // Stops and sends the window behind the other child windows.
    void btnClose_Click();

    // Reveals the file of a row in the current catalogue view; False when the row no longer
    // names the record it was found as (the user has then been told).
    bool RevealRow(const QModelIndex& index);
    void PropertiesRow(const QModelIndex& index);

    bool IsFinding() const { return finding_; }
    QComboBox* MatchBy() const { return cboMatch_; }
    QSpinBox* MinimumSize() const { return spnMinSize_; }
    QCheckBox* SingleCopies() const { return chkSingle_; }
    QPushButton* FindButton() const { return btnFind_; }
    QPushButton* StopButton() const { return btnStop_; }
    QTreeView* Results() const { return tree_; }
    DuplicatesModel* Model() const { return model_; }
    QLabel* Summary() const { return lblSummary_; }
    QMenu* RowMenu() const { return rowMenu_; }

    // The list File > Export writes.
    std::vector<std::string> ExportColumns() const override;
    void WriteExportRows(ListWriter& writer) const override;
    QString ExportName() const override;

    QSize sizeHint() const override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void EnableInputs(bool enable);
    void OnFound();
    void ShowSummary(bool stopped);
    void OnRowMenu(const QPoint& at);
    void OnHeaderClicked(int column);
    // Checks that the row's file is still the record it was found as.
    bool CheckRow(const QModelIndex& index) const;

    QComboBox* cboMatch_ = nullptr;
    QSpinBox* spnMinSize_ = nullptr;
    QCheckBox* chkSingle_ = nullptr;
    QPushButton* btnFind_ = nullptr;
    QPushButton* btnStop_ = nullptr;
    QPushButton* btnClose_ = nullptr;
    QTreeView* tree_ = nullptr;
    DuplicatesModel* model_ = nullptr;
    QLabel* lblSummary_ = nullptr;
    QMenu* rowMenu_ = nullptr;

    std::unique_ptr<BusyScope> busy_;
    std::unique_ptr<BackgroundWork> work_;
    std::shared_ptr<DuplicatesAnswer> found_;
    bool finding_ = false;
    bool stale_ = false;  // the catalogue changed while the worker read it
};

}  // namespace karvio
