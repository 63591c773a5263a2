#include "report/frmPreviewOptions.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "startup/Settings.h"

namespace karvio {

namespace {

constexpr const char* kSection = "Preview";

// Captions in the order of kReportOptionFields; the access keys do not change the texts shown.
constexpr std::array<const char*, 9> kCaptions = {
    "Show Directory &Size", "Show Directory &Update Date", "Show Directory &Attributes",
    "Show Directory &Notes", "Show &Files",                "Show File S&izes",
    "Show File Up&date Dates", "Show File A&ttributes",    "Show File N&otes",
};
constexpr int kDirFilesIndex = 4;

QString Plain(const char* caption) { return QString::fromUtf8(caption).remove('&'); }

}  // namespace

ReportOptions LoadReportOptions() {
    ReportOptions options;
    for (const ReportOptionField& field : kReportOptionFields) {
        const QString text =
            GetSetting(kSection, field.settingName, field.defaultValue ? "1" : "0").trimmed();
        bool ok = false;
        const int value = text.toInt(&ok);
        // A damaged value falls back to the default instead of switching the option off.
        options.*field.member = ok ? value != 0 : field.defaultValue;
    }
    return options;
}

void SaveReportOptions(const ReportOptions& options) {
    for (const ReportOptionField& field : kReportOptionFields) {
        SaveSetting(kSection, field.settingName, options.*field.member ? "1" : "0");
    }
}

frmPreviewOptions::frmPreviewOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPreviewOptions"));
    setWindowTitle(QStringLiteral("Preview Options"));

    auto* directories = new QGroupBox(QStringLiteral("Directories"), this);
    auto* files = new QGroupBox(QStringLiteral("Files"), this);
    auto* dirLayout = new QVBoxLayout(directories);
    auto* fileLayout = new QVBoxLayout(files);
    for (size_t i = 0; i < boxes_.size(); ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(kCaptions[i]), this);
        box->setObjectName(QString::fromUtf8(kReportOptionFields[i].settingName));
        box->setAccessibleName(Plain(kCaptions[i]));
        (i < kDirFilesIndex ? dirLayout : fileLayout)->addWidget(box);
        boxes_[i] = box;
    }
    dirLayout->addStretch();

    auto* start = new QGroupBox(QStringLiteral("Start"), this);
    auto* startLayout = new QVBoxLayout(start);
    optStartFrom_[0] = new QRadioButton(QStringLiteral("Start From &Root"), start);
    optStartFrom_[1] = new QRadioButton(QStringLiteral("Start From Selected &Directory"), start);
    optStartFrom_[0]->setObjectName(QStringLiteral("optStartFrom0"));
    optStartFrom_[1]->setObjectName(QStringLiteral("optStartFrom1"));
    optStartFrom_[0]->setAccessibleName(QStringLiteral("Start From Root"));
    optStartFrom_[1]->setAccessibleName(QStringLiteral("Start From Selected Directory"));
    startLayout->addWidget(optStartFrom_[0]);
    startLayout->addWidget(optStartFrom_[1]);

    auto* buttons = new QDialogButtonBox(this);
    btnOk_ = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    btnCancel_ = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    btnOk_->setObjectName(QStringLiteral("btnOk"));
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    btnOk_->setAccessibleName(QStringLiteral("OK"));
    btnCancel_->setAccessibleName(QStringLiteral("Cancel"));
    btnOk_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(directories, 0, 0);
    grid->addWidget(files, 0, 1);
    grid->addWidget(start, 1, 0, 1, 2);
    grid->addWidget(buttons, 2, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    const ReportOptions options = LoadReportOptions();
    for (size_t i = 0; i < boxes_.size(); ++i) boxes_[i]->setChecked(options.*kReportOptionFields[i].member);
    connect(boxes_[kDirFilesIndex], &QCheckBox::toggled, this, &frmPreviewOptions::UpdateFileOptions);
    UpdateFileOptions();
}

void frmPreviewOptions::UpdateFileOptions() {
    const bool files = boxes_[kDirFilesIndex]->isChecked();
    for (size_t i = kDirFilesIndex + 1; i < boxes_.size(); ++i) boxes_[i]->setEnabled(files);
}

ReportOptions frmPreviewOptions::CurrentOptions() const {
    ReportOptions options;
    for (size_t i = 0; i < boxes_.size(); ++i) options.*kReportOptionFields[i].member = boxes_[i]->isChecked();
    return options;
}

QCheckBox* frmPreviewOptions::CheckBox(const char* settingName) const {
    for (QCheckBox* box : boxes_) {
        if (box->objectName() == QLatin1String(settingName)) return box;
    }
    return nullptr;
}

std::optional<PreviewChoice> frmPreviewOptions::AskPreviewOptions(int startIndex) {
    const bool selectable = startIndex >= 0;
    startIndex_ = selectable ? startIndex : 1;
    optStartFrom_[1]->setEnabled(selectable);
    optStartFrom_[selectable ? 1 : 0]->setChecked(true);
    if (exec() != QDialog::Accepted) return std::nullopt;

    PreviewChoice choice;
    choice.options = CurrentOptions();
    SaveReportOptions(choice.options);
    choice.fromSelected = selectable && optStartFrom_[1]->isChecked();
    choice.startIndex = startIndex_;
    return choice;
}

}  // namespace karvio
