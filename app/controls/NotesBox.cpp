#include "controls/NotesBox.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>

namespace karvio {

namespace {

// Ctrl+Tab is also a window shortcut (the MDI area cycles its windows with it): the box claims
// the key first, as a shortcut override, and then writes the tab.
class CtrlTabInserts : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Tab || key->modifiers() != Qt::ControlModifier) return false;
        auto* box = static_cast<QPlainTextEdit*>(watched);
        event->accept();
        if (type == QEvent::KeyPress && !box->isReadOnly()) box->insertPlainText(QStringLiteral("\t"));
        return true;
    }
};

}  // namespace

void MakeNotesBox(QPlainTextEdit* box) {
    box->setTabChangesFocus(true);
    box->installEventFilter(new CtrlTabInserts(box));
}

}  // namespace karvio
