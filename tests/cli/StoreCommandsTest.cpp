// karvio-cli's store commands end to end: building categories by hand, editing CDs and notes,
// refusing bad ids, and check on clean and damaged files.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "../support/SampleCatalogue.h"
#include "CliRunner.h"

using namespace karvio;
using karvio::testing::ReadAllBytes;
using karvio::testing::RunCli;
using karvio::testing::TempDir;
using Json = nlohmann::json;

namespace {

int32_t AddCategory(const std::string& data, std::vector<std::string> args) {
    args.insert(args.begin(), {"category", "add"});
    const auto r = RunCli(data, args);
    EXPECT_EQ(r.status, 0) << r.err;
    return std::stoi(r.out);
}

}  // namespace

TEST(StoreCommands, CategoriesBuiltByHandCheckClean) {
    TempDir dir;
    const std::string data = dir.File("hand.cd");
    const int32_t music = AddCategory(data, {"Music", "--notes", "CDs and rips"});
    const int32_t jazz = AddCategory(data, {"Jazz", "--parent", std::to_string(music), "--icon", "7"});
    const int32_t films = AddCategory(data, {"Films"});
    EXPECT_EQ(music, 83);
    EXPECT_EQ(RunCli(data, {"category", "rename", std::to_string(films), "Films & TV"}).status, 0);
    EXPECT_EQ(RunCli(data, {"category", "notes", std::to_string(jazz), "Blue Note, ECM"}).status, 0);
    EXPECT_EQ(RunCli(data, {"category", "icon", std::to_string(films), "9"}).status, 0);
    EXPECT_EQ(RunCli(data, {"category", "move", std::to_string(films), std::to_string(jazz)}).status, 0);

    // Refusals: its own ancestor, a category with children, ids that are not categories.
    auto r = RunCli(data, {"category", "move", std::to_string(music), std::to_string(films)});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot be moved under itself"), std::string::npos) << r.err;
    EXPECT_EQ(RunCli(data, {"category", "remove", std::to_string(jazz)}).status, 1);
    EXPECT_EQ(RunCli(data, {"category", "rename", "1", "header"}).status, 1);
    EXPECT_EQ(RunCli(data, {"category", "rename", "84", "inside a record"}).status, 1);

    const Json cats = Json::parse(RunCli(data, {"categories", "--json"}).out);
    ASSERT_EQ(cats.size(), 3u);
    EXPECT_EQ(cats[1]["name"], "Jazz");
    EXPECT_EQ(cats[1]["notes"], "Blue Note, ECM");
    EXPECT_EQ(cats[1]["image"], 7);
    EXPECT_EQ(cats[2]["name"], "Films & TV");
    EXPECT_EQ(cats[2]["parent"], jazz);
    EXPECT_EQ(cats[2]["key"], "Root\\.Category" + std::to_string(music) + "\\.Category" +
                                  std::to_string(jazz) + "\\.Category" + std::to_string(films));

    EXPECT_EQ(RunCli(data, {"category", "remove", std::to_string(films)}).status, 0);
    r = RunCli(data, {"check"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("clean"), std::string::npos);
    const Json info = Json::parse(RunCli(data, {"info", "--json"}).out);
    EXPECT_EQ(info["categories"], 2);
    EXPECT_EQ(info["version"], "1.1.5");
}

TEST(StoreCommands, CdsDirectoriesAndFiles) {
    TempDir dir;
    const std::string data = dir.File("cds.cd");
    int32_t cdId, dirId, fileId;
    {
        classData store(data);
        karvio::testing::BuildSampleCatalogue(store);
        cdId = store.Header().dataCdFirstRecord;
        classDir& d = store.GetCdGoto(cdId).GetDirFirst();
        dirId = d.GetDirId();
        fileId = d.GetFileFirst().GetFileId();
    }
    EXPECT_EQ(RunCli(data, {"cd", "rename", std::to_string(cdId), "Renamed"}).status, 0);
    EXPECT_EQ(RunCli(data, {"cd", "notes", std::to_string(cdId), "line one\nline two"}).status, 0);
    EXPECT_EQ(RunCli(data, {"cd", "category", std::to_string(cdId), "0"}).status, 0);
    EXPECT_EQ(RunCli(data, {"dir", "notes", std::to_string(dirId), "root notes"}).status, 0);
    EXPECT_EQ(RunCli(data, {"file", "notes", std::to_string(fileId), "file notes"}).status, 0);
    // A directory id is not a file id, and the other way round.
    EXPECT_EQ(RunCli(data, {"file", "notes", std::to_string(dirId), "x"}).status, 1);
    EXPECT_EQ(RunCli(data, {"dir", "notes", std::to_string(fileId), "x"}).status, 1);
    EXPECT_EQ(RunCli(data, {"cd", "notes", std::to_string(dirId), "x"}).status, 1);

    const Json list = Json::parse(RunCli(data, {"list", "--json"}).out);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]["name"], "Renamed");
    EXPECT_EQ(list[0]["notes"], "line one\nline two");
    EXPECT_EQ(list[0]["category"], 0);
    for (const char* key : {"id", "name", "label", "basepath", "notes", "category", "files", "subdirs",
                            "total", "free", "scanned", "media"}) {
        EXPECT_TRUE(list[0].contains(key)) << key;
    }
    EXPECT_EQ(Json::parse(RunCli(data, {"show", "dir", std::to_string(dirId), "--json"}).out)["notes"],
              "root notes");
    const Json file = Json::parse(RunCli(data, {"show", "file", std::to_string(fileId), "--json"}).out);
    EXPECT_EQ(file["notes"], "file notes");
    EXPECT_EQ(file["full_name"], "/readme.txt");
    EXPECT_EQ(RunCli(data, {"check"}).status, 0);

    // Removing asks; without a terminal and without --yes the answer is Cancel.
    const auto before = ReadAllBytes(data);
    auto r = RunCli(data, {"cd", "remove", std::to_string(cdId)});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Remove Cd"), std::string::npos) << r.err;
    EXPECT_EQ(Json::parse(RunCli(data, {"list", "--json"}).out).size(), 3u);
    r = RunCli(data, {"--yes", "cd", "remove", std::to_string(cdId)});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("CD removed"), std::string::npos);
    EXPECT_EQ(Json::parse(RunCli(data, {"list", "--json"}).out).size(), 2u);
}

TEST(StoreCommands, CheckReportsDamageAndRefusedFiles) {
    TempDir dir;
    const std::string data = dir.File("damaged.cd");
    {
        classData store(data);
        karvio::testing::BuildSampleCatalogue(store);
    }
    auto bytes = ReadAllBytes(data);
    bytes[34] = 42;  // dataNumOfCds
    karvio::testing::WriteAllBytes(data, bytes);
    auto r = RunCli(data, {"check", "--json"});
    EXPECT_EQ(r.status, 1);
    const Json report = Json::parse(r.out);
    EXPECT_FALSE(report["clean"].get<bool>());
    EXPECT_FALSE(report["problems"].empty());

    bytes[0] = 'X';
    karvio::testing::WriteAllBytes(data, bytes);
    r = RunCli(data, {"list"});
    EXPECT_EQ(r.status, 1);
    // Another kind of file is no newer version: the data-file error names the file and the cause.
    EXPECT_NE(r.err.find("Data File Error (1001)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(data + ": the file is not a Karvio catalogue"), std::string::npos) << r.err;
    EXPECT_EQ(ReadAllBytes(data), bytes) << "a refused file is left as it was";
    EXPECT_EQ(RunCli(data, {"check"}).status, 1);
    EXPECT_EQ(RunCli(dir.File("missing.cd"), {"check"}).status, 1);
}

TEST(StoreCommands, CategoryPicturesStayWithinTheShippedSet) {
    TempDir dir;
    const std::string data = dir.File("pictures.cd");
    const int32_t plain = AddCategory(data, {"Plain"});
    const int32_t last = AddCategory(data, {"Last", "--icon", "18"});

    // Outside the pictures: refused with the range named, and nothing written but the time the
    // catalogue was last opened.
    auto withoutOpened = [](std::vector<unsigned char> bytes) {
        std::fill(bytes.begin() + 42, bytes.begin() + 50, 0);
        return bytes;
    };
    const auto bytes = withoutOpened(ReadAllBytes(data));
    for (const char* bad : {"0", "5", "19", "-1"}) {
        const auto r = RunCli(data, {"category", "icon", std::to_string(plain), bad});
        EXPECT_EQ(r.status, 1) << bad;
        EXPECT_NE(r.err.find("6 (the default) to 18"), std::string::npos) << r.err;
        EXPECT_EQ(RunCli(data, {"category", "add", "Bad", "--icon", bad}).status, 1) << bad;
    }
    EXPECT_EQ(withoutOpened(ReadAllBytes(data)), bytes);
    EXPECT_EQ(RunCli(data, {"category", "icon", std::to_string(last), "6"}).status, 0);

    const Json cats = Json::parse(RunCli(data, {"categories", "--json"}).out);
    ASSERT_EQ(cats.size(), 2u);
    EXPECT_EQ(cats[0]["image"], 6);  // a new category shows the default picture
    EXPECT_EQ(cats[1]["image"], 6);
}
