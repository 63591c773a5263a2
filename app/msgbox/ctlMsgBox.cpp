#include "msgbox/ctlMsgBox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPalette>

#include "msgbox/frmMsgBox.h"

namespace karvio {

void MsgBoxState::ResetMsgBoxDefaults() {
    btnDefault = 0;
    btnCancel = 0;
    for (int i = 0; i < kMaxMsgBoxButtons; ++i) {
        captions[i].clear();
        values[i] = i + 1;
    }
    captions[0] = QCoreApplication::translate("Messages", "OK");
    values[0] = vbOK;
    buttonCount = 1;
    msgText = QCoreApplication::translate("Messages", "Please Select !!");
}

void MsgBoxState::SetButtons(const MsgButtonSet& set) {
    const int n = std::min<int>(static_cast<int>(set.buttons.size()), kMaxMsgBoxButtons);
    if (n == 0) return;  // keep the single OK of the reset table
    for (int i = 0; i < n; ++i) {
        captions[i] = QString::fromStdString(set.buttons[i].caption);
        values[i] = set.buttons[i].value;
    }
    buttonCount = n;
    btnDefault = set.defaultIndex;
    btnCancel = set.cancelIndex;
}

int MsgBoxState::ValueOf(int index) const {
    if (index >= 1 && index <= buttonCount) return values[index - 1];
    return values[0];
}

ctlMsgBox::ctlMsgBox(QObject* parent) : QObject(parent) {
    const QPalette palette = QApplication::palette();
    backColor_ = palette.color(QPalette::Window);
    msgColor_ = palette.color(QPalette::WindowText);
    btnFont_ = QApplication::font();
    msgFont_ = QApplication::font();
}

ctlMsgBox::~ctlMsgBox() = default;

void ctlMsgBox::InitControl(MsgBoxState& state) const {
    state.widthTwips = width_;
    state.heightTwips = height_;
    state.backColor = backColor_;
    state.msgColor = msgColor_;
    state.btnFont = btnFont_;
    state.msgFont = msgFont_;
    state.waitTime = waitTime_;
    state.btnDefault = btnDefault_;
    state.btnCancel = btnCancel_;
    state.msgText = msgText_;
    state.msgAlignment = msgAlignment_;
    state.checkBoxVisible = checkBoxVisible_;
    state.moveable = moveable_;
    state.controlBox = controlBox_;
    state.alwaysOnTop = alwaysOnTop_;
    state.btnHeight = btnHeight_;
    state.btnWidth = btnWidth_;
    state.btnSpacing = btnSpacing_;
    state.dontShowAgain = false;
    state.hasBackImage = !backImage_.isNull() && backImage_.width() >= 1;
    state.backImage = state.hasBackImage ? backImage_ : QPixmap();
}

MsgBoxState ctlMsgBox::StateFor(const QString& message, const MsgButtonSet& buttons) const {
    MsgBoxState state;
    state.ResetMsgBoxDefaults();
    InitControl(state);
    state.msgText = message;
    // The button set decides the default and cancel buttons of a message.
    state.btnDefault = 0;
    state.btnCancel = 0;
    state.SetButtons(buttons);
    return state;
}

MsgBoxState ctlMsgBox::StateForAsk(const QString& message) const {
    MsgBoxState state;
    state.ResetMsgBoxDefaults();
    InitControl(state);
    state.msgText = message.isEmpty() ? msgText_ : message;
    if (!btnCaptions_.isEmpty()) {
        const QStringList captions = btnCaptions_.split(';');
        const QStringList values = btnValues_.split(';');
        state.buttonCount = std::min<int>(static_cast<int>(captions.size()), kMaxMsgBoxButtons);
        for (int i = 0; i < state.buttonCount; ++i) state.captions[i] = captions[i];
        for (int i = 0; i < std::min<int>(static_cast<int>(values.size()), kMaxMsgBoxButtons);
             ++i) {
            bool ok = false;
            const int value = values[i].trimmed().toInt(&ok);
            if (ok) state.values[i] = value;
        }
    }
    return state;
}

int ctlMsgBox::msgBox(const QString& message, int style) {
    return msgBox(message, MsgBoxButtonsForStyle(style));
}

int ctlMsgBox::msgBox(const QString& message, const MsgButtonSet& buttons) {
    return Run(StateFor(message, buttons));
}

int16_t ctlMsgBox::msgAsk(const QString& message) {
    return static_cast<int16_t>(Run(StateForAsk(message)));
}

int ctlMsgBox::Run(MsgBoxState state) {
    frmMsgBox form(state, host_);
    if (formHook_) formHook_(form);
    form.exec();
    dontShowAgain_ = form.DontShowAgain();
    if (state.checkBoxVisible && dontShowAgain_) emit dontShowAgainChosen();
    return state.ValueOf(form.PressedIndex());
}

}  // namespace karvio
