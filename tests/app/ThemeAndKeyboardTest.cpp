// The program under a dark colour scheme (the tree's captions and the message box take their
// colours from the palette; a light palette keeps the program's own colours) and the keyboard in
// notes boxes (Tab moves on, Ctrl+Tab writes a tab) in every window that has one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <cmath>

#include "controls/ItemIcons.h"
#include "controls/ThemeColors.h"
#include "explorer/CategoryTreeModel.h"
#include "explorer/frmCategoryProperties.h"
#include "msgbox/ctlMsgBox.h"
#include "msgbox/frmMsgBox.h"
#include "scan/frmAnimation.h"
#include "scan/frmEdit.h"
#include "scan/frmScan.h"
#include "DialogTestSupport.h"
#include "support/SampleCatalogue.h"
#include "views/frmBrowseCD.h"
#include "views/frmProperties.h"

namespace karvio {
namespace {

QPalette DarkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2d, 0x2d, 0x2d));
    dark.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::AlternateBase, QColor(0x2d, 0x2d, 0x2d));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    return dark;
}

// The WCAG contrast ratio of two colours.
double Contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Sets the application's palette for the life of the object.
class PaletteScope {
public:
    explicit PaletteScope(const QPalette& palette) : saved_(QApplication::palette()) { QApplication::setPalette(palette); }
    ~PaletteScope() { QApplication::setPalette(saved_); }

private:
    QPalette saved_;
};

TEST(DarkScheme, TreeCaptionsTakeReadableColoursAndALightSchemeKeepsTheProgramsOwn) {
    CategoryTreeModel tree;
    const NodeHandle category = tree.AddNode(kRootNode, kIconCategory, 90, "Music");
    const NodeHandle directory = tree.AddNode(category, kIconDirectory, 91, "Photos");
    auto colourOf = [&tree](NodeHandle node) { return tree.data(tree.IndexOf(node), Qt::ForegroundRole).value<QColor>(); };
    {
        PaletteScope light{QPalette(QColor(0xef, 0xef, 0xef))};
        ASSERT_FALSE(IsDarkPalette(QApplication::palette()));
        EXPECT_EQ(colourOf(kRootNode), QColor(0, 0, 0));
        EXPECT_EQ(colourOf(category), QColor(0, 0, 0));
        EXPECT_EQ(colourOf(directory), QColor(143, 0, 0));
    }
    PaletteScope dark(DarkPalette());
    ASSERT_TRUE(IsDarkPalette(QApplication::palette()));
    for (const NodeHandle node : {kRootNode, category, directory}) {
        EXPECT_GE(Contrast(colourOf(node), QColor(0x1e, 0x1e, 0x1e)), 4.5) << node;
    }
    const QColor red = colourOf(directory);
    EXPECT_GT(red.red(), red.green() + 40) << "directories stay red";
}

TEST(DarkScheme, MessagesAreDarkWithReadableText) {
    PaletteScope dark(DarkPalette());
    ctlMsgBox box;
    box.setMsgColor(QColor(0, 0, 143));
    QPixmap light(32, 32);  // a picture that belongs to a light scheme
    light.fill(Qt::white);
    box.setBackImage(light);
    frmMsgBox form(box.StateFor("Nothing Entered To Search For", MsgBoxButtonsForStyle(0)));
    form.show();
    const QImage shot = form.grab().toImage();
    const QColor corner = shot.pixelColor(2, 2);
    EXPECT_LT(corner.lightness(), 100) << "the form is dark";
    const QColor text = form.MessageLabel()->palette().color(QPalette::WindowText);
    EXPECT_GE(Contrast(text, corner), 4.5);
}

class NotesBoxes : public testing::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        classData data(DataFilePath);
        cdId_ = testing::AddSampleCd(data, "Alpha", {testing::SampleDir("", "\\", {testing::SampleFile("a.txt", 1)})});
    }

    // In `window`'s notes box: Tab leaves the box as it was, Ctrl+Tab writes a tab.
    static void CheckKeys(QWidget* window, const char* which) {
        auto* notes = window->findChild<QPlainTextEdit*>();
        ASSERT_NE(notes, nullptr) << which;
        window->show();
        QApplication::setActiveWindow(window);
        notes->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window)) << which;
        ASSERT_TRUE(notes->hasFocus()) << which;
        notes->setPlainText(QStringLiteral("note"));
        notes->moveCursor(QTextCursor::End);
        QTest::keyClick(notes, Qt::Key_Tab);
        EXPECT_FALSE(notes->hasFocus()) << which << ": Tab moves on";
        EXPECT_EQ(notes->toPlainText(), "note") << which;
        notes->setFocus();
        QTest::keyClick(notes, Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_FALSE(notes->hasFocus()) << which << ": Shift+Tab moves back";
        notes->setFocus();
        notes->moveCursor(QTextCursor::End);
        QTest::keyClick(notes, Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(notes->toPlainText(), "note\t") << which << ": Ctrl+Tab writes a tab";
        window->hide();
    }

    int32_t cdId_ = 0;
};

TEST_F(NotesBoxes, TabMovesOnInEveryWindowWithNotes) {
    frmBrowseCD panel;
    panel.resize(800, 600);
    panel.RefillListCds(cdId_, true);
    CheckKeys(&panel, "CD panel");
    frmProperties properties(kIconCd, cdId_);
    CheckKeys(&properties, "properties");
    frmEdit edit(cdId_);
    CheckKeys(&edit, "edit");
    frmAnimation animation;
    frmScan scan(0, 0, animation);
    CheckKeys(&scan, "scan");
    frmCategoryProperties category(0, kIconCategory);
    CheckKeys(&category, "category");
}

}  // namespace
}  // namespace karvio
