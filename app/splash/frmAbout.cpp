#include "splash/frmAbout.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QSysInfo>
#include <QUrl>
#include <QVBoxLayout>

#include "ProgramInfo.h"
#include "controls/HyperlinkLabel.h"
#include "mainwindow/ToolbarIcons.h"
#include "startup/ProgramValues.h"
#include "startup/Settings.h"

namespace karvio {

QString SystemInformationText() {
    QStringList lines;
    lines << QStringLiteral("Karvio %1").arg(QLatin1String(kVersionText));
    lines << QStringLiteral("Qt: %1 (built with %2)")
                 .arg(QLatin1String(qVersion()), QLatin1String(QT_VERSION_STR));
    lines << QStringLiteral("Operating system: %1").arg(QSysInfo::prettyProductName());
    lines << QStringLiteral("Kernel: %1 %2").arg(QSysInfo::kernelType(), QSysInfo::kernelVersion());
    lines << QStringLiteral("CPU architecture: %1").arg(QSysInfo::currentCpuArchitecture());
    lines << QStringLiteral("Window system: %1").arg(QGuiApplication::platformName());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        lines << QStringLiteral("Screen: %1 x %2 pixels, %3 dpi")
                     .arg(screen->geometry().width())
                     .arg(screen->geometry().height())
                     .arg(screen->logicalDotsPerInch());
    }
    lines << QStringLiteral("Style: %1").arg(QApplication::style()->name());
    lines
        << QStringLiteral("Program directory: %1").arg(QString::fromStdString(ProgramDirectory()));
    lines << QStringLiteral("Data file: %1").arg(QString::fromStdString(GetDataFileName()));
    lines << QStringLiteral("Settings file: %1").arg(SettingsFilePath());
    return lines.join('\n');
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("About Karvio"));

    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);

    auto* title = new QLabel(QStringLiteral("Karvio"), this);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.8);
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto* version = new QLabel(tr("Version %1").arg(QLatin1String(kVersionText)), this);
    auto* purpose =
        new QLabel(tr("Catalogues CDs, DVDs, USB drives and folders, so every file can be "
                      "found, annotated and opened without the disc at hand."),
                   this);
    purpose->setWordWrap(true);

    auto* guide = new HyperlinkLabel(tr("User guide"), QUrl::fromLocalFile(HelpFilePath), this);
    const QString dataFolder = QFileInfo(QString::fromStdString(GetDataFileName())).absolutePath();
    auto* folder =
        new HyperlinkLabel(tr("Folder of the data file"), QUrl::fromLocalFile(dataFolder), this);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(version);
    text->addSpacing(6);
    text->addWidget(purpose);
    text->addSpacing(6);
    text->addWidget(guide);
    text->addWidget(folder);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
    QPushButton* info = buttons->addButton(tr("&System Info..."), QDialogButtonBox::ActionRole);
    info->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(info, &QPushButton::clicked, this, &frmAbout::ShowSystemInfo);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(10);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

void frmAbout::ShowSystemInfo() {
    QDialog dialog(this);
    dialog.setWindowTitle(tr("System Information"));
    auto* text = new QPlainTextEdit(SystemInformationText(), &dialog);
    text->setReadOnly(true);
    text->setMinimumSize(520, 220);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(buttons);
    dialog.exec();
}

}  // namespace karvio
