// What a screen reader hears: every window and dialog of the program walked through Qt's
// accessibility tree (the tree the AT-SPI bridge hands to screen readers). Every control that
// takes input has a name, no name is a code identifier ("FileName", "lblTime"), and every label
// is heard as what it shows, values included.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QLabel>
#include <QRegularExpression>
#include <QTextDocument>

#include "compare/frmCompare.h"
#include "compare/frmDuplicates.h"
#include "compare/frmVerify.h"
#include "controls/ItemIcons.h"
#include "mainwindow/frmMenu.h"
#include "maintenance/frmAnimation2.h"
#include "msgbox/ctlMsgBox.h"
#include "msgbox/frmMsgBox.h"
#include "report/frmPreviewOptions.h"
#include "scan/frmAnimation.h"
#include "scan/frmEdit.h"
#include "scan/frmScan.h"
#include "explorer/frmCategoryProperties.h"
#include "explorer/frmCategorySelect.h"
#include "splash/frmAbout.h"
#include "startup/Startup.h"
#include "DialogTestSupport.h"
#include "support/SampleCatalogue.h"
#include "views/frmProperties.h"
#include "views/frmTip.h"

namespace karvio {
namespace {

using testing::SampleDir;
using testing::SampleFile;

bool NeedsName(QAccessible::Role role) {
    switch (role) {
        case QAccessible::PushButton:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::EditableText:
        case QAccessible::ComboBox:
        case QAccessible::List:
        case QAccessible::Tree:
        case QAccessible::Table:
        case QAccessible::SpinBox:
        case QAccessible::Slider:
        case QAccessible::PageTabList:
            return true;
        default:
            return false;
    }
}

// A name made for the program's code rather than for a listener: one word that is a control's
// name ("lblTime", "ListView1", "FileName", "Date_Sorting").
bool LooksLikeCode(const QString& name) {
    static const QRegularExpression code(
        QStringLiteral("^(lbl|fld|txt|btn|chk|opt|cbo|lst|pic|mnu|pop|frm)[A-Z0-9_]|^[A-Z][a-z]+[A-Z][A-Za-z]*$|"
                       "_|[A-Za-z][0-9]+$"));
    return !name.contains(' ') && code.match(name).hasMatch();
}

QString Shown(const QLabel* label) {
    QString text = label->text();
    if (label->textFormat() == Qt::RichText || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
        QTextDocument document;
        document.setHtml(text);
        text = document.toPlainText();
    }
    return text.remove('&').simplified();
}

void Walk(QAccessibleInterface* node, const QString& where, QStringList* problems) {
    if (!node || !node->isValid() || node->state().invisible) return;
    const QString name = node->text(QAccessible::Name).simplified();
    QObject* object = node->object();
    const QString here = where + "/" + (object && !object->objectName().isEmpty() ? object->objectName()
                                                                                  : QString::number(node->role()));
    if (NeedsName(node->role()) && name.isEmpty()) problems->append(here + ": no name");
    if (!name.isEmpty() && LooksLikeCode(name)) problems->append(here + ": named \"" + name + "\"");
    if (const auto* label = qobject_cast<const QLabel*>(object)) {
        const QString shown = Shown(label);
        if (!shown.isEmpty() && !name.contains(shown) && !node->text(QAccessible::Description).contains(shown))
            problems->append(here + ": shows \"" + shown + "\" but is heard as \"" + name + "\"");
    }
    // The rows of a list are its model's; the list itself is checked.
    if (qobject_cast<QAbstractItemView*>(object)) return;
    for (int i = 0; i < node->childCount(); ++i) Walk(node->child(i), here, problems);
}

QStringList Problems(QWidget* window) {
    window->show();
    QCoreApplication::processEvents();
    QStringList problems;
    Walk(QAccessible::queryAccessibleInterface(window), window->objectName(), &problems);
    window->hide();
    return problems;
}

class Accessibility : public testing::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        classData data(DataFilePath);
        cdId_ = testing::AddSampleCd(
            data, "Alpha",
            {SampleDir("", "\\", {SampleFile("top.txt", 1234, "top notes")}),
             SampleDir("Photos", "\\", {SampleFile("a.jpg", 300)}, "holiday")},
            0, "first disc");
        classCd& cd = data.GetCdGoto(cdId_);
        dirId_ = cd.GetDirFirst().GetDirId();
        fileId_ = cd.GetDirGoto(dirId_).GetFileFirst().GetFileId();
    }

    int32_t cdId_ = 0, dirId_ = 0, fileId_ = 0;
};

TEST_F(Accessibility, EveryDialogIsHeardAsItIsSeen) {
    frmMenu menu;
    InstallProgramWindows(menu);
    menu.MenuStart();
    QCoreApplication::processEvents();
    EXPECT_EQ(Problems(&menu).join("\n").toStdString(), "") << "main window with the explorer";
    menu.mnuViewPanels_Click();
    EXPECT_EQ(Problems(&menu).join("\n").toStdString(), "") << "main window with the CD panel";
    menu.mnuCdSearch_Click();
    EXPECT_EQ(Problems(&menu).join("\n").toStdString(), "") << "main window with the search window";
    menu.mnuViewExplorer_Click();

    const std::pair<int, int32_t> items[] = {{kIconCd, cdId_}, {kIconDirectory, dirId_}, {kIconFile, fileId_}};
    for (const auto& [kind, id] : items) {
        frmProperties properties(kind, id);
        EXPECT_EQ(Problems(&properties).join("\n").toStdString(), "") << "properties of kind " << kind;
    }
    frmAnimation animation;
    EXPECT_EQ(Problems(&animation).join("\n").toStdString(), "") << "scan progress";
    frmScan scan(0, 0, animation);
    EXPECT_EQ(Problems(&scan).join("\n").toStdString(), "") << "scan dialog";
    frmEdit edit(cdId_);
    EXPECT_EQ(Problems(&edit).join("\n").toStdString(), "") << "edit dialog";
    frmPreviewOptions options;
    EXPECT_EQ(Problems(&options).join("\n").toStdString(), "") << "preview options";
    frmCategoryProperties category(0, kIconCategory);
    EXPECT_EQ(Problems(&category).join("\n").toStdString(), "") << "category properties";
    frmCategorySelect select;
    EXPECT_EQ(Problems(&select).join("\n").toStdString(), "") << "category selection";
    frmTip tip;
    EXPECT_EQ(Problems(&tip).join("\n").toStdString(), "") << "tip of the day";
    frmAbout about;
    EXPECT_EQ(Problems(&about).join("\n").toStdString(), "") << "about box";
    frmDuplicates duplicates;
    EXPECT_EQ(Problems(&duplicates).join("\n").toStdString(), "") << "duplicates window";
    frmCompare compare;
    EXPECT_EQ(Problems(&compare).join("\n").toStdString(), "") << "comparison window";
    frmVerify verify;
    EXPECT_EQ(Problems(&verify).join("\n").toStdString(), "") << "verification window";
    frmAnimation2 compaction;
    EXPECT_EQ(Problems(&compaction).join("\n").toStdString(), "") << "compaction progress";
    ctlMsgBox box;
    frmMsgBox message(box.StateFor("Compact Data Files ??", MsgBoxButtonsForStyle(3)));
    EXPECT_EQ(Problems(&message).join("\n").toStdString(), "") << "message box";
    menu.hide();
}

}  // namespace
}  // namespace karvio
