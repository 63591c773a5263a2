// Start-up with a data file the program cannot use (written by a newer or an older version, cut
// short, another kind of file): the windows start as the program starts them, the cause is said
// once, the main window stays busy with an empty tree, and the program keeps running with Exit,
// Help and the view styles; a catalogue that opens again is loaded. The first window fits the
// screen, also at a scale of 2 on a 1440 x 900 screen.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "Messages.h"
#include "ProgramInfo.h"
#include "classData.h"
#include "explorer/CategoryTreeModel.h"
#include "explorer/frmBrowse2.h"
#include "mainwindow/WindowRect.h"
#include "mainwindow/frmMenu.h"
#include "startup/ProgramValues.h"
#include "startup/Settings.h"
#include "startup/Startup.h"
#include "support/SampleCatalogue.h"
#include "views/CdTreeModel.h"
#include "views/frmBrowseCD.h"

namespace karvio {
namespace {

const std::string kWrongVersion = "Error!!\r\nWrong Version of the Data File\r\nCan't Use newer version data";
const std::string kDataFileError =
    "Data File Error (1001) !!! Please Start Karvio Again. If the error persist, then use your data backup";

class BadDataFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath("Karvio.cd").toStdString();
        {
            classData data(path_);
            testing::AddSampleCd(data, "Alpha", {testing::SampleDir("", "\\", {testing::SampleFile("a.txt", 1)})});
        }
        QFile file(QString::fromStdString(path_));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        good_ = file.readAll();
        DataFilePath = path_;
        SetProgramWideValues();
    }
    // The main window installs its message box; the test answers in its place.
    void RecordMessages() {
        SetMessageSink([this](const std::string& text, const MsgButtonSet& set) {
            said_.push_back(text);
            return set.DefaultValue();
        });
    }
    void TearDown() override {
        SetMessageSink({});
        DataFilePath.clear();
        SaveSetting(settings::kViewModeExplorer, "True");
    }
    void Write(const QByteArray& bytes) {
        QFile file(QString::fromStdString(path_));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QTemporaryDir dir_;
    std::string path_;
    QByteArray good_;
    std::vector<std::string> said_;
};

TEST_F(BadDataFile, StartUpSaysTheCauseOnceAndKeepsRunningBusyWithAnEmptyTree) {
    struct Case {
        const char* what;
        int offset;  // byte to change, or the length to cut to when `cut`
        char value;
        bool cut;
        const std::string& head;
    };
    const Case cases[] = {
        {"newer version", 4, 9, false, kWrongVersion},
        {"older version", 6, 0, false, kDataFileError},
        {"cut short to 40 bytes", 40, 0, true, kDataFileError},
        {"another kind of file", 0, 'X', false, kDataFileError},
    };
    for (const Case& c : cases) {
        for (const bool explorerStyle : {true, false}) {
            const std::string which = std::string(c.what) + (explorerStyle ? ", explorer" : ", traditional");
            QByteArray bytes = good_;
            if (c.cut) {
                bytes.truncate(c.offset);
            } else {
                bytes[c.offset] = c.value;
            }
            Write(bytes);
            said_.clear();
            RefreshExplorer = RefreshCdView = true;
            SaveSetting(settings::kViewModeExplorer, BoolToSettingText(explorerStyle));
            {
                frmMenu menu;
                RecordMessages();
                InstallProgramWindows(menu);
                menu.MenuStart();
                ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu)) << which;
                QTest::qWait(20);
                ASSERT_EQ(said_.size(), 1u) << which;
                EXPECT_EQ(said_[0].substr(0, c.head.size()), c.head) << which << ": " << said_[0];
                EXPECT_NE(said_[0].find(path_), std::string::npos) << which << ": the file is named";
                // Busy: nothing that reads or writes the catalogue; Exit and the styles remain.
                for (const char* name : {"mnuCdAdd", "mnuCdSearch", "mnuFileBackup", "mnuFileCompact"})
                    EXPECT_FALSE(menu.Item(name)->isEnabled()) << which << ": " << name;
                for (const char* name : {"mnuFileExit", "mnuViewExplorer", "mnuViewPanels"})
                    EXPECT_TRUE(menu.Item(name)->isEnabled()) << which << ": " << name;
                auto* explorer = dynamic_cast<frmBrowse2*>(menu.CurrentCatalogueView());
                auto* panel = dynamic_cast<frmBrowseCD*>(menu.CdPanel());
                ASSERT_NE(panel, nullptr);
                if (explorerStyle) {
                    ASSERT_NE(explorer, nullptr);
                    CategoryTreeModel* tree = explorer->TreeModel();
                    EXPECT_EQ(tree->rowCount(tree->index(0, 0)), 0) << which << ": only the root";
                }
                // Switching styles finds the same cause and says nothing more.
                explorerStyle ? menu.mnuViewPanels_Click() : menu.mnuViewExplorer_Click();
                QTest::qWait(20);
                EXPECT_EQ(said_.size(), 1u) << which;
                EXPECT_TRUE(panel->TreeModel()->IsEmpty()) << which;
                EXPECT_EQ(panel->CdList()->model()->rowCount(), 0) << which;
                EXPECT_FALSE(menu.Item("mnuCdAdd")->isEnabled()) << which;

                // The file mended: the next activation loads it and the commands come back.
                Write(good_);
                explorerStyle ? menu.mnuViewExplorer_Click() : menu.mnuViewPanels_Click();
                QTest::qWait(20);
                EXPECT_EQ(said_.size(), 1u) << which;
                EXPECT_TRUE(menu.Item("mnuCdAdd")->isEnabled()) << which;
                menu.Exit();
            }
        }
    }
}

TEST(FirstWindow, FitsTheAvailableScreenWithItsFrame) {
    const QRect screen(0, 0, 720, 450);  // 1440 x 900 at a scale of 2
    const QMargins frame(4, 30, 4, 4);
    struct Case {
        QRect wanted;
        QRect expected;
    } cases[] = {
        {{100, 100, 400, 300}, {100, 100, 400, 300}},  // fits: left alone
        {{-78, -70, 800, 560}, {4, 30, 712, 416}},     // the design size at a scale of 2
        {{600, 300, 400, 300}, {316, 146, 400, 300}},  // moved back onto the screen
        {{0, 0, 400, 300}, {4, 30, 400, 300}},         // the title bar below the top edge
    };
    for (const Case& c : cases) EXPECT_EQ(FitWindowRect(c.wanted, screen, frame), c.expected) << c.wanted.x();
    // A screen with a panel on top.
    EXPECT_EQ(FitWindowRect({0, 0, 400, 300}, QRect(0, 32, 720, 418), frame), QRect(4, 62, 400, 300));
}

// Run by FirstWindow.FitsAScaledScreen in a process of its own with the scale and screen set.
TEST(FirstWindow, ScaledScreenChild) {
    if (qEnvironmentVariableIsEmpty("KARVIO_SCALED_SCREEN_CHILD")) GTEST_SKIP() << "run by FitsAScaledScreen";
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    for (const char* saved : {"", "1500"}) {
        // Nothing saved, then a rectangle saved at a scale of 1 on a large screen.
        SaveSetting(settings::kLeft, saved);
        SaveSetting(settings::kTop, saved);
        SaveSetting(settings::kWidth, *saved ? "18000" : "");
        SaveSetting(settings::kHeight, *saved ? "12000" : "");
        frmMenu menu;
        menu.MenuStart();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
        QTest::qWait(20);
        EXPECT_TRUE(available.contains(menu.frameGeometry()))
            << "saved '" << saved << "': " << menu.frameGeometry().x() << "," << menu.frameGeometry().y() << " "
            << menu.frameGeometry().width() << "x" << menu.frameGeometry().height() << " on " << available.width()
            << "x" << available.height();
        menu.hide();
    }
}

TEST(FirstWindow, FitsAScaledScreen) {
    QTemporaryDir dir;
    const QString config = dir.filePath("screen.json");
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"screens": [{"name": "big", "x": 0, "y": 0, "width": 1440, "height": 900,
                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + config);
    env.insert("QT_SCALE_FACTOR", "2");
    env.insert("KARVIO_SCALED_SCREEN_CHILD", "1");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=FirstWindow.ScaledScreenChild"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

}  // namespace
}  // namespace karvio
