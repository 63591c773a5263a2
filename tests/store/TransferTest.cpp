// Transfer records, the by-id operations, CD removal and the message seam they ask through.
#include <gtest/gtest.h>

#include <vector>

#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "TransferRecords.h"

using namespace karvio;
using karvio::testing::AddSampleCd;
using karvio::testing::ReadAllBytes;
using karvio::testing::TempDir;

namespace {

// Points the program's data file at a temporary catalogue and answers messages from a script.
class ById : public ::testing::Test {
protected:
    void SetUp() override {
        DataFilePath = path_;
        previous_ = SetMessageSink([this](const std::string& text, const MsgButtonSet& set) {
            asked_.push_back(text);
            styles_.push_back(set.buttons.size());
            return answer_;
        });
    }
    void TearDown() override {
        DataFilePath.clear();
        SetMessageSink(previous_);
    }

    TempDir dir_;
    std::string path_ = dir_.File("k.cd");
    MessageSink previous_;
    std::vector<std::string> asked_;
    std::vector<size_t> styles_;
    int answer_ = vbYes;
};

}  // namespace

TEST_F(ById, RemoveCdAsksAndUnlinksOnlyOnYes) {
    int32_t id;
    {
        classData data;
        id = AddSampleCd(data, "Disc", {{"", "\\", {{"f", 1}}}});
    }
    EXPECT_FALSE(RemoveCd(0, "Disc"));
    EXPECT_TRUE(asked_.empty()) << "id 0 asks nothing";

    const auto before = ReadAllBytes(path_);
    for (int answer : {vbNo, vbCancel}) {
        answer_ = answer;
        EXPECT_FALSE(RemoveCd(id, "Disc"));
    }
    EXPECT_EQ(asked_.back(), "Remove Cd\r\n[Disc]");
    EXPECT_EQ(styles_.back(), 3u);
    {
        // Opening rewrites only the last-opened date; everything else is as it was.
        auto after = ReadAllBytes(path_);
        ASSERT_EQ(after.size(), before.size());
        EXPECT_TRUE(std::equal(after.begin() + 50, after.end(), before.begin() + 50));
    }

    answer_ = vbYes;
    EXPECT_TRUE(RemoveCd(id, "Disc"));
    EXPECT_EQ(asked_.back(), "CD removed");
    classData data;
    EXPECT_EQ(data.GetCdCount(), 0);
    data.GetCdFirst();
    EXPECT_TRUE(data.GetCdEof());
    EXPECT_EQ(ReadAllBytes(path_).size(), before.size()) << "removal only unlinks";
}

TEST_F(ById, NotesEditsCorrectTheCdSpace) {
    int32_t cdId, dirId, fileId;
    {
        classData data;
        cdId = AddSampleCd(data, "Disc", {{"D", "\\", {{"f.txt", 5}}}});
        classDir& dir = data.GetCdGoto(cdId).GetDirFirst();
        dirId = dir.GetDirId();
        fileId = dir.GetFileFirst().GetFileId();
    }
    auto space = [&] {
        classData data;
        return data.GetCdGoto(cdId).GetSpaceUsed();
    };
    const int32_t start = space();
    const size_t length = ReadAllBytes(path_).size();
    SetFileNotesById(fileId, "twelve chars");
    EXPECT_EQ(space(), start + 12);
    EXPECT_EQ(ReadAllBytes(path_).size(), length + 12);
    EXPECT_EQ(GetFileInfoById(fileId).FileNotes, "twelve chars");
    SetDirNotesById(dirId, "abc");
    EXPECT_EQ(space(), start + 15);
    EXPECT_EQ(GetDirInfoById(dirId).DirNotes, "abc");
    SetCdNotesById(cdId, "xy");
    EXPECT_EQ(space(), start + 17);
    EXPECT_EQ(GetCdInfoById(cdId).CdNotes, "xy");
    SetFileNotesById(fileId, "");
    EXPECT_EQ(space(), start + 5);
    // Id 0 does nothing and reads back empty records.
    SetFileNotesById(0, "x");
    SetDirNotesById(0, "x");
    SetCdNotesById(0, "x");
    EXPECT_EQ(GetFileInfoById(0).FileId, 0);
    EXPECT_EQ(GetDirInfoById(0).DirId, 0);
    EXPECT_EQ(GetCdInfoById(0).CdId, 0);
}

TEST_F(ById, TransferRecordsRoundTrip) {
    classData data;
    CatInfo cat;
    cat.CatName = "Cat";
    cat.CatNotes = "n";
    cat.CatImageId = 7;
    const int32_t catId = AddCatInfo(data, cat);
    const int32_t cdId = AddSampleCd(data, "Disc", {{"Top", "\\", {{"f", 4e9 * 2, "big"}}}}, catId, "notes");
    const CdInfo cd = ReadCdInfo(data, cdId);
    EXPECT_EQ(cd.CdName, "Disc");
    EXPECT_EQ(cd.CdLabel, "Disc label");
    EXPECT_EQ(cd.CdBasepath, "/media/Disc");
    EXPECT_EQ(cd.CdNotes, "notes");
    EXPECT_EQ(cd.CdCategory, catId);
    EXPECT_EQ(cd.CdCategoryKey, "Root\\.Category" + std::to_string(catId));
    EXPECT_EQ(cd.CdTotalSize, 8e9);
    EXPECT_EQ(cd.CdNumOfFiles, 1);
    EXPECT_EQ(cd.CdMediaType, 5);
    const CatInfo readCat = ReadCatInfo(data, catId);
    EXPECT_EQ(readCat.CatName, "Cat");
    EXPECT_EQ(readCat.CatNotes, "n");
    EXPECT_EQ(readCat.CatImageId, 7);
    const int32_t dirId = data.GetCdGoto(cdId).GetDirFirst().GetDirId();
    const DirInfo dir = ReadDirInfo(data, dirId);
    EXPECT_EQ(dir.DirName, "Top");
    EXPECT_EQ(dir.DirPath, "\\");
    EXPECT_EQ(dir.DirCdId, cdId);
    EXPECT_EQ(dir.DirSize, -8e9);
    const int32_t fileId = data.GetCdGoto(cdId).GetDirFirst().GetFileFirst().GetFileId();
    const FileInfo file = ReadFileInfo(data, fileId);
    EXPECT_EQ(file.FileName, "f");
    EXPECT_EQ(file.FileSize, 8e9);
    EXPECT_EQ(file.FileNotes, "big");
    EXPECT_EQ(file.FileDirId, dirId);
    EXPECT_EQ(file.FileCdId, cdId);
}

TEST(Messages, ButtonSetsFollowTheWholeStyleValue) {
    struct Case {
        int style;
        std::vector<std::string> captions;
        std::vector<int> values;
        int defaultIndex, cancelIndex;
    };
    const Case cases[] = {
        {0, {"OK"}, {1}, 1, 0},
        {1, {"OK", "Cancel"}, {1, 2}, 1, 2},
        {2, {"Abort", "Retry", "Cancel"}, {3, 4, 2}, 2, 3},
        {3, {"Yes", "No", "Cancel"}, {6, 7, 2}, 1, 3},
        {4, {"Yes", "No"}, {6, 7}, 0, 0},
        {5, {"Retry", "Cancel"}, {4, 2}, 1, 2},
        {36, {"OK"}, {1}, 1, 0},
        {-1, {"OK"}, {1}, 1, 0},
    };
    for (const Case& c : cases) {
        const MsgButtonSet set = MsgBoxButtonsForStyle(c.style);
        std::vector<std::string> captions;
        std::vector<int> values;
        for (const MsgButton& b : set.buttons) {
            captions.push_back(b.caption);
            values.push_back(b.value);
        }
        EXPECT_EQ(captions, c.captions) << "style " << c.style;
        EXPECT_EQ(values, c.values) << "style " << c.style;
        EXPECT_EQ(set.defaultIndex, c.defaultIndex) << "style " << c.style;
        EXPECT_EQ(set.cancelIndex, c.cancelIndex) << "style " << c.style;
    }
    EXPECT_EQ(MsgBoxButtonsForStyle(4).DefaultValue(), vbYes) << "no default: the first button";
}

TEST(Messages, FatalErrorShowsItsTextAndThrowsInTests) {
    std::vector<std::string> shown;
    const MessageSink previous = SetMessageSink([&](const std::string& text, const MsgButtonSet&) {
        shown.push_back(text);
        return vbOK;
    });
    FatalErrorHandler handler =
        SetFatalErrorHandler([](const std::string& text) { throw FatalErrorException(text); });
    EXPECT_THROW(FatalError(""), FatalErrorException);
    EXPECT_EQ(shown, (std::vector<std::string>{"Unknown Error!!! Exiting"}));
    SetFatalErrorHandler(handler);
    {
        ScopedFatalErrorsThrow throwing;
        try {
            FatalError("File Read Error!! Error 2201");
            FAIL();
        } catch (const FatalErrorException& e) {
            EXPECT_STREQ(e.what(), "File Read Error!! Error 2201");
        }
    }
    EXPECT_EQ(shown.size(), 1u) << "the scoped handler shows nothing";
    SetMessageSink(previous);
}

TEST(Messages, FatalErrorEndsTheProcessByDefault) {
    EXPECT_EXIT(
        {
            SetMessageSink([](const std::string&, const MsgButtonSet&) { return vbOK; });
            FatalError("File Write Error!! Error 2109");
        },
        ::testing::ExitedWithCode(1), "");
}
