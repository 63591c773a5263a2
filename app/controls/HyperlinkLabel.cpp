#include "controls/HyperlinkLabel.h"

#include <QDesktopServices>
#include <QMouseEvent>

namespace karvio {

HyperlinkLabel::HyperlinkLabel(const QString& text, const QUrl& url, QWidget* parent)
    : QLabel(text, parent), url_(url) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    SetHighlighted(false);
}

void HyperlinkLabel::SetHighlighted(bool on) {
    highlighted_ = on;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, on ? p.color(QPalette::Highlight) : p.color(QPalette::Link));
    setPalette(p);
    QFont f = font();
    f.setUnderline(on);
    setFont(f);
}

void HyperlinkLabel::enterEvent(QEnterEvent* event) {
    SetHighlighted(true);
    QLabel::enterEvent(event);
}

void HyperlinkLabel::leaveEvent(QEvent* event) {
    SetHighlighted(false);
    QLabel::leaveEvent(event);
}

void HyperlinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
        if (url_.isValid()) QDesktopServices::openUrl(url_);
    }
    QLabel::mouseReleaseEvent(event);
}

}  // namespace karvio
