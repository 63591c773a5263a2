// The tip of the day: one usage tip picked at random from the tips file Karvio.tip beside the
// program, shown at start-up (unless switched off) and from the Help menu. Owns the loaded
// tips. User-interface thread.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace karvio {

inline constexpr const char* kTipsFileName = "Karvio.tip";

// The 1-based index of the tip for a random number `r` in [0, 1): integer part of count * r + 1.
int PickTipIndex(int count, double r);

// The text shown when the tips file is missing.
QString MissingTipsFileText();

class frmTip : public QDialog {
    Q_OBJECT

public:
    // Loads the tips from `tipsFile` (when empty, the program's Karvio.tip, in the user's language
    // when the program ships it: Karvio.de.tip). `random` gives numbers in [0, 1) (the
    // clock-seeded generator when empty).
    explicit frmTip(QWidget* parent = nullptr, const QString& tipsFile = {},
                    std::function<double()> random = {});

    // At start-up (`fromMenu` False) nothing is shown when "Show Tips at Startup" is 0; otherwise
    // a tip is shown modally.
    static void ShowTipOfTheDay(bool fromMenu, QWidget* parent = nullptr);
    // Whether ShowTipOfTheDay(False) would show the window.
    static bool ShowsAtStartup();

    // Appends every line of the file to the tips and shows one; False (tips untouched) when the
    // file does not exist.
    bool LoadTips(const QString& fileName);
    void DisplayCurrentTip();

    const QStringList& Tips() const { return tips_; }
    int CurrentTip() const { return currentTip_; }
    QLabel* TipLabel() const { return lblTipText_; }
    QCheckBox* StartupCheckBox() const { return chkLoadTipsAtStartup_; }
    QPushButton* NextTipButton() const { return cmdNextTip_; }

private:
    void PickTip();
    void OnCheckBoxClicked();

    QStringList tips_;
    int currentTip_ = 0;
    std::function<double()> random_;
    QLabel* lblTipText_;
    QCheckBox* chkLoadTipsAtStartup_;
    QPushButton* cmdNextTip_;
    QPushButton* cmdOK_;
};

}  // namespace karvio
