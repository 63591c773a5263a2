#include "controls/SplitPanel.h"

#include <QMouseEvent>
#include <algorithm>
#include <cmath>

#include "controls/Twips.h"

namespace karvio {

SplitGeometry ComputeSplitLayout(bool horizontalSplit, double width, double height, double fraction,
                                 double barThickness) {
    SplitGeometry g;
    if (horizontalSplit) {
        const double available = height - barThickness;
        const double h1 = available * fraction;
        const double h2 = available * (1 - fraction);
        g.control1 = QRectF(0, 0, width, h1);
        g.control2 = QRectF(0, h1 + barThickness, width, h2);
        g.bar = QRectF(0, h1, width, barThickness);
    } else {
        const double available = width - barThickness;
        const double w1 = available * fraction;
        const double w2 = available * (1 - fraction);
        g.control1 = QRectF(0, 0, w1, height);
        g.control2 = QRectF(w1 + barThickness, 0, w2, height);
        g.bar = QRectF(w1, 0, barThickness, height);
    }
    return g;
}

SplitDrag DragSplitBar(double barPosition, double pointer, double barThickness, double length) {
    SplitDrag drag;
    drag.barPosition = barPosition - (barThickness - pointer);
    const double fraction = length > 0 ? drag.barPosition / length : 0.5;
    drag.fraction = std::clamp(fraction, kMinSplitFraction, kMaxSplitFraction);
    return drag;
}

SplitPanel::SplitPanel(QWidget* parent) : QWidget(parent), splitter_(new QWidget(this)) {
    splitter_->setObjectName(QStringLiteral("Splitter"));
    splitter_->setAutoFillBackground(true);
    splitter_->installEventFilter(this);
    SetBarColour(QPalette::Button);
    setHorizontalSplit(false);
}

int SplitPanel::BarThickness() const {
    return std::max(1, TwipsToPixels(kSplitBarTwips));
}

void SplitPanel::setHorizontalSplit(bool horizontal) {
    horizontalSplit_ = horizontal;
    splitter_->setCursor(horizontal ? Qt::SizeVerCursor : Qt::SizeHorCursor);
    Layout();
}

void SplitPanel::setControl1(QWidget* control) {
    control1_ = control;
    if (control && control->parentWidget() != this) control->setParent(this);
    if (control) control->show();
    splitter_->raise();
    Layout();
}

void SplitPanel::setControl2(QWidget* control) {
    control2_ = control;
    if (control && control->parentWidget() != this) control->setParent(this);
    if (control) control->show();
    splitter_->raise();
    Layout();
}

uint8_t SplitPanel::SplitPercent() const {
    return static_cast<uint8_t>(std::lround(std::clamp(fraction_ * 100, 0.0, 255.0)));
}

void SplitPanel::setSplitPercent(int percent) {
    fraction_ = percent / 100.0;
    Layout();
}

namespace {

QSize Combined(bool horizontalSplit, QSize first, QSize second, int bar) {
    first = first.expandedTo(QSize(0, 0));
    second = second.expandedTo(QSize(0, 0));
    if (horizontalSplit)
        return {std::max(first.width(), second.width()), first.height() + bar + second.height()};
    return {first.width() + bar + second.width(), std::max(first.height(), second.height())};
}

}  // namespace

QSize SplitPanel::sizeHint() const {
    return Combined(horizontalSplit_, control1_ ? control1_->sizeHint() : QSize(),
                    control2_ ? control2_->sizeHint() : QSize(), BarThickness());
}

QSize SplitPanel::minimumSizeHint() const {
    return Combined(horizontalSplit_, control1_ ? control1_->minimumSizeHint() : QSize(),
                    control2_ ? control2_->minimumSizeHint() : QSize(), BarThickness());
}

void SplitPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
}

void SplitPanel::Layout() {
    const SplitGeometry g =
        ComputeSplitLayout(horizontalSplit_, width(), height(), fraction_, BarThickness());
    auto place = [](QWidget* w, const QRectF& r) {
        if (w)
            w->setGeometry(QRect(static_cast<int>(std::lround(r.x())),
                                 static_cast<int>(std::lround(r.y())),
                                 std::max(0, static_cast<int>(std::lround(r.width()))),
                                 std::max(0, static_cast<int>(std::lround(r.height())))));
    };
    place(control1_, g.control1);
    place(control2_, g.control2);
    place(splitter_, g.bar);
}

void SplitPanel::SetBarColour(QPalette::ColorRole role) {
    QPalette palette = splitter_->palette();
    palette.setColor(QPalette::Window, this->palette().color(role));
    splitter_->setPalette(palette);
}

bool SplitPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != splitter_) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            SetBarColour(QPalette::WindowText);
            splitter_->raise();
            return true;
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (!(mouse->buttons() & Qt::LeftButton)) return false;
            const QPointF p = mouse->position();
            const SplitDrag drag =
                horizontalSplit_ ? DragSplitBar(splitter_->y(), p.y(), BarThickness(), height())
                                 : DragSplitBar(splitter_->x(), p.x(), BarThickness(), width());
            const int position = static_cast<int>(std::lround(drag.barPosition));
            if (horizontalSplit_) {
                splitter_->move(0, position);
            } else {
                splitter_->move(position, 0);
            }
            fraction_ = drag.fraction;
            return true;
        }
        case QEvent::MouseButtonRelease:
            SetBarColour(QPalette::Button);
            Layout();
            return true;
        default:
            return false;
    }
}

}  // namespace karvio
