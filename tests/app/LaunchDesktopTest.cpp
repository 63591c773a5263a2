// Launching catalogued files as they lie on a real disk: a link to a folder, a name that is not
// UTF-8 (also found by `karvio-cli locate`), the desktop's opener failing to start any
// application, and the insert-disc question answering itself when the folder is put back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "Messages.h"
#include "ProgramInfo.h"
#include "ScanEngine.h"
#include "classData.h"
#include "msgbox/MessageService.h"
#include "msgbox/ctlMsgBox.h"
#include "msgbox/frmMsgBox.h"
#include "startup/LaunchFile.h"

namespace karvio {
namespace {

namespace fs = std::filesystem;

// A folder "Disc" with a link to a folder, a file whose name is the bytes FF FE, and a plain
// file, scanned into a fresh catalogue.
class LaunchOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path().toStdString();
        disc_ = root_ + "/Disc";
        fs::create_directories(disc_ + "/Photos");
        std::ofstream(disc_ + "/Photos/beach.jpg") << "sand";
        fs::create_directory_symlink(disc_ + "/Photos", disc_ + "/Album");
        std::ofstream(disc_ + "/\xff\xfe.txt") << "bytes";
        DataFilePath = root_ + "/Launch.cd";
        SetMessageSink([this](const std::string& text, const MsgButtonSet& set) {
            said_.push_back(text);
            return set.CancelValue() ? set.CancelValue() : set.DefaultValue();
        });
        ScanEngine engine;
        engine.SetVars(0, disc_ + "/", "Holiday", "", "HOLIDAY", 0);
        engine.ScanCd(cdId_);
        ASSERT_GT(cdId_, 0);
    }
    void TearDown() override {
        // A name that is not UTF-8 is beyond QTemporaryDir's own clean-up.
        std::error_code ignored;
        fs::remove_all(root_, ignored);
        InstallMessageBox(nullptr);
        SetMessageSink({});
        DataFilePath.clear();
    }

    // The id of the file of the CD named `name` (bytes); 0 when there is none.
    int32_t FileNamed(const std::string& name) const {
        classData data;
        classCd& cd = data.GetCdGoto(cdId_);
        for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
            for (ClassFile* file = &dir->GetFileFirst(); !dir->GetFileEof(); file = &dir->GetFileNext()) {
                if (file->GetFileName() == name) return file->GetFileId();
            }
        }
        return 0;
    }

    // The desktop's own services, with the opening recorded instead of done.
    LaunchServices Recorded() {
        LaunchServices services = LaunchServices::Desktop();
        services.hasAssociation = [](const std::string&) { return true; };
        services.open = [this](const std::string& path) {
            opened_.push_back(path);
            return true;
        };
        return services;
    }

    std::string Script(const std::string& name, const std::string& body) const {
        const std::string path = root_ + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(path, fs::perms::owner_all);
        return path;
    }

    QTemporaryDir dir_;
    std::string root_, disc_;
    int32_t cdId_ = 0;
    std::vector<std::string> said_;
    std::vector<std::string> opened_;
};

TEST_F(LaunchOnDisk, ALinkToAFolderAndANameThatIsNotUtf8AreFoundByTheirBytes) {
    for (const std::string name : {"Album", "\xff\xfe.txt"}) {
        const int32_t fileId = FileNamed(name);
        ASSERT_GT(fileId, 0) << name;
        opened_.clear();
        said_.clear();
        EXPECT_EQ(LaunchFile(fileId, Recorded()), LaunchResult::kOpened) << name;
        EXPECT_TRUE(said_.empty()) << said_.front();
        ASSERT_EQ(opened_.size(), 1u);
        EXPECT_EQ(opened_[0], disc_ + "/" + name);

        // The command-line tool finds the same bytes.
        QProcess locate;
        locate.start(QStringLiteral(KARVIO_BUILD_DIR "/bin/karvio-cli"),
                     {"--data", QString::fromStdString(DataFilePath), "locate", QString::number(fileId)});
        ASSERT_TRUE(locate.waitForFinished(30000));
        EXPECT_EQ(locate.exitCode(), 0) << locate.readAllStandardError().toStdString();
        EXPECT_EQ(locate.readAllStandardOutput().toStdString(), disc_ + "/" + name + "\n");
    }
}

TEST_F(LaunchOnDisk, TheOpenerGetsTheBytesAndItsFailureIsSaid) {
    const std::string name = "\xff\xfe.txt";
    const std::string got = root_ + "/argument";
    // An opener that works: it receives the very bytes of the name.
    const std::string works = Script("opens", "printf '%s' \"$1\" > '" + got + "'");
    ASSERT_TRUE(StartOpener(works, disc_ + "/" + name, 5000));
    // An opener that finds no application, as xdg-open does when x-terminal-emulator is missing.
    const std::string fails = Script("fails", "echo 'x-terminal-emulator: not found' >&2; exit 3");
    ASSERT_TRUE(StartOpener(fails, disc_ + "/" + name, 5000));
    QElapsedTimer waited;
    waited.start();
    while (said_.empty() && waited.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(said_, std::vector<std::string>{kNoAssociationText});
    std::ifstream in(got, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), disc_ + "/" + name);

    // An opener that cannot be started at all: the launch says so at once.
    said_.clear();
    LaunchServices services = Recorded();
    services.open = [this](const std::string& path) { return StartOpener(root_ + "/no-such-opener", path, 5000); };
    EXPECT_EQ(LaunchFile(FileNamed(name), services), LaunchResult::kNoAssociation);
    EXPECT_EQ(said_, std::vector<std::string>{kNoAssociationText});
}

TEST_F(LaunchOnDisk, TheQuestionNamesTheDiscAndAnswersItselfWhenTheFolderIsBack) {
    const int32_t fileId = FileNamed("beach.jpg");
    ASSERT_GT(fileId, 0);
    const std::string moved = root_ + "/Away";
    fs::rename(disc_, moved);

    // The real message box: the folder comes back while the question is up.
    ctlMsgBox box;
    InstallMessageBox(&box);
    std::string question;
    box.setFormHook([&question](frmMsgBox& form) { question = form.MessageLabel()->text().toStdString(); });
    QTimer putBack;
    putBack.setSingleShot(true);
    QObject::connect(&putBack, &QTimer::timeout, [&] { fs::rename(moved, disc_); });
    putBack.start(300);
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] {
        if (auto* form = qobject_cast<frmMsgBox*>(QApplication::activeModalWidget())) form->PressButton(2);
    });
    giveUp.start(10000);
    EXPECT_EQ(LaunchFile(fileId, Recorded()), LaunchResult::kOpened);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], disc_ + "/Photos/beach.jpg");
    // (A volume another program mounts meanwhile is named on a further line.)
    const std::string expected =
        "Wrong Media or\nFile Does Not Exist !!\nDisc: Holiday\nLabel: HOLIDAY\nLooking for: " + disc_ + "/Photos/beach.jpg";
    EXPECT_EQ(question.substr(0, expected.size()), expected);
}

}  // namespace
}  // namespace karvio
