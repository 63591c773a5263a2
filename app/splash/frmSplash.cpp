#include "splash/frmSplash.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

#include "ProgramInfo.h"
#include "mainwindow/ToolbarIcons.h"

namespace karvio {

namespace {

QPointer<QWidget>& Splash() {
    static QPointer<QWidget> splash;
    return splash;
}

QWidget* BuildSplash() {
    auto* frame = new QFrame(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint);
    frame->setObjectName(QStringLiteral("frmSplash"));
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setFrameShape(QFrame::Box);
    frame->setStyleSheet(
        QStringLiteral("QFrame#frmSplash { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
                       "stop:0 #fdfdfb, stop:1 #dfe8f3); border: 1px solid #7d8ea6; }"));

    auto* icon = new QLabel(frame);
    icon->setPixmap(ApplicationIcon().pixmap(96, 96));
    icon->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel(QStringLiteral("Karvio"), frame);
    QFont nameFont(QStringLiteral("Arial"), 26, QFont::Bold);
    name->setFont(nameFont);
    name->setStyleSheet(QStringLiteral("color: #1d3557;"));
    name->setAlignment(Qt::AlignCenter);
    auto* line = new QLabel(
        QCoreApplication::translate("frmSplash", "Catalogue of your CDs, DVDs, drives and folders"),
        frame);
    line->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(
        QCoreApplication::translate("frmSplash", "Version %1").arg(QLatin1String(kVersionText)),
        frame);
    version->setAlignment(Qt::AlignCenter);
    version->setStyleSheet(QStringLiteral("color: #4a5568;"));

    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(36, 28, 36, 28);
    layout->addWidget(icon);
    layout->addWidget(name);
    layout->addWidget(line);
    layout->addSpacing(8);
    layout->addWidget(version);
    frame->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        frame->move(screen->availableGeometry().center() - frame->rect().center());
    }
    return frame;
}

}  // namespace

void ShowSplash() {
    if (!Splash()) Splash() = BuildSplash();
    Splash()->show();
    Splash()->raise();
    QApplication::processEvents();
}

void CloseSplash() {
    if (Splash()) Splash()->close();
    Splash() = nullptr;
}

bool IsSplashShown() {
    return Splash() && Splash()->isVisible();
}

}  // namespace karvio
