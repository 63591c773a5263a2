#include "msgbox/frmMsgBox.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "controls/ThemeColors.h"
#include "controls/Twips.h"

namespace karvio {

namespace {

constexpr double kWidenThreshold = 0.8;  // a row wider than this share of the form widens it
constexpr double kWidenFactor = 1.2;     // ... to this multiple of the row
constexpr double kMessageShare = 0.75;   // the message wraps at this share of the inner width
constexpr double kLeftMargin = 0.12;     // left-aligned messages start here
constexpr double kRightMargin = 0.88;    // right-aligned messages end here
constexpr double kBandTop = 240;         // the message band starts this far below the top
constexpr double kBandHeight = 1600;
constexpr double kGap = 120;           // between message, buttons and check box
constexpr double kBottomMargin = 240;  // below the last row
constexpr int kCaptionPaddingPx = 24;  // room around a button's caption

QString OneLineBreakKind(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace('\r', '\n');
    return text;
}

}  // namespace

frmMsgBox::frmMsgBox(const MsgBoxState& state, QWidget* parent)
    : QDialog(parent), state_(state), dpi_(ScreenLogicalDpi()) {
    setObjectName(QStringLiteral("frmMsgBox"));
    setWindowTitle(QStringLiteral("Karvio"));
    setModal(true);
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (state_.controlBox) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (state_.alwaysOnTop) flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);

    if (IsDarkPalette(palette())) {
        // The light background picture and the dark blue text belong to a light scheme.
        state_.hasBackImage = false;
        state_.backColor = palette().color(QPalette::Window);
        state_.msgColor = ReadableColor(state_.msgColor, palette());
    }
    formWidth_ = std::max(state_.widthTwips, 1);
    formHeight_ = std::max(state_.heightTwips, 1);

    checkDont_ = new QCheckBox(tr("Don't show this dialog in the future"), this);
    checkDont_->setObjectName(QStringLiteral("checkDont"));
    checkDont_->setVisible(state_.checkBoxVisible);
    checkDont_->setChecked(state_.dontShowAgain);
    checkDont_->setFont(state_.msgFont);

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, state_.backColor);
    setPalette(palette);

    redrawButtons();
    redrawBackground();
    redrawMessage();
    PlaceBottomRow();

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    connect(timer1_, &QTimer::timeout, this, &frmMsgBox::OnTimer);
    if (state_.waitTime > 0) timer1_->start(state_.waitTime * 1000);
}

frmMsgBox::~frmMsgBox() = default;

QRect frmMsgBox::ToPixels(const QRectF& twips) const {
    return QRect(TwipsToPixels(twips.left(), dpi_), TwipsToPixels(twips.top(), dpi_),
                 TwipsToPixels(twips.width(), dpi_), TwipsToPixels(twips.height(), dpi_));
}

void frmMsgBox::redrawButtons() {
    auto* templ = new QPushButton(this);
    templ->setObjectName(QStringLiteral("btn_0"));
    templ->hide();
    btn_ = {templ};

    // A caption wider than the design width gets a wider button, so no caption is clipped.
    const QFontMetrics metrics(state_.btnFont);
    buttonWidth_ = state_.btnWidth;
    for (int i = 0; i < state_.buttonCount; ++i) {
        const int needPx = metrics.horizontalAdvance(state_.captions[i]) + kCaptionPaddingPx;
        buttonWidth_ = std::max(buttonWidth_, PixelsToTwips(needPx, dpi_));
    }
    const int n = state_.buttonCount;
    rowWidth_ = n * buttonWidth_ + (n - 1) * state_.btnSpacing;
    // Widening never makes the form narrower than its design width.
    if (kWidenThreshold * formWidth_ < rowWidth_) {
        formWidth_ = std::max(formWidth_, kWidenFactor * rowWidth_);
    }
    if (state_.checkBoxVisible) {
        const double checkWidth = PixelsToTwips(checkDont_->sizeHint().width(), dpi_);
        formWidth_ = std::max(formWidth_, checkWidth + 2 * kGap);
    }

    double x = (formWidth_ - rowWidth_) / 2;
    buttonLeft_ = {0};
    for (int i = 1; i <= n; ++i) {
        auto* button = new QPushButton(state_.captions[i - 1], this);
        button->setObjectName(QStringLiteral("btn_%1").arg(i));
        button->setFont(state_.btnFont);
        button->setDefault(i == state_.btnDefault);
        button->setAutoDefault(true);
        connect(button, &QPushButton::clicked, this, [this, i] { PressButton(i); });
        btn_.append(button);
        buttonLeft_.append(x);
        x += buttonWidth_ + state_.btnSpacing;
    }
}

void frmMsgBox::redrawBackground() {
    // The picture is tiled row by row over the inner area in paintEvent.
    setAutoFillBackground(!state_.hasBackImage);
}

void frmMsgBox::redrawMessage() {
    lblMsgBox_ = new QLabel(this);
    lblMsgBox_->setObjectName(QStringLiteral("lblMsgBox"));
    lblMsgBox_->setTextFormat(Qt::PlainText);
    lblMsgBox_->setFont(state_.msgFont);
    QPalette palette = lblMsgBox_->palette();
    palette.setColor(QPalette::WindowText, state_.msgColor);
    lblMsgBox_->setPalette(palette);
    const Qt::Alignment horizontal = state_.msgAlignment == 0   ? Qt::AlignLeft
                                     : state_.msgAlignment == 1 ? Qt::AlignRight
                                                                : Qt::AlignHCenter;
    lblMsgBox_->setAlignment(horizontal | Qt::AlignVCenter);
    lblMsgBox_->setText(OneLineBreakKind(state_.msgText));

    const double inner = formWidth_;
    QSize sizePx = lblMsgBox_->sizeHint();
    double width = PixelsToTwips(sizePx.width(), dpi_);
    messageWraps_ = width > kMessageShare * inner;
    if (messageWraps_) {
        width = kMessageShare * inner;
        lblMsgBox_->setWordWrap(true);
        const int widthPx = TwipsToPixels(width, dpi_);
        sizePx = QSize(widthPx, lblMsgBox_->heightForWidth(widthPx));
    }
    const double height = PixelsToTwips(sizePx.height(), dpi_);

    double left = (inner - width) / 2;
    if (state_.msgAlignment == 0) left = kLeftMargin * inner;
    if (state_.msgAlignment == 1) left = kRightMargin * inner - width;
    // A message taller than the band starts at the band's top instead of above the form.
    const double top = std::max((kBandHeight - height) / 2 + kBandTop, kBandTop);
    messageRect_ = QRectF(left, top, width, height);
    lblMsgBox_->setGeometry(ToPixels(messageRect_));
}

void frmMsgBox::PlaceBottomRow() {
    // The buttons sit near the bottom of the form; a message that reaches them pushes them (and
    // the form's bottom edge) down, so a long message is never hidden behind them.
    buttonTop_ = formHeight_ - state_.btnHeight - kBottomMargin;
    buttonTop_ = std::max(buttonTop_, messageRect_.bottom() + kGap);
    double bottom = buttonTop_ + state_.btnHeight;
    for (int i = 1; i < btn_.size(); ++i) {
        btn_[i]->setGeometry(
            ToPixels(QRectF(buttonLeft_[i], buttonTop_, buttonWidth_, state_.btnHeight)));
        btn_[i]->show();
    }
    if (state_.checkBoxVisible) {
        const double checkHeight = PixelsToTwips(checkDont_->sizeHint().height(), dpi_);
        const double checkWidth = PixelsToTwips(checkDont_->sizeHint().width(), dpi_);
        const double checkTop = bottom + kGap;
        checkDont_->setGeometry(
            ToPixels(QRectF((formWidth_ - checkWidth) / 2, checkTop, checkWidth, checkHeight)));
        bottom = checkTop + checkHeight;
    }
    formHeight_ = std::max(formHeight_, bottom + kBottomMargin);
    setFixedSize(TwipsToPixels(formWidth_, dpi_), TwipsToPixels(formHeight_, dpi_));

    const int focusIndex =
        state_.btnDefault >= 1 && state_.btnDefault < btn_.size() ? state_.btnDefault : 1;
    if (focusIndex < btn_.size()) btn_[focusIndex]->setFocus();
}

void frmMsgBox::PressButton(int index) {
    if (index < 1 || index >= btn_.size()) return;
    timer1_->stop();
    dontShowAgain_ = checkDont_->isChecked();
    pressed_ = index;
    done(QDialog::Accepted);
}

void frmMsgBox::OnTimer() {
    timer1_->stop();
    PressButton(state_.btnDefault > 0 ? state_.btnDefault : 1);
}

void frmMsgBox::reject() {
    // Escape presses the cancel button, and closes a message whose only button is OK; a
    // question without a cancel button must be answered.
    if (state_.btnCancel > 0) {
        PressButton(state_.btnCancel);
    } else if (ButtonCount() == 1) {
        PressButton(1);
    }
}

void frmMsgBox::closeEvent(QCloseEvent* event) {
    if (pressed_ == 0) {
        // Closing the window counts as the cancel button, or as the only button; a question
        // without either must be answered.
        if (state_.btnCancel > 0) {
            PressButton(state_.btnCancel);
        } else if (ButtonCount() == 1) {
            PressButton(1);
        } else {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void frmMsgBox::paintEvent(QPaintEvent* event) {
    if (state_.hasBackImage) {
        QPainter painter(this);
        painter.drawTiledPixmap(rect(), state_.backImage);
    }
    QDialog::paintEvent(event);
}

void frmMsgBox::mousePressEvent(QMouseEvent* event) {
    if (state_.moveable && event->button() == Qt::LeftButton) {
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(event);
}

void frmMsgBox::mouseMoveEvent(QMouseEvent* event) {
    if (state_.moveable && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
    }
    QDialog::mouseMoveEvent(event);
}

}  // namespace karvio
