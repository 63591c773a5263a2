// The comparison window (Tools > Compare): a first disc against a second disc, or against a
// folder as it is now, shown as what is only in the first, only in the second, changed (size,
// date, kind, or recorded content hash) and the same, each a tab with its count and its list.
// A child of the main window, made once and kept like the duplicates window. The catalogue is
// read and the folder walked on a worker over its own store object, with Stop. User-interface
// thread.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "CatalogueListing.h"
#include "TreeComparison.h"
#include "compare/ListExport.h"

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeView;

namespace karvio {

class BackgroundWork;
class BusyScope;
class CompareRowsModel;
class ctlFolderBrowser;
class frmMenu;

// What one comparison found.
struct CompareAnswer {
    ListedCd first, second;    // the second's listing is the folder's when it is one
    std::string secondFolder;  // the folder compared against, empty for a disc
    TreeComparison result;
    std::vector<std::string> problems;  // what the folder's walk could not read
    bool ioError = false;
    bool cdGone = false;
    std::string failure;  // why the catalogue could not be read
};

class frmCompare : public QWidget, public ExportableList {
    Q_OBJECT

public:
    explicit frmCompare(QWidget* parent = nullptr);
    ~frmCompare() override;

    // Makes the window and installs it on `menu` as its comparison window.
    static frmCompare* Install(frmMenu& menu);

    // Fills the two disc lists from the catalogue, keeping the chosen discs where they remain.
    void FillDiscs();
    // Starts the comparison (returns at once; IsComparing() tells when it ends).
    void btnCompare_Click();
    void btnStop_Click();
    // Stops and sends the window behind the other child windows.
    void btnClose_Click();

    bool IsComparing() const { return comparing_; }
    // The last comparison's answer (empty before one ended).
    const CompareAnswer& Answer() const { return *answer_; }

    QComboBox* FirstDisc() const { return cboFirst_; }
    QComboBox* SecondDisc() const { return cboSecond_; }
    QRadioButton* AgainstDisc() const { return optDisc_; }
    QRadioButton* AgainstFolder() const { return optFolder_; }
    ctlFolderBrowser* Folder() const { return folder_; }
    QPushButton* CompareButton() const { return btnCompare_; }
    QPushButton* StopButton() const { return btnStop_; }
    QTabWidget* Tabs() const { return tabs_; }
    QTreeView* List(Difference difference) const { return lists_[static_cast<int>(difference)]; }
    QLabel* Summary() const { return lblSummary_; }

    // The list File > Export writes.
    std::vector<std::string> ExportColumns() const override;
    void WriteExportRows(ListWriter& writer) const override;
    QString ExportName() const override;

    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void EnableInputs(bool enable);
    void OnCompared();
    void ShowCounts(const TreeComparison& counts);
    void ShowAnswer(bool stopped);
    void Forget();

    QComboBox* cboFirst_ = nullptr;
    QComboBox* cboSecond_ = nullptr;
    QRadioButton* optDisc_ = nullptr;
    QRadioButton* optFolder_ = nullptr;
    ctlFolderBrowser* folder_ = nullptr;
    QPushButton* btnCompare_ = nullptr;
    QPushButton* btnStop_ = nullptr;
    QPushButton* btnClose_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QTreeView* lists_[4] = {};
    CompareRowsModel* models_[4] = {};
    QLabel* lblSummary_ = nullptr;

    std::unique_ptr<BusyScope> busy_;
    std::unique_ptr<BackgroundWork> work_;
    std::shared_ptr<CompareAnswer> found_;
    std::shared_ptr<const CompareAnswer> answer_;
    bool comparing_ = false;
    bool stale_ = false;  // the catalogue changed while the worker read it
};

}  // namespace karvio
