#include "msgbox/MessageService.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QString>
#include <QThread>
#include <optional>

#include "CatalogueText.h"
#include "Messages.h"
#include "msgbox/ctlMsgBox.h"
#include "startup/Translations.h"

namespace karvio {

namespace {

ctlMsgBox*& Installed() {
    static ctlMsgBox* box = nullptr;
    return box;
}

int AnswerOnWindowThread(const std::string& text, const MsgButtonSet& buttons);

int AnswerMessage(const std::string& text, const MsgButtonSet& buttons) {
    // A worker's message (a read error during a background walk) is asked on the windows' thread;
    // the worker waits for the answer.
    if (QThread::currentThread() != qApp->thread()) {
        int result = 0;
        QMetaObject::invokeMethod(
            qApp, [&] { result = AnswerOnWindowThread(text, buttons); }, Qt::BlockingQueuedConnection);
        return result;
    }
    return AnswerOnWindowThread(text, buttons);
}

int AnswerOnWindowThread(const std::string& text, const MsgButtonSet& buttons) {
    // The pointer of a long operation is replaced by the arrow while the user reads.
    std::optional<QCursor> remembered;
    if (const QCursor* current = QGuiApplication::overrideCursor()) {
        remembered = *current;
        QGuiApplication::changeOverrideCursor(QCursor(Qt::ArrowCursor));
    }
    // Texts may carry names read from a catalogue written by another program. The engine's
    // texts and the buttons' captions are shown in the user's language.
    const QString message = TranslateMessage(QString::fromStdString(DecodeCatalogueText(text)));
    MsgButtonSet shown = buttons;
    for (MsgButton& button : shown.buttons) {
        button.caption =
            QCoreApplication::translate("Messages", button.caption.c_str()).toStdString();
    }
    int result;
    if (ctlMsgBox* box = Installed()) {
        result = box->msgBox(message, shown);
    } else {
        ctlMsgBox standalone;
        result = standalone.msgBox(message, shown);
    }
    if (remembered) QGuiApplication::changeOverrideCursor(*remembered);
    return result;
}

}  // namespace

void InstallMessageBox(ctlMsgBox* box) {
    Installed() = box;
    SetMessageSink(AnswerMessage);
}

ctlMsgBox* InstalledMessageBox() {
    return Installed();
}

}  // namespace karvio
