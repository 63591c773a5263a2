// The explorer's editing commands driven through the real views: keys, caption editors, a mouse
// drag and drop events, with scripted message answers; the store is read back afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#include "CatalogueCheck.h"
#include "DialogTestSupport.h"
#include "FolderLoads.h"
#include "TransferRecords.h"
#include "classData.h"
#include "controls/ItemIcons.h"
#include "explorer/frmBrowse2.h"
#include "explorer/frmCategoryProperties.h"
#include "mainwindow/frmMenu.h"
#include "support/SampleCatalogue.h"

namespace karvio {
namespace {

const char* const kOnlyContainers = "You can only move a CD or folder between categories";
const char* const kOwnChildren = "A node can't be made a child of its own children.";
const char* const kDragRefused =
    "Drag && Drop is only avaiable for the containers, and not the individual files or directories";

class ExplorerEdit : public testing::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        classData data(DataFilePath);
        musicId_ = AddCategory(data, "Music", 0);
        jazzId_ = AddCategory(data, "Jazz", musicId_);
        booksId_ = AddCategory(data, "Books", 0);
        using testing::SampleDir;
        using testing::SampleFile;
        alphaId_ = testing::AddSampleCd(
            data, "Alpha",
            {SampleDir("", "\\", {SampleFile("top.txt", 10)}), SampleDir("Photos", "\\")}, musicId_);
        betaId_ = testing::AddSampleCd(data, "Beta", {SampleDir("", "\\")}, booksId_);
    }
    static int32_t AddCategory(classData& data, const std::string& name, int32_t parent) {
        CatInfo info;
        info.CatName = name;
        info.CatImageId = kIconCategory;
        info.CatParentId = parent;
        return AddCatInfo(data, info);
    }
    static std::string CatName(int32_t id) {
        classData data;
        return data.GetCatGoto(id).GetCatName();
    }
    static int32_t CatParent(int32_t id) {
        classData data;
        return data.GetCatGoto(id).GetCatParentId();
    }
    static std::string CdName(int32_t id) {
        classData data;
        return data.GetCdGoto(id).GetCdName();
    }
    static int32_t CdCategory(int32_t id) {
        classData data;
        return data.GetCdGoto(id).GetCdCategory();
    }
    static int CategoryCount() {
        classData data;
        int count = 0;
        for (data.GetCatFirst(); !data.GetCatEof(); data.GetCatNext()) ++count;
        return count;
    }
    // Selects the node in the tree as a click does and gives the tree the focus.
    static void Pick(frmBrowse2& view, NodeHandle node) {
        view.TreeView1()->setFocus();
        view.TreeView1()->setCurrentIndex(view.TreeModel()->IndexOf(node));
        view.TreeView1()->clicked(view.TreeModel()->IndexOf(node));
        EXPECT_TRUE(testing::AwaitFolders(*view.TreeModel()));
    }
    static int ListRowOf(frmBrowse2& view, const QString& name) {
        for (int row = 0; row < view.ListModel()->rowCount(); ++row)
            if (view.ListModel()->Name(row) == name) return row;
        return -1;
    }
    static void PickRow(frmBrowse2& view, int row) {
        view.ListView1()->setFocus();
        view.ListView1()->selectionModel()->setCurrentIndex(
            view.ListModel()->index(row, 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    // The caption editor the view has open (a closed one lingers until deleted), or null.
    static QLineEdit* OpenEditor(QAbstractItemView* view) {
        for (QLineEdit* editor : view->viewport()->findChildren<QLineEdit*>())
            if (editor->isVisible()) return editor;
        return nullptr;
    }
    // Types into the caption editor the view has open and ends the edit with Enter.
    static void TypeCaption(QAbstractItemView* view, const QString& text) {
        QLineEdit* editor = OpenEditor(view);
        ASSERT_NE(editor, nullptr) << "no caption editor open";
        editor->selectAll();
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    static QPoint Centre(frmBrowse2& view, NodeHandle node) {
        return view.TreeView1()->visualRect(view.TreeModel()->IndexOf(node)).center();
    }
    // Delivers a drop of `data` at `at` on the view as the window system would: enter, move,
    // drop; the explorer handles it once the drop event is over. Whether the view took it.
    static bool Drop(QAbstractItemView* view, const QMimeData* data, QPoint at) {
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(view->viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(view->viewport(), &move);
        QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(view->viewport(), &drop);
        QCoreApplication::processEvents();
        return enter.isAccepted() && drop.isAccepted();
    }
    static QMimeData* TreeDrag(frmBrowse2& view, NodeHandle node) {
        return view.TreeModel()->mimeData({view.TreeModel()->IndexOf(node)});
    }

    int32_t musicId_ = 0, jazzId_ = 0, booksId_ = 0, alphaId_ = 0, betaId_ = 0;
};

TEST_F(ExplorerEdit, AddsNestedCategoriesAndRenamesThemInTheTree) {
    frmBrowse2 view;
    view.resize(800, 500);
    view.show();
    CategoryTreeModel* tree = view.TreeModel();
    const int before = CategoryCount();

    // Insert on the root: "New Category" below it, bold, icon 6, its caption open.
    Pick(view, kRootNode);
    QTest::keyClick(view.TreeView1(), Qt::Key_Insert);
    NodeHandle added = view.SelectedNode();
    ASSERT_NE(added, kRootNode);
    EXPECT_EQ(tree->Parent(added), kRootNode);
    EXPECT_EQ(tree->Caption(added), "New Category");
    EXPECT_EQ(tree->Kind(added), kIconCategory);
    EXPECT_TRUE(tree->Bold(added));
    TypeCaption(view.TreeView1(), "Films");
    const int32_t filmsId = tree->Tag(added);
    EXPECT_EQ(CatName(filmsId), "Films");
    EXPECT_EQ(CatParent(filmsId), 0);
    EXPECT_EQ(tree->Key(added), "Root\\.Category" + std::to_string(filmsId));

    // A nested one, whose edit ends empty: it keeps its name.
    QTest::keyClick(view.TreeView1(), Qt::Key_Insert);
    const NodeHandle nested = view.SelectedNode();
    EXPECT_EQ(tree->Parent(nested), added);
    TypeCaption(view.TreeView1(), "   ");
    EXPECT_EQ(CatName(tree->Tag(nested)), "New Category");
    EXPECT_EQ(tree->Caption(nested), "New Category");
    EXPECT_EQ(CatParent(tree->Tag(nested)), filmsId);
    // F2 gives it a name after all.
    QTest::keyClick(view.TreeView1(), Qt::Key_F2);
    TypeCaption(view.TreeView1(), "Westerns");
    EXPECT_EQ(CatName(tree->Tag(nested)), "Westerns");
    EXPECT_EQ(CategoryCount(), before + 2);

    // Insert on a CD adds nothing; F2 on a CD renames the CD.
    const NodeHandle alpha = tree->CdNode(alphaId_);
    Pick(view, alpha);
    QTest::keyClick(view.TreeView1(), Qt::Key_Insert);
    EXPECT_EQ(CategoryCount(), before + 2);
    QTest::keyClick(view.TreeView1(), Qt::Key_F2);
    TypeCaption(view.TreeView1(), "Alpha 2004");
    EXPECT_EQ(CdName(alphaId_), "Alpha 2004");
    EXPECT_EQ(tree->Caption(alpha), "Alpha 2004");

    // A directory cannot be renamed; the root's caption changes in the tree only.
    const NodeHandle photos = tree->Children(alpha).front();
    Pick(view, photos);
    QTest::keyClick(view.TreeView1(), Qt::Key_F2);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0], "You can only edit container names, cd names, folder names or the data name");
    EXPECT_EQ(OpenEditor(view.TreeView1()), nullptr);
    Pick(view, kRootNode);
    QTest::keyClick(view.TreeView1(), Qt::Key_F2);
    TypeCaption(view.TreeView1(), "My discs");
    EXPECT_EQ(tree->Caption(kRootNode), "My discs");
    view.RefillListCds();
    EXPECT_EQ(tree->Caption(kRootNode), "Karvio");
    EXPECT_TRUE(CheckCatalogue(DataFilePath).Clean());
}

TEST_F(ExplorerEdit, RenamesCdsAndCategoriesInTheList) {
    frmBrowse2 view;
    view.resize(800, 500);
    view.show();
    CategoryTreeModel* tree = view.TreeModel();
    Pick(view, tree->CategoryNode(musicId_));
    int row = ListRowOf(view, "Alpha");
    ASSERT_GE(row, 0);
    PickRow(view, row);
    QTest::keyClick(view.ListView1(), Qt::Key_F2);
    TypeCaption(view.ListView1(), "Alpha live");
    EXPECT_EQ(CdName(alphaId_), "Alpha live");
    EXPECT_EQ(tree->Caption(tree->CdNode(alphaId_)), "Alpha live");
    EXPECT_GE(ListRowOf(view, "Alpha live"), 0);

    row = ListRowOf(view, "Jazz");
    PickRow(view, row);
    QTest::keyClick(view.ListView1(), Qt::Key_F2);
    TypeCaption(view.ListView1(), "");
    EXPECT_EQ(CatName(jazzId_), "Jazz") << "an empty edit keeps the name";
    QTest::keyClick(view.ListView1(), Qt::Key_F2);
    TypeCaption(view.ListView1(), "Bebop");
    EXPECT_EQ(CatName(jazzId_), "Bebop");
    EXPECT_EQ(tree->Caption(tree->CategoryNode(jazzId_)), "Bebop");

    // A file row cannot be renamed.
    Pick(view, tree->CdNode(alphaId_));
    PickRow(view, ListRowOf(view, "top.txt"));
    QTest::keyClick(view.ListView1(), Qt::Key_F2);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(OpenEditor(view.ListView1()), nullptr);
    EXPECT_TRUE(CheckCatalogue(DataFilePath).Clean());
}

TEST_F(ExplorerEdit, MovesCdsAndCategoriesByDragAndDrop) {
    frmBrowse2 view;
    view.resize(800, 600);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    CategoryTreeModel* tree = view.TreeModel();
    QTreeView* treeView = view.TreeView1();
    const NodeHandle books = tree->CategoryNode(booksId_);
    const NodeHandle music = tree->CategoryNode(musicId_);
    const NodeHandle jazz = tree->CategoryNode(jazzId_);
    const NodeHandle beta = tree->CdNode(betaId_);
    treeView->expandAll();

    // A real mouse drag of "Beta" in the tree: press, move past the drag distance. The offscreen
    // platform ends QDrag::exec at once without a drop, so the drop is delivered with the data
    // the drag itself carried.
    const QPoint from = Centre(view, beta);
    QTest::mousePress(treeView->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(treeView->viewport(), from + QPoint(5, 5));
    QTest::mouseMove(treeView->viewport(), from + QPoint(5, 5 + 2 * QApplication::startDragDistance()));
    QTest::mouseRelease(treeView->viewport(), Qt::LeftButton, {}, from + QPoint(5, 30));
    auto* drag = treeView->findChild<QDrag*>();
    ASSERT_NE(drag, nullptr) << "the mouse did not start a drag";
    ASSERT_NE(drag->mimeData(), nullptr);
    EXPECT_TRUE(Drop(treeView, drag->mimeData(), Centre(view, music)));
    EXPECT_EQ(tree->Parent(beta), music);
    EXPECT_EQ(CdCategory(betaId_), musicId_);
    EXPECT_EQ(tree->Key(beta), "Root\\.Category" + std::to_string(musicId_) + "\\" + std::to_string(betaId_));
    EXPECT_TRUE(asked_.empty());

    // A category with its sub-category and CDs below the root's other category.
    std::unique_ptr<QMimeData> musicDrag(TreeDrag(view, music));
    EXPECT_TRUE(Drop(treeView, musicDrag.get(), Centre(view, books)));
    EXPECT_EQ(tree->Parent(music), books);
    EXPECT_EQ(CatParent(musicId_), booksId_);
    EXPECT_EQ(tree->Parent(jazz), music);

    // From the list onto the tree: the Jazz row of Music's list onto the root.
    Pick(view, music);
    const int jazzRow = ListRowOf(view, "Jazz");
    ASSERT_GE(jazzRow, 0);
    std::unique_ptr<QMimeData> rowDrag(view.ListModel()->mimeData({view.ListModel()->index(jazzRow, 0)}));
    ASSERT_NE(rowDrag, nullptr);
    EXPECT_TRUE(Drop(treeView, rowDrag.get(), Centre(view, kRootNode)));
    EXPECT_EQ(tree->Parent(jazz), kRootNode);
    EXPECT_EQ(CatParent(jazzId_), 0);
    EXPECT_EQ(ListRowOf(view, "Jazz"), -1) << "the list shows the move";

    // Within the list: a drop beside the rows goes to the category the list shows.
    Pick(view, kRootNode);
    std::unique_ptr<QMimeData> alphaDrag(TreeDrag(view, tree->CdNode(alphaId_)));
    QAbstractItemView* list = view.ListView1();
    EXPECT_TRUE(Drop(list, alphaDrag.get(), QPoint(5, list->viewport()->height() - 5)));
    EXPECT_EQ(CdCategory(alphaId_), 0);
    EXPECT_EQ(tree->Parent(tree->CdNode(alphaId_)), kRootNode);
    EXPECT_GE(ListRowOf(view, "Alpha"), 0);
    EXPECT_TRUE(asked_.empty());
    EXPECT_TRUE(CheckCatalogue(DataFilePath).Clean());
}

TEST_F(ExplorerEdit, RefusedDragsAndDropsChangeNothing) {
    frmBrowse2 view;
    view.resize(800, 600);
    view.show();
    CategoryTreeModel* tree = view.TreeModel();
    QTreeView* treeView = view.TreeView1();
    treeView->expandAll();
    const NodeHandle music = tree->CategoryNode(musicId_);
    const NodeHandle jazz = tree->CategoryNode(jazzId_);
    const NodeHandle alpha = tree->CdNode(alphaId_);
    const NodeHandle beta = tree->CdNode(betaId_);

    std::unique_ptr<QMimeData> betaDrag(TreeDrag(view, beta));
    Drop(treeView, betaDrag.get(), Centre(view, alpha));
    std::unique_ptr<QMimeData> musicDrag(TreeDrag(view, music));
    Drop(treeView, musicDrag.get(), Centre(view, music));
    Drop(treeView, musicDrag.get(), Centre(view, jazz));
    Drop(treeView, musicDrag.get(), Centre(view, tree->Children(alpha).front()));
    EXPECT_EQ(asked_, (std::vector<std::string>{kOnlyContainers, kOwnChildren, kOwnChildren,
                                                kOnlyContainers}));
    EXPECT_EQ(CdCategory(betaId_), booksId_);
    EXPECT_EQ(CatParent(musicId_), 0);
    EXPECT_EQ(tree->Parent(music), kRootNode);

    // Drags of the root, a directory or a file row are refused as they start.
    asked_.clear();
    EXPECT_EQ(TreeDrag(view, kRootNode), nullptr);
    EXPECT_EQ(TreeDrag(view, tree->Children(alpha).front()), nullptr);
    Pick(view, alpha);
    const int file = ListRowOf(view, "top.txt");
    ASSERT_GE(file, 0);
    EXPECT_EQ(view.ListModel()->mimeData({view.ListModel()->index(file, 0)}), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(asked_, (std::vector<std::string>(3, kDragRefused)));

    // A CD dropped on a file row of the list.
    asked_.clear();
    QAbstractItemView* list = view.ListView1();
    Drop(list, betaDrag.get(), list->visualRect(view.ListModel()->index(file, 0)).center());
    EXPECT_EQ(asked_, std::vector<std::string>{kOnlyContainers});

    // Files from a file manager and plain text are not taken, and nothing is said.
    asked_.clear();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(Folder("x.txt")))});
    QMimeData text;
    text.setText(QStringLiteral("Music"));
    QMimeData forged;
    forged.setData(QStringLiteral("application/x-karvio-explorer-item"), QByteArray("junk"));
    for (const QMimeData* foreign : {&files, &text, &forged}) {
        EXPECT_FALSE(Drop(treeView, foreign, Centre(view, music)));
        EXPECT_FALSE(Drop(list, foreign, QPoint(5, 5)));
    }
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(CdCategory(betaId_), booksId_);
    EXPECT_EQ(CdCategory(alphaId_), musicId_);
    EXPECT_TRUE(CheckCatalogue(DataFilePath).Clean());
}

TEST_F(ExplorerEdit, DeletesCdsAndEmptyCategoriesOnly) {
    frmBrowse2 view;
    view.resize(800, 500);
    view.show();
    CategoryTreeModel* tree = view.TreeModel();
    const NodeHandle music = tree->CategoryNode(musicId_);
    const int before = CategoryCount();

    // Music holds Jazz and a CD; Books holds a CD only; the root and a directory are no targets.
    Pick(view, music);
    QTest::keyClick(view.TreeView1(), Qt::Key_Delete);
    Pick(view, tree->CategoryNode(booksId_));
    QTest::keyClick(view.TreeView1(), Qt::Key_Delete);
    Pick(view, kRootNode);
    QTest::keyClick(view.TreeView1(), Qt::Key_Delete);
    const char* const kChildren =
        "Cannot delete category because it contains children!! remove all children and try again";
    EXPECT_EQ(asked_, (std::vector<std::string>{kChildren, kChildren,
                                                "You can only delete either a Category or a Folder Container"}));
    EXPECT_EQ(CategoryCount(), before);

    // Jazz is empty: No keeps it, Yes removes it from the store and the tree.
    asked_.clear();
    const NodeHandle jazz = tree->CategoryNode(jazzId_);
    Pick(view, jazz);
    answers_ = {vbNo, vbYes};
    QTest::keyClick(view.TreeView1(), Qt::Key_Delete);
    EXPECT_EQ(CategoryCount(), before);
    QTest::keyClick(view.TreeView1(), Qt::Key_Delete);
    EXPECT_EQ(asked_, (std::vector<std::string>(2, "Remove category\r\n[Jazz]")));
    EXPECT_EQ(CategoryCount(), before - 1);
    EXPECT_EQ(tree->CategoryNode(jazzId_), kNoNode);
    EXPECT_EQ(view.SelectedNode(), music);

    // The Alpha CD from Music's list, by the Delete key: asked, removed, the list refilled.
    asked_.clear();
    Pick(view, music);
    PickRow(view, ListRowOf(view, "Alpha"));
    answers_ = {vbYes, vbOK};
    QTest::keyClick(view.ListView1(), Qt::Key_Delete);
    ASSERT_GE(asked_.size(), 1u);
    EXPECT_EQ(asked_[0], "Remove Cd\r\n[Alpha]");
    EXPECT_EQ(tree->CdNode(alphaId_), kNoNode);
    EXPECT_EQ(view.ListModel()->rowCount(), 0);
    EXPECT_EQ(view.SelectedNode(), music);
    {
        classData data;
        int cds = 0;
        for (data.GetCdFirst(); !data.GetCdEof(); data.GetCdNext()) ++cds;
        EXPECT_EQ(cds, 1);
    }
    // Music is empty now and goes from the list of the root.
    asked_.clear();
    Pick(view, kRootNode);
    PickRow(view, ListRowOf(view, "Music"));
    answers_ = {vbYes};
    QTest::keyClick(view.ListView1(), Qt::Key_Delete);
    EXPECT_EQ(asked_, std::vector<std::string>{"Remove category\r\n[Music]"});
    EXPECT_EQ(ListRowOf(view, "Music"), -1);
    EXPECT_EQ(tree->CategoryNode(musicId_), kNoNode);
    EXPECT_TRUE(CheckCatalogue(DataFilePath).Clean());
}

TEST_F(ExplorerEdit, ContextMenusShowTheItemsOfTheKindAndF10OpensCategoryProperties) {
    frmMenu menu;
    frmBrowse2* view = new frmBrowse2(&menu);
    menu.SetExplorerView(view);
    view->resize(800, 500);
    view->show();
    CategoryTreeModel* tree = view->TreeModel();
    // Launch, add CD, first separator, add category, remove, rename, properties.
    auto shown = [&](const char* menuName, std::initializer_list<const char*> items, auto request) {
        request();
        QMenu* pop = menu.PopupMenu(QString::fromLatin1(menuName));
        EXPECT_TRUE(pop->isVisible()) << menuName;
        std::string visible;
        for (const char* item : items) visible += menu.Item(QLatin1String(item))->isVisible() ? '1' : '0';
        pop->hide();
        return visible;
    };
    const auto treeItems = {"popExpLaunch", "popExpAddCdOrFolder", "popExpTreeSeparator1", "popExpCatAdd",
                            "popExpCatRemove", "popExpCatRename", "popExpCatProperties"};
    auto onTree = [&](NodeHandle node) {
        return shown("mnuPopExpTree", treeItems, [&] {
            QWidget* viewport = view->TreeView1()->viewport();
            const QPoint at = Centre(*view, node);
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
            QApplication::sendEvent(viewport, &event);
        });
    };
    const NodeHandle alpha = tree->CdNode(alphaId_);
    view->TreeView1()->expand(tree->IndexOf(tree->CategoryNode(musicId_)));
    EXPECT_EQ(onTree(kRootNode), "0111001");
    EXPECT_EQ(onTree(tree->CategoryNode(jazzId_)), "0111111");
    EXPECT_EQ(view->SelectedNode(), tree->CategoryNode(jazzId_)) << "the right button selects the node";
    EXPECT_EQ(onTree(alpha), "0000111");
    view->TreeView1()->expand(tree->IndexOf(alpha));
    ASSERT_TRUE(testing::AwaitFolders(*tree));
    NodeHandle photos = kNoNode;
    for (int row = 0; row < tree->rowCount(tree->IndexOf(alpha)); ++row) {
        const QModelIndex child = tree->index(row, 0, tree->IndexOf(alpha));
        if (child.data().toString() == "Photos") photos = tree->HandleOf(child);
    }
    ASSERT_NE(photos, kNoNode);
    EXPECT_EQ(onTree(photos), "0000001");

    // The list follows its selected row: Alpha's file, and Music's CD.
    const auto listItems = {"popExpListLaunch", "popExpListAddCdOrFolder", "popExpListSeparator1",
                            "popExpListCatAdd", "popExpListCatRemove", "popExpListCatRename",
                            "popExpListCatProperties"};
    auto onList = [&](int row) {
        return shown("mnuPopExpList", listItems, [&] {
            PickRow(*view, row);
            const QPoint at = view->ListView1()->visualRect(view->ListModel()->index(row, 0)).center();
            QWidget* viewport = view->ListView1()->viewport();
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
            QApplication::sendEvent(viewport, &event);
        });
    };
    Pick(*view, alpha);
    EXPECT_EQ(onList(ListRowOf(*view, "top.txt")), "1010001");
    Pick(*view, tree->CategoryNode(musicId_));
    EXPECT_EQ(onList(ListRowOf(*view, "Alpha")), "0000111");

    // F10 on a category in the tree: its properties dialog, cancelled here.
    Pick(*view, tree->CategoryNode(musicId_));
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<frmCategoryProperties*>(QApplication::activeModalWidget());
        opened = dialog != nullptr;
        if (dialog) dialog->reject();
    });
    QTest::keyClick(view->TreeView1(), Qt::Key_F10);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(asked_.empty());
}

}  // namespace
}  // namespace karvio
