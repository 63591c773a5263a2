// The duplicates window on a catalogue of two scanned discs with copied, changed and unique
// files: its groups against the engine's, by name and size and by recorded hashes, the files on
// one disc only, the minimum size, sorting, a row's record, and a row that no longer matches the
// catalogue; the model against Qt's contract.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <set>

#include "CatalogueEdits.h"
#include "CatalogueListing.h"
#include "Duplicates.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "ScanEngine.h"
#include "ScanFolder.h"
#include "TransferRecords.h"
#include "classData.h"
#include "compare/frmDuplicates.h"
#include "mainwindow/CatalogueEvents.h"

namespace karvio {
namespace {

struct Fixture {
    QTemporaryDir dir;
    std::vector<std::string> messages;
    MessageSink previous;
    int32_t one = 0, two = 0;

    Fixture() {
        DataFilePath = (dir.path() + "/d.cd").toStdString();
        previous = SetMessageSink([this](const std::string& text, const MsgButtonSet&) {
            messages.push_back(text);
            return 1;
        });
        // "same.txt" on both; "big.bin" on both with other bytes; "renamed copy.txt" holds what
        // same.txt holds; each disc has a file of its own.
        Write("one/same.txt", "same bytes");
        Write("one/sub/big.bin", std::string(5000, 'a'));
        Write("one/only-one.txt", "1");
        Write("two/same.txt", "same bytes");
        Write("two/big.bin", std::string(5000, 'b'));
        Write("two/renamed copy.txt", "same bytes");
        Write("two/only-two.dat", "22");
        one = Scan("one");
        two = Scan("two");
    }
    ~Fixture() { SetMessageSink(previous); }

    void Write(const std::string& relative, const std::string& bytes) {
        const std::string path = dir.path().toStdString() + "/" + relative;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    int32_t Scan(const std::string& folder) {
        return testing::ScanFolderAsCd(dir.path().toStdString() + "/" + folder, folder, kScanHashes);
    }
};

void Find(frmDuplicates& w) {
    QTest::mouseClick(w.FindButton(), Qt::LeftButton);
    QElapsedTimer t;
    t.start();
    while (w.IsFinding() && t.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(w.IsFinding());
}

// The groups the window shows, each as the set of its copies' names and discs.
std::set<std::set<std::string>> ShownGroups(const frmDuplicates& w) {
    std::set<std::set<std::string>> groups;
    const DuplicatesModel& m = *w.Model();
    for (int row = 0; row < m.rowCount(); ++row) {
        const QModelIndex group = m.index(row, 0);
        std::set<std::string> copies;
        for (int c = 0; c < m.rowCount(group); ++c) {
            copies.insert(m.index(c, kDupColDisc, group).data().toString().toStdString() + ":" +
                          m.index(c, kDupColName, group).data().toString().toStdString());
        }
        groups.insert(copies);
    }
    return groups;
}

TEST(DuplicatesWindow, GroupsByNameAndSizeOrByContentAndTheFilesOnOneDiscOnly) {
    Fixture f;
    frmDuplicates w;
    QAbstractItemModelTester tester(w.Model());
    w.MatchBy()->setCurrentIndex(0);
    w.SingleCopies()->setChecked(false);
    w.MinimumSize()->setValue(0);
    Find(w);
    // big.bin has the same name and size on both discs, though other bytes.
    EXPECT_EQ(ShownGroups(w), (std::set<std::set<std::string>>{{"one:big.bin", "two:big.bin"},
                                                               {"one:same.txt", "two:same.txt"}}));
    // The largest spare space first; a group row counts its copies and discs.
    EXPECT_EQ(w.Model()->index(0, kDupColName).data().toString(), "big.bin");
    EXPECT_EQ(w.Model()->index(0, kDupColCopies).data().toString(), "2");
    EXPECT_EQ(w.Model()->index(0, kDupColDisc).data().toString(), "2 discs");
    EXPECT_TRUE(w.Summary()->text().startsWith("2 groups of duplicates, 4 files")) << w.Summary()->text().toStdString();

    w.MatchBy()->setCurrentIndex(1);
    Find(w);
    EXPECT_EQ(ShownGroups(w), (std::set<std::set<std::string>>{{"one:same.txt", "two:renamed copy.txt", "two:same.txt"}}));
    const QModelIndex group = w.Model()->index(0, 0);
    EXPECT_TRUE(w.Model()->index(0, kDupColName).data(Qt::ToolTipRole).toString().startsWith("Content hash "));
    // A copy's path is its place on its volume.
    const QString path = w.Model()->index(0, kDupColPath, group).data().toString();
    EXPECT_TRUE(path.endsWith("/one/same.txt")) << path.toStdString();

    // What the engine finds on the same catalogue, with the window's minimum size.
    w.MatchBy()->setCurrentIndex(0);
    w.MinimumSize()->setValue(1);  // 1 KB: only big.bin
    Find(w);
    EXPECT_EQ(ShownGroups(w), (std::set<std::set<std::string>>{{"one:big.bin", "two:big.bin"}}));

    w.MinimumSize()->setValue(0);
    w.SingleCopies()->setChecked(true);
    Find(w);
    std::set<std::string> singles;
    for (int row = 0; row < w.Model()->rowCount(); ++row) {
        EXPECT_EQ(w.Model()->rowCount(w.Model()->index(row, 0)), 0);
        singles.insert(w.Model()->index(row, kDupColDisc).data().toString().toStdString() + ":" +
                       w.Model()->index(row, kDupColName).data().toString().toStdString());
    }
    EXPECT_EQ(singles, (std::set<std::string>{"one:only-one.txt", "two:only-two.dat", "two:renamed copy.txt"}));
    {
        classData data;
        const std::vector<ListedCd> cds = ReadCatalogueListing(data);
        EXPECT_EQ(FindSingleCopies(cds, DuplicateKey::NameAndSize, 0).size(), singles.size());
    }
}

TEST(DuplicatesWindow, SortingARowsRecordAndRowsThatNoLongerMatch) {
    Fixture f;
    frmDuplicates w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.MatchBy()->setCurrentIndex(0);
    w.SingleCopies()->setChecked(true);
    w.MinimumSize()->setValue(0);
    Find(w);
    ASSERT_EQ(w.Model()->rowCount(), 3);
    auto clickHeader = [&](int column) {
        QHeaderView* header = w.Results()->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                                 header->height() / 2));
    };
    // A click on Name sorts A to Z, a second Z to A; Size starts with the largest.
    clickHeader(kDupColName);
    EXPECT_EQ(w.Model()->index(0, kDupColName).data().toString(), "only-one.txt");
    clickHeader(kDupColName);
    EXPECT_EQ(w.Model()->index(0, kDupColName).data().toString(), "renamed copy.txt");
    clickHeader(kDupColSize);
    EXPECT_EQ(w.Model()->index(0, kDupColName).data().toString(), "renamed copy.txt");
    EXPECT_EQ(w.Model()->index(2, kDupColName).data().toString(), "only-one.txt");

    // A row names its file's record: CD, folder and file.
    const QModelIndex last = w.Model()->index(2, 0);
    const RecordRef record = w.Model()->Record(last);
    {
        classData data;
        const FileInfo file = ReadFileInfo(data, record.fileId);
        EXPECT_EQ(file.FileName, "only-one.txt");
        EXPECT_EQ(file.FileCdId, f.one);
        EXPECT_EQ(file.FileDirId, record.dirId);
        EXPECT_EQ(record.cdId, f.one);
    }
    // Without a catalogue view nothing is revealed, but the row is checked and passes.
    EXPECT_FALSE(w.RevealRow(last));
    EXPECT_TRUE(f.messages.empty());

    // The disc is removed behind the window's back (another program): the row is refused with
    // a message; a removal the program announces empties the list.
    ASSERT_TRUE(CatalogueEdits().RemoveCd(HeldRecord::Of(RecordKind::Cd, f.one)).Done());
    EXPECT_FALSE(w.RevealRow(last));
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_NE(f.messages[0].find("no longer matches"), std::string::npos);
    emit CatalogueEvents::Instance().cdRemoved(f.one);
    EXPECT_EQ(w.Model()->rowCount(), 0);
}

}  // namespace
}  // namespace karvio
