// karvio-cli with details: scan --details and rescan keep what is inside files, find answers the
// details filters and lists archive members by name and path, check checks the details database.
#include <gtest/gtest.h>
#include <sys/time.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include <QImage>

#include "../support/MediaFixtures.h"
#include "CliRunner.h"

using namespace karvio::testing;

namespace {

// The names of the hits of `find QUERY --json`, sorted.
std::vector<std::string> Found(const std::string& data, const std::string& query) {
    const CliResult r = RunCli(data, {"find", query, "--json"});
    EXPECT_EQ(r.status, 0) << query << ": " << r.err;
    std::vector<std::string> names;
    for (const auto& hit : nlohmann::json::parse(r.out.empty() ? "[]" : r.out))
        names.push_back(hit["name"]);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FindCommand, DetailsFiltersAndArchiveMembers) {
    TempDir dir;
    const std::string data = dir.File("Karvio.cd"), disc = dir.File("disc");
    std::filesystem::create_directories(disc + "/Photos");
    std::filesystem::create_directories(disc + "/Music");
    ASSERT_TRUE(WritePhoto(disc + "/Photos/beach.jpg",
                           {4000, 3000, "Canon", "Canon EOS 5D", "2019:07:14 18:02:55", ""}));
    ASSERT_TRUE(WritePhoto(disc + "/Photos/snow.jpg",
                           {800, 600, "NIKON", "NIKON D750", "2021:01:02 10:00:00", ""}));
    ASSERT_TRUE(
        WriteSong(disc + "/Music/long.mp3", {"mp3", 200, "Kesä Band", "Summer", "Long One"}));
    ASSERT_TRUE(WriteSong(disc + "/Music/short.flac", {"flac", 2, "Other", "Winter", "Short One"}));
    ASSERT_TRUE(
        WriteArchive(disc + "/backup.zip", "zip", "", {{"docs/", ""}, {"docs/report.pdf", "pdf"}}));
    FixturePhoto phone{480, 360, "Apple", "iPhone 12", "2021:05:01 10:00:00", ""};
    ASSERT_TRUE(WriteHeifPhoto(disc + "/Photos/harbour.heic", FixturePicture(phone), phone));
    // A date with seconds, to see them in find's answers.
    const timeval taken[2] = {{1563127375, 0}, {1563127375, 0}};
    ASSERT_EQ(::utimes((disc + "/Photos/beach.jpg").c_str(), taken), 0);
    const CliResult plain = RunCli(data, {"scan", disc});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_TRUE(Found(data, "report").empty()) << "a plain scan does not look inside";
    const CliResult scan = RunCli(data, {"scan", disc, "--details"});
    ASSERT_EQ(scan.status, 0) << scan.err;
    const std::string cd = scan.out.substr(0, scan.out.find('\n'));

    EXPECT_EQ(Found(data, "camera:canon"), std::vector<std::string>{"beach.jpg"});
    EXPECT_EQ(Found(data, "taken:2019"), std::vector<std::string>{"beach.jpg"});
    EXPECT_EQ(Found(data, "taken:2018..2022"),
              (std::vector<std::string>{"beach.jpg", "harbour.heic", "snow.jpg"}));
    // A phone's HEIC photo is read as a camera's JPEG is.
    EXPECT_EQ(Found(data, "camera:apple"), std::vector<std::string>{"harbour.heic"});
    EXPECT_EQ(Found(data, "width:>3000"), std::vector<std::string>{"beach.jpg"});
    EXPECT_EQ(Found(data, "artist:kesä"), std::vector<std::string>{"long.mp3"});
    EXPECT_EQ(Found(data, "artist:\"KESÄ BAND\" album:summer"),
              std::vector<std::string>{"long.mp3"});
    EXPECT_EQ(Found(data, "title:one duration:>3m"), std::vector<std::string>{"long.mp3"});
    EXPECT_EQ(Found(data, "title:one duration:<10"), std::vector<std::string>{"short.flac"});
    EXPECT_EQ(Found(data, "in:archive"), (std::vector<std::string>{"docs", "report.pdf"}));

    // A member reads as a file inside its archive, in text and in JSON.
    const CliResult text = RunCli(data, {"find", "report.pdf"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("member\t"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("/backup.zip/docs/report.pdf"), std::string::npos) << text.out;
    const nlohmann::json hits =
        nlohmann::json::parse(RunCli(data, {"find", "docs/report", "--json"}).out);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0]["member"], "docs/report.pdf");
    const std::string archiveId = std::to_string(hits[0]["id"].get<int>());
    EXPECT_EQ(Found(data, "in:" + archiveId + " pdf"), std::vector<std::string>{"report.pdf"});

    // Dates to the second, as search gives them (the disc is in the catalogue twice).
    const nlohmann::json beach =
        nlohmann::json::parse(RunCli(data, {"find", "beach.jpg", "--json"}).out);
    const nlohmann::json searched =
        nlohmann::json::parse(RunCli(data, {"search", "beach.jpg", "--json"}).out);
    ASSERT_EQ(beach.size(), 2u);
    ASSERT_EQ(searched.size(), 2u);
    for (const auto& hit : beach) EXPECT_EQ(hit["date"], searched[0]["date"]);
    EXPECT_NE(searched[0]["date"].get<std::string>().find(":55"), std::string::npos)
        << searched[0]["date"];

    EXPECT_EQ(RunCli(data, {"find", "duration:>xyz"}).status, 2);
    EXPECT_EQ(RunCli(data, {"find", ""}).status, 2);

    // A rescan keeps the options; check also checks the details database.
    const CliResult rescan = RunCli(data, {"rescan", cd});
    ASSERT_EQ(rescan.status, 0) << rescan.err;
    EXPECT_EQ(Found(data, "camera:canon"), std::vector<std::string>{"beach.jpg"});
    const CliResult check = RunCli(data, {"check"});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_NE(check.out.find("details of 6 files"), std::string::npos) << check.out;
    std::ofstream(data + ".db", std::ios::trunc) << std::string(5000, 'x');
    EXPECT_EQ(RunCli(data, {"check"}).status, 1);
    EXPECT_TRUE(Found(data, "camera:canon").empty());
}

}  // namespace
