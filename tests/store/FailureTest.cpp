// Every read or write the file refuses ends in the numbered message of its operation; damaged
// files end in a numbered message or a refusal, never a crash or a hang.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "../support/MemoryCatalogueFile.h"
#include "../support/SampleCatalogue.h"
#include "CatalogueCheck.h"
#include "Messages.h"
#include "TransferRecords.h"

using namespace karvio;
using karvio::testing::AddSampleCd;
using karvio::testing::BuildSampleCatalogue;
using karvio::testing::MemoryCatalogueFile;
using karvio::testing::ScopedMemoryFile;

namespace {

// A sample catalogue in memory, and the ids of its first CD, directory and file and category.
struct Sample {
    std::shared_ptr<MemoryCatalogueFile> file = std::make_shared<MemoryCatalogueFile>();
    int32_t cd = 0, dir = 0, fileId = 0, cat = 0;

    Sample() {
        ScopedMemoryFile scoped(file, false);
        classData data("sample.cd");
        BuildSampleCatalogue(data);
        cd = data.Header().dataCdFirstRecord;
        cat = data.Header().dataCatFirstRecord;
        classDir& d = data.GetCdGoto(cd).GetDirFirst();
        dir = d.GetDirId();
        fileId = d.GetFileFirst().GetFileId();
    }
};

// The numbered line of the fatal message the action ends in (the file and cause follow it).
std::string FatalMessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const FatalErrorException& e) {
        const std::string text = e.what();
        return text.substr(0, text.find("\r\n"));
    }
    return "(no fatal error)";
}

// Walks everything a window would show; returns normally or ends in a fatal error.
void WalkAll(classData& data) {
    std::vector<int32_t> cds;
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) {
        cds.push_back(cd->GetCdId());
    }
    for (int32_t id : cds) {
        ReadCdInfo(data, id);
        classCd& cd = data.GetCdGoto(id);
        for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
            const std::string full = dir->GetDirFullName();
            dir->GetDirNotes();
            for (ClassFile* f = &dir->GetFileFirst(); !dir->GetFileEof(); f = &dir->GetFileNext()) {
                f->GetFileFullName(full);
                f->GetFileNotes();
            }
        }
    }
    std::vector<int32_t> cats;
    for (classCat* cat = &data.GetCatFirst(); !data.GetCatEof(); cat = &data.GetCatNext()) {
        cats.push_back(cat->GetCatId());
    }
    for (int32_t id : cats) data.GetKarvioBasePath(id);
}

}  // namespace

TEST(Failures, EachReadHasItsNumberedMessage) {
    Sample s;
    ScopedMemoryFile scoped(s.file);
    ScopedFatalErrorsThrow throwing;
    int32_t childCat;
    {
        // Give the first file a path text, which the program itself never sets.
        classData data("sample.cd");
        ClassFile& f = data.GetCdGoto(s.cd).GetDirGoto(s.dir).GetFileGoto(s.fileId);
        f.setFilePath("p");
        f.uRecordUpdate();
        childCat = data.GetCatGoto(s.cat).GetNextRecord();
    }
    auto decode = [&](auto& rec, int32_t id) { rec.Decode(s.file->Bytes().data() + id - 1); };
    CdRecord cd;
    decode(cd, s.cd);
    DirRecord dir;
    decode(dir, s.dir);
    FileRecord file;
    decode(file, s.fileId);
    CatRecord cat;
    decode(cat, childCat);
    // The first directory is the volume root with an empty name; Docs follows it.
    const int32_t docs = dir.DirNext;
    DirRecord docsRec;
    decode(docsRec, docs);
    auto record = [](int32_t id, size_t size) { return std::pair<int64_t, int64_t>(id - 1, id - 1 + size); };
    auto text = [](StringSlot slot) { return std::pair<int64_t, int64_t>(slot.pos - 1, slot.pos - 1 + slot.len); };

    struct Case {
        const char* expected;
        std::pair<int64_t, int64_t> failing;
        std::function<void(classData&)> read;
    };
    const Case cases[] = {
        {"File Read Error!! Error 2201", record(s.cd, 104), [&](classData& d) { d.GetCdGoto(s.cd); }},
        {"File Read Error!! Error 2202", text(cd.CdName), [&](classData& d) { d.GetCdGoto(s.cd).GetCdName(); }},
        {"File Read Error!! Error 2203", text(cd.CdBasepath), [&](classData& d) { d.GetCdGoto(s.cd).GetCdBasepath(); }},
        {"File Read Error!! Error 2204", text(cd.CdNotes), [&](classData& d) { d.GetCdGoto(s.cd).GetCdNotes(); }},
        {"File Read Error!! Error 2205", text(cd.CdLabel), [&](classData& d) { d.GetCdGoto(s.cd).GetCdLabel(); }},
        {"File Read Error!! Error 2206", record(childCat, 69), [&](classData& d) { d.GetCatGoto(childCat); }},
        {"File Read Error!! Error 2207", text(cat.CatName), [&](classData& d) { d.GetCatGoto(childCat).GetCatName(); }},
        {"File Read Error!! Error 2211", record(s.dir, 84), [&](classData& d) { d.GetCdGoto(s.cd).GetDirGoto(s.dir); }},
        {"File Read Error!! Error 2112", text(docsRec.DirName), [&](classData& d) { d.GetCdGoto(s.cd).GetDirGoto(docs).GetDirName(); }},
        {"File Read Error!! Error 2113", text(docsRec.DirPath), [&](classData& d) { d.GetCdGoto(s.cd).GetDirGoto(docs).GetDirPath(); }},
        {"File Read Error!! Error 2114", text(docsRec.DirNotes), [&](classData& d) { d.GetCdGoto(s.cd).GetDirGoto(docs).GetDirNotes(); }},
        {"File Read Error!! Error 2115", record(s.fileId, 64), [&](classData& d) { d.GetCdGoto(s.cd).GetDirGoto(s.dir).GetFileGoto(s.fileId); }},
        {"File Read Error!! Error 2116", text(file.FileName), [&](classData& d) { d.GetCdGoto(s.cd).GetDirGoto(s.dir).GetFileGoto(s.fileId).GetFileName(); }},
        {"File Read Error!! Error 2117", text(file.FilePath), [&](classData& d) { d.GetCdGoto(s.cd).GetDirGoto(s.dir).GetFileGoto(s.fileId).yyGetFilePath(); }},
        {"File Read Error!! Error 2118", text(file.FileNotes), [&](classData& d) { d.GetCdGoto(s.cd).GetDirGoto(s.dir).GetFileGoto(s.fileId).GetFileNotes(); }},
    };
    for (const Case& c : cases) {
        classData data("sample.cd");
        s.file->FailReadsOverlapping(c.failing.first, c.failing.second);
        EXPECT_EQ(FatalMessageOf([&] { c.read(data); }), c.expected);
        s.file->FailReadsOverlapping(0, 0);
    }
    // The notes of the top category (the child has none).
    {
        classData data("sample.cd");
        CatRecord top;
        decode(top, s.cat);
        s.file->FailReadsOverlapping(top.CatNotes.pos - 1, top.CatNotes.pos);
        EXPECT_EQ(FatalMessageOf([&] { data.GetCatGoto(s.cat).GetCatNotes(); }), "File Read Error!! Error 2208");
        s.file->FailReadsOverlapping(0, 0);
    }
    // The category GetCategoryPath returns to is read again at the end.
    {
        classData data("sample.cd");
        classCat& c = data.GetCatGoto(childCat);
        s.file->FailReadsOverlapping(childCat - 1, childCat);
        EXPECT_EQ(FatalMessageOf([&] { c.GetCategoryPath(); }), "File Read Error!! Error 2209");
        s.file->FailReadsOverlapping(0, 0);
    }
    // The header of an existing file.
    s.file->FailReadsOverlapping(0, 82);
    EXPECT_EQ(FatalMessageOf([&] { classData data("sample.cd"); }), "File Read Error!! Error 2210");
    s.file->FailReadsOverlapping(0, 0);
}

TEST(Failures, EachWriteHasItsNumberedMessage) {
    Sample s;
    ScopedMemoryFile scoped(s.file);
    ScopedFatalErrorsThrow throwing;
    classData data("sample.cd");
    struct Case {
        const char* expected;
        std::function<void()> write;
    };
    const Case cases[] = {
        {"File Write Error!! Error 2101", [&] { data.GetCdGoto(s.cd).recordUpdate(); }},
        {"File Write Error!! Error 2102", [&] { data.GetCdGoto(s.cd).SetCdName("n", false); }},
        {"File Write Error!! Error 2103", [&] { data.GetCdGoto(s.cd).SetCdNotes("n", false); }},
        {"File Write Error!! Error 2104", [&] { data.GetCdGoto(s.cd).SetCdLabel("n"); }},
        {"File Write Error!! Error 2105", [&] { data.GetCdGoto(s.cd).SetCdBasepath("n"); }},
        {"File Write Error!! Error 2106", [&] { data.GetCatGoto(s.cat).recordUpdate(); }},
        {"File Write Error!! Error 2107", [&] { data.GetCatGoto(s.cat).SetCatName("n", false); }},
        {"File Write Error!! Error 2108", [&] { data.GetCatGoto(s.cat).SetCatNotes("n"); }},
        {"File Write Error!! Error 2109", [&] { data.GetCdDelete(s.cd); }},
        {"File Write Error!! Error 2110", [&] { data.GetCdGoto(s.cd).GetDirGoto(s.dir).recordUpdate(); }},
        {"File Write Error!! Error 2111", [&] { data.GetCdGoto(s.cd).GetDirGoto(s.dir).SetDirName("n"); }},
        {"File Write Error!! Error 2112",
         [&] { data.GetCdGoto(s.cd).GetDirGoto(s.dir).SetDirNotes("n", false); }},
        {"File Write Error!! Error 2113", [&] { data.GetCdGoto(s.cd).GetDirGoto(s.dir).SetDirPath("n"); }},
        {"File Write Error!! Error 2114",
         [&] { data.GetCdGoto(s.cd).GetDirGoto(s.dir).GetFileGoto(s.fileId).uRecordUpdate(); }},
        {"File Write Error!! Error 2115",
         [&] { data.GetCdGoto(s.cd).GetDirGoto(s.dir).GetFileGoto(s.fileId).setFileName("n"); }},
        {"File Write Error!! Error 2116",
         [&] { data.GetCdGoto(s.cd).GetDirGoto(s.dir).GetFileGoto(s.fileId).SetFileNotes("n", false); }},
        {"File Write Error!! Error 2117",
         [&] { data.GetCdGoto(s.cd).GetDirGoto(s.dir).GetFileGoto(s.fileId).setFilePath("n"); }},
    };
    for (const Case& c : cases) {
        // The cursors are positioned first; then every write fails. The deletion of a CD writes
        // the header first, naming the removal.
        data.GetCdGoto(s.cd).GetDirGoto(s.dir).GetFileGoto(s.fileId);
        data.GetCatGoto(s.cat);
        s.file->FailWritesAfter(0);
        EXPECT_EQ(FatalMessageOf(c.write), c.expected);
        s.file->FailWritesAfter(-1);
    }
}

TEST(Failures, TextsAndRecordsOutsideTheFileAreReadErrors) {
    Sample s;
    ScopedMemoryFile scoped(s.file);
    ScopedFatalErrorsThrow throwing;
    auto& bytes = s.file->Bytes();
    auto setLong = [&](size_t offset, int32_t value) { std::memcpy(&bytes[offset], &value, 4); };
    const size_t cdAt = static_cast<size_t>(s.cd - 1);
    // The CD's name slot: position beyond the end, then a length beyond the end, then negative.
    setLong(cdAt + 20, static_cast<int32_t>(bytes.size() + 10));
    {
        classData data("sample.cd");
        EXPECT_EQ(FatalMessageOf([&] { data.GetCdGoto(s.cd).GetCdName(); }), "File Read Error!! Error 2202");
    }
    setLong(cdAt + 20, 83);
    setLong(cdAt + 24, 0x7FFFFFF0);  // would be 2 GiB: refused before anything is allocated
    {
        classData data("sample.cd");
        EXPECT_EQ(FatalMessageOf([&] { data.GetCdGoto(s.cd).GetCdName(); }), "File Read Error!! Error 2202");
    }
    setLong(cdAt + 24, -5);
    {
        classData data("sample.cd");
        EXPECT_EQ(data.GetCdGoto(s.cd).GetCdName(), "") << "a negative length reads as empty";
    }
    setLong(cdAt + 20, -100);
    setLong(cdAt + 24, 4);
    {
        classData data("sample.cd");
        EXPECT_EQ(FatalMessageOf([&] { data.GetCdGoto(s.cd).GetCdName(); }), "File Read Error!! Error 2202");
        EXPECT_EQ(FatalMessageOf([&] { data.GetCdGoto(static_cast<int32_t>(bytes.size())); }),
                  "File Read Error!! Error 2201");
        EXPECT_EQ(FatalMessageOf([&] { data.GetCdGoto(-7 + 0).GetCdId(); }), "(no fatal error)")
            << "negative ids are no move";
    }
}

TEST(Failures, LoopsInListsAndParentChainsEndTheWalk) {
    Sample s;
    ScopedMemoryFile scoped(s.file);
    ScopedFatalErrorsThrow throwing;
    auto& bytes = s.file->Bytes();
    auto setLong = [&](int32_t id, size_t offset, int32_t value) {
        std::memcpy(&bytes[static_cast<size_t>(id - 1) + offset], &value, 4);
    };
    int32_t second, third, secondCat, firstDir, lastFile;
    {
        classData data("sample.cd");
        second = data.GetCdGoto(s.cd).CdGetNextRecord();
        third = data.GetCdGoto(second).CdGetNextRecord();
        secondCat = data.GetCatGoto(s.cat).GetNextRecord();
        firstDir = s.dir;
        classDir& dir = data.GetCdGoto(s.cd).GetDirGoto(firstDir);
        lastFile = dir.Record().FileLast;
    }
    // CD list: the last CD points back at the first; the second at itself.
    setLong(third, 4, s.cd);
    setLong(s.cd, 8, third);
    // Opened for use, such a file is refused at once; a salvage's walk is bounded.
    EXPECT_EQ(classData("sample.cd").GetError(), kErrorDamaged);
    {
        classData data("sample.cd", classData::ForSalvage{});
        int visits = 0;
        for (data.GetCdFirst(); !data.GetCdEof(); data.GetCdNext()) ++visits;
        EXPECT_EQ(visits, 3);
    }
    setLong(second, 4, second);
    {
        classData data("sample.cd", classData::ForSalvage{});
        int visits = 0;
        for (data.GetCdFirst(); !data.GetCdEof(); data.GetCdNext()) ++visits;
        EXPECT_EQ(visits, 2);
    }
    // Directory and file lists that point backwards.
    setLong(lastFile, 12, lastFile - 64 * 0 - 1);
    setLong(firstDir, 8, firstDir);
    {
        classData data("sample.cd", classData::ForSalvage{});
        classCd& cd = data.GetCdGoto(s.cd);
        int dirs = 0, files = 0;
        for (classDir* d = &cd.GetDirFirst(); !cd.GetDirEof(); d = &cd.GetDirNext()) {
            ++dirs;
            for (d->GetFileFirst(); !d->GetFileEof(); d->GetFileNext()) ++files;
        }
        EXPECT_EQ(dirs, 1);
        EXPECT_EQ(files, 2);
    }
    // Category parents in a loop: the path stops instead of running for ever.
    setLong(s.cat, 41 - 0, secondCat);
    {
        classData data("sample.cd", classData::ForSalvage{});
        EXPECT_EQ(data.GetKarvioBasePath(secondCat),
                  "Root\\.Category" + std::to_string(s.cat) + "\\.Category" + std::to_string(secondCat));
    }
    // Category list looping back to its head.
    setLong(secondCat, 5, s.cat);
    {
        classData data("sample.cd", classData::ForSalvage{});
        int visits = 0;
        for (data.GetCatFirst(); !data.GetCatEof(); data.GetCatNext()) ++visits;
        EXPECT_EQ(visits, 2);
    }
    EXPECT_FALSE(CheckCatalogue("sample.cd").Clean());
}

TEST(Failures, EveryTruncationAndManyByteFlipsEndCleanly) {
    Sample s;
    const std::vector<unsigned char> good = s.file->Bytes();
    ScopedFatalErrorsThrow throwing;
    std::mt19937 random(20261206);
    auto tryBytes = [&](std::vector<unsigned char> bytes) {
        auto file = std::make_shared<MemoryCatalogueFile>(std::move(bytes));
        ScopedMemoryFile scoped(file);
        try {
            classData data("damaged.cd");
            if (data.GetError() == kErrorNone) WalkAll(data);
        } catch (const FatalErrorException& e) {
            EXPECT_TRUE(std::string(e.what()).starts_with("File Read Error!! Error 22") ||
                        std::string(e.what()).starts_with("File Read Error!! Error 21"))
                << e.what();
        }
        CheckCatalogue("damaged.cd");
    };
    for (size_t length = 0; length < good.size(); length += 7) {
        tryBytes(std::vector<unsigned char>(good.begin(), good.begin() + static_cast<long>(length)));
    }
    for (int round = 0; round < 3000; ++round) {
        auto bytes = good;
        for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips) {
            bytes[82 + random() % (bytes.size() - 82)] ^= static_cast<unsigned char>(1u << (random() % 8));
        }
        tryBytes(std::move(bytes));
    }
}

TEST(Failures, CheckFindsDamageAndPassesAGoodCatalogue) {
    Sample s;
    ScopedMemoryFile scoped(s.file);
    CheckReport good = CheckCatalogue("sample.cd");
    EXPECT_TRUE(good.Clean()) << (good.problems.empty() ? "" : good.problems.front());
    EXPECT_EQ(good.cds, 3);
    EXPECT_EQ(good.categories, 2);
    EXPECT_EQ(good.directories, 4);
    EXPECT_EQ(good.files, 6);
    // Counts that disagree, a text outside the file, and a record of the wrong kind.
    auto& bytes = s.file->Bytes();
    const int32_t wrongCount = 99;
    std::memcpy(&bytes[34], &wrongCount, 4);
    const int32_t farAway = 1 << 30;
    std::memcpy(&bytes[static_cast<size_t>(s.fileId - 1) + 28], &farAway, 4);
    const CheckReport bad = CheckCatalogue("sample.cd");
    EXPECT_FALSE(bad.Clean());
    std::string all;
    for (const auto& p : bad.problems) all += p + "\n";
    EXPECT_NE(all.find("header counts 99 CDs"), std::string::npos) << all;
    EXPECT_NE(all.find("file " + std::to_string(s.fileId) + " name: text slot"), std::string::npos) << all;
}
