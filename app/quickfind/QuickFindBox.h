// The find box in the main window's toolbar: results appear in a list under it while the user
// types, in the search window's columns, from the in-memory index that a QuickFinder queries on
// its worker thread (each keystroke supersedes the query before, so typing never waits). Enter or
// a double-click shows the hit in the current catalogue view; the list's menu launches a file or
// shows the properties of a hit. The index is read in the background as soon as the main window
// is shown; it follows the program's own changes (the records it writes) without reading the
// whole file again, and other programs' writes to the data file by reading it anew in the
// background while the box answers from the index held. User-interface thread.
#pragma once

#include <QFrame>
#include <QPointer>
#include <memory>

#include "QuickFinder.h"
#include "compare/ListExport.h"
#include "mainwindow/MainWindowTargets.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class QTreeView;

namespace karvio {

class frmMenu;
class SearchResultsModel;

// The list under the box: a count line and the results. A child of the main window laid over
// its work area, so the box keeps the keyboard while it shows; while it shows, File > Export
// writes its rows.
class QuickFindPopup : public QFrame, public ExportableList {
    Q_OBJECT

public:
    explicit QuickFindPopup(QWidget* parent);
    QTreeView* List() const { return list_; }
    QLabel* Status() const { return status_; }
    SearchResultsModel* Results() const { return results_; }

    // The rows the list shows, in their order, as the search window's results are written.
    std::vector<std::string> ExportColumns() const override;
    void WriteExportRows(ListWriter& writer) const override;
    QString ExportName() const override;

    // Until the user sizes a column by hand, the name, CD and path columns give up room (down to
    // a third of theirs) so that the date and the size show without scrolling.
    void FitColumns();

private:
    QLabel* status_;
    QTreeView* list_;
    SearchResultsModel* results_;
    bool fitting_ = false;    // the widths being changed are the program's own
    bool userSized_ = false;  // the user has sized a column
};

class QuickFindBox : public QWidget {
    Q_OBJECT

public:
    // Rows the list shows at most; the count line tells how many more there are.
    static constexpr int kShownRows = 1000;

    // Adds the box to the main window's toolbar with its keys: Ctrl+K, and Ctrl+F while the
    // search window `searchWindow` (may be null) is not up.
    static QuickFindBox* Install(frmMenu& menu, QWidget* searchWindow);

    QuickFindBox(QWidget* popupParent, QWidget* parent = nullptr);
    ~QuickFindBox() override;

    QLineEdit* Edit() const { return edit_; }
    QComboBox* Mode() const { return mode_; }
    QuickFindPopup* Popup() const { return popup_; }
    // Gives the box the keyboard with its text selected.
    void Activate();
    // Shows the list's row in the current catalogue view; false when it is gone or stale.
    bool RevealRow(int row);
    void LaunchRow(int row);
    void PropertiesRow(int row);
    // The generation of the answer shown last, and whether it is complete (for tests).
    uint64_t ShownGeneration() const { return shownGeneration_; }
    bool ShownComplete() const { return shownComplete_; }
    QuickFinder& Finder() { return *finder_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnEdited();
    // The catalogue changed: this program's writes update the index; another program's change
    // has it read anew in the background.
    void FollowChanges();
    void OnAnswer(const QuickAnswer& answer);
    void ShowPopup();
    void PlacePopup();
    // The box's bar on the toolbar's row when both fit the window's width, else on a row below.
    void PlaceBar();
    void MoveCurrent(int delta);
    void OnListMenu(const QPoint& at);
    bool CheckRow(int row, RecordRef* record) const;

    QLineEdit* edit_;
    QComboBox* mode_;
    QToolBar* bar_ = nullptr;  // the box's own bar
    QToolBar* toolbar_ =
        nullptr;  // the main window's toolbar, whose row it shares when there is room
    QuickFindPopup* popup_;
    QMenu* listMenu_;
    QPointer<QWidget> searchWindow_;  // whose shortcut Ctrl+F is while it is up
    std::unique_ptr<QuickFinder> finder_;
    std::shared_ptr<const QuickIndex> shownIndex_;
    uint64_t shownGeneration_ = 0;
    bool shownComplete_ = false;
};

}  // namespace karvio
