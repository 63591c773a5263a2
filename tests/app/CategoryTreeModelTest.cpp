// The catalogue tree model on fixture catalogues made with the store: placement of categories
// and CDs, keys, lazy directories, odd names and damaged parents.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QTest>
#include <QTreeView>

#include "FolderLoads.h"
#include "ProgramInfo.h"
#include "TransferRecords.h"
#include "classData.h"
#include "explorer/CategoryLookups.h"
#include "explorer/CategoryTreeModel.h"
#include "support/SampleCatalogue.h"
#include "support/TempDir.h"

namespace karvio {
namespace {

using testing::AddSampleCd;
using testing::SampleDir;

class TreeModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        DataFilePath = dir_.File("tree.cd");
        data_ = std::make_unique<classData>(DataFilePath);
    }
    void TearDown() override {
        data_.reset();
        DataFilePath.clear();
    }
    int32_t AddCategory(const std::string& name, int32_t parent = 0, int32_t icon = 6) {
        CatInfo cat;
        cat.CatName = name;
        cat.CatParentId = parent;
        cat.CatImageId = icon;
        return AddCatInfo(*data_, cat);
    }
    void Build(CategoryTreeModel& model) {
        data_->Flush();
        BuildCategoryTree(model, false);
        AddCdNodes(model);
    }
    // Reads a CD node's directories as the explorer does (on a worker), waiting for them.
    static bool Load(CategoryTreeModel& model, NodeHandle cdNode) {
        bool done = false;
        model.LoadDirectories(cdNode, [&done] { done = true; });
        return testing::AwaitFolders(model) && done;
    }
    QStringList Captions(const CategoryTreeModel& model, NodeHandle node) {
        QStringList out;
        for (NodeHandle c : model.Children(node)) out << model.Caption(c);
        return out;
    }

    testing::TempDir dir_;
    std::unique_ptr<classData> data_;
};

TEST_F(TreeModelTest, EmptyCatalogueHasOnlyTheBoldRoot) {
    CategoryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    Build(model);
    EXPECT_EQ(model.rowCount(), 1);
    const QModelIndex root = model.index(0, 0);
    EXPECT_EQ(model.HandleOf(root), kRootNode);
    EXPECT_EQ(root.data().toString(), "Karvio");
    EXPECT_EQ(model.Key(kRootNode), "Root");
    EXPECT_EQ(model.Kind(kRootNode), 1);
    EXPECT_TRUE(model.Bold(kRootNode));
    EXPECT_EQ(model.rowCount(root), 0);
}

TEST_F(TreeModelTest, CategoriesAndCdsArePlacedByParentsSortedAndKeyed) {
    // B is made before its parent A and moved under it later.
    const int32_t b = AddCategory("beta cat");
    const int32_t a = AddCategory("Alpha cat", 0, 9);
    data_->GetCatGoto(b).SetCatParentId(a, true);
    const int32_t cd = AddSampleCd(*data_, "Disc", {{"", "\\"}}, b);
    const int32_t loose = AddSampleCd(*data_, "zeta", {});
    const int32_t early = AddSampleCd(*data_, "apple", {});
    CategoryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    Build(model);

    // Case ignored in the order, categories and CDs interleaved.
    EXPECT_EQ(Captions(model, kRootNode), (QStringList{"Alpha cat", "apple", "zeta"}));
    const NodeHandle aNode = model.CategoryNode(a);
    EXPECT_EQ(model.Kind(aNode), 9);
    EXPECT_EQ(Captions(model, aNode), QStringList{"beta cat"});
    const NodeHandle cdNode = model.CdNode(cd);
    const std::string expected =
        "Root\\.Category" + std::to_string(a) + "\\.Category" + std::to_string(b) + "\\" +
        std::to_string(cd);
    EXPECT_EQ(model.Key(cdNode), expected);
    EXPECT_EQ(model.FindByKey(expected), cdNode);
    EXPECT_EQ(model.Key(model.CategoryNode(b)), data_->GetKarvioBasePath(b));
    EXPECT_EQ(model.Key(model.CdNode(loose)), "Root\\" + std::to_string(loose));
    EXPECT_EQ(model.Kind(model.CdNode(early)), 2);
    EXPECT_FALSE(model.Bold(aNode));
}

TEST_F(TreeModelTest, KeepExistingRenamesInPlaceAndKeepsChildren) {
    const int32_t a = AddCategory("Old name");
    const int32_t cd = AddSampleCd(*data_, "Disc", {{"", "\\"}, {"Docs", "\\"}}, a);
    CategoryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    Build(model);
    const NodeHandle cdNode = model.CdNode(cd);
    ASSERT_TRUE(LoadCdDirectories(model, cdNode, cd));
    ASSERT_EQ(model.ChildCount(cdNode), 1);
    const NodeHandle before = model.CategoryNode(a);
    data_->GetCatGoto(a).SetCatName("New name", true);
    const int32_t added = AddCategory("Added");
    data_->Flush();
    BuildCategoryTree(model, true);
    EXPECT_EQ(model.CategoryNode(a), before);
    EXPECT_EQ(model.Caption(before), "New name");
    EXPECT_EQ(model.CdNode(cd), cdNode);
    EXPECT_EQ(model.ChildCount(cdNode), 1);
    EXPECT_NE(model.CategoryNode(added), kNoNode);
}

TEST_F(TreeModelTest, DirectoriesLoadOnceWithExactKeysAndOddNames) {
    const int32_t cd = AddSampleCd(*data_, "Disc",
                                   {{"", "\\"},
                                    {"Photos", "\\"},
                                    {"photos", "\\"},
                                    {"2004", "Photos"},
                                    {"a\\b", "\\"},
                                    {"deep", "photos"}});
    CategoryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    Build(model);
    const NodeHandle cdNode = model.CdNode(cd);
    EXPECT_TRUE(model.hasChildren(model.IndexOf(cdNode)));
    ASSERT_TRUE(Load(model, cdNode));
    EXPECT_FALSE(LoadCdDirectories(model, cdNode, cd));  // never twice
    // Names differing in case are two nodes; a name holding "\" is one node.
    EXPECT_EQ(model.ChildCount(cdNode), 3);
    const std::string base = model.Key(cdNode);
    const NodeHandle upper = model.FindByKey(base + "\\Photos");
    const NodeHandle lower = model.FindByKey(base + "\\photos");
    ASSERT_NE(upper, kNoNode);
    ASSERT_NE(lower, kNoNode);
    EXPECT_NE(upper, lower);
    EXPECT_EQ(Captions(model, upper), QStringList{"2004"});
    EXPECT_EQ(Captions(model, lower), QStringList{"deep"});
    const NodeHandle odd = model.FindByKey(base + "\\a\\b");
    ASSERT_NE(odd, kNoNode);
    EXPECT_EQ(model.Caption(odd), "a\\b");
    EXPECT_EQ(model.ChildCount(odd), 0);
    EXPECT_EQ(model.Key(model.FindByKey(base + "\\Photos\\2004")), base + "\\Photos\\2004");
    EXPECT_EQ(model.FindByKey(base + "\\PHOTOS"), kNoNode);
    EXPECT_EQ(model.Kind(upper), 4);
    EXPECT_EQ(CdIdFromKey(model.Key(upper)), cd);
}

TEST_F(TreeModelTest, ScanBelowTheTopShowsTheFoldersAbove) {
    const int32_t cd = AddSampleCd(*data_, "Folder", {{"Photos", "Data"}, {"Summer", "Data\\Photos"}});
    CategoryTreeModel model;
    Build(model);
    const NodeHandle cdNode = model.CdNode(cd);
    ASSERT_TRUE(Load(model, cdNode));
    ASSERT_EQ(Captions(model, cdNode), QStringList{"Data"});
    // The folder above the scanned one stands for no record of its own.
    const NodeHandle data = model.Children(cdNode)[0];
    EXPECT_EQ(model.Tag(data), 0);
    EXPECT_EQ(model.Kind(data), 4);
    ASSERT_EQ(Captions(model, data), QStringList{"Photos"});
    EXPECT_EQ(Captions(model, model.Children(data)[0]), QStringList{"Summer"});
}

TEST_F(TreeModelTest, OrphansAndInconsistentRecordsAreStillShown) {
    const int32_t parent = AddCategory("Parent");
    const int32_t child = AddCategory("Child", parent);
    const int32_t cdInChild = AddSampleCd(*data_, "In child", {}, child);
    const int32_t cdGone = AddSampleCd(*data_, "Category gone", {}, parent);
    // The parent's record is unlinked; the child still names it.
    data_->GetCatDelete(parent);
    // A directory whose parent directory has no record.
    const int32_t broken = AddSampleCd(*data_, "Broken", {{"", "\\"}, {"lost", "Missing\\Dir"}});
    CategoryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    Build(model);
    const NodeHandle childNode = model.CategoryNode(child);
    ASSERT_NE(childNode, kNoNode);
    EXPECT_EQ(model.Parent(childNode), kRootNode);
    EXPECT_EQ(model.Parent(model.CdNode(cdInChild)), childNode);
    EXPECT_EQ(model.Parent(model.CdNode(cdGone)), kRootNode);
    // Found by the key its record gives, though it hangs under the root.
    EXPECT_EQ(model.FindByKey(data_->GetKarvioBasePath(child)), childNode);
    const NodeHandle brokenNode = model.CdNode(broken);
    ASSERT_TRUE(Load(model, brokenNode));
    EXPECT_EQ(Captions(model, brokenNode), QStringList{"lost"});
}

TEST_F(TreeModelTest, HandlesStayValidAndAreNotReusedUntilRebuild) {
    CategoryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const NodeHandle a = model.AddNode(kRootNode, 6, 1, "b");
    const NodeHandle b = model.AddNode(kRootNode, 6, 2, "a");
    const NodeHandle c = model.AddNode(a, 4, 3, "x");
    EXPECT_EQ(model.IndexOf(a).row(), 1);
    model.RemoveNode(a);
    EXPECT_FALSE(model.IsLive(a));
    EXPECT_FALSE(model.IsLive(c));
    EXPECT_TRUE(model.IsLive(b));
    EXPECT_EQ(model.IndexOf(b).row(), 0);
    const NodeHandle d = model.AddNode(kRootNode, 6, 4, "c");
    EXPECT_GT(d, c);
    model.SetCaption(b, "z");
    EXPECT_EQ(Captions(model, kRootNode), (QStringList{"c", "z"}));
    EXPECT_EQ(model.AddNode(a, 4, 5, "dead parent"), kNoNode);
}

TEST(CdIdFromKeyTest, FindsTheFirstNonCategorySegment) {
    EXPECT_EQ(CdIdFromKey("Root\\.Category120\\.Category345\\900\\Photos\\2004"), 900);
    EXPECT_EQ(CdIdFromKey("Root\\77"), 77);
    EXPECT_EQ(CdIdFromKey("Root\\.Category120"), 0);
    EXPECT_EQ(CdIdFromKey("Root"), 0);
    EXPECT_EQ(CdIdFromKey(""), 0);
    EXPECT_EQ(CdIdFromKey("Root\\"), 0);
    // A key made only of "." segments ends rather than walking round for ever.
    EXPECT_EQ(CdIdFromKey(".\\.x"), 0);
}

TEST_F(TreeModelTest, CategoryLookupsReadAndWriteTheRecord) {
    const int32_t a = AddCategory("Films");
    data_->Flush();
    data_.reset();
    EXPECT_EQ(CategoryDisplayName(0), "Karvio");
    EXPECT_EQ(CategoryDisplayName(a), "Films");
    SetCategoryNotes(a, QStringLiteral("old films"));
    SetCategoryIcon(a, 11);
    EXPECT_EQ(CategoryNotes(a), "old films");
    classData check(DataFilePath);
    EXPECT_EQ(check.GetCatGoto(a).GetCatImageId(), 11);
    EXPECT_EQ(check.GetCatGoto(a).GetCatName(), "Films");
}

}  // namespace
}  // namespace karvio
