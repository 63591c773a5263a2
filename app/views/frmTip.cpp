#include "views/frmTip.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStyle>
#include <QVBoxLayout>

#include "ProgramInfo.h"
#include "startup/Settings.h"
#include "startup/Translations.h"

namespace karvio {

int PickTipIndex(int count, double r) {
    return static_cast<int>(count * r + 1);
}

QString MissingTipsFileText() {
    const QString name = QString::fromLatin1(kTipsFileName);
    return QCoreApplication::translate(
               "frmTip",
               "That the %1 file was not found? \n\nCreate a text file named %1 using "
               "NotePad with 1 tip per line. Then place it in the same directory as the "
               "application. ")
        .arg(name);
}

frmTip::frmTip(QWidget* parent, const QString& tipsFile, std::function<double()> random)
    : QDialog(parent), random_(std::move(random)) {
    setObjectName(QStringLiteral("frmTip"));
    setWindowTitle(tr("Tip of the Day"));
    if (!random_) {
        // A generator of its own, seeded from the clock.
        random_ = [generator = QRandomGenerator(
                       static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()))]() mutable {
            return generator.generateDouble();
        };
    }

    auto* heading = new QLabel(tr("Did you know..."), this);
    QFont headingFont = heading->font();
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.5);
    headingFont.setBold(true);
    heading->setFont(headingFont);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(40, 40));
    icon->setAlignment(Qt::AlignTop);

    lblTipText_ = new QLabel(this);
    lblTipText_->setObjectName(QStringLiteral("lblTipText"));
    lblTipText_->setTextFormat(Qt::PlainText);
    lblTipText_->setWordWrap(true);
    lblTipText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTipText_->setMinimumSize(380, 80);
    lblTipText_->setText(tr("Karvio keeps a catalogue of your discs and folders."));

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setBackgroundRole(QPalette::Base);
    panel->setAutoFillBackground(true);
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->addWidget(icon);
    auto* textColumn = new QVBoxLayout;
    textColumn->addWidget(heading);
    textColumn->addWidget(lblTipText_, 1);
    panelLayout->addLayout(textColumn, 1);

    chkLoadTipsAtStartup_ = new QCheckBox(tr("Show Tips at Startup"), this);
    chkLoadTipsAtStartup_->setObjectName(QStringLiteral("chkLoadTipsAtStartup"));
    cmdNextTip_ = new QPushButton(tr("&Next Tip"), this);
    cmdNextTip_->setObjectName(QStringLiteral("cmdNextTip"));
    cmdOK_ = new QPushButton(tr("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chkLoadTipsAtStartup_);
    buttons->addStretch(1);
    buttons->addWidget(cmdNextTip_);
    buttons->addWidget(cmdOK_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel, 1);
    layout->addLayout(buttons);

    // The box shows the stored choice, so the window never claims a setting it does not have.
    chkLoadTipsAtStartup_->setChecked(ShowsAtStartup());
    connect(chkLoadTipsAtStartup_, &QCheckBox::clicked, this, &frmTip::OnCheckBoxClicked);
    connect(cmdNextTip_, &QPushButton::clicked, this, &frmTip::PickTip);
    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);

    const QString file =
        tipsFile.isEmpty() ? LocalizedResource(QString::fromLatin1(kTipsFileName)) : tipsFile;
    if (!LoadTips(file)) lblTipText_->setText(MissingTipsFileText());
}

bool frmTip::LoadTips(const QString& fileName) {
    QFile file(fileName);
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    // Every line is a tip, empty lines included; the final line break ends the last tip.
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QByteArray& line : lines) {
        if (line.endsWith('\r')) line.chop(1);
        tips_.append(QString::fromUtf8(line));
    }
    PickTip();
    return true;
}

void frmTip::PickTip() {
    currentTip_ = PickTipIndex(static_cast<int>(tips_.size()), random_());
    DisplayCurrentTip();
}

void frmTip::DisplayCurrentTip() {
    if (tips_.isEmpty()) return;
    const int index = std::clamp(currentTip_, 1, static_cast<int>(tips_.size()));
    lblTipText_->setText(tips_.at(index - 1));
}

void frmTip::OnCheckBoxClicked() {
    SaveSetting(settings::kShowTipsAtStartup,
                chkLoadTipsAtStartup_->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

bool frmTip::ShowsAtStartup() {
    return GetSetting(settings::kShowTipsAtStartup).trimmed() != "0";
}

void frmTip::ShowTipOfTheDay(bool fromMenu, QWidget* parent) {
    if (!fromMenu && !ShowsAtStartup()) return;
    frmTip tip(parent);
    tip.exec();
}

}  // namespace karvio
