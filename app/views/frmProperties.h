// The modal "Properties" window of one catalogued item (a CD, a scanned folder, a directory or a
// file): its stored name, size, date, attributes and counts, and its notes, which the user may
// edit. User-interface thread.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <string>

#include "CatalogueEdits.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace karvio {

class frmProperties : public QDialog {
    Q_OBJECT

public:
    // Shows the item of kind `kind` (2 CD, 3 scanned folder, 4 directory, 5 file) and record id
    // `id` modally; True when the notes were saved. Another kind shows an empty window. A view
    // gives the item's name as it shows it (`shownName`): when another program has put another
    // record at the id, that is said, the views reload, and no window opens.
    static bool ShowProperties(int kind, int32_t id, QWidget* parent = nullptr, const std::string& shownName = {});

    explicit frmProperties(int kind, int32_t id, QWidget* parent = nullptr);

    QLabel* lblFileName() const { return lblFileName_; }
    QLabel* lblSize() const { return lblSize_; }
    QLabel* lblTime() const { return lblTime_; }
    QLabel* lblAttr() const { return lblAttr_; }
    QLabel* lblCount() const { return lblCount_; }
    // A CD's volume identity (hidden for directories and files).
    QLabel* lblVolume() const { return lblVolume_; }
    QLabel* lblPath() const { return lblPath_; }
    QLabel* lblDisc() const { return lblDisc_; }
    // A file's details (media fields, archive figures) and its thumbnail; hidden when it has none.
    QLabel* lblDetails() const { return lblDetails_; }
    QLabel* lblThumbnail() const { return lblThumbnail_; }
    QPlainTextEdit* fldNotes() const { return fldNotes_; }
    QPushButton* btnOK() const { return btnOK_; }
    bool Changed() const { return changed_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void Fill();
    // Writes changed notes once; closing in any way runs it.
    void Save();

    int kind_;
    int32_t id_;
    HeldRecord shown_;  // the record as the window read it
    bool changed_ = false;
    bool saved_ = false;
    bool storedCrLf_ = false;  // the stored notes break lines with CR LF
    QString loadedNotes_;
    QLabel* lblFileName_;
    QLabel* lblSize_;
    QLabel* lblTime_;
    QLabel* lblAttr_;
    QLabel* lblCount_;
    QLabel* lblVolume_;
    QLabel* lblPath_;
    QLabel* lblDisc_;
    QLabel* lblDetails_;
    QLabel* lblThumbnail_;
    class QFormLayout* form_;
    QPlainTextEdit* fldNotes_;
    QPushButton* btnOK_;
};

// The counts text of a CD or directory: a line on files, a line break (CR LF), a line on
// subdirectories; `what` is "folder" or "directory".
QString CountsText(int32_t files, int32_t subdirs, const QString& what);

}  // namespace karvio
