#include "maintenance/frmAnimation2.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMovie>
#include <QPushButton>
#include <QVBoxLayout>

#include "CatalogueText.h"
#include "Messages.h"
#include "ProgramInfo.h"

namespace karvio {

namespace {

// The record count is redrawn at most this often; a label per record would cost more than the copy.
constexpr int kCountRefreshMs = 100;

}  // namespace

frmAnimation2::frmAnimation2(QWidget* parent)
    : QDialog(parent),
      animation1_(new QLabel(this)),
      lblCD_(new QLabel(this)),
      lblFiles_(new QLabel(this)),
      btnCancel_(new QPushButton(QStringLiteral("&Cancel"), this)) {
    setObjectName(QStringLiteral("frmAnimation2"));
    setWindowTitle(QStringLiteral("Compacting Data Files"));
    setWindowModality(Qt::ApplicationModal);
    animation1_->setObjectName(QStringLiteral("Animation1"));
    animation1_->setAccessibleName(QStringLiteral("Animation"));
    animation1_->setAlignment(Qt::AlignCenter);
    animation1_->setMinimumSize(96, 64);
    lblCD_->setObjectName(QStringLiteral("lblCD"));
    lblFiles_->setObjectName(QStringLiteral("lblFiles"));
    lblCD_->setAccessibleName(QStringLiteral("CD"));
    lblFiles_->setAccessibleName(QStringLiteral("Records copied"));
    lblCD_->setTextFormat(Qt::PlainText);
    lblCD_->setMinimumWidth(360);
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    btnCancel_->setAccessibleName(QStringLiteral("Cancel"));
    connect(btnCancel_, &QPushButton::clicked, this, &frmAnimation2::AskCancel);

    // The window works without its animation when the file is missing or unreadable.
    const QString file = QString::fromStdString(FindResource("images/FileNuke.gif"));
    if (QFile::exists(file)) {
        movie_ = new QMovie(file, QByteArray(), this);
        if (movie_->isValid()) {
            animation1_->setMovie(movie_);
            movie_->start();
        }
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(animation1_, 1);
    layout->addWidget(lblCD_);
    layout->addWidget(lblFiles_);
    layout->addLayout(buttons);
    SetRecordCount(0);
    sinceLabel_.start();
}

bool frmAnimation2::IsAnimating() const { return movie_ && movie_->state() == QMovie::Running; }

void frmAnimation2::SetCdLabel(const QString& text) {
    lblCD_->setText(text);
    lblCD_->repaint();
}

void frmAnimation2::SetRecordCount(qint64 records) {
    lblFiles_->setText(QStringLiteral("Directories and files copied: %1").arg(QLocale().toString(records)));
}

CopyCallbacks frmAnimation2::Callbacks() {
    CopyCallbacks callbacks;
    callbacks.showLabel = [this](const std::string& label) {
        SetCdLabel(QString::fromStdString(DecodeCatalogueText(label)));
        SetRecordCount(records_);
    };
    callbacks.cancelRequested = [this] {
        ++records_;
        if (sinceLabel_.elapsed() >= kCountRefreshMs) {
            sinceLabel_.restart();
            SetRecordCount(records_);
        }
        return cancelled_;
    };
    return callbacks;
}

void frmAnimation2::AskCancel() {
    if (asking_ || cancelled_) return;
    asking_ = true;
    if (ShowMessage("Cancel Data Compaction", vbYesNoCancel) == vbYes) cancelled_ = true;
    asking_ = false;
}

void frmAnimation2::reject() { AskCancel(); }

}  // namespace karvio
