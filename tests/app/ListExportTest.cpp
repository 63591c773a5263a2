// File > Export from the duplicates, comparison and verification windows on discs whose names
// hold commas, quotes and line breaks: the CSV's header and rows, the JSON read back whole, the
// file put in place of a link planted at its name without following it, and a file that cannot
// be written told to the user with nothing left behind.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "Messages.h"
#include "ProgramInfo.h"
#include "ScanEngine.h"
#include "ScanFolder.h"
#include "compare/ListExport.h"
#include "compare/frmCompare.h"
#include "compare/frmDuplicates.h"
#include "compare/frmVerify.h"
#include "search/frmSearch.h"

namespace karvio {
namespace {

namespace fs = std::filesystem;

const std::string kOddName = "a, \"quoted\"\nname.txt";

struct Fixture {
    QTemporaryDir dir;
    std::vector<std::string> messages;
    MessageSink previous;
    int32_t one = 0, two = 0;
    QString chosen;  // what the save dialog answers
    bool csv = true;

    Fixture() {
        DataFilePath = (dir.path() + "/d.cd").toStdString();
        previous = SetMessageSink([this](const std::string& text, const MsgButtonSet&) {
            messages.push_back(text);
            return 1;
        });
        SetExportChooser([this](QWidget*, const QString&, bool& useCsv) {
            useCsv = csv;
            return chosen;
        });
        Write("one/" + kOddName, "copy");
        Write("one/plain.txt", "plain");
        Write("two/" + kOddName, "copy");
        one = Scan("one");
        two = Scan("two");
    }
    ~Fixture() {
        SetExportChooser({});
        SetMessageSink(previous);
    }
    fs::path Path(const std::string& relative) const { return fs::path(dir.path().toStdString()) / relative; }
    void Write(const std::string& relative, const std::string& bytes) {
        fs::create_directories(Path(relative).parent_path());
        std::ofstream(Path(relative), std::ios::binary) << bytes;
    }
    int32_t Scan(const std::string& folder) { return testing::ScanFolderAsCd(Path(folder).string(), folder); }
    std::string Read(const std::string& relative) const {
        std::ifstream in(Path(relative), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
};

template <typename Busy>
void WaitWhile(Busy busy) {
    QElapsedTimer t;
    t.start();
    while (busy() && t.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

QJsonArray JsonRows(const Fixture& f, const std::string& name) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(f.Read(name)), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return doc.array();
}

TEST(ListExport, TheWindowsListsAsCsvAndJsonWithNamesThatNeedQuoting) {
    Fixture f;
    frmDuplicates duplicates;
    duplicates.MatchBy()->setCurrentIndex(0);
    duplicates.SingleCopies()->setChecked(false);
    duplicates.MinimumSize()->setValue(0);
    // Nothing found yet: nothing to export, and the user is told.
    f.chosen = QString::fromStdString(f.Path("never.csv").string());
    EXPECT_FALSE(ExportWindowList(&duplicates, nullptr));
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_NE(f.messages[0].find("no list to export"), std::string::npos);
    EXPECT_FALSE(fs::exists(f.Path("never.csv")));

    QTest::mouseClick(duplicates.FindButton(), Qt::LeftButton);
    WaitWhile([&] { return duplicates.IsFinding(); });
    // The extension follows the chosen format when the name has none.
    f.chosen = QString::fromStdString(f.Path("dups").string());
    ASSERT_TRUE(ExportWindowList(&duplicates, nullptr));
    const std::string csv = f.Read("dups.csv");
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")), "group,copies,size,space,spare,hash,id,cd_id,cd,category,path");
    // The odd name stands quoted, its quotes doubled and its line break kept.
    EXPECT_NE(csv.find("/one/a, \"\"quoted\"\"\nname.txt\"\r\n"), std::string::npos) << csv;

    f.csv = false;
    ASSERT_TRUE(ExportWindowList(&duplicates, nullptr));
    const QJsonArray rows = JsonRows(f, "dups.json");
    ASSERT_EQ(rows.size(), 2);
    std::set<std::string> paths;
    for (const QJsonValue& row : rows) {
        EXPECT_EQ(row.toObject().value("copies").toInt(), 2);
        paths.insert(row.toObject().value("path").toString().toStdString());
    }
    EXPECT_EQ(paths, (std::set<std::string>{f.Path("one/" + kOddName).string(), f.Path("two/" + kOddName).string()}));

    frmCompare compare;
    compare.show();
    compare.FirstDisc()->setCurrentIndex(compare.FirstDisc()->findData(f.one));
    compare.SecondDisc()->setCurrentIndex(compare.SecondDisc()->findData(f.two));
    QTest::mouseClick(compare.CompareButton(), Qt::LeftButton);
    WaitWhile([&] { return compare.IsComparing(); });
    f.chosen = QString::fromStdString(f.Path("cmp.json").string());
    ASSERT_TRUE(ExportWindowList(&compare, nullptr));
    std::set<std::pair<std::string, std::string>> compared;
    for (const QJsonValue& row : JsonRows(f, "cmp.json"))
        compared.insert({row.toObject().value("status").toString().toStdString(), row.toObject().value("path").toString().toStdString()});
    EXPECT_EQ(compared, (std::set<std::pair<std::string, std::string>>{{"only_first", "plain.txt"}, {"same", kOddName}}));

    frmVerify verify;
    fs::remove(f.Path("one/plain.txt"));
    verify.Start(f.one, f.Path("one").string());
    WaitWhile([&] { return verify.IsVerifying(); });
    f.chosen = QString::fromStdString(f.Path("verify.json").string());
    ASSERT_TRUE(ExportWindowList(&verify, nullptr));
    const QJsonArray findings = JsonRows(f, "verify.json");
    ASSERT_EQ(findings.size(), 1);
    EXPECT_EQ(findings[0].toObject().value("status").toString(), "missing");
    EXPECT_EQ(findings[0].toObject().value("path").toString(), "plain.txt");

    // The search window's hits, as karvio-cli export --search writes them.
    frmSearch search;
    search.SearchFor()->setText("quoted");
    QTest::mouseClick(search.OkButton(), Qt::LeftButton);
    WaitWhile([&] { return search.IsSearching(); });
    f.chosen = QString::fromStdString(f.Path("hits.json").string());
    ASSERT_TRUE(ExportWindowList(&search, nullptr));
    std::set<std::string> hits;
    for (const QJsonValue& row : JsonRows(f, "hits.json")) {
        EXPECT_EQ(row.toObject().value("kind").toString(), "file");
        EXPECT_EQ(row.toObject().value("name").toString().toStdString(), kOddName);
        hits.insert(row.toObject().value("path").toString().toStdString());
    }
    EXPECT_EQ(hits, (std::set<std::string>{f.Path("one/" + kOddName).string(), f.Path("two/" + kOddName).string()}));
    EXPECT_EQ(f.messages.size(), 1u);
}

TEST(ListExport, APlantedLinkIsReplacedNotFollowedAndAFailedWriteLeavesNothing) {
    Fixture f;
    frmVerify verify;
    verify.Start(f.one, f.Path("one").string());
    WaitWhile([&] { return verify.IsVerifying(); });
    f.Write("victim.txt", "keep me");
    fs::create_symlink(f.Path("victim.txt"), f.Path("out.csv"));
    f.chosen = QString::fromStdString(f.Path("out.csv").string());
    ASSERT_TRUE(ExportWindowList(&verify, nullptr));
    EXPECT_EQ(f.Read("victim.txt"), "keep me");
    EXPECT_FALSE(fs::is_symlink(f.Path("out.csv")));
    EXPECT_EQ(f.Read("out.csv"), "status,kind,path,detail,id\r\n");

    // A folder that is not there: a message, and no file anywhere.
    const auto before = std::distance(fs::directory_iterator(f.Path("")), fs::directory_iterator{});
    f.chosen = QString::fromStdString(f.Path("missing/out.csv").string());
    EXPECT_FALSE(ExportWindowList(&verify, nullptr));
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_NE(f.messages[0].find("could not be exported"), std::string::npos) << f.messages[0];
    EXPECT_EQ(std::distance(fs::directory_iterator(f.Path("")), fs::directory_iterator{}), before);
}

}  // namespace
}  // namespace karvio
