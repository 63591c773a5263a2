#include "maintenance/frmAnimation2.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMovie>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "CatalogueText.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "controls/FrameAnimation.h"

namespace karvio {

namespace {

// The record count is redrawn at most this often; a label per record would cost more than the copy.
constexpr int kCountRefreshMs = 100;
constexpr int kFrameIntervalMs = 90;
constexpr int kFrameCount = 12;

}  // namespace

// The picture shown when the animation file is missing: the records of a data file with gaps
// moving one by one into a packed one, drawn in the palette's colours so it suits light and
// dark styles and any scale.
class CompactAnimation : public FrameAnimation {
public:
    explicit CompactAnimation(QWidget* parent) : FrameAnimation(parent, kFrameCount, kFrameIntervalMs) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor line = palette().color(QPalette::WindowText);
        const QColor record = palette().color(QPalette::Highlight);
        const QColor dead = palette().color(QPalette::Mid);
        auto page = [&](const QRectF& r) {
            constexpr qreal kFold = 6;
            QPainterPath path;
            path.moveTo(r.left(), r.top());
            path.lineTo(r.right() - kFold, r.top());
            path.lineTo(r.right(), r.top() + kFold);
            path.lineTo(r.right(), r.bottom());
            path.lineTo(r.left(), r.bottom());
            path.closeSubpath();
            p.setPen(QPen(line, 1));
            p.setBrush(palette().color(QPalette::Base));
            p.drawPath(path);
        };
        const QRectF from(6, 6, 28, 52), to(62, 6, 28, 52);
        page(from);
        page(to);
        // The old file: live records between dead ones, which the copy leaves behind.
        constexpr bool kLive[] = {true, false, true, true, false, false, true};
        constexpr qreal kRow = 4, kGap = 2, kTop = 16;
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 7; ++i) {
            p.setBrush(kLive[i] ? record : dead);
            p.drawRect(QRectF(from.left() + 4, kTop + i * (kRow + kGap), from.width() - 8, kRow));
        }
        // The new file fills from the top without gaps, a record every three frames.
        p.setBrush(record);
        const int packed = Frame() / 3;
        for (int i = 0; i < packed; ++i) {
            p.drawRect(QRectF(to.left() + 4, kTop + i * (kRow + 1), to.width() - 8, kRow));
        }
        // The record on its way across.
        const qreal t = (Frame() % 3 + 1) / 4.0;
        p.drawRect(QRectF(from.right() - 6 + t * (to.left() - from.right()), 30, 12, kRow));
    }

};

frmAnimation2::frmAnimation2(QWidget* parent, CopyJob job)
    : QDialog(parent),
      animation1_(new QLabel(this)),
      lblCD_(new QLabel(this)),
      lblFiles_(new QLabel(this)),
      btnCancel_(new QPushButton(tr("&Cancel"), this)),
      job_(job) {
    setObjectName(QStringLiteral("frmAnimation2"));
    setWindowTitle(job_ == CopyJob::kBackup ? tr("Backing Up Data Files")
                                            : tr("Compacting Data Files"));
    setWindowModality(Qt::ApplicationModal);
    animation1_->setObjectName(QStringLiteral("Animation1"));
    animation1_->setAccessibleName(tr("Animation"));
    animation1_->setAlignment(Qt::AlignCenter);
    animation1_->setMinimumSize(96, 64);
    lblCD_->setObjectName(QStringLiteral("lblCD"));
    lblFiles_->setObjectName(QStringLiteral("lblFiles"));
    lblCD_->setAccessibleDescription(tr("The CD being copied"));
    lblFiles_->setAccessibleDescription(tr("Records copied"));
    lblCD_->setTextFormat(Qt::PlainText);
    lblCD_->setMinimumWidth(360);
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    btnCancel_->setAccessibleName(tr("Cancel"));
    connect(btnCancel_, &QPushButton::clicked, this, &frmAnimation2::AskCancel);

    // The window works without its animation when the file is missing or unreadable.
    const QString file = QString::fromStdString(FindResource("images/FileNuke.gif"));
    if (QFile::exists(file)) {
        movie_ = new QMovie(file, QByteArray(), this);
        if (movie_->isValid()) {
            animation1_->setMovie(movie_);
            movie_->start();
        } else {
            delete movie_;
            movie_ = nullptr;
        }
    }
    if (!movie_) {
        painted_ = new CompactAnimation(this);
        painted_->setObjectName(QStringLiteral("PaintedAnimation"));
        animation1_->hide();
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel_);
    auto* layout = new QVBoxLayout(this);
    if (painted_) {
        layout->addWidget(painted_, 1, Qt::AlignCenter);
    } else {
        layout->addWidget(animation1_, 1);
    }
    layout->addWidget(lblCD_);
    layout->addWidget(lblFiles_);
    layout->addLayout(buttons);
    SetRecordCount(0);
    // The count of records copied is redrawn a few times a second, not once per record.
    countTimer_.setInterval(kCountRefreshMs);
    connect(&countTimer_, &QTimer::timeout, this, [this] { SetRecordCount(records_.load()); });
    countTimer_.start();
}

frmAnimation2::~frmAnimation2() = default;

bool frmAnimation2::IsAnimating() const {
    return (movie_ && movie_->state() == QMovie::Running) || (painted_ && painted_->Running());
}

void frmAnimation2::SetCdLabel(const QString& text) {
    lblCD_->setText(text);
    lblCD_->repaint();
}

void frmAnimation2::SetRecordCount(qint64 records) {
    lblFiles_->setText(tr("Directories and files copied: %1").arg(QLocale().toString(records)));
}

CopyCallbacks frmAnimation2::Callbacks() {
    CopyCallbacks callbacks;
    // The copy may run on a worker: the labels are set on the window's thread, and the count and
    // the flag are atomic.
    callbacks.showLabel = [this](const std::string& label) {
        const QString text = QString::fromStdString(DecodeCatalogueText(label));
        if (QThread::currentThread() == thread()) {
            SetCdLabel(text);
            SetRecordCount(records_);
        } else {
            QMetaObject::invokeMethod(this, [this, text] { SetCdLabel(text); }, Qt::QueuedConnection);
        }
    };
    callbacks.cancelRequested = [this] {
        records_.fetch_add(1, std::memory_order_relaxed);
        return cancelled_.load(std::memory_order_relaxed);
    };
    return callbacks;
}

void frmAnimation2::AskCancel() {
    if (asking_ || cancelled_) return;
    asking_ = true;
    const char* question = job_ == CopyJob::kBackup
                               ? QT_TRANSLATE_NOOP("Messages", "Cancel Data Backup")
                               : QT_TRANSLATE_NOOP("Messages", "Cancel Data Compaction");
    if (ShowMessage(question, vbYesNoCancel) == vbYes) {
        cancelled_ = true;
        emit cancelConfirmed();
    }
    asking_ = false;
}

void frmAnimation2::reject() { AskCancel(); }

}  // namespace karvio
