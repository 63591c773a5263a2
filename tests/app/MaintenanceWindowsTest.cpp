// Backup and compaction through the main window's File menu, with the progress window and
// scripted answers: the catalogue after the command, cancel, and targets that cannot be written.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include "CatalogueCopy.h"
#include "CatalogueFile.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "Progress.h"
#include "maintenance/MaintenanceCommands.h"
#include "maintenance/frmAnimation2.h"
#include "mainwindow/CatalogueEvents.h"
#include "mainwindow/frmMenu.h"
#include "report/PreviewCommand.h"
#include "support/SampleCatalogue.h"
#include "support/TempDir.h"

namespace karvio {
namespace {

using testing::TempDir;

class Maintenance : public ::testing::Test {
protected:
    void SetUp() override {
        DataFilePath = dir.File("Karvio.cd");
        classData data;
        ASSERT_TRUE(data.OpenFiles(DataFilePath));
        testing::BuildSampleCatalogue(data);
        // Enough files that the copy yields to the event loop on its way.
        std::vector<testing::SampleFile> files;
        for (int i = 0; i < 4000; ++i) files.emplace_back("file" + std::to_string(i), i);
        testing::AddSampleCd(data, "Big", {{"", "\\", files}});
    }
    void Install() {
        previousSink = SetMessageSink([this](const std::string& text, const MsgButtonSet& b) {
            messages.push_back(text);
            auto it = answers.find(text);
            return it != answers.end() ? it->second(b) : b.DefaultValue();
        });
        InstallReportAndMaintenance(menu);
    }
    void TearDown() override {
        SetMessageSink(previousSink);
        SetBackupTargetChooser({});
        DataFilePath.clear();
    }
    // Runs a command of the File menu and waits for its copy, which runs on a worker, to end.
    void Trigger(const char* item) {
        menu.Item(item)->trigger();
        QElapsedTimer t;
        t.start();
        while (MaintenanceUnderWay() && t.elapsed() < 30000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_FALSE(MaintenanceUnderWay());
    }
    static int CdCount(const std::string& path) {
        classData data(path);
        return data.IsOpen() ? data.GetCdCount() : -1;
    }

    TempDir dir;
    frmMenu menu;
    std::vector<std::string> messages;
    std::map<std::string, std::function<int(const MsgButtonSet&)>> answers;
    MessageSink previousSink;
};

// A process file-size limit makes every write past it fail, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

private:
    rlimit saved_{};
};

TEST_F(Maintenance, CompactionReplacesTheCatalogueAndTellsTheWindows) {
    Install();
    answers["Compact Data Files ??"] = [](const MsgButtonSet&) { return vbYes; };
    QSignalSpy replaced(&CatalogueEvents::Instance(), &CatalogueEvents::catalogueReplaced);
    Trigger("mnuFileCompact");
    EXPECT_EQ(replaced.count(), 1);
    EXPECT_EQ(CdCount(DataFilePath), 4);
    EXPECT_EQ(CdCount(BakPathOf(DataFilePath)), 4);
    EXPECT_FALSE(std::filesystem::exists(dir.File(kCompactionWorkFile)));
    EXPECT_EQ(messages, std::vector<std::string>{"Compact Data Files ??"});

    // Declined: nothing shown, nothing changed.
    answers["Compact Data Files ??"] = [](const MsgButtonSet&) { return vbNo; };
    const auto before = testing::ReadAllBytes(DataFilePath);
    Trigger("mnuFileCompact");
    EXPECT_EQ(testing::ReadAllBytes(DataFilePath), before);
    EXPECT_EQ(replaced.count(), 1);
}

TEST_F(Maintenance, CancelAsksAndLeavesTheDataFileAsItWas) {
    Install();
    const auto before = testing::ReadAllBytes(DataFilePath);
    // The copy's worker waits at its first opening of the catalogue until the Cancel question has
    // been answered, so the answer always meets a copy under way, however busy the machine.
    const std::thread::id windowThread = std::this_thread::get_id();
    std::atomic<bool> answered{false};
    const CatalogueFileOpener previousOpener =
        SetCatalogueFileOpener([&](const std::string& path, bool create) {
            for (int waited = 0; std::this_thread::get_id() != windowThread && !answered && waited < 20000; ++waited)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return OpenSystemCatalogueFile(path, create);
        });
    struct RestoreOpener {
        CatalogueFileOpener opener;
        ~RestoreOpener() { SetCatalogueFileOpener(opener); }
    } restoreOpener{previousOpener};
    answers["Compact Data Files ??"] = [](const MsgButtonSet&) {
        // Press Cancel in the progress window as soon as the copy lets events through.
        QTimer::singleShot(0, [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* window = qobject_cast<frmAnimation2*>(w)) window->CancelButton()->click();
            }
        });
        return vbYes;
    };
    int asked = 0;
    answers["Cancel Data Compaction"] = [&](const MsgButtonSet&) {
        // Let go once the answer has taken effect (a Stop asked for on Yes).
        QTimer::singleShot(0, [&] { answered = true; });
        return ++asked == 1 ? vbNo : vbYes;
    };
    QSignalSpy replaced(&CatalogueEvents::Instance(), &CatalogueEvents::catalogueReplaced);
    Trigger("mnuFileCompact");
    // The first answer (No) lets the copy finish.
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(replaced.count(), 1);

    const auto compacted = testing::ReadAllBytes(DataFilePath);
    answered = false;
    asked = 1;  // now the answer is Yes
    Trigger("mnuFileCompact");
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(testing::ReadAllBytes(DataFilePath), compacted);
    EXPECT_EQ(replaced.count(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File(kCompactionWorkFile)));
    EXPECT_NE(before.size(), 0u);
}

TEST_F(Maintenance, BackupWritesACopyAndRefusesOrReportsBadTargets) {
    Install();
    const std::string target = dir.File("copy.cd");
    SetBackupTargetChooser([&](QWidget*, const QString&) { return QString::fromStdString(target); });
    Trigger("mnuFileBackup");
    EXPECT_EQ(CdCount(target), 4);
    EXPECT_TRUE(messages.empty());

    SetBackupTargetChooser([&](QWidget*, const QString&) { return QString::fromStdString(DataFilePath); });
    Trigger("mnuFileBackup");
    EXPECT_EQ(messages, std::vector<std::string>{"Cannot backup to the current data file!!"});

    // A target folder that does not exist, and a disk that fills up half way.
    const auto before = testing::ReadAllBytes(DataFilePath);
    for (const std::string& bad : {dir.File("missing/copy.cd"), dir.File("full.cd")}) {
        messages.clear();
        SetBackupTargetChooser([&](QWidget*, const QString&) { return QString::fromStdString(bad); });
        {
            FileSizeLimit full(before.size() / 4);
            Trigger("mnuFileBackup");
        }
        ASSERT_EQ(messages.size(), 1u) << bad;
        EXPECT_NE(messages[0].find("The backup could not be written"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(bad));
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            EXPECT_EQ(entry.path().filename().string().find("full.cd."), std::string::npos);
        }
    }
    EXPECT_EQ(testing::ReadAllBytes(DataFilePath), before);
    EXPECT_EQ(CdCount(DataFilePath), 4);
}

// Presses Cancel in the progress window as it shows, before its copy has begun.
class CancelAsShown : public QObject {
public:
    QString title;  // the window's, as it showed

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* window = qobject_cast<frmAnimation2*>(watched)) {
                title = window->windowTitle();
                window->CancelButton()->click();
            }
        }
        return false;
    }
};

// The progress window's Cancel stops a backup: the copy ends at its next record and the target
// is left as it was. The window and its question speak of backup, not of compaction.
TEST_F(Maintenance, CancelStopsABackupWhileItCopies) {
    Install();
    const std::string target = dir.File("copy.cd");
    SetBackupTargetChooser([&](QWidget*, const QString&) { return QString::fromStdString(target); });
    answers["Cancel Data Backup"] = [](const MsgButtonSet&) { return vbYes; };
    {
        CancelAsShown cancel;
        qApp->installEventFilter(&cancel);
        Trigger("mnuFileBackup");
        qApp->removeEventFilter(&cancel);
        EXPECT_EQ(cancel.title, "Backing Up Data Files");
    }
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(messages, std::vector<std::string>{"Cancel Data Backup"});
    // The program is usable again: a backup now runs to its end.
    answers.clear();
    Trigger("mnuFileBackup");
    EXPECT_EQ(CdCount(target), 4);
}

TEST_F(Maintenance, CompactionOnAFullDiskFailsCleanly) {
    Install();
    answers["Compact Data Files ??"] = [](const MsgButtonSet&) { return vbYes; };
    const auto before = testing::ReadAllBytes(DataFilePath);
    {
        FileSizeLimit full(before.size() / 4);
        Trigger("mnuFileCompact");
    }
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[1].find("could not be compacted"), std::string::npos);
    EXPECT_EQ(testing::ReadAllBytes(DataFilePath), before);
    EXPECT_FALSE(std::filesystem::exists(dir.File(kCompactionWorkFile)));
    EXPECT_EQ(CdCount(DataFilePath), 4);
}

TEST(ProgressWindow, LabelsAndCancelQuestion) {
    frmAnimation2 window;
    CopyCallbacks callbacks = window.Callbacks();
    callbacks.showLabel("Processing : Caf\xc3\xa9");
    EXPECT_EQ(window.CdLabel()->text(), QString::fromUtf8("Processing : Café"));
    EXPECT_FALSE(callbacks.cancelRequested());
    std::vector<std::string> asked;
    MessageSink previous = SetMessageSink([&](const std::string& text, const MsgButtonSet&) {
        asked.push_back(text);
        return vbYes;
    });
    window.CancelButton()->click();
    SetMessageSink(previous);
    EXPECT_EQ(asked, std::vector<std::string>{"Cancel Data Compaction"});
    EXPECT_TRUE(callbacks.cancelRequested());
    EXPECT_EQ(window.windowTitle(), "Compacting Data Files");
    // The shipped picture or the painted one: either way the window has its animation.
    EXPECT_TRUE(window.IsAnimating());
    EXPECT_EQ(window.PlaysAnimationFile(), std::filesystem::exists(FindResource("images/FileNuke.gif")));
}

}  // namespace
}  // namespace karvio
