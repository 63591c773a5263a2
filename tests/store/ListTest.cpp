// The CD, directory, file and category lists: append runs, commits, deletions, walks, texts and
// space accounting.
#include <gtest/gtest.h>

#include <vector>

#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "CatalogueCheck.h"
#include "classData.h"

using namespace karvio;
using karvio::testing::AddSampleCd;
using karvio::testing::ReadAllBytes;
using karvio::testing::TempDir;

namespace {

std::vector<int32_t> CdIds(classData& data) {
    std::vector<int32_t> ids;
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) {
        ids.push_back(cd->GetCdId());
    }
    return ids;
}

std::vector<std::string> CatNames(classData& data) {
    std::vector<std::string> names;
    for (classCat* cat = &data.GetCatFirst(); !data.GetCatEof(); cat = &data.GetCatNext()) {
        names.push_back(cat->GetCatName());
    }
    return names;
}

class Lists : public ::testing::Test {
protected:
    TempDir dir_;
    std::string path_ = dir_.File("k.cd");
    classData data_{path_};
};

}  // namespace

TEST_F(Lists, CommittingAndDeletingCdsKeepsTheListLinked) {
    const int32_t a = AddSampleCd(data_, "A", {});
    EXPECT_EQ(data_.Header().dataCdFirstRecord, a);
    EXPECT_EQ(data_.Header().dataCdLastRecord, a);
    EXPECT_EQ(data_.GetCdGoto(a).CdGetPrevRecord(), 0);
    EXPECT_EQ(data_.GetCdGoto(a).CdGetNextRecord(), 0);
    const int32_t b = AddSampleCd(data_, "B", {});
    const int32_t c = AddSampleCd(data_, "C", {});
    EXPECT_EQ(CdIds(data_), (std::vector<int32_t>{a, b, c}));
    EXPECT_EQ(data_.GetCdCount(), 3);

    data_.GetCdDelete(b);
    EXPECT_EQ(data_.GetCdGoto(a).CdGetNextRecord(), c);
    EXPECT_EQ(data_.GetCdGoto(c).CdGetPrevRecord(), a);
    EXPECT_EQ(CdIds(data_), (std::vector<int32_t>{a, c}));
    data_.GetCdDelete(a);
    EXPECT_EQ(data_.Header().dataCdFirstRecord, c);
    EXPECT_EQ(CdIds(data_), (std::vector<int32_t>{c}));
    data_.GetCdDelete(c);
    EXPECT_EQ(data_.Header().dataCdFirstRecord, 0);
    EXPECT_EQ(data_.Header().dataCdLastRecord, 0);
    EXPECT_EQ(data_.GetCdCount(), 0);
    EXPECT_TRUE(CdIds(data_).empty());
    EXPECT_EQ(data_.Header().dataSpaceUsed, 82);
}

TEST_F(Lists, EditingTheLastCdAfterAWalkKeepsItInTheList) {
    // A walk leaves its end marker on the last CD in memory; writing that CD back must not store
    // the marker, or the CD would drop out of every later walk.
    const int32_t a = AddSampleCd(data_, "A", {});
    const int32_t b = AddSampleCd(data_, "B", {});
    EXPECT_EQ(CdIds(data_), (std::vector<int32_t>{a, b}));
    data_.GetCdGoto(b).SetCdNotes("edited after the walk", true);
    classData fresh(path_);
    EXPECT_EQ(CdIds(fresh), (std::vector<int32_t>{a, b}));
    EXPECT_EQ(fresh.GetCdGoto(b).GetCdNotes(), "edited after the walk");
}

TEST_F(Lists, DebugWalksCountWhatTheListsHold) {
    CatInfo cat;
    cat.CatName = "C";
    AddCatInfo(data_, cat);
    const int32_t a = AddSampleCd(data_, "A", {{"", "\\"}, {"X", "\\"}, {"Y", "X"}});
    AddSampleCd(data_, "B", {});
    data_.GetCdFirst();
    EXPECT_EQ(data_.GetCdGoto(0).DebugData(), 2);
    data_.GetCdGoto(a).GetDirFirst();
    EXPECT_EQ(data_.GetCdGoto(a).Dirs().DebugData(), 3);
    data_.GetCatFirst();
    EXPECT_EQ(data_.GetCatGoto(0).DebugData(), 1);
    const DebugDataResult debug = data_.DebugData();
    data_.Flush();
    EXPECT_EQ(debug.fileLength, static_cast<int64_t>(ReadAllBytes(path_).size()));
    EXPECT_EQ(debug.liveSpace, CheckCatalogue(path_).liveSpace);
}

TEST_F(Lists, CdTextsSpaceAndBasepath) {
    const int32_t id = AddSampleCd(data_, "Disc", {});
    classCd& cd = data_.GetCdGoto(id);
    const int32_t space = cd.GetSpaceUsed();
    data_.Flush();
    const size_t length = ReadAllBytes(path_).size();
    cd.SetCdName("Disc 1", true);
    cd.SetCdName("Disc 12", true);
    EXPECT_EQ(cd.GetSpaceUsed(), space + 3);
    data_.Flush();
    EXPECT_EQ(ReadAllBytes(path_).size(), length + 6 + 7) << "old names stay behind as dead bytes";

    struct {
        const char* given;
        const char* read;
    } const basepaths[] = {{"\\Photos", "Photos"}, {"\\", "\\"}, {"", "\\"}, {"/media/cd", "/media/cd"}};
    for (const auto& bp : basepaths) {
        cd.SetCdBasepath(bp.given);
        EXPECT_EQ(cd.GetCdBasepath(), bp.read) << bp.given;
    }
    cd.SetCdBasepath("");
    EXPECT_EQ(cd.Record().CdBasepath, (StringSlot{0, 0}));
}

TEST_F(Lists, CdMoveAbsoluteKeepsUnsavedChangesOnTheCurrentRecord) {
    const int32_t id = AddSampleCd(data_, "A", {});
    classCd& cd = data_.GetCdGoto(id);
    cd.setCdMediaType(42);
    data_.GetCdGoto(id);
    EXPECT_EQ(cd.GetCdMediaType(), 42);
    classDir& dir = cd.GetDirFirst();
    EXPECT_TRUE(cd.GetDirEof());
    (void)dir;
}

TEST_F(Lists, DirectoriesAndFilesWalkInAppendOrderWithFullNames) {
    // The same store object appends both CDs and then walks the first: committing a CD closes
    // its directory append run, so the walk sees the first CD's own directories.
    const int32_t first = AddSampleCd(
        data_, "A",
        {{"", "\\", {{"root.txt", 1}}}, {"Docs", "\\", {{"a.txt", 2}, {"b.txt", 3}}}, {"Old", "Docs", {}}});
    AddSampleCd(data_, "B", {{"Other", "\\", {{"x", 1}}}});
    classCd& cd = data_.GetCdGoto(first);
    std::vector<std::string> names;
    std::vector<int32_t> direct;
    for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
        const std::string full = dir->GetDirFullName();
        names.push_back(full);
        direct.push_back(dir->GetDirCountOfFilesDirect());
        for (ClassFile* f = &dir->GetFileFirst(); !dir->GetFileEof(); f = &dir->GetFileNext()) {
            names.push_back(f->GetFileFullName(full));
            EXPECT_EQ(f->yyGetFilePath(), "\\");
        }
    }
    // A file of the volume root's directory (whose full name is empty) reads with a leading "\".
    EXPECT_EQ(names, (std::vector<std::string>{"", "\\root.txt", "Docs", "Docs\\a.txt", "Docs\\b.txt",
                                               "Docs\\Old"}));
    EXPECT_EQ(direct, (std::vector<int32_t>{1, 2, 0}));
    // The last directory of a CD ends its list even though another CD's directories follow.
    EXPECT_EQ(cd.Dirs().Record().DirNext, -1);

    classDir& old = data_.GetCdGoto(first).GetDirFirst();
    data_.GetCdGoto(first).GetDirNext();
    data_.GetCdGoto(first).GetDirNext();
    EXPECT_EQ(old.GetDirName(), "Old");
    EXPECT_EQ(old.Record().FileFirst, 0);
    EXPECT_EQ(old.Record().FileLast, 0);
    old.GetFileFirst();
    EXPECT_TRUE(old.GetFileEof());
}

TEST_F(Lists, FullNameRules) {
    EXPECT_EQ(JoinCataloguePath("\\", "Docs"), "Docs");
    EXPECT_EQ(JoinCataloguePath("Docs", "Old"), "Docs\\Old");
    EXPECT_EQ(JoinCataloguePath("Docs\\", "Old"), "Docs\\Old");
    EXPECT_EQ(JoinCataloguePath("\\", ""), "");
    EXPECT_EQ(JoinCataloguePath("", ""), "");
    EXPECT_EQ(JoinCataloguePath("", "X"), "\\X");
}

TEST_F(Lists, DirectoryNotesEditsReturnTheLengthChange) {
    const int32_t cdId = AddSampleCd(data_, "A", {{"D", "\\", {}, "0123456789"}});
    classDir& dir = data_.GetCdGoto(cdId).GetDirFirst();
    const int32_t dirId = dir.GetDirId();
    data_.Flush();
    const size_t length = ReadAllBytes(path_).size();
    EXPECT_EQ(dir.SetDirNotes("abcd", false), -6);
    data_.Flush();
    EXPECT_EQ(ReadAllBytes(path_).size(), length + 4);
    // Not written yet: a re-read brings the old notes back (the directory cursor always reads).
    data_.GetCdGoto(cdId).GetDirGoto(dirId);
    EXPECT_EQ(dir.GetDirNotes(), "0123456789");
    dir.SetDirPath("\\");
    EXPECT_EQ(dir.GetDirPath(), "\\");
    dir.SetDirName("X");
    EXPECT_EQ(dir.GetDirFullName(), "X");
}

TEST_F(Lists, CategoriesRenameAndDelete) {
    CatInfo info;
    info.CatName = "One";
    info.CatNotes = "notes";
    const int32_t one = AddCatInfo(data_, info);
    EXPECT_EQ(data_.Header().dataSpaceUsed, 82 + 69 + 3 + 5);
    classCat& cat = data_.GetCatGoto(one);
    cat.SetCatName("Renamed", true);
    EXPECT_EQ(cat.GetCatSpaceUsed(), 69 + 7 + 5);
    EXPECT_EQ(cat.GetSpaceUsed(), cat.GetCatSpaceUsed());
    info.CatName = "Two";
    const int32_t two = AddCatInfo(data_, info);
    info.CatName = "Three";
    const int32_t three = AddCatInfo(data_, info);
    EXPECT_EQ(CatNames(data_), (std::vector<std::string>{"Renamed", "Two", "Three"}));
    data_.GetCatDelete(two);
    EXPECT_EQ(CatNames(data_), (std::vector<std::string>{"Renamed", "Three"}));
    EXPECT_EQ(data_.GetCatGoto(three).GetPrevRecord(), one);
    const int32_t before = data_.Header().dataSpaceUsed;
    data_.GetCatDelete(one);
    data_.GetCatDelete(three);
    EXPECT_TRUE(CatNames(data_).empty());
    EXPECT_EQ(data_.Header().dataCatFirstRecord, 0);
    EXPECT_EQ(data_.Header().dataCatLastRecord, 0);
    EXPECT_EQ(data_.GetCatCount(), 0);
    EXPECT_EQ(data_.Header().dataSpaceUsed, before - (69 + 7 + 5) - (69 + 5 + 5));
}

TEST_F(Lists, SearchMatchesTheFlaggedFieldsInEachMode) {
    const int32_t id = AddSampleCd(data_, "Holiday Photos", {{"Pics", "\\", {{"Beach.JPG", 1, "sunny day"}}}},
                                   0, "summer");
    classCd& cd = data_.GetCdGoto(id);
    struct Case {
        const char* text;
        bool path, name, notes;
        int mode;
        bool expected;
    };
    const Case cdCases[] = {
        {"holiday", false, true, false, 1, true},    {"PHOTOS", false, true, false, 1, false},
        {"PHOTOS", false, true, false, 2, true},     {"holiday photos", false, true, false, 0, true},
        {"holiday", false, true, false, 0, false},   {"summer", false, false, true, 0, true},
        {"summer", false, true, false, 2, false},    {"/media", true, false, false, 1, true},
        {"holiday", false, true, false, 3, false},   {"holiday", false, true, false, -1, false},
    };
    for (const Case& c : cdCases) {
        EXPECT_EQ(cd.Search(c.text, c.path, c.name, c.notes, c.mode), c.expected)
            << c.text << " mode " << c.mode;
    }
    classDir& dir = cd.GetDirFirst();
    EXPECT_TRUE(dir.Search("pics", false, true, false, 0));
    EXPECT_TRUE(dir.Search("\\", true, false, false, 0));
    ClassFile& file = dir.GetFileFirst();
    EXPECT_TRUE(file.Search("beach", false, true, false, 1));
    EXPECT_FALSE(file.Search("beach", true, false, false, 1)) << "the path flag is ignored for files";
    EXPECT_TRUE(file.Search("SUNNY", false, false, true, 2));
}
