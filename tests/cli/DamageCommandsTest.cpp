// karvio-cli as users and hostile local users meet it: reading commands leave the catalogue's bytes
// and modification time alone; a damaged catalogue is named as damaged by every command, refused
// by backup and compact (which change nothing) and salvaged only with --salvage; a link planted at
// an output's name or a pipe planted beside the catalogue changes nothing of the victim's and
// hangs nothing; a scan that could not read a folder says so and exits with 3.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "../support/SampleCatalogue.h"
#include "CliRunner.h"

using namespace karvio;
using karvio::testing::ReadAllBytes;
using karvio::testing::RunCli;
using karvio::testing::TempDir;
using karvio::testing::WriteAllBytes;

namespace {

std::string BuildSample(const TempDir& dir) {
    const std::string data = dir.File("sample.cd");
    classData store(data);
    karvio::testing::BuildSampleCatalogue(store);
    return data;
}

int64_t MtimeNs(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace

TEST(DamageCommands, ReadingCommandsChangeNothing) {
    TempDir dir;
    const std::string data = BuildSample(dir);
    const auto bytes = ReadAllBytes(data);
    const int64_t mtime = MtimeNs(data);
    const int32_t first = nlohmann::json::parse(RunCli(data, {"list", "--json"}).out)[0]["id"];
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"list"}, {"info"}, {"check"}, {"categories"}, {"search", "a"},
                                               {"show", "cd", std::to_string(first)}, {"tree", "1"}}) {
        RunCli(data, args);
        EXPECT_EQ(ReadAllBytes(data), bytes) << args[0];
        EXPECT_EQ(MtimeNs(data), mtime) << args[0];
    }
}

TEST(DamageCommands, ADamagedCatalogueIsNamedAndRefusedUntilSalvaged) {
    TempDir dir;
    const std::string data = BuildSample(dir);
    auto bytes = ReadAllBytes(data);
    HeaderRecord header;
    header.Decode(bytes.data());
    header.dataNumOfCds = 7;  // the CD list holds 3
    header.dataCdLastRecord = 0;  // and the opening check sees that the list's ends disagree
    header.Encode(bytes.data());
    WriteAllBytes(data, bytes);

    auto r = RunCli(data, {"list"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("damaged"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(data), std::string::npos) << r.err;
    EXPECT_EQ(RunCli(data, {"check"}).status, 1);

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"compact", "--yes"}, {"backup", dir.File("copy.cd")}}) {
        r = RunCli(data, args);
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_NE(r.err.find("is damaged; nothing was changed"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("header counts 7 CDs"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--salvage"), std::string::npos) << r.err;
        EXPECT_EQ(ReadAllBytes(data), bytes) << args[0];
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("copy.cd")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("sample.bak")));

    r = RunCli(data, {"--yes", "compact", "--salvage"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("the damaged file is"), std::string::npos) << r.out;
    EXPECT_EQ(RunCli(data, {"check"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("sample.bak")));
    int kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        if (entry.path().filename().string().rfind("sample.damaged-", 0) == 0) {
            ++kept;
            EXPECT_EQ(ReadAllBytes(entry.path().string()), bytes);
        }
    }
    EXPECT_EQ(kept, 1);
}

TEST(DamageCommands, PlantedLinksAndPipesChangeNothingOfTheVictimsAndHangNothing) {
    TempDir dir;
    const std::string data = BuildSample(dir);
    const std::string victim = dir.File("victim.txt");
    WriteAllBytes(victim, {'o', 'w', 'n'});
    for (const char* name : {"backup.cd", "report.html"}) std::filesystem::create_symlink(victim, dir.File(name));

    EXPECT_EQ(RunCli(data, {"backup", dir.File("backup.cd")}).status, 0);
    const int32_t cd = nlohmann::json::parse(RunCli(data, {"list", "--json"}).out)[0]["id"];
    const auto r = RunCli(data, {"report", "cd", std::to_string(cd), "-o", dir.File("report.html")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(std::filesystem::is_symlink(dir.File("report.html")));
    EXPECT_EQ(ReadAllBytes(victim), (std::vector<unsigned char>{'o', 'w', 'n'}));

    // A pipe beside the catalogue is not waited on.
    ASSERT_EQ(::mkfifo((data + ".volumes").c_str(), 0600), 0);
    const auto started = std::chrono::steady_clock::now();
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"list"}, {"compact", "--yes"}, {"backup", dir.File("b2.cd")}}) {
        RunCli(data, args);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
    EXPECT_EQ(RunCli(data, {"check"}).status, 0);
}

TEST(DamageCommands, AScanThatCouldNotReadAFolderSaysWhichAndExitsWith3) {
    TempDir dir, tree;
    const std::string data = dir.File("scan.cd");
    std::filesystem::create_directory(tree.path() / "locked");
    std::filesystem::create_directory(tree.path() / "open");
    ::chmod((tree.path() / "locked").c_str(), 0);
    // Root reads every folder: the scan then runs as an ordinary user.
    std::string prefix;
    if (::geteuid() == 0) {
        if (std::system("command -v setpriv >/dev/null") != 0) GTEST_SKIP() << "setpriv is not installed";
        std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
        std::filesystem::permissions(tree.path(), std::filesystem::perms::all);
        prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    }
    const std::string err = dir.File("err");
    const int raw = std::system((prefix + karvio::testing::ShellQuote(KARVIO_CLI) + " --data " +
                                 karvio::testing::ShellQuote(data) + " scan " +
                                 karvio::testing::ShellQuote(tree.path().string()) + " >/dev/null 2>" + err)
                                    .c_str());
    ::chmod((tree.path() / "locked").c_str(), 0755);
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 3);
    std::ifstream in(err);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("1 folder or file could not be read"), std::string::npos) << text;
    EXPECT_NE(text.find("/locked: Permission denied"), std::string::npos) << text;
    EXPECT_EQ(RunCli(data, {"check"}).status, 0);
}
