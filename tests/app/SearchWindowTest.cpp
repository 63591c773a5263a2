// The search window on a catalogue built with the engine: its rows against the engine's hits,
// the refusals, sorting and the catalogue events; the results model against Qt's contract.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTableView>

#include "CatalogueSearch.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "TransferRecords.h"
#include "classData.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/frmMenu.h"
#include "search/SearchResultsModel.h"
#include "search/frmSearch.h"
#include "support/SampleCatalogue.h"

namespace karvio {
namespace {

struct Fixture {
    QTemporaryDir dir;
    std::vector<std::string> messages;
    MessageSink previous;
    Fixture() {
        DataFilePath = (dir.path() + "/s.cd").toStdString();
        classData data(DataFilePath);
        testing::AddSampleCd(data, "Alpha", {{"", "\\", {{"abc", 1}, {"abc.txt", 2, "note abc"}}},
                                               {"Docs", "\\", {{"Report.doc", 30}}}});
        testing::AddSampleCd(data, "Beta abc", {{"", "\\", {{"ABC", 4}, {"x.bin", 5}}}}, 0, "zz");
        previous = SetMessageSink([this](const std::string& text, const MsgButtonSet&) {
            messages.push_back(text);
            return 1;
        });
    }
    ~Fixture() { SetMessageSink(previous); }
};

// Clicks Search and waits for the walk, which runs on a worker, to end.
void Search(frmSearch& w) {
    QTest::mouseClick(w.OkButton(), Qt::LeftButton);
    QElapsedTimer t;
    t.start();
    while (w.IsSearching() && t.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(w.IsSearching());
}

std::vector<std::pair<int32_t, std::string>> EngineHits(const frmSearch& w) {
    classData data;
    std::vector<std::pair<int32_t, std::string>> hits;
    SearchCatalogue(data, w.CdIdsForSearch(), w.Criteria(),
                    [&](const SearchHit& h) { hits.emplace_back(h.id, h.name); });
    return hits;
}

std::vector<std::pair<int32_t, std::string>> WindowRows(const frmSearch& w) {
    std::vector<std::pair<int32_t, std::string>> rows;
    for (int r = 0; r < w.Results()->rowCount(); ++r)
        rows.emplace_back(w.Results()->Id(r), std::string(w.Results()->Name(r)));
    return rows;
}

TEST(SearchWindow, RowsAreTheEnginesHitsInEveryModeAndOption) {
    Fixture f;
    frmSearch w;
    QAbstractItemModelTester tester(w.Results());
    for (int mode = 0; mode < 3; ++mode) {
        for (int flags = 1; flags < 16; ++flags) {
            w.SearchFor()->setText("abc");
            w.ModeButton(mode)->setChecked(true);
            w.CdNames()->setChecked(flags & 1);
            w.PathNames()->setChecked(flags & 2);
            w.FileNames()->setChecked(flags & 4);
            w.Comments()->setChecked(flags & 8);
            Search(w);
            EXPECT_EQ(WindowRows(w), EngineHits(w)) << mode << " " << flags;
            EXPECT_EQ(w.ResultList()->isHidden(), w.Results()->rowCount() == 0);
        }
    }
    EXPECT_TRUE(f.messages.empty());
    // Whole word: "ABC" and "abc" match, "abc.txt" does not.
    w.ModeButton(0)->setChecked(true);
    w.CdNames()->setChecked(false);
    w.Comments()->setChecked(false);
    Search(w);
    std::vector<std::string> names;
    for (auto& r : WindowRows(w)) names.push_back(r.second);
    EXPECT_EQ(names, (std::vector<std::string>{"abc", "ABC"}));
}

TEST(SearchWindow, RefusalsAndOddTexts) {
    Fixture f;
    frmSearch w;
    w.SearchFor()->clear();
    Search(w);
    w.SearchFor()->setText("x");
    for (QCheckBox* b : {w.CdNames(), w.PathNames(), w.FileNames(), w.Comments()}) b->setChecked(false);
    Search(w);
    EXPECT_EQ(f.messages, (std::vector<std::string>{"Nothing Entered To Search For",
                                                    "You have to select something to search for"}));
    EXPECT_TRUE(w.SearchFor()->isEnabled());
    EXPECT_TRUE(w.OkButton()->isVisibleTo(&w));
    w.FileNames()->setChecked(true);
    w.SearchFor()->setText("***");  // searched as the empty text, as the engine does
    Search(w);
    EXPECT_EQ(WindowRows(w), EngineHits(w));
    w.SearchFor()->setText(QString(10000, 'a'));
    Search(w);
    EXPECT_EQ(w.Results()->rowCount(), 0);
    EXPECT_TRUE(w.ResultList()->isHidden());
}

TEST(SearchWindow, SortingByTypedKeysAndCatalogueEvents) {
    Fixture f;
    frmSearch w;
    w.SearchFor()->setText("a");
    w.ModeButton(kMatchAnywhere)->setChecked(true);  // the settings keep an earlier test's mode
    w.CdNames()->setChecked(true);
    Search(w);
    SearchResultsModel* m = w.Results();
    ASSERT_GT(m->rowCount(), 2);
    QAbstractItemModelTester tester(m);
    m->sort(kColSize, Qt::AscendingOrder);
    for (int r = 1; r < m->rowCount(); ++r)
        EXPECT_LE(m->Text(r - 1, kColSize).remove(',').toDouble(), m->Text(r, kColSize).remove(',').toDouble());
    m->sort(kColSize, Qt::DescendingOrder);
    for (int r = 1; r < m->rowCount(); ++r)
        EXPECT_GE(m->Text(r - 1, kColSize).remove(',').toDouble(), m->Text(r, kColSize).remove(',').toDouble());
    const int before = m->rowCount();
    const RecordRef first = m->Record(0);
    emit CatalogueEvents::Instance().cdRemoved(first.cdId);
    EXPECT_LT(m->rowCount(), before);
    for (int r = 0; r < m->rowCount(); ++r) EXPECT_NE(m->Record(r).cdId, first.cdId);
    emit CatalogueEvents::Instance().catalogueReplaced({});
    EXPECT_EQ(m->rowCount(), 0);
}


// A catalogue big enough that the walk yields many times: 60,000 files, a third named "hit".
void AddLargeCd(const char* name) {
    classData data;
    std::vector<testing::SampleDir> dirs;
    for (int d = 0; d < 300; ++d) {
        std::vector<testing::SampleFile> files;
        for (int f = 0; f < 200; ++f)
            files.emplace_back((f % 3 == 0 ? "hit " : "other ") + std::to_string(d * 200 + f), f);
        dirs.emplace_back(d == 0 ? "" : "d" + std::to_string(d), "\\", std::move(files));
    }
    testing::AddSampleCd(data, name, dirs);
}

void SetAnywhereInNames(frmSearch& w, const char* text) {
    w.SearchFor()->setText(text);
    w.ModeButton(kMatchAnywhere)->setChecked(true);
    w.CdNames()->setChecked(false);
    w.PathNames()->setChecked(false);
    w.FileNames()->setChecked(true);
    w.Comments()->setChecked(false);
}

TEST(SearchWindow, RowsStreamInBatchesAndStopEndsTheWalkLeavingTheWindowUsable) {
    Fixture f;
    AddLargeCd("Large");
    frmSearch w;
    w.show();
    SetAnywhereInNames(w, "hit");
    const size_t all = EngineHits(w).size();
    ASSERT_GT(all, 20000u);

    // Streaming: rows arrive while the walk still runs, in more than one batch.
    int batches = 0, whileSearching = 0;
    const auto counting = QObject::connect(w.Results(), &QAbstractItemModel::rowsInserted, [&] {
        ++batches;
        if (w.IsSearching()) ++whileSearching;
    });
    Search(w);
    QObject::disconnect(counting);
    EXPECT_EQ(WindowRows(w), EngineHits(w));
    if (batches > 1) {
        EXPECT_GT(whileSearching, 0);
    }

    // Stop, clicked as soon as the first batch is shown.
    bool clicked = false;
    const auto stopper = QObject::connect(w.Results(), &QAbstractItemModel::rowsInserted, [&] {
        // A loaded machine may deliver the first rows only with the last batch: Stop is
        // clicked only while hits are still to come.
        if (clicked || !w.StopButton()->isVisible() || !w.IsSearching()) return;
        if (static_cast<size_t>(w.Results()->rowCount()) >= all) return;
        clicked = true;
        QTest::mouseClick(w.StopButton(), Qt::LeftButton);
    });
    Search(w);
    QObject::disconnect(stopper);
    if (clicked) {
        EXPECT_LT(static_cast<size_t>(w.Results()->rowCount()), all);
        // The rows listed are the first hits of the walk, in its order.
        const auto engine = EngineHits(w);
        const auto shown = WindowRows(w);
        EXPECT_TRUE(std::equal(shown.begin(), shown.end(), engine.begin()));
    }
    EXPECT_FALSE(w.IsSearching());
    EXPECT_TRUE(w.SearchFor()->isEnabled());
    EXPECT_TRUE(w.OkButton()->isVisible());
    EXPECT_FALSE(w.StopButton()->isVisible());
    // A new search after the stop lists everything again.
    Search(w);
    EXPECT_EQ(static_cast<size_t>(w.Results()->rowCount()), all);
    EXPECT_TRUE(f.messages.empty());
}

TEST(SearchWindow, TheStatusBarCountsTheHitsAndSaysWhenASearchWasStopped) {
    Fixture f;
    AddLargeCd("Large");
    frmMenu menu;
    frmSearch* w = frmSearch::Install(menu);
    menu.show();
    menu.mnuCdSearch_Click();
    SetAnywhereInNames(*w, "abc");
    Search(*w);
    ASSERT_GT(w->Results()->rowCount(), 0);
    EXPECT_EQ(menu.statusBar()->currentMessage(), QStringLiteral("%1 found").arg(w->Results()->rowCount()));

    SetAnywhereInNames(*w, "hit");
    bool clicked = false;
    const auto stopper = QObject::connect(w->Results(), &QAbstractItemModel::rowsInserted, [&] {
        if (clicked || !w->IsSearching()) return;
        clicked = true;
        QTest::mouseClick(w->StopButton(), Qt::LeftButton);
    });
    Search(*w);
    QObject::disconnect(stopper);
    const QString count = QLocale().toString(w->Results()->rowCount());
    EXPECT_EQ(menu.statusBar()->currentMessage(),
              clicked ? QStringLiteral("%1 found (stopped)").arg(count) : QStringLiteral("%1 found").arg(count));

    // The count belongs to the search window: another window in front takes it away.
    QMdiSubWindow* other = menu.MdiArea()->addSubWindow(new QWidget);
    other->show();
    menu.MdiArea()->setActiveSubWindow(other);
    EXPECT_TRUE(menu.statusBar()->currentMessage().isEmpty());
    menu.mnuCdSearch_Click();
    EXPECT_TRUE(menu.statusBar()->currentMessage().startsWith(count + " found"));
}

TEST(SearchWindow, PathsAreNativeAndSizesAndDatesShowWhole) {
    Fixture f;
    {
        classData data;
        testing::AddSampleCd(data, "Beige", {{"", "\\", {{"huge.iso", 4888737123456.0}}},
                                           {"doc", "usr\\share", {{"readme", 1}}}});
    }
    frmSearch w;
    w.resize(1200, 500);
    w.show();
    SetAnywhereInNames(w, "e");
    w.CdNames()->setChecked(true);
    w.PathNames()->setChecked(true);
    Search(w);
    SearchResultsModel* m = w.Results();
    bool sawFile = false, sawCd = false;
    for (int r = 0; r < m->rowCount(); ++r) {
        const QString path = m->Text(r, kColPath);
        EXPECT_TRUE(path.startsWith('/')) << path.toStdString();
        EXPECT_FALSE(path.contains('\\')) << path.toStdString();
        if (m->Name(r) == "readme") {
            sawFile = true;
            EXPECT_EQ(path, "/usr/share/doc");
            EXPECT_EQ(m->Path(r), "usr\\share\\doc") << "the row keeps the catalogue's text";
        }
        if (m->Kind(r) == SearchHitKind::Cd && m->Name(r) == "Beige") {
            sawCd = true;
            EXPECT_EQ(path, "/media/Beige");
        }
        // The size and date columns are wide enough for what they show.
        QTableView* list = w.ResultList();
        for (const int column : {int(kColSize), int(kColDate)}) {
            const int needed = list->fontMetrics().horizontalAdvance(m->Text(r, column));
            EXPECT_LE(needed + 8, list->columnWidth(column)) << m->Text(r, column).toStdString();
        }
    }
    EXPECT_TRUE(sawFile);
    EXPECT_TRUE(sawCd);
}

TEST(SearchWindow, BadNamesAndStaleRowsAfterChangesAreHandled) {
    Fixture f;
    {
        classData data;
        testing::AddSampleCd(data, "Odd", {{"", "\\", {{"bad\xff\xfe name", 1}, {"half \xc3 name", 2}}}});
    }
    frmSearch w;
    SetAnywhereInNames(w, "name");
    Search(w);
    ASSERT_EQ(WindowRows(w), EngineHits(w));
    ASSERT_EQ(w.Results()->rowCount(), 2);
    for (int r = 0; r < 2; ++r) {
        // The undecodable bytes are shown as something, never dropped with the rest of the name.
        EXPECT_TRUE(w.Results()->Text(r, kColFileName).endsWith(" name"));
        EXPECT_FALSE(w.Results()->Text(r, kColCdName).isEmpty());
    }
    // A 10,000-character text with asterisks in it finds nothing and ends normally.
    w.SearchFor()->setText(QString(5000, '*') + QString(5000, 'z'));
    Search(w);
    EXPECT_EQ(w.Results()->rowCount(), 0);
    EXPECT_TRUE(f.messages.empty());

    // A CD removed by another program behind the window's back: its rows are refused, not
    // opened as whatever now stands at their ids.
    SetAnywhereInNames(w, "name");
    Search(w);
    ASSERT_EQ(w.Results()->rowCount(), 2);
    ASSERT_TRUE(DeleteCdById(w.Results()->Record(0).cdId));
    EXPECT_FALSE(w.RevealResult(0));
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_NE(f.messages[0].find("no longer matches"), std::string::npos);
}

}  // namespace
}  // namespace karvio
