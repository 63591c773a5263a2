// The report's options dialog "Preview Options": nine check boxes kept in the settings section
// "Preview" and the choice between the CD's own node and the selected directory as the start.
// Modal; it reads the settings when it is made and writes them when the user presses OK.
// User-interface thread.
#pragma once

#include <QDialog>
#include <array>
#include <optional>

#include "HtmlReport.h"

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace karvio {

// What the user chose: the options and whether the page starts at the selected directory.
struct PreviewChoice {
    ReportOptions options;
    bool fromSelected = false;
    int startIndex = 1;  // the node index the caller gave, or 1 for the CD's own node
};

// The options as the settings hold them (section "Preview"), defaults for missing or bad values.
ReportOptions LoadReportOptions();
void SaveReportOptions(const ReportOptions& options);

class frmPreviewOptions : public QDialog {
    Q_OBJECT

public:
    explicit frmPreviewOptions(QWidget* parent = nullptr);

    // Offers "Start From Selected Directory" (and selects it) when `startIndex` is 0 or more;
    // otherwise the start index is 1 and only "Start From Root" can be chosen. Shows the dialog
    // modally; nullopt when the user cancelled.
    std::optional<PreviewChoice> AskPreviewOptions(int startIndex);

    // The options as the boxes show them now.
    ReportOptions CurrentOptions() const;

    QCheckBox* CheckBox(const char* settingName) const;
    QRadioButton* StartFromRoot() const { return optStartFrom_[0]; }
    QRadioButton* StartFromSelected() const { return optStartFrom_[1]; }
    QPushButton* OkButton() const { return btnOk_; }
    QPushButton* CancelButton() const { return btnCancel_; }

private:
    void UpdateFileOptions();

    std::array<QCheckBox*, 9> boxes_{};
    std::array<QRadioButton*, 2> optStartFrom_{};
    QPushButton* btnOk_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    int startIndex_ = 1;
};

}  // namespace karvio
