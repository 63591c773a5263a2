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
    QT_TRANSLATE_NOOP("karvio::frmPreviewOptions", "Show Directory &Size"),
    QT_TRANSLATE_NOOP("karvio::frmPreviewOptions", "Show Directory &Update Date"),
    QT_TRANSLATE_NOOP("karvio::frmPreviewOptions", "Show Directory &Attributes"),
    QT_TRANSLATE_NOOP("karvio::frmPreviewOptions", "Show Directory &Notes"),
    QT_TRANSLATE_NOOP("karvio::frmPreviewOptions", "Show &Files"),
    QT_TRANSLATE_NOOP("karvio::frmPreviewOptions", "Show File S&izes"),
    QT_TRANSLATE_NOOP("karvio::frmPreviewOptions", "Show File Up&date Dates"),
    QT_TRANSLATE_NOOP("karvio::frmPreviewOptions", "Show File A&ttributes"),
    QT_TRANSLATE_NOOP("karvio::frmPreviewOptions", "Show File N&otes"),
};
constexpr int kDirFilesIndex = 4;

QString Plain(const QString& caption) {
    return QString(caption).remove('&');
}

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
    setWindowTitle(tr("Preview Options"));

    auto* directories = new QGroupBox(tr("Directories"), this);
    auto* files = new QGroupBox(tr("Files"), this);
    auto* dirLayout = new QVBoxLayout(directories);
    auto* fileLayout = new QVBoxLayout(files);
    for (size_t i = 0; i < boxes_.size(); ++i) {
        auto* box = new QCheckBox(tr(kCaptions[i]), this);
        box->setObjectName(QString::fromUtf8(kReportOptionFields[i].settingName));
        box->setAccessibleName(Plain(tr(kCaptions[i])));
        (i < kDirFilesIndex ? dirLayout : fileLayout)->addWidget(box);
        boxes_[i] = box;
    }
    dirLayout->addStretch();

    auto* start = new QGroupBox(tr("Start"), this);
    auto* startLayout = new QVBoxLayout(start);
    optStartFrom_[0] = new QRadioButton(tr("Start From &Root"), start);
    optStartFrom_[1] = new QRadioButton(tr("Start From Selected &Directory"), start);
    optStartFrom_[0]->setObjectName(QStringLiteral("optStartFrom0"));
    optStartFrom_[1]->setObjectName(QStringLiteral("optStartFrom1"));
    optStartFrom_[0]->setAccessibleName(tr("Start From Root"));
    optStartFrom_[1]->setAccessibleName(tr("Start From Selected Directory"));
    startLayout->addWidget(optStartFrom_[0]);
    startLayout->addWidget(optStartFrom_[1]);

    auto* buttons = new QDialogButtonBox(this);
    btnOk_ = buttons->addButton(tr("&OK"), QDialogButtonBox::AcceptRole);
    btnCancel_ = buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    btnOk_->setObjectName(QStringLiteral("btnOk"));
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    btnOk_->setAccessibleName(tr("OK"));
    btnCancel_->setAccessibleName(tr("Cancel"));
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
