#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <deque>

#include "Messages.h"
#include "ProgramInfo.h"
#include "TransferRecords.h"
#include "classData.h"
#include "startup/LaunchFile.h"

namespace karvio {
namespace {

TEST(LaunchPath, VolumeRootPlusFullName) {
    struct Case {
        const char* basePath;
        const char* scannedFolder;  // full name of the CD's first directory record
        const char* fileFullName;
        const char* expected;
    } cases[] = {
        // A whole volume (its mount point) scanned: the top directory has an empty full name.
        {"/media/me/HOLIDAY", "", "Photos\\2001\\beach.jpg",
         "/media/me/HOLIDAY/Photos/2001/beach.jpg"},
        {"/", "", "etc\\hosts", "/etc/hosts"},
        // A folder scanned: its own relative path comes off the base path's end.
        {"/home/me/Photos/", "home\\me\\Photos", "home\\me\\Photos\\2001\\beach.jpg",
         "/home/me/Photos/2001/beach.jpg"},
        {"/media/me/DATA/Photos/", "Photos", "Photos\\a.png", "/media/me/DATA/Photos/a.png"},
        {"/media/me/DATA/Photos", "Photos", "Photos\\a.png", "/media/me/DATA/Photos/a.png"},
        // A file in the top directory of the scanned volume.
        {"/media/me/DISC", "", "readme.txt", "/media/me/DISC/readme.txt"},
        // Only whole path components are taken off.
        {"/data/xPhotos/", "Photos", "Photos\\a.png", "/data/xPhotos/Photos/a.png"},
        // A base path that does not end with the folder's path is taken whole.
        {"/mnt/elsewhere/", "Music", "Music\\song.ogg", "/mnt/elsewhere/Music/song.ogg"},
        // Names in other scripts and with blanks pass unchanged.
        {"/media/me/Läppäri", "", "Kuvat\\Kesä 2020\\järvi.jpg",
         "/media/me/Läppäri/Kuvat/Kesä 2020/järvi.jpg"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LaunchPathFor(c.basePath, c.scannedFolder, c.fileFullName), c.expected)
            << c.basePath << " + " << c.fileFullName;
    }
}

// A catalogue with one CD whose scanned folder is Photos on the volume /media/me/DATA, holding
// Photos\2001\beach.jpg.
class LaunchLoop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath("Launch.cd").toStdString();
        DataFilePath = path_;
    }
    void TearDown() override {
        DataFilePath.clear();
        SetMessageSink({});
    }

    int32_t MakeCatalogue(int32_t mediaType) {
        classData data(path_);
        CdInfo cd;
        cd.CdName = "Holiday 2001";
        cd.CdBasepath = "/media/me/DATA/Photos/";
        cd.CdMediaType = mediaType;
        cd.CdLabel = "HOLIDAY";
        const int32_t cdId = AddCdInfo(data, cd);
        AddFolder(data, cdId, "Photos", "\\", {"index.html"});
        const int32_t yearId = AddFolder(data, cdId, "2001", "Photos", {"beach.jpg"});
        data.GetCdCommit(cdId);
        return data.GetCdGoto(cdId).GetDirGoto(yearId).GetFileFirst().GetFileId();
    }

    int32_t AddFolder(classData& data, int32_t cdId, const std::string& name,
                      const std::string& path, const std::vector<std::string>& files) {
        DirInfo dir;
        dir.DirCdId = cdId;
        dir.DirName = name;
        dir.DirPath = path;
        const int32_t id = AddDirInfo(data, dir);
        classDir& cursor = data.GetCdGoto(0).Dirs();
        cursor.GetFileAppendStart();
        for (const std::string& file : files) {
            FileInfo info;
            info.FileName = file;
            AddFileInfo(data, info);
        }
        cursor.GetFileAppendFinish();
        return id;
    }

    // Answers the questions in turn and records them.
    void ScriptAnswers(std::deque<int> answers) {
        answers_ = std::move(answers);
        SetMessageSink([this](const std::string& text, const MsgButtonSet& set) {
            asked_.push_back(text);
            buttons_.push_back(set);
            const int answer = answers_.empty() ? vbCancel : answers_.front();
            if (!answers_.empty()) answers_.pop_front();
            return answer;
        });
    }

    LaunchServices Services() {
        LaunchServices s;
        s.fileExists = [this](const std::string& path) {
            checked_.push_back(path);
            return ++existsCalls_ > missingFor_;
        };
        s.hasAssociation = [this](const std::string&) { return associated_; };
        s.open = [this](const std::string& path) {
            opened_.push_back(path);
            return true;
        };
        return s;
    }

    QTemporaryDir dir_;
    std::string path_;
    std::deque<int> answers_;
    std::vector<std::string> asked_;
    std::vector<MsgButtonSet> buttons_;
    std::vector<std::string> checked_;
    std::vector<std::string> opened_;
    int existsCalls_ = 0;
    int missingFor_ = 0;
    bool associated_ = true;
};

TEST_F(LaunchLoop, OpensAFileThatIsThere) {
    const int32_t fileId = MakeCatalogue(5);
    ScriptAnswers({});
    EXPECT_EQ(LaunchFile(fileId, Services()), LaunchResult::kOpened);
    EXPECT_TRUE(asked_.empty());
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], "/media/me/DATA/Photos/2001/beach.jpg");
}

TEST_F(LaunchLoop, AsksForTheDiscByNameUntilCancelled) {
    const int32_t fileId = MakeCatalogue(5);
    missingFor_ = 1000;
    ScriptAnswers({vbRetry, vbRetry, vbCancel});
    EXPECT_EQ(LaunchFile(fileId, Services()), LaunchResult::kCancelled);
    ASSERT_EQ(asked_.size(), 3u);
    for (const std::string& text : asked_) {
        EXPECT_EQ(text, "Insert CD Labeld\r\nHoliday 2001\r\nLabel: HOLIDAY\r\n"
                        "Looking for: /media/me/DATA/Photos/2001/beach.jpg");
    }
    for (const MsgButtonSet& set : buttons_) {
        ASSERT_EQ(set.buttons.size(), 2u);
        EXPECT_EQ(set.buttons[0].caption, "Retry");
        EXPECT_EQ(set.buttons[1].caption, "Cancel");
    }
    EXPECT_EQ(checked_.size(), 3u) << "Retry tests the path again";
    EXPECT_TRUE(opened_.empty());
}

TEST_F(LaunchLoop, OpensOnceTheDiscIsInserted) {
    const int32_t fileId = MakeCatalogue(5);
    missingFor_ = 2;
    ScriptAnswers({vbRetry, vbRetry});
    EXPECT_EQ(LaunchFile(fileId, Services()), LaunchResult::kOpened);
    EXPECT_EQ(asked_.size(), 2u);
    EXPECT_EQ(opened_.size(), 1u);
}

TEST_F(LaunchLoop, OtherMediaAskAboutWrongMedia) {
    const int32_t fileId = MakeCatalogue(3);
    missingFor_ = 1000;
    ScriptAnswers({vbCancel});
    EXPECT_EQ(LaunchFile(fileId, Services()), LaunchResult::kCancelled);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0], "Wrong Media or\r\nFile Does Not Exist !!\r\nDisc: Holiday 2001\r\nLabel: HOLIDAY\r\n"
                         "Looking for: /media/me/DATA/Photos/2001/beach.jpg");
}

TEST_F(LaunchLoop, NoAssociationIsReported) {
    const int32_t fileId = MakeCatalogue(3);
    associated_ = false;
    ScriptAnswers({vbOK});
    EXPECT_EQ(LaunchFile(fileId, Services()), LaunchResult::kNoAssociation);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0], "Unknown File Type\r\nOr No File Association found");
    EXPECT_EQ(buttons_[0].buttons.size(), 1u);
    EXPECT_TRUE(opened_.empty());
}

TEST_F(LaunchLoop, DesktopRefusalIsReported) {
    const int32_t fileId = MakeCatalogue(3);
    ScriptAnswers({vbOK});
    LaunchServices services = Services();
    services.open = [](const std::string&) { return false; };
    EXPECT_EQ(LaunchFile(fileId, services), LaunchResult::kNoAssociation);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0], "Unknown File Type\r\nOr No File Association found");
}

TEST_F(LaunchLoop, AnIdThatIsNoFileOpensNothing) {
    MakeCatalogue(3);
    ScriptAnswers({});
    EXPECT_EQ(LaunchFile(0, Services()), LaunchResult::kNoSuchRecord);
    EXPECT_TRUE(checked_.empty());
}

}  // namespace
}  // namespace karvio
