#include "controls/EmptyHint.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QEvent>

namespace karvio {

EmptyHint::EmptyHint(const QString& text, QAbstractItemView* view) : QLabel(text, view->viewport()) {
    setObjectName(QStringLiteral("EmptyHint"));
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setForegroundRole(QPalette::PlaceholderText);
    view->viewport()->installEventFilter(this);
    Place();
    hide();
}

bool EmptyHint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize) Place();
    return QLabel::eventFilter(watched, event);
}

void EmptyHint::Place() {
    const QWidget* viewport = parentWidget();
    const int margin = fontMetrics().averageCharWidth() * 3;
    setGeometry(viewport->rect().adjusted(margin, margin, -margin, -margin));
}

QString FirstDiscHintText() {
    return QCoreApplication::translate(
        "EmptyHint",
        "The catalogue holds no disc yet.\n"
        "To add your first disc or folder, choose CD > Add, or the first button of the toolbar.");
}

}  // namespace karvio
