#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "Messages.h"
#include "msgbox/MessageService.h"
#include "msgbox/ctlMsgBox.h"
#include "msgbox/frmMsgBox.h"

namespace karvio {
namespace {

struct StyleCase {
    int style;
    std::vector<QString> captions;
    std::vector<int> values;
    int defaultIndex;
    int cancelIndex;
};

class MsgBoxStyles : public ::testing::TestWithParam<StyleCase> {};

TEST_P(MsgBoxStyles, BuildsTheButtonRowOfTheStyle) {
    const StyleCase& c = GetParam();
    ctlMsgBox box;
    const MsgBoxState state = box.StateFor("Question?", MsgBoxButtonsForStyle(c.style));
    frmMsgBox form(state);
    ASSERT_EQ(form.ButtonCount(), static_cast<int>(c.captions.size()));
    EXPECT_FALSE(form.Button(0)->isVisibleTo(&form)) << "the template stays hidden";
    for (int i = 1; i <= form.ButtonCount(); ++i) {
        EXPECT_EQ(form.Button(i)->text(), c.captions[i - 1]);
        EXPECT_EQ(state.ValueOf(i), c.values[i - 1]);
        EXPECT_EQ(form.Button(i)->isDefault(), i == c.defaultIndex) << "button " << i;
    }
    EXPECT_EQ(state.btnCancel, c.cancelIndex);
}

INSTANTIATE_TEST_SUITE_P(
    AllStyles, MsgBoxStyles,
    ::testing::Values(StyleCase{0, {"OK"}, {1}, 1, 0}, StyleCase{1, {"OK", "Cancel"}, {1, 2}, 1, 2},
                      StyleCase{2, {"Abort", "Retry", "Cancel"}, {3, 4, 2}, 2, 3},
                      StyleCase{3, {"Yes", "No", "Cancel"}, {6, 7, 2}, 1, 3},
                      StyleCase{4, {"Yes", "No"}, {6, 7}, 0, 0},
                      StyleCase{5, {"Retry", "Cancel"}, {4, 2}, 1, 2},
                      // Icon bits make a combined value that falls back to OK.
                      StyleCase{36, {"OK"}, {1}, 1, 0}, StyleCase{-1, {"OK"}, {1}, 1, 0}));

// Runs msgBox with `style`; `drive` acts on the form once it runs.
int RunMessage(ctlMsgBox& box, int style, std::function<void(frmMsgBox&)> drive) {
    box.setFormHook([drive](frmMsgBox& form) {
        QTimer::singleShot(0, &form, [&form, drive] { drive(form); });
    });
    return box.msgBox(QStringLiteral("Message"), style);
}

TEST(MsgBox, ReturnsTheValueOfThePressedButton) {
    ctlMsgBox box;
    EXPECT_EQ(RunMessage(box, 3, [](frmMsgBox& f) { f.Button(2)->click(); }), vbNo);
    EXPECT_EQ(RunMessage(box, 5, [](frmMsgBox& f) { f.Button(1)->click(); }), vbRetry);
    EXPECT_EQ(RunMessage(box, 36, [](frmMsgBox& f) { f.Button(1)->click(); }), vbOK);
}

TEST(MsgBox, EscapePressesTheCancelButton) {
    ctlMsgBox box;
    EXPECT_EQ(RunMessage(box, 3, [](frmMsgBox& f) { QTest::keyClick(&f, Qt::Key_Escape); }),
              vbCancel);
    EXPECT_EQ(RunMessage(box, 5, [](frmMsgBox& f) { QTest::keyClick(&f, Qt::Key_Escape); }),
              vbCancel);
}

TEST(MsgBox, EscapeClosesAMessageWhoseOnlyButtonIsOk) {
    ctlMsgBox box;
    for (const int style : {0, 36}) {
        bool closed = false;
        const int result = RunMessage(box, style, [&closed](frmMsgBox& f) {
            QTest::keyClick(&f, Qt::Key_Escape);
            closed = !f.isVisible();
            if (!closed) f.Button(1)->click();
        });
        EXPECT_TRUE(closed) << "style " << style;
        EXPECT_EQ(result, vbOK) << "style " << style;
    }
}

TEST(MsgBox, EscapeDoesNothingWithoutACancelButton) {
    ctlMsgBox box;
    bool stillOpen = false;
    const int result = RunMessage(box, 4, [&stillOpen](frmMsgBox& f) {
        QTest::keyClick(&f, Qt::Key_Escape);
        f.close();  // a question without a cancel button cannot be closed away either
        stillOpen = f.isVisible() && f.PressedIndex() == 0;
        f.Button(2)->click();
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(result, vbNo);
}

TEST(MsgBox, EnterPressesTheDefaultButton) {
    ctlMsgBox box;
    EXPECT_EQ(RunMessage(box, 2, [](frmMsgBox& f) { QTest::keyClick(&f, Qt::Key_Return); }),
              vbRetry);
}

TEST(MsgBox, TimerPressesTheDefaultButtonOrTheFirst) {
    ctlMsgBox box;
    box.setWaitTime(1);
    box.setFormHook([](frmMsgBox& form) {
        EXPECT_TRUE(form.Timer()->isActive());
        EXPECT_EQ(form.Timer()->interval(), 1000);
    });
    EXPECT_EQ(box.msgBox(QStringLiteral("No default"), vbYesNo), vbYes);
    EXPECT_EQ(box.msgBox(QStringLiteral("Default Retry"), vbAbortRetryIgnore), vbRetry);
}

TEST(MsgBox, NoTimerWithoutWaitTime) {
    ctlMsgBox box;
    frmMsgBox form(box.StateFor("x", MsgBoxButtonsForStyle(0)));
    EXPECT_FALSE(form.Timer()->isActive());
}

TEST(MsgBox, FourDefaultButtonsWidenTheForm) {
    ctlMsgBox box;
    box.setBtnCaptions(QStringLiteral("A;B;C;D"));
    frmMsgBox form(box.StateForAsk(QString()));
    EXPECT_DOUBLE_EQ(form.ButtonWidthTwips(), 900);
    EXPECT_DOUBLE_EQ(form.ButtonRowWidthTwips(), 4140);
    EXPECT_DOUBLE_EQ(form.FormWidthTwips(), 4968);
    // The row is centred in the widened form.
    EXPECT_DOUBLE_EQ(form.ButtonLeftTwips(1), (4968 - 4140) / 2.0);
    EXPECT_DOUBLE_EQ(form.ButtonLeftTwips(2), (4968 - 4140) / 2.0 + 1080);
}

TEST(MsgBox, ThreeButtonsKeepTheDesignWidth) {
    ctlMsgBox box;
    box.setBtnCaptions(QStringLiteral("A;B;C"));
    frmMsgBox form(box.StateForAsk(QString()));
    EXPECT_DOUBLE_EQ(form.ButtonRowWidthTwips(), 3060);
    EXPECT_DOUBLE_EQ(form.FormWidthTwips(), 4500);
}

TEST(MsgBox, WideningNeverNarrowsTheForm) {
    ctlMsgBox box;
    box.setBtnCaptions(QStringLiteral("A;B;C"));
    box.setBtnWidth(1100);  // a row of 3660: past 0.8 of the form, yet 1.2 of it is only 4392
    frmMsgBox form(box.StateForAsk(QString()));
    EXPECT_DOUBLE_EQ(form.ButtonRowWidthTwips(), 3660);
    EXPECT_DOUBLE_EQ(form.FormWidthTwips(), 4500);
}

TEST(MsgBox, CaptionsWiderThanTheButtonGetWiderButtons) {
    ctlMsgBox box;
    box.setBtnCaptions(QStringLiteral("A much longer caption than fits;B"));
    frmMsgBox form(box.StateForAsk(QString()));
    EXPECT_GT(form.ButtonWidthTwips(), 900);
    const QPushButton* b = form.Button(1);
    EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text()));
}

TEST(MsgBox, OneLineMessageSitsCentredInTheBand) {
    ctlMsgBox box;
    frmMsgBox form(box.StateFor("Short", MsgBoxButtonsForStyle(0)));
    const QRectF r = form.MessageRectTwips();
    EXPECT_FALSE(form.MessageWraps());
    EXPECT_NEAR(r.center().y(), 240 + 1600 / 2.0, 1);
    EXPECT_NEAR(r.center().x(), form.FormWidthTwips() / 2, 1);
}

TEST(MsgBox, LongMessageWrapsAtThreeQuartersOfTheWidth) {
    ctlMsgBox box;
    const QString text = QString("word ").repeated(60);
    frmMsgBox form(box.StateFor(text, MsgBoxButtonsForStyle(3)));
    EXPECT_TRUE(form.MessageWraps());
    EXPECT_DOUBLE_EQ(form.MessageRectTwips().width(), 0.75 * form.FormWidthTwips());
    EXPECT_TRUE(form.MessageLabel()->wordWrap());
    // However long, the message stays inside the form and above the buttons.
    EXPECT_GE(form.MessageRectTwips().top(), 240);
    EXPECT_LT(form.MessageRectTwips().bottom(), form.ButtonTopTwips());
    EXPECT_LE(form.ButtonTopTwips() + 400, form.FormHeightTwips());
}

TEST(MsgBox, AlignmentPlacesTheMessage) {
    ctlMsgBox box;
    box.setMsgAlignment(0);
    frmMsgBox left(box.StateFor("Left", MsgBoxButtonsForStyle(0)));
    EXPECT_DOUBLE_EQ(left.MessageRectTwips().left(), 0.12 * 4500);
    box.setMsgAlignment(1);
    frmMsgBox right(box.StateFor("Right", MsgBoxButtonsForStyle(0)));
    EXPECT_DOUBLE_EQ(right.MessageRectTwips().right(), 0.88 * 4500);
}

TEST(MsgBox, PropertiesHaveTheirDefaults) {
    ctlMsgBox box;
    EXPECT_EQ(box.width(), 4500);
    EXPECT_EQ(box.height(), 2200);
    EXPECT_EQ(box.WaitTime(), 0);
    EXPECT_EQ(box.BtnDefault(), 0);
    EXPECT_EQ(box.btnCancel(), 0);
    EXPECT_EQ(box.Version(), "1.1.1");
    EXPECT_EQ(box.msgText(), "Please Select !!");
    EXPECT_EQ(box.msgAlignment(), 2);
    EXPECT_EQ(box.BtnCaptions(), "OK");
    EXPECT_EQ(box.BtnValues(), "1");
    EXPECT_EQ(box.BtnHeight(), 400);
    EXPECT_EQ(box.BtnWidth(), 900);
    EXPECT_EQ(box.btnSpacing(), 180);
    EXPECT_FALSE(box.Moveable());
    EXPECT_FALSE(box.ControlBox());
    EXPECT_FALSE(box.alwaysOnTop());
    EXPECT_FALSE(box.CheckBoxVisible());
    EXPECT_TRUE(box.backImage().isNull());
    // The property names under which a host keeps them.
    for (const char* name :
         {"width",      "height",         "BackImage", "BackColor", "Moveable",
          "ControlBox", "AlwaysOnTop",    "BtnFont",   "WaitTime",  "BtnDefault",
          "BtnCancel",  "Version",        "msgText",   "msgColor",  "msgAlignment",
          "msgFont",    "BtnCaptions",    "BtnHeight", "BtnWidth",  "btnSpacing",
          "BtnValues",  "CheckboxVisible"}) {
        EXPECT_TRUE(box.property(name).isValid()) << name;
    }
}

TEST(MsgBox, AskSplitsCaptionsAndValues) {
    ctlMsgBox box;
    box.setBtnCaptions(QStringLiteral("Save;Discard;Cancel"));
    box.setBtnValues(QStringLiteral("10;20"));
    box.setBtnDefault(2);
    box.setBtnCancel(3);
    const MsgBoxState state = box.StateForAsk(QString());
    EXPECT_EQ(state.msgText, "Please Select !!");
    ASSERT_EQ(state.buttonCount, 3);
    EXPECT_EQ(state.ValueOf(1), 10);
    EXPECT_EQ(state.ValueOf(2), 20);
    EXPECT_EQ(state.ValueOf(3), 3) << "a slot without a value keeps its number";
    EXPECT_EQ(state.btnDefault, 2);
    EXPECT_EQ(state.btnCancel, 3);

    box.setBtnCaptions(QStringLiteral("1;2;3;4;5;6;7;8"));
    EXPECT_EQ(box.StateForAsk("x").buttonCount, 6);

    box.setBtnCaptions(QStringLiteral("Save;Discard;Cancel"));
    box.setFormHook([](frmMsgBox& f) {
        QTimer::singleShot(0, &f, [&f] { QTest::keyClick(&f, Qt::Key_Escape); });
    });
    EXPECT_EQ(box.msgAsk(QStringLiteral("Keep the changes?")), 3);
}

TEST(MsgBox, CheckBoxReportsDontShowAgain) {
    ctlMsgBox box;
    box.setCheckBoxVisible(true);
    QSignalSpy spy(&box, &ctlMsgBox::dontShowAgainChosen);
    box.setFormHook([](frmMsgBox& f) {
        EXPECT_TRUE(f.CheckBox()->isVisibleTo(&f));
        EXPECT_EQ(f.CheckBox()->text(), "Don't show this dialog in the future");
        QTimer::singleShot(0, &f, [&f] {
            f.CheckBox()->setChecked(true);
            f.Button(1)->click();
        });
    });
    EXPECT_EQ(box.msgBox(QStringLiteral("Notice"), 0), vbOK);
    EXPECT_TRUE(box.DontShowAgain());
    EXPECT_EQ(spy.count(), 1);

    box.setCheckBoxVisible(false);
    box.setFormHook([](frmMsgBox& f) {
        EXPECT_FALSE(f.CheckBox()->isVisibleTo(&f));
        QTimer::singleShot(0, &f, [&f] { f.Button(1)->click(); });
    });
    box.msgBox(QStringLiteral("Notice"), 0);
    EXPECT_EQ(spy.count(), 1);
}

TEST(MsgBox, BackgroundPictureOfNoWidthCountsAsNone) {
    ctlMsgBox box;
    MsgBoxState state;
    box.InitControl(state);
    EXPECT_FALSE(state.hasBackImage);
    QPixmap tile(8, 8);
    tile.fill(Qt::white);
    box.setBackImage(tile);
    box.InitControl(state);
    EXPECT_TRUE(state.hasBackImage);
}

TEST(MessageService, ShowMessageGoesThroughTheInstalledBox) {
    ctlMsgBox box;
    QString shown;
    box.setFormHook([&shown](frmMsgBox& f) {
        shown = f.MessageLabel()->text();
        QTimer::singleShot(0, &f, [&f] { f.Button(1)->click(); });
    });
    InstallMessageBox(&box);
    EXPECT_EQ(ShowMessage("Insert CD Labeld\r\nHoliday 2003", vbRetryCancel), vbRetry);
    EXPECT_EQ(shown, "Insert CD Labeld\nHoliday 2003");
    InstallMessageBox(nullptr);
    SetMessageSink({});
}

}  // namespace
}  // namespace karvio
