// The form of one message: a tiled background picture, the message label laid out in a band
// below the top, a centred row of buttons built from the button table, the optional check box
// "Don't show this dialog in the future" and the optional auto-close timer. Built from a
// MsgBoxState by ctlMsgBox, shown modally and read back after it closes. Geometry is planned in
// twips and placed in pixels at the screen's logical dpi. User-interface thread.
#pragma once

#include <QDialog>
#include <QRectF>
#include <QVector>

#include "msgbox/ctlMsgBox.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace karvio {

class frmMsgBox : public QDialog {
    Q_OBJECT

public:
    frmMsgBox(const MsgBoxState& state, QWidget* parent = nullptr);
    ~frmMsgBox() override;

    // The 1-based index of the button pressed; 0 while none was.
    int PressedIndex() const { return pressed_; }
    // The check box's state when a button was pressed.
    bool DontShowAgain() const { return dontShowAgain_; }
    // Presses button `index` (1-based) as a click does.
    void PressButton(int index);

    // Button i (1-based); element 0 is the hidden template.
    QPushButton* Button(int index) const { return btn_.value(index); }
    int ButtonCount() const { return static_cast<int>(btn_.size()) - 1; }
    QLabel* MessageLabel() const { return lblMsgBox_; }
    QCheckBox* CheckBox() const { return checkDont_; }
    QTimer* Timer() const { return timer1_; }

    // The planned geometry, in twips.
    double FormWidthTwips() const { return formWidth_; }
    double FormHeightTwips() const { return formHeight_; }
    double ButtonRowWidthTwips() const { return rowWidth_; }
    double ButtonWidthTwips() const { return buttonWidth_; }
    double ButtonLeftTwips(int index) const { return buttonLeft_.value(index); }
    double ButtonTopTwips() const { return buttonTop_; }
    QRectF MessageRectTwips() const { return messageRect_; }
    bool MessageWraps() const { return messageWraps_; }

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void redrawButtons();
    void redrawBackground();
    void redrawMessage();
    void PlaceBottomRow();
    void OnTimer();
    QRect ToPixels(const QRectF& twips) const;

    MsgBoxState state_;
    double dpi_;
    double formWidth_;
    double formHeight_;
    double rowWidth_ = 0;
    double buttonWidth_ = 0;
    double buttonTop_ = 0;
    QVector<double> buttonLeft_;
    QRectF messageRect_;
    bool messageWraps_ = false;

    QLabel* lblMsgBox_ = nullptr;
    QVector<QPushButton*> btn_;
    QCheckBox* checkDont_ = nullptr;
    QTimer* timer1_ = nullptr;
    int pressed_ = 0;
    bool dontShowAgain_ = false;
    QPoint dragOffset_;
};

}  // namespace karvio
