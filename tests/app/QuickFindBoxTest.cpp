// The find box driven with keys on the main window: typing shows ranked hits in the search
// window's columns, the arrows and Enter reveal one in the current view, Escape closes the list,
// Ctrl+K and Ctrl+F reach the box, File > Export writes the list while it shows, and the answers
// follow an edit made in the program and a CD added by another program.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "Messages.h"
#include "ProgramInfo.h"
#include "classData.h"
#include "compare/ListExport.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/frmMenu.h"
#include "quickfind/QuickFindBox.h"
#include "search/SearchResultsModel.h"
#include "support/SampleCatalogue.h"

namespace karvio {
namespace {

struct RevealingExplorer : ExplorerView {
    QWidget* window = new QWidget;  // the main window's work area takes it over when shown
    std::vector<RecordRef> revealed;
    QWidget* ViewWindow() override { return window; }
    void MainMenu_CdAdd() override {}
    void MainMenu_CdEdit() override {}
    void MainMenu_CdDelete() override {}
    void MainMenu_CdRescan() override {}
    void PropertiesMainMenu() override {}
    int32_t SelectedCdId() const override { return 0; }
    void StartFocus() override {}
    std::optional<PreviewSource> PreviewStart() override { return std::nullopt; }
    void RevealRecord(const RecordRef& r) override { revealed.push_back(r); }
    void ReloadCatalogue() override {}
    void SwitchListViewModes(ListViewMode) override {}
    void RefillListCds() override {}
    void popMenuTreeLaunch() override {}
    void popMenuTreeAdd() override {}
    void popMenuTreeDelete() override {}
    void popMenuTreeRename() override {}
    void popMenuTreeProperties() override {}
    void popMenuListLaunch() override {}
    void popMenuListDelete() override {}
    void popMenuListRename() override {}
    void popMenuListProperties() override {}
};

struct Window {
    QTemporaryDir dir;
    std::vector<std::string> messages;
    MessageSink previous;
    int32_t alpha = 0;
    std::unique_ptr<RevealingExplorer> explorerOwner = std::make_unique<RevealingExplorer>();
    RevealingExplorer* explorer = explorerOwner.get();
    frmMenu menu;
    QWidget* search = new QWidget;
    QuickFindBox* box = nullptr;

    Window() {
        DataFilePath = (dir.path() + "/q.cd").toStdString();
        {
            classData data(DataFilePath);
            alpha = testing::AddSampleCd(
                data, "Alpha",
                {{"", "\\", {{"abc.txt", 2}, {"xabc", 3}, {"ABC", 1}}},
                 {"Docs", "\\", {{"Report.doc", 30}, {"cafe\xCC\x81.txt", 4}}}});
        }
        previous = SetMessageSink([this](const std::string& text, const MsgButtonSet&) {
            messages.push_back(text);
            return 1;
        });
        menu.SetViewStyleChecks(true);
        menu.SetExplorerView(explorer);
        menu.SetSearchWindow(search);
        // As the search window's installation gives its command the key.
        menu.Item(QStringLiteral("mnuCdSearch"))->setShortcut(QKeySequence::Find);
        box = QuickFindBox::Install(menu, search);
        menu.resize(900, 600);
        menu.show();
        search->hide();
        QApplication::setActiveWindow(&menu);
        menu.SetMenuState(2);
    }
    ~Window() { SetMessageSink(previous); }

    QLineEdit* edit() const { return box->Edit(); }
    SearchResultsModel* results() const { return box->Popup()->Results(); }

    // Waits for the whole answer to the latest query, and unless told otherwise for the index to
    // be read or updated first (an update asks the query again).
    bool Settle(bool waitForIndex = true) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            // The finder's state first: an update that has ended has asked its query again by then.
            if ((!waitForIndex || !box->Finder().Busy()) && box->ShownComplete() &&
                box->ShownGeneration() == box->Finder().Generation())
                return true;
        }
        return false;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int r = 0; r < results()->rowCount(); ++r) names.emplace_back(results()->Name(r));
        return names;
    }
    void Type(const char* text) {
        edit()->clear();
        QTest::keyClicks(edit(), QString::fromUtf8(text));
    }
};

TEST(QuickFindBox, TypingListsRankedHitsAndEnterRevealsTheChosenOne) {
    Window w;
    QAbstractItemModelTester tester(w.results());
    QTest::keyClick(&w.menu, Qt::Key_K, Qt::ControlModifier);
    EXPECT_TRUE(w.edit()->hasFocus());
    // Typed one key at a time, each superseding the query before.
    QTest::keyClicks(w.edit(), QStringLiteral("abc"));
    ASSERT_TRUE(w.Settle());
    EXPECT_TRUE(w.box->Popup()->isVisible());
    EXPECT_EQ(w.Names(), (std::vector<std::string>{"ABC", "abc.txt", "xabc"}));
    EXPECT_EQ(w.box->Popup()->Status()->text(), QStringLiteral("3 found"));
    EXPECT_EQ(w.results()->Text(0, kColCdName), QStringLiteral("Alpha"));

    QTest::keyClick(w.edit(), Qt::Key_Down);
    QTest::keyClick(w.edit(), Qt::Key_Return);
    ASSERT_EQ(w.explorer->revealed.size(), 1u);
    EXPECT_EQ(w.explorer->revealed[0].kind, 5);
    EXPECT_EQ(w.explorer->revealed[0].cdId, w.alpha);
    classData data;
    EXPECT_EQ(ReadFileInfo(data, w.explorer->revealed[0].fileId).FileName, "abc.txt");
    EXPECT_FALSE(w.box->Popup()->isVisible());

    // Composed typing finds the decomposed name, shown as stored; Escape closes, then clears.
    w.edit()->setFocus();
    w.Type("CAF\xC3\x89");
    ASSERT_TRUE(w.Settle());
    EXPECT_EQ(w.Names(), std::vector<std::string>{"cafe\xCC\x81.txt"});
    EXPECT_EQ(w.results()->Text(0, kColPath), QStringLiteral("/Docs")) << "a native path";
    QTest::keyClick(w.edit(), Qt::Key_Escape);
    EXPECT_FALSE(w.box->Popup()->isVisible());
    QTest::keyClick(w.edit(), Qt::Key_Escape);
    EXPECT_TRUE(w.edit()->text().isEmpty());

    w.Type("size:>lots");
    ASSERT_TRUE(w.Settle());
    EXPECT_EQ(w.results()->rowCount(), 0);
    EXPECT_TRUE(w.box->Popup()->Status()->text().contains(QStringLiteral("size")));
    EXPECT_TRUE(w.messages.empty());
}

TEST(QuickFindBox, FileExportWritesTheListWhileItShows) {
    Window w;
    InstallListExport(w.menu);
    QString chosen;
    bool csv = false;
    SetExportChooser([&](QWidget*, const QString&, bool& useCsv) {
        useCsv = csv;
        return chosen;
    });
    struct Restore {
        ~Restore() { SetExportChooser({}); }
    } restore;
    auto read = [&](const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll();
    };
    // File > Export reached from the keyboard as a user would: Alt+F, then E.
    auto exportWithKeys = [&] {
        QTest::keyClick(&w.menu, Qt::Key_F, Qt::AltModifier);
        QWidget* file = QApplication::activePopupWidget();
        ASSERT_TRUE(file);
        QTest::keyClick(file, Qt::Key_E);
    };
    QTest::keyClick(&w.menu, Qt::Key_K, Qt::ControlModifier);
    QTest::keyClicks(w.edit(), QStringLiteral("abc"));
    ASSERT_TRUE(w.Settle());

    chosen = w.dir.path() + "/found.json";
    exportWithKeys();
    EXPECT_TRUE(w.messages.empty());
    const QJsonArray rows = QJsonDocument::fromJson(read(chosen)).array();
    ASSERT_EQ(rows.size(), 3);
    std::vector<std::string> names;
    for (const QJsonValue& row : rows) {
        const QJsonObject hit = row.toObject();
        names.push_back(hit.value("name").toString().toStdString());
        EXPECT_EQ(hit.value("kind").toString(), QStringLiteral("file"));
        EXPECT_EQ(hit.value("cd").toString(), QStringLiteral("Alpha"));
        EXPECT_EQ(hit.value("cd_id").toInt(), w.alpha);
        EXPECT_EQ(hit.value("path").toString(), "/" + hit.value("name").toString());
    }
    EXPECT_EQ(names, w.Names()) << "in the order shown";

    // As CSV, from the menu's command with the list still up.
    w.Type("report");
    ASSERT_TRUE(w.Settle());
    ASSERT_TRUE(w.box->Popup()->isVisible());
    chosen = w.dir.path() + "/found.csv";
    csv = true;
    w.menu.Item(QStringLiteral("mnuFileExport"))->trigger();
    const QList<QByteArray> lines = read(chosen).split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("kind,id,cd_id,cd,path,name,size,"));
    EXPECT_TRUE(lines[1].startsWith("file,")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(",Alpha,/Docs/Report.doc,Report.doc,30,"))
        << lines[1].toStdString();

    // Once the list is closed, the export is the active window's (none here).
    QTest::keyClick(w.edit(), Qt::Key_Escape);
    ASSERT_FALSE(w.box->Popup()->isVisible());
    chosen = w.dir.path() + "/closed.csv";
    w.menu.Item(QStringLiteral("mnuFileExport"))->trigger();
    EXPECT_FALSE(QFile::exists(chosen));
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_NE(w.messages[0].find("no list to export"), std::string::npos) << w.messages[0];
}

TEST(QuickFindBox, CtrlFFindsHereOnlyWhileTheSearchWindowIsDown) {
    Window w;
    w.menu.setFocus();
    QTest::keyClick(&w.menu, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(w.edit()->hasFocus());
    w.explorer->window->setFocus();
    w.search->show();
    QTest::keyClick(&w.menu, Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(w.edit()->hasFocus());
}

// The box is never hidden in the toolbar's overflow: in a window too narrow for both (as at a
// large scale) it has a row of its own, in a wide one it sits beside the toolbar.
TEST(QuickFindBox, StaysInSightInANarrowWindow) {
    Window w;
    auto inSight = [&] {
        QCoreApplication::processEvents();
        const QRect box(w.box->mapTo(&w.menu, QPoint(0, 0)), w.box->size());
        return w.box->isVisible() && w.menu.rect().contains(box) &&
               w.box->width() >= w.box->minimumSizeHint().width();
    };
    // Whether the box begins above the toolbar's bottom edge: on its row.
    auto besideToolbar = [&] {
        return w.box->mapTo(&w.menu, QPoint(0, 0)).y() <
               w.menu.Toolbar()->mapTo(&w.menu, QPoint(0, w.menu.Toolbar()->height())).y();
    };
    const int both = w.menu.Toolbar()->sizeHint().width() + w.box->sizeHint().width();
    w.menu.resize(both + 100, 600);
    EXPECT_TRUE(inSight());
    EXPECT_TRUE(besideToolbar());
    w.menu.resize(both - 100, 600);
    EXPECT_TRUE(inSight());
    EXPECT_FALSE(besideToolbar());
    // Wide again: back on the toolbar's row.
    w.menu.resize(both + 100, 600);
    EXPECT_TRUE(inSight());
    EXPECT_TRUE(besideToolbar());
}

// In a narrow window the list's date and size show without scrolling sideways, until the user
// sizes a column himself.
TEST(QuickFindBox, TheDateAndSizeShowInANarrowWindow) {
    Window w;
    w.menu.resize(760, 600);
    QTest::keyClick(&w.menu, Qt::Key_K, Qt::ControlModifier);
    QTest::keyClicks(w.edit(), QStringLiteral("abc"));
    ASSERT_TRUE(w.Settle());
    QTreeView* list = w.box->Popup()->List();
    auto shows = [&](int column) {
        const int left = list->columnViewportPosition(column);
        return left >= 0 && left + list->columnWidth(column) <= list->viewport()->width() &&
               list->columnWidth(column) >= list->header()->sectionSizeHint(column);
    };
    EXPECT_TRUE(shows(kColDate));
    EXPECT_TRUE(shows(kColSize));
    EXPECT_TRUE(shows(kColFileName));
    // A width the user chose is kept when the list is placed again.
    list->header()->resizeSection(kColFileName, 400);
    w.menu.resize(740, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(list->columnWidth(kColFileName), 400);
}

TEST(QuickFindBox, AnswersFollowTheProgramsEditsAndOtherProgramsScans) {
    Window w;
    w.Type("shelf");
    ASSERT_TRUE(w.Settle());
    EXPECT_EQ(w.results()->rowCount(), 0);
    {
        classData data;
        data.GetCdGoto(w.alpha).GetDirFirst().GetFileFirst().SetFileNotes("copy on shelf 2", true);
    }
    emit CatalogueEvents::Instance().catalogueChanged();
    ASSERT_TRUE(w.Settle());
    EXPECT_EQ(w.Names(), std::vector<std::string>{"abc.txt"});
    EXPECT_EQ(w.results()->Text(0, kColNotes), QStringLiteral("copy on shelf 2"));

    // Another program appends a CD without telling: the file's stamp shows it at the next query.
    {
        classData data(DataFilePath);
        testing::AddSampleCd(data, "Beta", {{"Tapes", "\\", {{"mixtape.ogg", 5}}}});
    }
    w.Type("mixtape");
    ASSERT_TRUE(w.Settle());
    EXPECT_EQ(w.Names(), std::vector<std::string>{"mixtape.ogg"});
    EXPECT_EQ(w.results()->Text(0, kColCdName), QStringLiteral("Beta"));
    // A removed CD's hit is refused with a notice instead of being revealed.
    {
        classData data(DataFilePath);
        data.GetCdDelete(w.results()->Record(0).cdId);
    }
    EXPECT_FALSE(w.box->RevealRow(0));
    EXPECT_EQ(w.messages.size(), 1u);
    EXPECT_TRUE(w.explorer->revealed.empty());
}

// Another program's change has the index read anew in the background: meanwhile every key is
// answered from the index held and says so; the new answer replaces it when the index is in. The
// program's own edits are followed without a read of the whole file.
TEST(QuickFindBox, AnswersWhileTheIndexIsReadAnew) {
    Window w;
    w.Type("abc");
    ASSERT_TRUE(w.Settle());
    const int builds = w.box->Finder().Builds();
    EXPECT_EQ(builds, 1);
    {
        classData data;
        data.GetCdGoto(w.alpha).GetDirFirst().GetFileFirst().SetFileNotes("copy on shelf 2", true);
    }
    emit CatalogueEvents::Instance().catalogueChanged();
    w.Type("shelf");
    ASSERT_TRUE(w.Settle());
    EXPECT_EQ(w.Names(), std::vector<std::string>{"abc.txt"});
    EXPECT_EQ(w.box->Finder().Builds(), builds);

    // Another program (here another thread, whose writes the program does not see as its own).
    std::mutex m;
    std::condition_variable cv;
    bool open = false;
    w.box->Finder().SetBuildGate([&] {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return open; });
    });
    std::thread([] {
        classData data(DataFilePath);
        testing::AddSampleCd(data, "Beta", {{"Tapes", "\\", {{"abc tape.ogg", 5}}}});
    }).join();
    w.Type("abc");
    ASSERT_TRUE(w.Settle(false));
    EXPECT_EQ(w.results()->rowCount(), 3);  // the new CD's file is not in the index held
    EXPECT_TRUE(w.box->Popup()->Status()->text().contains(QStringLiteral("reading")))
        << w.box->Popup()->Status()->text().toStdString();
    {
        std::lock_guard lock(m);
        open = true;
    }
    cv.notify_all();
    QElapsedTimer t;
    t.start();
    while (w.results()->rowCount() < 4 && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(w.results()->rowCount(), 4);
    EXPECT_EQ(w.box->Finder().Builds(), builds + 1);
    EXPECT_FALSE(w.box->Popup()->Status()->text().contains(QStringLiteral("reading")));
    w.box->Finder().SetBuildGate({});
}

}  // namespace
}  // namespace karvio
