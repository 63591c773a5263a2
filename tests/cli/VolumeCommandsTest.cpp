// karvio-cli and volume identities: list --json and show cd name each CD's volume, locate says
// where a file is now, and a damaged details database (which keeps the identities) is noted
// without stopping anything. The tool reads the machine's own mount table, so the folders
// scanned here lie on whatever holds /tmp.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "CliRunner.h"

using namespace karvio::testing;

namespace {

// The id of the first file `tree` lists.
int FirstFileId(const std::string& data, const std::string& cd) {
    const CliResult tree = RunCli(data, {"tree", cd});
    const size_t at = tree.out.find("\nF ");
    if (at == std::string::npos) return 0;
    return std::stoi(tree.out.substr(at + 3));
}

TEST(VolumeCommands, ListShowAndLocateFollowTheRecordedVolume) {
    TempDir dir;
    const std::string data = dir.File("Karvio.cd"), disc = dir.File("disc");
    std::filesystem::create_directories(disc + "/Photos");
    std::ofstream(disc + "/Photos/beach.jpg") << "sand";
    const CliResult scan = RunCli(data, {"--yes", "scan", disc});
    ASSERT_EQ(scan.status, 0) << scan.err;
    const std::string cd = scan.out.substr(0, scan.out.find('\n'));

    const CliResult list = RunCli(data, {"list", "--json"});
    ASSERT_EQ(list.status, 0) << list.err;
    const nlohmann::json cds = nlohmann::json::parse(list.out);
    ASSERT_EQ(cds.size(), 1u);
    const nlohmann::json& volume = cds[0]["volume"];
    ASSERT_TRUE(volume.is_object()) << list.out;
    EXPECT_FALSE(volume["type"].get<std::string>().empty());
    EXPECT_TRUE(volume["mounted_at"].is_string());
    const std::string relative = volume["path"].get<std::string>();
    EXPECT_TRUE(disc.size() > relative.size() && disc.compare(disc.size() - relative.size(), relative.size(), relative) == 0)
        << relative;
    const CliResult show = RunCli(data, {"show", "cd", cd, "--json"});
    EXPECT_EQ(nlohmann::json::parse(show.out)["volume"], volume);

    const int fileId = FirstFileId(data, cd);
    ASSERT_GT(fileId, 0);
    const CliResult here = RunCli(data, {"locate", std::to_string(fileId)});
    EXPECT_EQ(here.status, 0) << here.err;
    EXPECT_EQ(here.out, disc + "/Photos/beach.jpg\n");
    const CliResult json = RunCli(data, {"locate", "--json", std::to_string(fileId)});
    EXPECT_EQ(nlohmann::json::parse(json.out)["path"], disc + "/Photos/beach.jpg");

    // The file gone from its volume: not found, and said where it was looked for.
    std::filesystem::remove(disc + "/Photos/beach.jpg");
    const CliResult gone = RunCli(data, {"locate", std::to_string(fileId)});
    EXPECT_EQ(gone.status, 1);
    EXPECT_NE(gone.out.find(disc + "/Photos/beach.jpg"), std::string::npos) << gone.out;
    EXPECT_EQ(RunCli(data, {"locate", "999999"}).status, 1);

    // A damaged details database (where the identities are kept): a note, and everything else
    // as before.
    std::ofstream(data + ".db", std::ios::trunc) << std::string(4096, 'd');
    const CliResult noted = RunCli(data, {"list", "--json"});
    EXPECT_EQ(noted.status, 0);
    EXPECT_NE(noted.err.find("note:"), std::string::npos) << noted.err;
    EXPECT_TRUE(nlohmann::json::parse(noted.out)[0]["volume"].is_null());
}

}  // namespace
