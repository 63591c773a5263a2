#include "scan/frmAnimation.h"

#include <sys/stat.h>

#include <algorithm>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMovie>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "CatalogueText.h"
#include "Messages.h"
#include "MountTable.h"
#include "PathServices.h"
#include "ProgramInfo.h"
#include "Progress.h"
#include "controls/FrameAnimation.h"
#include "mainwindow/frmMenu.h"

namespace karvio {

namespace {

constexpr int kLabelIntervalMs = 40;
constexpr int kFrameIntervalMs = 90;
constexpr int kFrameCount = 12;
constexpr const char* kAnimationFile = "images/NewFileTree.gif";

bool DeviceOf(const std::string& path, dev_t& device) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    device = st.st_dev;
    return true;
}

}  // namespace

// The picture shown when the animation file is missing: a folder tree growing one branch per
// frame, drawn in the palette's colours so it suits light and dark styles and any scale.
class ScanAnimation : public FrameAnimation {
public:
    explicit ScanAnimation(QWidget* parent) : FrameAnimation(parent, kFrameCount, kFrameIntervalMs) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor line = palette().color(QPalette::WindowText);
        const QColor folder(230, 180, 60);
        auto drawFolder = [&](QPointF at, qreal w) {
            const qreal h = w * 0.7;
            QPainterPath path;
            path.moveTo(at.x(), at.y() + h * 0.2);
            path.lineTo(at.x() + w * 0.4, at.y() + h * 0.2);
            path.lineTo(at.x() + w * 0.5, at.y());
            path.lineTo(at.x() + w, at.y());
            path.lineTo(at.x() + w, at.y() + h);
            path.lineTo(at.x(), at.y() + h);
            path.closeSubpath();
            p.setPen(QPen(folder.darker(150), 1));
            p.setBrush(folder);
            p.drawPath(path);
        };
        drawFolder(QPointF(4, 4), 22);
        p.setPen(QPen(line, 1.5));
        const int branches = 1 + Frame() / 3;
        const qreal x = 14;
        for (int i = 0; i < branches && i < 4; ++i) {
            const qreal y = 28 + i * 9;
            p.drawLine(QPointF(x, 20), QPointF(x, y));
            p.drawLine(QPointF(x, y), QPointF(x + 14, y));
            drawFolder(QPointF(x + 16, y - 5), 12);
        }
        // A document flies from the tree towards the catalogue on the right.
        const qreal t = (Frame() % 3) / 3.0;
        p.setPen(QPen(line, 1));
        p.setBrush(palette().color(QPalette::Base));
        p.drawRect(QRectF(46 + t * 26, 20 + (1 - t) * 10, 8, 10));
        p.setBrush(palette().color(QPalette::Highlight));
        p.drawRoundedRect(QRectF(80, 14, 14, 36), 3, 3);
    }

};

frmAnimation::frmAnimation(QWidget* parent)
    : QDialog(parent ? parent : frmMenu::Instance()), label1_(new QLabel(this)),
      picture_(new QLabel(this)), btnCancel_(new QPushButton(tr("Cancel"), this)) {
    setObjectName(QStringLiteral("frmAnimation"));
    setWindowTitle(tr("Processing Directories !! Please Wait"));
    setModal(false);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);

    const QString file = QString::fromStdString(FindResource(kAnimationFile));
    auto* pictureRow = new QHBoxLayout;
    if (!file.isEmpty() && QFileInfo(file).isFile()) {
        movie_ = new QMovie(file, QByteArray(), this);
        if (movie_->isValid()) {
            picture_->setMovie(movie_);
            movie_->start();
        } else {
            delete movie_;
            movie_ = nullptr;
        }
    }
    if (movie_) {
        pictureRow->addWidget(picture_);
    } else {
        picture_->hide();
        painted_ = new ScanAnimation(this);
        pictureRow->addWidget(painted_);
    }
    pictureRow->addStretch(1);

    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setAccessibleDescription(tr("Progress"));
    label1_->setTextFormat(Qt::PlainText);
    label1_->setMinimumWidth(420);
    label1_->setText(tr("Starting..."));
    // A long path must not widen the window on every directory.
    label1_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    btnCancel_->setAutoDefault(false);
    connect(btnCancel_, &QPushButton::clicked, this, &frmAnimation::btnCancel_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pictureRow);
    layout->addWidget(label1_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnCancel_);
    layout->addLayout(buttons);
    engine_.SetProgress(this);
    resize(460, sizeHint().height());
}

frmAnimation::~frmAnimation() = default;

void frmAnimation::SetVars(int32_t cdId, const std::string& path, const std::string& name,
                           const std::string& notes, const std::string& volumeLabel, int32_t categoryId) {
    scanPath_ = path;
    engine_.SetVars(cdId, path, name, notes, volumeLabel, categoryId);
}

void frmAnimation::ScanCd(int32_t& newId) {
    QWidget* main = frmMenu::Instance();
    mediumLost_ = false;
    scanDevice_ = 0;
    const bool watchMedium = DeviceOf(scanPath_, scanDevice_);
    const QString absolute = QDir::cleanPath(QFileInfo(QString::fromStdString(scanPath_)).absoluteFilePath());
    volumeRoot_ = QString::fromStdString(VolumeRootOf(absolute.toStdString()));
    if (!volumeRoot_.endsWith(QLatin1Char('/'))) volumeRoot_ += QLatin1Char('/');
    sinceLabel_.start();
    sinceMediumCheck_.start();
    if (!watchMedium) sinceMediumCheck_.invalidate();

    show();
    Place();
    QApplication::setOverrideCursor(Qt::BusyCursor);
    // Events run while the walk goes on, at most every few tens of milliseconds (the engine
    // keeps time), so the main window repaints and Cancel answers.
    YieldHook previous = SetYieldHook([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    QCoreApplication::processEvents();
    engine_.ScanCd(newId);
    SetYieldHook(std::move(previous));
    QApplication::restoreOverrideCursor();

    if (main) {
        main->setEnabled(true);
        main->activateWindow();
    }
    hide();
    // A medium taken out after the CD was linked lost nothing: the scan had finished.
    if (mediumLost_ && newId == 0) {
        ShowMessage(QT_TRANSLATE_NOOP("Messages",
                                      "The medium was removed during the scan; the catalogue is as "
                                      "it was before the scan"),
                    vbOKOnly);
    }
    if (newId > 0 && engine_.SkippedCount() > 0) ShowSkipped();
}

void frmAnimation::ShowSkipped() {
    // Said at the end, once: how many places are missing from the CD, and which.
    constexpr size_t kShown = 15;
    const int64_t count = engine_.SkippedCount();
    QString text =
        count == 1
            ? tr("The CD was catalogued, but 1 folder or file could not be read; what it holds "
                 "is missing from the catalogue:")
            : tr("The CD was catalogued, but %1 folders or files could not be read; what they "
                 "hold is missing from the catalogue:")
                  .arg(count);
    text += QStringLiteral("\r\n");
    const std::vector<ScanSkip>& skipped = engine_.Skipped();
    for (size_t i = 0; i < skipped.size() && i < kShown; ++i) {
        text += QStringLiteral("\r\n") +
                QString::fromStdString(DecodeCatalogueText(skipped[i].path)) +
                QStringLiteral(": ") + QString::fromStdString(skipped[i].reason);
    }
    if (count > static_cast<int64_t>(std::min(skipped.size(), kShown))) {
        text += QStringLiteral("\r\n") +
                tr("... and %1 more")
                    .arg(count - static_cast<int64_t>(std::min(skipped.size(), kShown)));
    }
    ShowMessage(text.toStdString(), vbOKOnly);
}

void frmAnimation::btnCancel_Click() {
    if (engine_.IsScanning()) {
        if (engine_.Cancel()) btnCancel_->setEnabled(false);
        return;
    }
    QApplication::restoreOverrideCursor();
    hide();
}

void frmAnimation::reject() {
    // Escape asks as Cancel does; the window is never closed under a running walk.
    btnCancel_Click();
}

void frmAnimation::closeEvent(QCloseEvent* event) {
    if (engine_.IsScanning()) {
        event->ignore();
        if (engine_.Cancel()) btnCancel_->setEnabled(false);
        return;
    }
    QDialog::closeEvent(event);
}

void frmAnimation::DirectoryStarted(std::string_view path, const ScanCounts& soFar) {
    ShowProgress(path, {}, soFar);
}

void frmAnimation::FileAdded(std::string_view dirPath, std::string_view name, const ScanCounts& soFar) {
    ShowProgress(dirPath, name, soFar);
}

void frmAnimation::ShowProgress(std::string_view path, std::string_view name, const ScanCounts& soFar) {
    if (sinceMediumCheck_.isValid() && sinceMediumCheck_.elapsed() >= mediumCheckMs_) {
        sinceMediumCheck_.restart();
        if (!MediumStillThere()) {
            mediumLost_ = true;
            engine_.Stop();
            btnCancel_->setEnabled(false);
        }
    }
    if (sinceLabel_.elapsed() < kLabelIntervalMs) return;
    sinceLabel_.restart();
    // The place as the user knows it: the volume's mount point and the catalogue path below it
    // with the system's separator.
    QString where = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
    where.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (where.startsWith(QLatin1Char('/'))) where.remove(0, 1);
    where.prepend(volumeRoot_);
    if (!name.empty()) {
        if (!where.endsWith(QLatin1Char('/'))) where += QLatin1Char('/');
        where += QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    }
    const QLocale locale;
    const QString counts = tr("%1 directories, %2 files").arg(locale.toString(soFar.directories),
                                                               locale.toString(soFar.files));
    const QString text = counts + QStringLiteral("  ") + where;
    label1_->setText(label1_->fontMetrics().elidedText(text, Qt::ElideMiddle, label1_->width()));
    label1_->repaint();
}

bool frmAnimation::MediumStillThere() {
    dev_t now = 0;
    return DeviceOf(scanPath_, now) && now == scanDevice_;
}

void frmAnimation::Place() {
    QWidget* main = frmMenu::Instance();
    if (!main) return;
    if (isMinimized()) {
        main->showMinimized();
        main->setEnabled(true);
        return;
    }
    main->setEnabled(false);
    // The progress window is a child of the main window but must stay usable.
    setEnabled(true);
    const QRect m = main->frameGeometry();
    move(m.left() + (m.width() - frameGeometry().width()) / 2, m.top() + (m.height() - frameGeometry().height()) / 2);
}

void frmAnimation::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (isVisible()) Place();
}

void frmAnimation::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Place();
}

void frmAnimation::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isVisible()) Place();
}

}  // namespace karvio
