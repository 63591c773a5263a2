// The search window: a child of the main window that finds CDs, directories and files by name,
// path or notes with the engine's search walk and lists every hit. It is made once and kept:
// Close only sends it behind the other child windows, and the Search command (Ctrl+F) brings it
// back with its last results. The walk runs on a worker thread over its own store object and
// hands its hits back in batches, which the list appends a slice at a time, so Stop and the rest
// of the desktop stay live. User-interface thread.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_set>
#include <vector>

#include "CatalogueSearch.h"
#include "compare/ListExport.h"
#include "mainwindow/MainWindowTargets.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTableView;

namespace karvio {

class BackgroundWork;
class BusyScope;
class frmMenu;
class SearchResultsModel;

class frmSearch : public QWidget, public ExportableList {
    Q_OBJECT

public:
    explicit frmSearch(QWidget* parent = nullptr);
    ~frmSearch() override;

    // Makes the window, installs it on `menu` as its search window and gives the Search command
    // its Ctrl+F. The main window's MDI area owns it once it is first shown.
    static frmSearch* Install(frmMenu& menu);

    // The Search button: checks the inputs and starts the walk over the CDs (returns at once;
    // IsSearching() tells when it has ended).
    void btnOK_Click();
    void btnStop_Click();
    // Sets StopRequested and sends the window behind the other child windows.
    void btnCancel_Click();
    void EnableSearchInputs(bool enable);

    // The inputs as a search's criteria.
    SearchCriteria Criteria() const;
    // The CDs a search walks, in the order of the CD panel's list.
    std::vector<int32_t> CdIdsForSearch() const;

    // Reveals a result row in the current catalogue view; False when the row no longer names
    // the record it was found as (the user has then been told).
    bool RevealResult(int row);
    // Opens a file result with its application.
    void LaunchResult(int row);
    void PropertiesResult(int row);

    bool StopRequested() const { return stopRequested_.load(); }
    bool FollowResults() const { return followResults_; }
    bool ResultsHidden() const { return resultsHidden_; }
    bool IsSearching() const { return searching_; }

    QLineEdit* SearchFor() const { return fldSearchFor_; }
    QPushButton* OkButton() const { return btnOK_; }
    QPushButton* StopButton() const { return btnStop_; }
    QPushButton* CloseButton() const { return btnCancel_; }
    QRadioButton* ModeButton(int index) const { return option1_[static_cast<size_t>(index)]; }
    QCheckBox* CdNames() const { return chkCDNames_; }
    QCheckBox* PathNames() const { return chkPathNames_; }
    QCheckBox* FileNames() const { return chkFileNames_; }
    QCheckBox* Comments() const { return chkComments_; }
    QTableView* ResultList() const { return listView1_; }
    SearchResultsModel* Results() const { return results_; }
    QMenu* ResultMenu() const { return resultMenu_; }

    // The results File > Export writes, in the order shown.
    std::vector<std::string> ExportColumns() const override;
    void WriteExportRows(ListWriter& writer) const override;
    QString ExportName() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void OnActivated(bool active);
    void OnHeaderClicked(int column);
    void OnResultMenu(const QPoint& at);
    // Appends the collected hits and, while FollowResults holds, selects the newest.
    void FlushResults();
    // The hits the walk has handed over since the last call go into the list.
    void TakeHits();
    void OnSearchEnded();
    void FinishSearch();
    // "N found" in the main window's status bar, with "(stopped)" for a search cut short.
    void ShowHitCount(bool stopped);
    void OnCatalogueReplaced();
    void OnCdRemoved(int32_t cdId);
    void LoadOptions();
    void SaveOptions();
    // Checks that the row still names what the search found, and fills in a CD's kind.
    bool CheckResult(int row, RecordRef* record) const;
    int CurrentResultRow() const;

    QLabel* label1_ = nullptr;
    QLineEdit* fldSearchFor_ = nullptr;
    QPushButton* btnOK_ = nullptr;
    QPushButton* btnStop_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    QGroupBox* frame1_ = nullptr;
    std::array<QRadioButton*, 3> option1_{};
    QCheckBox* chkCDNames_ = nullptr;
    QCheckBox* chkPathNames_ = nullptr;
    QCheckBox* chkFileNames_ = nullptr;
    QCheckBox* chkComments_ = nullptr;
    QTableView* listView1_ = nullptr;
    SearchResultsModel* results_ = nullptr;
    QMenu* resultMenu_ = nullptr;

    // The hits found on the worker and not yet taken by the window.
    struct HitBatches {
        std::mutex mutex;
        std::deque<SearchHit> waiting;
        bool announced = false;  // a call to take them is queued
        // Adds `hits` (emptied); true when the window must be asked to take them.
        bool Put(std::vector<SearchHit>& hits);
        // Up to `most` of them, oldest first; `more` tells whether others wait.
        std::vector<SearchHit> Take(size_t most, bool* more);
        void Drop();
    };
    std::unique_ptr<BusyScope> busy_;
    std::unique_ptr<BackgroundWork> walk_;
    std::shared_ptr<HitBatches> incoming_;
    std::atomic<bool> stopRequested_{false};
    bool followResults_ = false;
    bool resultsHidden_ = false;
    bool searching_ = false;
    bool replacedDuringSearch_ = false;
    std::unordered_set<int32_t> removedDuringSearch_;
    // Since the last batch went into the list, and what putting it there cost: the list's own
    // upkeep grows with its length, so batches come less often the longer it gets.
    QElapsedTimer sinceFlush_;
    qint64 flushCostNs_ = 0;
    // The options as last stored, so an unchanged set is not written again.
    SearchCriteria savedOptions_;
    bool optionsSaved_ = false;
    QString hitCountText_;  // what the status bar says of the results, empty before a search
    bool hitCountStopped_ = false;  // the search behind hitCountText_ was stopped
};

}  // namespace karvio
