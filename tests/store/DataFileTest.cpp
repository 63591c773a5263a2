// Creating, opening and refusing catalogue files; the header; tree keys of categories.
#include <gtest/gtest.h>

#include <cmath>

#include "../support/TempDir.h"
#include "CatalogueDate.h"
#include "TransferRecords.h"
#include "classData.h"

using namespace karvio;
using karvio::testing::ReadAllBytes;
using karvio::testing::TempDir;
using karvio::testing::WriteAllBytes;

TEST(DataFile, NewFileIsAnEmptyCatalogueOf82Bytes) {
    TempDir dir;
    const std::string path = dir.File("new.cd");
    const double before = DateNow();
    {
        classData data(path);
        EXPECT_EQ(data.GetError(), kErrorNone);
        EXPECT_TRUE(data.IsOpen());
        data.GetCdFirst();
        EXPECT_TRUE(data.GetCdEof());
        EXPECT_EQ(data.GetCdCount(), 0);
        data.GetCatFirst();
        EXPECT_TRUE(data.GetCatEof());
        EXPECT_EQ(data.GetCatCount(), 0);
        const HeaderRecord& h = data.Header();
        EXPECT_EQ(std::string(h.dataSignature, 4), "VELK");
        EXPECT_EQ(h.dataVersionMajor, 1);
        EXPECT_EQ(h.dataVersionMinor, 1);
        EXPECT_EQ(h.dataVersionRevision, 5);
        EXPECT_EQ(h.dataSpaceUsed, 82);
        EXPECT_EQ(h.dataCreated, h.dataLastOpened);
        EXPECT_GE(h.dataCreated, before);
        EXPECT_LE(h.dataCreated - before, 2.0 / 86400);
    }
    const auto bytes = ReadAllBytes(path);
    ASSERT_EQ(bytes.size(), 82u);
    HeaderRecord h;
    h.Decode(bytes.data());
    EXPECT_EQ(h.dataCdFirstRecord | h.dataCdLastRecord | h.dataCatFirstRecord | h.dataCatLastRecord |
                  h.dataNumOfCds | h.dataNumOfCats,
              0);
    for (int i = 50; i < 66; ++i) EXPECT_EQ(bytes[i], 0);
    for (int i = 70; i < 82; ++i) EXPECT_EQ(bytes[i], 0);
}

TEST(DataFile, ReopeningWritesNothingAndTheStartStampRewritesOnlyTheLastOpenedDate) {
    TempDir dir;
    const std::string path = dir.File("k.cd");
    { classData data(path); }
    auto bytes = ReadAllBytes(path);
    // Make the stored last-opened date old so that the rewrite is visible.
    HeaderRecord h;
    h.Decode(bytes.data());
    h.dataLastOpened = 100.0;
    h.Encode(bytes.data());
    WriteAllBytes(path, bytes);
    { classData data(path); }
    { classData data(path, classData::ForReading{}); }
    EXPECT_EQ(ReadAllBytes(path), bytes) << "looking changes nothing";
    { classData(path, classData::ForReading{}).StampLastOpened(); }
    const auto after = ReadAllBytes(path);
    ASSERT_EQ(after.size(), bytes.size());
    for (size_t i = 0; i < after.size(); ++i) {
        if (i >= 42 && i < 50) continue;
        EXPECT_EQ(after[i], bytes[i]) << "byte " << i;
    }
    HeaderRecord reread;
    reread.Decode(after.data());
    EXPECT_GT(reread.dataLastOpened, 100.0);
}

TEST(DataFile, OtherSignaturesVersionsAndShortFilesAreRefusedUntouched) {
    TempDir dir;
    const std::string path = dir.File("k.cd");
    { classData data(path); }
    const auto good = ReadAllBytes(path);
    struct Case {
        const char* what;
        size_t offset;  // byte to change, or the length to cut to when `truncate`
        unsigned char value;
        bool truncate;
    };
    const Case cases[] = {
        {"signature", 0, 'X', false},       {"major version", 4, 2, false},
        {"minor version", 6, 0, false},     {"newer minor version", 6, 9, false},
        {"shorter than the header", 81, 0, true}, {"empty", 0, 0, true},
    };
    // A file cut inside its header is damaged, whatever wrote it.
    for (const Case& c : cases) {
        auto bytes = good;
        if (c.truncate) {
            bytes.resize(c.offset);
        } else {
            bytes[c.offset] = c.value;
        }
        WriteAllBytes(path, bytes);
        classData data(path);
        EXPECT_FALSE(data.IsOpen()) << c.what;
        EXPECT_EQ(data.GetError(), c.truncate ? kErrorDamaged : kErrorWrongVersion) << c.what;
        EXPECT_EQ(data.GetError(), kErrorNone) << c.what << ": the error is reported once";
        EXPECT_EQ(ReadAllBytes(path), bytes) << c.what << ": the file must stay as it was";
    }
}

TEST(DataFile, ARefusedOpenIsExplainedByItsCause) {
    TempDir dir;
    const std::string path = dir.File("k.cd");
    { classData data(path); }
    const auto good = ReadAllBytes(path);
    const std::string kWrongVersion = "Error!!\r\nWrong Version of the Data File\r\nCan't Use newer version data";
    const std::string kDataFileError =
        "Data File Error (1001) !!! Please Start Karvio Again. If the error persist, then use your data backup";
    struct Case {
        const char* what;
        size_t offset;  // byte to change, or the length to cut to when `truncate`
        unsigned char value;
        bool truncate;
        bool newer;        // the wrong-version text, else the data-file error
        const char* cause;  // after the file's name
    };
    const Case cases[] = {
        {"newer major version", 4, 9, false, true, ": the file was written by version 9.1"},
        {"newer minor version", 6, 9, false, true, ": the file was written by version 1.9"},
        {"older minor version", 6, 0, false, false, ": the file was written by version 1.0"},
        {"older major version", 4, 0, false, false, ": the file was written by version 0.1"},
        {"another kind of file", 0, 'X', false, false, ": the file is not a Karvio catalogue"},
        {"cut short", 40, 0, true, false, ": the file is damaged or cut short"},
    };
    for (const Case& c : cases) {
        auto bytes = good;
        if (c.truncate) {
            bytes.resize(c.offset);
        } else {
            bytes[c.offset] = c.value;
        }
        WriteAllBytes(path, bytes);
        classData data(path);
        const std::string text = data.OpenFailureText(data.GetError());
        const std::string head = c.newer ? kWrongVersion : kDataFileError;
        EXPECT_EQ(text.substr(0, head.size()), head) << c.what << ": " << text;
        EXPECT_NE(text.find("\r\n" + path + c.cause), std::string::npos) << c.what << ": " << text;
    }
    classData unreadable(dir.File("no/such/dir/k.cd"));
    const std::string text = unreadable.OpenFailureText(unreadable.GetError());
    EXPECT_EQ(text.substr(0, kDataFileError.size()), kDataFileError) << text;
    EXPECT_NE(text.find(dir.File("no/such/dir/k.cd") + ": "), std::string::npos) << text;
}

TEST(DataFile, ADifferentRevisionOpensNormally) {
    TempDir dir;
    const std::string path = dir.File("k.cd");
    { classData data(path); }
    auto bytes = ReadAllBytes(path);
    bytes[8] = 9;
    WriteAllBytes(path, bytes);
    classData data(path);
    EXPECT_TRUE(data.IsOpen());
    EXPECT_EQ(data.GetError(), kErrorNone);
    EXPECT_EQ(data.Header().dataVersionRevision, 9);
}

TEST(DataFile, AFileThatCannotBeOpenedIsReportedNotCreated) {
    TempDir dir;
    classData data(dir.File("no/such/dir/k.cd"));
    EXPECT_FALSE(data.IsOpen());
    EXPECT_EQ(data.GetError(), kErrorCannotOpen);
    EXPECT_FALSE(data.GetOpenErrorText().empty());
    EXPECT_FALSE(DataFileErrorText(kErrorCannotOpen, data.GetOpenErrorText()).empty());
    EXPECT_EQ(DataFileErrorText(kErrorWrongVersion),
              "Error!!\r\nWrong Version of the Data File\r\nCan't Use newer version data");
}

TEST(DataFile, FirstRecordIs83AndEmptyTextsAddNoBytes) {
    TempDir dir;
    const std::string path = dir.File("k.cd");
    classData data(path);
    classCat& cat = data.GetCatAppend();
    EXPECT_EQ(cat.GetCatId(), 83);
    cat.SetCatName("", false);
    cat.SetCatNotes("");
    EXPECT_EQ(cat.Record().CatName, (StringSlot{0, 0}));
    EXPECT_EQ(cat.Record().CatNotes, (StringSlot{0, 0}));
    data.Flush();
    EXPECT_EQ(ReadAllBytes(path).size(), 82u + 69u);
}

TEST(DataFile, CategoryTreeKeys) {
    TempDir dir;
    classData data(dir.File("k.cd"));
    EXPECT_EQ(data.GetKarvioBasePath(0), "Root");
    EXPECT_EQ(data.GetKarvioBasePath(-3), "Root");
    CatInfo top;
    top.CatName = "Top";
    const int32_t topId = AddCatInfo(data, top);
    EXPECT_EQ(topId, 83);
    EXPECT_EQ(data.GetKarvioBasePath(topId), "Root\\.Category83");
    CatInfo mid;
    mid.CatName = "Mid";
    mid.CatParentId = topId;
    const int32_t midId = AddCatInfo(data, mid);
    CatInfo leaf;
    leaf.CatName = "Leaf";
    leaf.CatParentId = midId;
    const int32_t leafId = AddCatInfo(data, leaf);
    EXPECT_EQ(data.GetKarvioBasePath(leafId), "Root\\.Category83\\.Category" + std::to_string(midId) +
                                                  "\\.Category" + std::to_string(leafId));
    // The ancestor path leaves the cursor where it started, re-read from the file.
    classCat& cat = data.GetCatGoto(leafId);
    EXPECT_EQ(cat.GetCategoryPath(), "\\.Category83\\.Category" + std::to_string(midId));
    EXPECT_EQ(cat.GetCatId(), leafId);
    EXPECT_EQ(cat.GetCatName(), "Leaf");
    EXPECT_EQ(data.GetCatGoto(topId).GetCategoryPath(), "");
}

TEST(DataFile, DatesRoundTripThroughLocalTime) {
    EXPECT_EQ(DateFromFields({1899, 12, 30, 0, 0, 0}), 0.0);
    EXPECT_EQ(DateFromFields({1900, 1, 1, 12, 0, 0}), 2.5);
    EXPECT_EQ(DateFromFields({1899, 12, 29, 6, 0, 0}), -1.25);
    EXPECT_EQ(DateToIso(-1.25), "1899-12-29T06:00:00");
    EXPECT_EQ(DateToIso(45658.75), "2025-01-01T18:00:00");
    const LocalDateTime f = FieldsFromDate(DateFromFields({2024, 2, 29, 23, 59, 59}));
    EXPECT_EQ(f.year, 2024);
    EXPECT_EQ(f.month, 2);
    EXPECT_EQ(f.day, 29);
    EXPECT_EQ(f.hour * 3600 + f.minute * 60 + f.second, 86399);
    const std::time_t now = std::time(nullptr);
    EXPECT_EQ(TimeTFromDate(DateFromTimeT(now)), now);
    EXPECT_EQ(DateToIso(std::nan("")), "1899-12-30T00:00:00");
    // A damaged record's date far out of range reads as the farthest date the store writes.
    for (const double far : {1e300, -1e300, 4.1e7}) {
        const LocalDateTime d = FieldsFromDate(far);
        EXPECT_TRUE(d.hour >= 0 && d.hour < 24 && d.minute >= 0 && d.minute < 60 && d.month >= 1 && d.month <= 12)
            << far;
    }
    EXPECT_EQ(DateToIso(1e300), DateToIso(4.0e7));
    EXPECT_EQ(DateToIso(-1e300), DateToIso(-4.0e7));
}
