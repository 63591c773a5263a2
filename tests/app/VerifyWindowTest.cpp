// The verification window on a disc scanned with content hashes and then changed behind the
// catalogue's back: a file gone, a file added, a file grown, a file with other bytes of the same
// size and date; what it lists against the engine's answer, the catalogue left as it was, Stop,
// and a disc that is not where it was scanned, found through the folder chooser.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiArea>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "CatalogueListing.h"
#include "DiscVerify.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "ScanEngine.h"
#include "classData.h"
#include "compare/frmVerify.h"
#include "controls/ctlFolderBrowser.h"
#include "mainwindow/frmMenu.h"

namespace karvio {
namespace {

namespace fs = std::filesystem;

struct Fixture {
    QTemporaryDir dir;
    std::vector<std::string> messages;
    MessageSink previous;
    int32_t cd = 0;
    std::string disc;

    explicit Fixture(int extraFiles = 0) {
        DataFilePath = (dir.path() + "/d.cd").toStdString();
        previous = SetMessageSink([this](const std::string& text, const MsgButtonSet&) {
            messages.push_back(text);
            return 1;
        });
        disc = dir.path().toStdString() + "/disc";
        Write("kept.txt", "kept");
        Write("gone.txt", "gone");
        Write("sub/grown.bin", "short");
        Write("sub/rotten.bin", std::string(4000, 'a'));
        for (int i = 0; i < extraFiles; ++i) Write("many/f" + std::to_string(i), std::string(20000, 'x'));
        ScanEngine engine;
        engine.SetVars(0, disc + "/", "disc", "", "", 0);
        engine.SetScanOptions(kScanHashes);
        engine.ScanCd(cd);
        EXPECT_GT(cd, 0);
    }
    ~Fixture() { SetMessageSink(previous); }

    void Write(const std::string& relative, const std::string& bytes) {
        const fs::path path = fs::path(disc) / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // What changes on the disc after its scan.
    void ChangeTheDisc() {
        fs::remove(fs::path(disc) / "gone.txt");
        Write("added.txt", "new");
        const fs::path grown = fs::path(disc) / "sub/grown.bin";
        const fs::file_time_type scanned = fs::last_write_time(grown);
        Write("sub/grown.bin", "much longer now");
        fs::last_write_time(grown, scanned + std::chrono::hours(1));
        const fs::path rotten = fs::path(disc) / "sub/rotten.bin";
        const fs::file_time_type when = fs::last_write_time(rotten);
        Write("sub/rotten.bin", std::string(4000, 'b'));
        fs::last_write_time(rotten, when);
    }
    // Every file of the catalogue's folder, by name, with its bytes.
    std::map<std::string, std::string> CatalogueFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(dir.path().toStdString())) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            files[entry.path().filename().string()] = bytes.str();
        }
        return files;
    }
};

void WaitFor(const frmVerify& w) {
    QElapsedTimer t;
    t.start();
    while (w.IsVerifying() && t.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(w.IsVerifying());
}

std::set<std::pair<std::string, std::string>> Findings(const VerifyReport& report) {
    std::set<std::pair<std::string, std::string>> found;
    for (const VerifyFinding& f : report.findings) found.insert({VerifyStatusName(f.status), f.path});
    return found;
}

TEST(VerifyWindow, ListsWhatChangedOnTheDiscAsTheEngineFindsItAndChangesNothing) {
    Fixture f;
    f.ChangeTheDisc();
    const auto before = f.CatalogueFiles();
    frmVerify w;
    QAbstractItemModelTester tester(w.Results()->model());
    w.show();
    w.Start(f.cd, f.disc);
    EXPECT_TRUE(w.IsVerifying());
    WaitFor(w);

    const std::set<std::pair<std::string, std::string>> expected = {{"missing", "gone.txt"},
                                                                    {"new", "added.txt"},
                                                                    {"changed", "sub/grown.bin"},
                                                                    {"content_changed", "sub/rotten.bin"}};
    EXPECT_EQ(Findings(w.Report()), expected);
    {
        classData data;
        const ListedCd cd = ReadListedCd(data, f.cd);
        EXPECT_EQ(Findings(VerifyDisc(cd.listing, f.disc, RecordedHashes(data, {&cd}))), expected);
    }
    // The rows in the user's words.
    std::map<std::string, std::pair<QString, QString>> rows;
    const QAbstractItemModel* m = w.Results()->model();
    ASSERT_EQ(m->rowCount(), 4);
    for (int row = 0; row < m->rowCount(); ++row) {
        rows[m->index(row, 1).data().toString().toStdString()] = {m->index(row, 0).data().toString(),
                                                                  m->index(row, 2).data().toString()};
    }
    EXPECT_EQ(rows["gone.txt"].first, "Missing");
    EXPECT_EQ(rows["added.txt"].first, "New");
    EXPECT_EQ(rows["sub/grown.bin"], (std::pair<QString, QString>{"Changed", "size, date"}));
    EXPECT_EQ(rows["sub/rotten.bin"].first, "Other contents");
    const QString summary = w.Summary()->text();
    EXPECT_TRUE(summary.startsWith("1 missing, 1 new, 1 changed, 1 with other contents, 0 unreadable.")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("3 of 3 catalogued files read")) << summary.toStdString();
    EXPECT_EQ(w.Progress()->value(), w.Progress()->maximum());
    EXPECT_EQ(f.CatalogueFiles(), before);
    EXPECT_TRUE(f.messages.empty());
}

TEST(VerifyWindow, StopEndsWithAPartialResult) {
    Fixture f(300);
    frmVerify w;
    w.show();
    w.Start(f.cd, f.disc);
    QTest::mouseClick(w.StopButton(), Qt::LeftButton);
    EXPECT_FALSE(w.StopButton()->isEnabled());
    WaitFor(w);
    EXPECT_TRUE(w.Report().stopped);
    EXPECT_LT(w.Report().filesRead, 303);
    EXPECT_TRUE(w.Summary()->text().startsWith("Stopped: this result is partial.")) << w.Summary()->text().toStdString();
}

TEST(VerifyWindow, ADiscNotWhereItWasScannedIsAskedForAndAnUnchangedOneSaysSo) {
    Fixture f;
    const std::string moved = f.dir.path().toStdString() + "/moved";
    fs::rename(f.disc, moved);
    std::vector<QString> asked;
    QString answer;
    const ctlFolderBrowser::Chooser previous =
        ctlFolderBrowser::SetChooser([&](QWidget*, const QString& title, const QString&) {
            asked.push_back(title);
            return answer;
        });
    frmMenu menu;
    // Cancelled: no window.
    EXPECT_EQ(frmVerify::Open(menu, f.cd), nullptr);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].startsWith("\"disc\" is not mounted")) << asked[0].toStdString();

    answer = QString::fromStdString(moved + "/");
    frmVerify* w = frmVerify::Open(menu, f.cd);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(asked.size(), 2u);
    WaitFor(*w);
    EXPECT_EQ(w->Report().folder, moved);
    EXPECT_TRUE(w->Report().findings.empty());
    EXPECT_EQ(w->Results()->model()->rowCount(), 0);
    EXPECT_TRUE(w->Summary()->text().startsWith("The disc reads back as it was catalogued.")) << w->Summary()->text().toStdString();
    EXPECT_EQ(w->windowTitle(), "Verify disc");
    // A CD that is no longer in the catalogue opens nothing.
    EXPECT_EQ(frmVerify::Open(menu, f.cd + 1000), nullptr);
    ctlFolderBrowser::SetChooser(previous);
    EXPECT_TRUE(f.messages.empty());
}

}  // namespace
}  // namespace karvio
