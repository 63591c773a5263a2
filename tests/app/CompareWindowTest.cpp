// The comparison window on two scanned discs with the same, changed (other bytes of the same size,
// told by their recorded hashes) and unique files, and a disc against its folder as it is now:
// its four lists and counts against the engine's comparison, and the discs it offers.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <set>

#include "CatalogueListing.h"
#include "ProgramInfo.h"
#include "ScanEngine.h"
#include "ScanFolder.h"
#include "TreeComparison.h"
#include "classData.h"
#include "compare/frmCompare.h"
#include "controls/ctlFolderBrowser.h"

namespace karvio {
namespace {

namespace fs = std::filesystem;

struct Fixture {
    QTemporaryDir dir;
    int32_t one = 0, two = 0;

    Fixture() {
        DataFilePath = (dir.path() + "/d.cd").toStdString();
        Write("one/same.txt", "same bytes");
        Write("one/changed.bin", std::string(5000, 'a'));
        Write("one/only-one.txt", "1");
        Write("one/dir/inner.txt", "inner");
        Write("two/same.txt", "same bytes");
        Write("two/changed.bin", std::string(5000, 'b'));
        Write("two/only-two.dat", "22");
        Write("two/dir/inner.txt", "inner");
        // One date for the files of both discs, so that only their bytes tell them apart.
        const auto when = fs::last_write_time(Path("one/same.txt"));
        for (const char* file : {"one/changed.bin", "two/same.txt", "two/changed.bin", "one/dir/inner.txt", "two/dir/inner.txt"})
            fs::last_write_time(Path(file), when);
        one = Scan("one");
        two = Scan("two");
    }
    fs::path Path(const std::string& relative) const { return fs::path(dir.path().toStdString()) / relative; }
    void Write(const std::string& relative, const std::string& bytes) {
        fs::create_directories(Path(relative).parent_path());
        std::ofstream(Path(relative), std::ios::binary) << bytes;
    }
    int32_t Scan(const std::string& folder) {
        return testing::ScanFolderAsCd(Path(folder).string(), folder, kScanHashes);
    }
};

void Compare(frmCompare& w) {
    QTest::mouseClick(w.CompareButton(), Qt::LeftButton);
    QElapsedTimer t;
    t.start();
    while (w.IsComparing() && t.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(w.IsComparing());
}

void Choose(QComboBox* box, int32_t id) {
    const int i = box->findData(id);
    ASSERT_GE(i, 0) << id;
    box->setCurrentIndex(i);
}

// The paths a tab lists.
std::set<std::string> Shown(const frmCompare& w, Difference d) {
    std::set<std::string> paths;
    const QAbstractItemModel* m = w.List(d)->model();
    for (int row = 0; row < m->rowCount(); ++row) paths.insert(m->index(row, 0).data().toString().toStdString());
    return paths;
}

// The same from the engine's comparison of the same listings.
std::set<std::string> Expected(const TreeComparison& r, Difference d) {
    std::set<std::string> paths;
    for (const ComparedEntry& e : r.entries) {
        if (e.difference == d) paths.insert(e.path + (e.directory ? "/" : ""));
    }
    return paths;
}

TEST(CompareWindow, TwoDiscsAndADiscAgainstItsFolderAsTheEngineComparesThem) {
    Fixture f;
    frmCompare w;
    QAbstractItemModelTester tester(w.List(Difference::Changed)->model());
    w.show();
    ASSERT_EQ(w.FirstDisc()->count(), 2);
    EXPECT_EQ(w.FirstDisc()->itemText(0), "one");
    EXPECT_EQ(w.SecondDisc()->currentText(), "two") << "a second disc other than the first is proposed";
    Choose(w.FirstDisc(), f.one);
    Choose(w.SecondDisc(), f.two);
    Compare(w);

    TreeComparison engine;
    {
        classData data;
        const ListedCd one = ReadListedCd(data, f.one), two = ReadListedCd(data, f.two);
        engine = CompareListings(one.listing, two.listing, RecordedHashes(data, {&one}), RecordedHashes(data, {&two}));
    }
    EXPECT_EQ(Shown(w, Difference::OnlyFirst), (std::set<std::string>{"only-one.txt"}));
    EXPECT_EQ(Shown(w, Difference::OnlySecond), (std::set<std::string>{"only-two.dat"}));
    EXPECT_EQ(Shown(w, Difference::Changed), (std::set<std::string>{"changed.bin"}));
    EXPECT_EQ(Shown(w, Difference::Same), (std::set<std::string>{"same.txt", "dir/", "dir/inner.txt"}));
    for (Difference d : {Difference::OnlyFirst, Difference::OnlySecond, Difference::Changed, Difference::Same})
        EXPECT_EQ(Shown(w, d), Expected(engine, d)) << DifferenceName(d);
    // Same size and date, other bytes: told by the recorded hashes.
    EXPECT_EQ(w.List(Difference::Changed)->model()->index(0, 1).data().toString(), "contents");
    EXPECT_EQ(w.Tabs()->tabText(2), "Changed (1)");
    EXPECT_EQ(w.Tabs()->tabText(3), "The same (3)");
    EXPECT_EQ(w.Tabs()->currentIndex(), 0) << "the first tab with rows";
    EXPECT_TRUE(w.Summary()->text().startsWith("\"one\" against \"two\": 1 only in the first, 1 only in the second, 1 changed, 3 the same."))
        << w.Summary()->text().toStdString();

    // The first disc against its own folder, grown and added to since the scan.
    f.Write("one/only-one.txt", "grown since");
    f.Write("one/dir/added.txt", "new");
    // Typing the folder chooses it.
    QTest::keyClicks(w.Folder()->txtFolder(), QString::fromStdString(f.Path("one").string() + "/"));
    EXPECT_TRUE(w.AgainstFolder()->isChecked());
    Compare(w);
    EXPECT_EQ(Shown(w, Difference::OnlyFirst), std::set<std::string>{});
    EXPECT_EQ(Shown(w, Difference::OnlySecond), (std::set<std::string>{"dir/added.txt"}));
    EXPECT_EQ(Shown(w, Difference::Changed), (std::set<std::string>{"only-one.txt"}));
    EXPECT_TRUE(w.List(Difference::Changed)->model()->index(0, 1).data().toString().startsWith("size"));
    EXPECT_EQ(w.Tabs()->currentIndex(), 1);
    EXPECT_EQ(w.Answer().secondFolder, f.Path("one").string());

    // A folder that is not there compares as an empty tree and says what it could not read.
    w.Folder()->SetText(QString::fromStdString(f.Path("nowhere").string()));
    Compare(w);
    EXPECT_EQ(w.Tabs()->tabText(0), "Only in the first (5)");
    EXPECT_TRUE(w.Summary()->text().contains("could not be read")) << w.Summary()->text().toStdString();
}

}  // namespace
}  // namespace karvio
