// The search window on a catalogue built with the engine: its rows against the engine's hits,
// the refusals, sorting and the catalogue events; the results model against Qt's contract.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTableView>

#include "CatalogueSearch.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "classData.h"
#include "mainwindow/CatalogueEvents.h"
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
            QTest::mouseClick(w.OkButton(), Qt::LeftButton);
            EXPECT_EQ(WindowRows(w), EngineHits(w)) << mode << " " << flags;
            EXPECT_EQ(w.ResultList()->isHidden(), w.Results()->rowCount() == 0);
        }
    }
    EXPECT_TRUE(f.messages.empty());
    // Whole word: "ABC" and "abc" match, "abc.txt" does not.
    w.ModeButton(0)->setChecked(true);
    w.CdNames()->setChecked(false);
    w.Comments()->setChecked(false);
    QTest::mouseClick(w.OkButton(), Qt::LeftButton);
    std::vector<std::string> names;
    for (auto& r : WindowRows(w)) names.push_back(r.second);
    EXPECT_EQ(names, (std::vector<std::string>{"abc", "ABC"}));
}

TEST(SearchWindow, RefusalsAndOddTexts) {
    Fixture f;
    frmSearch w;
    w.SearchFor()->clear();
    QTest::mouseClick(w.OkButton(), Qt::LeftButton);
    w.SearchFor()->setText("x");
    for (QCheckBox* b : {w.CdNames(), w.PathNames(), w.FileNames(), w.Comments()}) b->setChecked(false);
    QTest::mouseClick(w.OkButton(), Qt::LeftButton);
    EXPECT_EQ(f.messages, (std::vector<std::string>{"Nothing Entered To Search For",
                                                    "You have to select something to search for"}));
    EXPECT_TRUE(w.SearchFor()->isEnabled());
    EXPECT_TRUE(w.OkButton()->isVisibleTo(&w));
    w.FileNames()->setChecked(true);
    w.SearchFor()->setText("***");  // searched as the empty text, as the engine does
    QTest::mouseClick(w.OkButton(), Qt::LeftButton);
    EXPECT_EQ(WindowRows(w), EngineHits(w));
    w.SearchFor()->setText(QString(10000, 'a'));
    QTest::mouseClick(w.OkButton(), Qt::LeftButton);
    EXPECT_EQ(w.Results()->rowCount(), 0);
    EXPECT_TRUE(w.ResultList()->isHidden());
}

TEST(SearchWindow, SortingByTypedKeysAndCatalogueEvents) {
    Fixture f;
    frmSearch w;
    w.SearchFor()->setText("a");
    w.CdNames()->setChecked(true);
    QTest::mouseClick(w.OkButton(), Qt::LeftButton);
    SearchResultsModel* m = w.Results();
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
    emit CatalogueEvents::Instance().catalogueReplaced();
    EXPECT_EQ(m->rowCount(), 0);
}

}  // namespace
}  // namespace karvio
