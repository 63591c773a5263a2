// The message-box control: holds the look of every message (size, fonts, colours, background
// picture, button geometry, auto-close time) and shows one message at a time in a modal
// frmMsgBox, returning the value of the button pressed in the numbering of the standard
// message-box results. The main window owns the one instance the program uses. User-interface
// thread only.
#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QVector>
#include <functional>

#include "Messages.h"

class QWidget;

namespace karvio {

class frmMsgBox;

inline constexpr int kMaxMsgBoxButtons = 6;

// Everything one message form is built from: the control's properties copied by InitControl and
// the button table of the message.
struct MsgBoxState {
    int widthTwips = 4500;
    int heightTwips = 2200;
    QPixmap backImage;
    bool hasBackImage = false;
    QColor backColor;
    bool moveable = false;
    bool controlBox = false;
    bool alwaysOnTop = false;
    QFont btnFont;
    int waitTime = 0;  // seconds
    int btnDefault = 0;
    int btnCancel = 0;
    QString msgText = QStringLiteral("Please Select !!");
    QColor msgColor;
    int msgAlignment = 2;  // 0 left, 1 right, 2 centre
    QFont msgFont;
    int btnHeight = 400;
    int btnWidth = 900;
    int btnSpacing = 180;
    bool checkBoxVisible = false;
    bool dontShowAgain = false;

    // The button table: six slots, `buttonCount` of them in use.
    QString captions[kMaxMsgBoxButtons];
    int values[kMaxMsgBoxButtons] = {1, 2, 3, 4, 5, 6};
    int buttonCount = 1;

    // Empties the table: no default or cancel button, every slot's value its slot number, then
    // one "OK" button of value 1 and the message "Please Select !!".
    void ResetMsgBoxDefaults();
    // Fills the table from a button set of the engine.
    void SetButtons(const MsgButtonSet& set);
    // The value of the button at `index` (1-based); slot 1's value when out of range.
    int ValueOf(int index) const;
};

class ctlMsgBox : public QObject {
    Q_OBJECT
    Q_PROPERTY(int width READ width WRITE setWidth)
    Q_PROPERTY(int height READ height WRITE setHeight)
    Q_PROPERTY(QPixmap BackImage READ backImage WRITE setBackImage)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(bool Moveable READ Moveable WRITE setMoveable)
    Q_PROPERTY(bool ControlBox READ ControlBox WRITE setControlBox)
    Q_PROPERTY(bool AlwaysOnTop READ alwaysOnTop WRITE setAlwaysOnTop)
    Q_PROPERTY(QFont BtnFont READ btnFont WRITE setBtnFont)
    Q_PROPERTY(int WaitTime READ WaitTime WRITE setWaitTime)
    Q_PROPERTY(int BtnDefault READ BtnDefault WRITE setBtnDefault)
    Q_PROPERTY(int BtnCancel READ btnCancel WRITE setBtnCancel)
    Q_PROPERTY(QString Version READ Version CONSTANT)
    Q_PROPERTY(QString msgText READ msgText WRITE setMsgText)
    Q_PROPERTY(QColor msgColor READ msgColor WRITE setMsgColor)
    Q_PROPERTY(int msgAlignment READ msgAlignment WRITE setMsgAlignment)
    Q_PROPERTY(QFont msgFont READ msgFont WRITE setMsgFont)
    Q_PROPERTY(QString BtnCaptions READ BtnCaptions WRITE setBtnCaptions)
    Q_PROPERTY(int BtnHeight READ BtnHeight WRITE setBtnHeight)
    Q_PROPERTY(int BtnWidth READ BtnWidth WRITE setBtnWidth)
    Q_PROPERTY(int btnSpacing READ btnSpacing WRITE setBtnSpacing)
    Q_PROPERTY(QString BtnValues READ BtnValues WRITE setBtnValues)
    Q_PROPERTY(bool CheckboxVisible READ CheckBoxVisible WRITE setCheckBoxVisible)

public:
    explicit ctlMsgBox(QObject* parent = nullptr);
    ~ctlMsgBox() override;

    // Shows `message` with the buttons of `style` and returns the pressed button's value.
    int msgBox(const QString& message, int style);
    int msgBox(const QString& message, const MsgButtonSet& buttons);
    // Shows `message` (or msgText when empty) with the buttons of BtnCaptions and BtnValues and
    // the default and cancel index of BtnDefault and btnCancel.
    int16_t msgAsk(const QString& message);

    // The parent window of the message forms (none by default).
    void setHostWindow(QWidget* host) { host_ = host; }

    // Sizes in twips.
    int width() const { return width_; }
    void setWidth(int twips) { width_ = twips; }
    int height() const { return height_; }
    void setHeight(int twips) { height_ = twips; }
    // A picture whose width is below 1 counts as none.
    QPixmap backImage() const { return backImage_; }
    void setBackImage(const QPixmap& picture) { backImage_ = picture; }
    QColor BackColor() const { return backColor_; }
    void setBackColor(const QColor& colour) { backColor_ = colour; }
    bool Moveable() const { return moveable_; }
    void setMoveable(bool on) { moveable_ = on; }
    bool ControlBox() const { return controlBox_; }
    void setControlBox(bool on) { controlBox_ = on; }
    bool alwaysOnTop() const { return alwaysOnTop_; }
    void setAlwaysOnTop(bool on) { alwaysOnTop_ = on; }
    QFont btnFont() const { return btnFont_; }
    void setBtnFont(const QFont& font) { btnFont_ = font; }
    int WaitTime() const { return waitTime_; }
    void setWaitTime(int seconds) { waitTime_ = seconds; }
    int BtnDefault() const { return btnDefault_; }
    void setBtnDefault(int index) { btnDefault_ = index; }
    int btnCancel() const { return btnCancel_; }
    void setBtnCancel(int index) { btnCancel_ = index; }
    QString Version() const { return QStringLiteral("1.1.1"); }
    QString msgText() const { return msgText_; }
    void setMsgText(const QString& text) { msgText_ = text; }
    QColor msgColor() const { return msgColor_; }
    void setMsgColor(const QColor& colour) { msgColor_ = colour; }
    int msgAlignment() const { return msgAlignment_; }
    void setMsgAlignment(int alignment) { msgAlignment_ = alignment; }
    QFont msgFont() const { return msgFont_; }
    void setMsgFont(const QFont& font) { msgFont_ = font; }
    QString BtnCaptions() const { return btnCaptions_; }
    void setBtnCaptions(const QString& captions) { btnCaptions_ = captions; }
    QString BtnValues() const { return btnValues_; }
    void setBtnValues(const QString& values) { btnValues_ = values; }
    int BtnHeight() const { return btnHeight_; }
    void setBtnHeight(int twips) { btnHeight_ = twips; }
    int BtnWidth() const { return btnWidth_; }
    void setBtnWidth(int twips) { btnWidth_ = twips; }
    int btnSpacing() const { return btnSpacing_; }
    void setBtnSpacing(int twips) { btnSpacing_ = twips; }
    bool CheckBoxVisible() const { return checkBoxVisible_; }
    void setCheckBoxVisible(bool on) { checkBoxVisible_ = on; }

    // Whether the user ticked "Don't show this dialog in the future" in the last message.
    bool DontShowAgain() const { return dontShowAgain_; }

    // Copies the properties into `state` (DontShowAgain starts False).
    void InitControl(MsgBoxState& state) const;
    // The state of the next message of `style`, as msgBox builds it; for tests and previews.
    MsgBoxState StateFor(const QString& message, const MsgButtonSet& buttons) const;
    MsgBoxState StateForAsk(const QString& message) const;

    // Called with each form before it runs (tests drive the form from here).
    void setFormHook(std::function<void(frmMsgBox&)> hook) { formHook_ = std::move(hook); }

signals:
    // The user ticked "Don't show this dialog in the future" and closed the message.
    void dontShowAgainChosen();

private:
    int Run(MsgBoxState state);

    QWidget* host_ = nullptr;
    int width_ = 4500;
    int height_ = 2200;
    QPixmap backImage_;
    QColor backColor_;
    bool moveable_ = false;
    bool controlBox_ = false;
    bool alwaysOnTop_ = false;
    QFont btnFont_;
    int waitTime_ = 0;
    int btnDefault_ = 0;
    int btnCancel_ = 0;
    QString msgText_ = QStringLiteral("Please Select !!");
    QColor msgColor_;
    int msgAlignment_ = 2;
    QFont msgFont_;
    QString btnCaptions_ = QStringLiteral("OK");
    QString btnValues_ = QStringLiteral("1");
    int btnHeight_ = 400;
    int btnWidth_ = 900;
    int btnSpacing_ = 180;
    bool checkBoxVisible_ = false;
    bool dontShowAgain_ = false;
    std::function<void(frmMsgBox&)> formHook_;
};

}  // namespace karvio
