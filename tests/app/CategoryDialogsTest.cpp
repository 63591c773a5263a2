// The category selection and properties dialogs on a temporary catalogue: choosing, adding,
// renaming, the refusals of Remove and of a move into itself, and the picture cycle.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include "DialogTestSupport.h"
#include "TransferRecords.h"
#include "classCat.h"
#include "controls/ItemIcons.h"
#include "explorer/frmCategoryProperties.h"
#include "explorer/frmCategorySelect.h"
#include "../support/SampleCatalogue.h"

using namespace karvio;

namespace {

class CategoryDialogs : public karvio::testing::DialogTest {
protected:
    int32_t Add(const std::string& name, int32_t parent, int32_t image = 6) {
        classData data;
        CatInfo info;
        info.CatName = name;
        info.CatImageId = image;
        info.CatParentId = parent;
        return AddCatInfo(data, info);
    }
    static CatInfo Read(int32_t id) {
        classData data;
        return ReadCatInfo(data, id);
    }
};

}  // namespace

TEST_F(CategoryDialogs, ChooseAddRenameAndRemove) {
    const int32_t music = Add("Music", 0);
    const int32_t jazz = Add("Jazz", music);
    const int32_t films = Add("Films", 0);
    {
        classData data;
        karvio::testing::AddSampleCd(data, "Holiday", {{"", "\\", {{"a.jpg", 10}}}}, films);
    }

    int32_t result = 5;
    WhenModal([](QWidget* w) { QTest::mouseClick(w->findChild<QPushButton*>("btnCancel"), Qt::LeftButton); });
    frmCategorySelect::SelectCategory(music, result);
    EXPECT_EQ(result, -1);
    WhenModal([](QWidget* w) { QTest::mouseClick(w->findChild<QPushButton*>("btnOK"), Qt::LeftButton); });
    frmCategorySelect::SelectCategory(0, result);
    EXPECT_EQ(result, 0);  // opens on the root

    frmCategorySelect dialog;
    dialog.show();
    ASSERT_TRUE(dialog.SelectNode(jazz));
    asked_.clear();
    // Remove refuses the root, a category with sub-categories and one that still holds CDs.
    dialog.SelectNode(0);
    QTest::mouseClick(dialog.btnRemove(), Qt::LeftButton);
    dialog.SelectNode(0);
    QTest::mouseClick(dialog.btnProperties(), Qt::LeftButton);
    dialog.SelectNode(music);
    QTest::mouseClick(dialog.btnRemove(), Qt::LeftButton);
    dialog.SelectNode(films);
    QTest::mouseClick(dialog.btnRemove(), Qt::LeftButton);
    ASSERT_EQ(asked_.size(), 4u);
    EXPECT_EQ(asked_[0], "Cannot delete category [Karvio] because it contains children!! remove all children and try again");
    EXPECT_EQ(asked_[1], "Root Properties Cannot Be Edited");
    EXPECT_EQ(asked_[2], "Cannot delete category [Music] because it contains children!! remove all children and try again");
    EXPECT_NE(asked_[3].find("[Films] because it contains CDs"), std::string::npos) << asked_[3];
    EXPECT_EQ(Read(films).CatName, "Films");

    // Insert adds "New Category" below the selection with the default picture.
    dialog.SelectNode(jazz);
    QTest::keyClick(dialog.TreeView1(), Qt::Key_Insert);
    const int32_t added = dialog.SelectedId();
    ASSERT_GT(added, 0);
    EXPECT_EQ(Read(added).CatName, "New Category");
    EXPECT_EQ(Read(added).CatImageId, 6);
    EXPECT_EQ(Read(added).CatParentId, jazz);
    const QModelIndex index = dialog.TreeView1()->currentIndex();
    EXPECT_EQ(index.data(Qt::UserRole + 3).toString().toStdString(),
              "Root\\.Category" + std::to_string(music) + "\\.Category" + std::to_string(jazz) +
                  "\\.Category" + std::to_string(added));
    // Renaming through the model: an empty text keeps the name, another is stored.
    dialog.Model()->setData(index, QString("  "));
    EXPECT_EQ(Read(added).CatName, "New Category");
    dialog.Model()->setData(dialog.TreeView1()->currentIndex(), QString("Bebop"));
    EXPECT_EQ(Read(added).CatName, "Bebop");

    // A move into its own sub-category is refused; a move to the root is stored.
    asked_.clear();
    EXPECT_FALSE(dialog.MoveCategory(music, added));
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0], "A node can't be made a child of its own children.");
    EXPECT_EQ(Read(music).CatParentId, 0);
    EXPECT_TRUE(dialog.MoveCategory(added, 0));
    EXPECT_EQ(Read(added).CatParentId, 0);

    // A leaf asks; No keeps it, Yes removes it from the store and the tree.
    dialog.SelectNode(added);
    answers_ = {vbNo};
    QTest::keyClick(dialog.TreeView1(), Qt::Key_Delete);
    EXPECT_TRUE(dialog.SelectNode(added));
    answers_ = {vbYes};
    QTest::mouseClick(dialog.btnRemove(), Qt::LeftButton);
    EXPECT_EQ(asked_.back(), "Remove category\r\n[Bebop]");
    EXPECT_FALSE(dialog.SelectNode(added));
    classData data;
    EXPECT_EQ(data.GetCatCount(), 3);
}

TEST_F(CategoryDialogs, PropertiesCycleThePicturesAndStoreOnlyOnOk) {
    const int32_t music = Add("Music", 0);
    {
        frmCategoryProperties dialog(music, 6);
        dialog.imgNext_Click();  // the default picture steps to the first chosen one
        EXPECT_EQ(dialog.IconIndex(), kFirstCategoryPicture);
        QTest::mouseClick(dialog.imgPrev(), Qt::LeftButton);
        EXPECT_EQ(dialog.IconIndex(), LastCategoryPicture());
        QTest::mouseClick(dialog.imgNext(), Qt::LeftButton);
        EXPECT_EQ(dialog.IconIndex(), kFirstCategoryPicture);
    }
    WhenModal([](QWidget* w) {
        auto* d = qobject_cast<frmCategoryProperties*>(w);
        d->fldNotes()->setPlainText("dropped");
        QTest::mouseClick(d->imgNext(), Qt::LeftButton);
        QTest::mouseClick(d->btnCancel(), Qt::LeftButton);
    });
    EXPECT_EQ(frmCategoryProperties::EditCategory(music, 6), 0);
    EXPECT_EQ(Read(music).CatNotes, "");
    EXPECT_EQ(Read(music).CatImageId, 6);
    WhenModal([](QWidget* w) {
        auto* d = qobject_cast<frmCategoryProperties*>(w);
        d->fldNotes()->setPlainText("Records and rips");
        QTest::mouseClick(d->imgNext(), Qt::LeftButton);
        QTest::mouseClick(d->imgNext(), Qt::LeftButton);
        QTest::mouseClick(d->btnOK(), Qt::LeftButton);
    });
    EXPECT_EQ(frmCategoryProperties::EditCategory(music, 6), 8);
    EXPECT_EQ(Read(music).CatNotes, "Records and rips");
    EXPECT_EQ(Read(music).CatImageId, 8);
}
