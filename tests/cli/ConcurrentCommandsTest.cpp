// Real karvio-cli processes at once on one catalogue, or on catalogues in one folder: every
// command that reported success left its change, every refused one left none and said why, and
// the catalogue checks clean.
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "CliRunner.h"
#include "classData.h"

using namespace karvio;
using namespace karvio::testing;

namespace {

nlohmann::json Json(const std::string& data, const std::vector<std::string>& args) {
    const CliResult r = RunCli(data, args);
    EXPECT_EQ(r.status, 0) << r.err;
    return nlohmann::json::parse(r.out, nullptr, false);
}

void ExpectClean(const std::string& data) {
    const nlohmann::json report = Json(data, {"check", "--json"});
    EXPECT_TRUE(report.value("clean", false)) << report.dump();
}

class ConcurrentCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A tree of a few hundred files, so a scan takes a moment.
        for (int d = 0; d < 20; ++d) {
            const std::string sub = tree_.File("d" + std::to_string(d));
            std::filesystem::create_directory(sub);
            for (int f = 0; f < 30; ++f) std::ofstream(sub + "/f" + std::to_string(f)) << f;
        }
    }
    TempDir tree_, dir_;
};

}  // namespace

TEST_F(ConcurrentCommandsTest, ScansEditsAndCompactionsAtOnceLoseNothing) {
    const std::string data = dir_.File("k.cd");
    ASSERT_EQ(RunCli(data, {"category", "add", "base"}).status, 0);
    int refused = 0;

    // Two scans and a compaction with twenty category additions in between.
    std::vector<Started> scans;
    for (int i = 0; i < 2; ++i) scans.push_back(Start(dir_, data, {"--yes", "scan", tree_.path().string()}, i));
    std::vector<Started> adds;
    for (int i = 0; i < 20; ++i) adds.push_back(Start(dir_, data, {"category", "add", "c" + std::to_string(i)}, 10 + i));
    const Started compact = Start(dir_, data, {"--yes", "compact"}, 50);

    int scanned = 0;
    for (const Started& s : scans) {
        std::string out, err;
        if (Finish(s, &out, &err) == 0) {
            ++scanned;
        } else {
            ++refused;
            EXPECT_NE(err.find("the catalogue is being changed by another program"), std::string::npos) << err;
        }
    }
    std::set<std::string> added;
    for (int i = 0; i < 20; ++i) {
        std::string err;
        if (Finish(adds[i], nullptr, &err) == 0) {
            added.insert("c" + std::to_string(i));
        } else {
            ++refused;
            EXPECT_NE(err.find("being changed by another program"), std::string::npos) << err;
        }
    }
    std::string compactErr;
    const int compacted = Finish(compact, nullptr, &compactErr);
    if (compacted != 0) ++refused;

    const nlohmann::json cds = Json(data, {"list", "--json"});
    EXPECT_EQ(static_cast<int>(cds.size()), scanned) << "every scan that succeeded is there";
    for (const auto& cd : cds) EXPECT_EQ(cd["files"], 600);
    std::set<std::string> names;
    for (const auto& cat : Json(data, {"categories", "--json"})) names.insert(cat["name"]);
    for (const std::string& name : added) EXPECT_TRUE(names.count(name)) << name;
    EXPECT_EQ(names.size(), added.size() + 1) << "no refused addition left a category";
    ExpectClean(data);
    RecordProperty("refused", refused);
}

TEST_F(ConcurrentCommandsTest, AWriterThatWaitsTooLongIsRefusedAndChangesNothing) {
    const std::string data = dir_.File("k.cd");
    ASSERT_EQ(RunCli(data, {"category", "add", "base"}).status, 0);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // a failed assertion below must not leave it behind
        classData store(data);
        const char c = store.BeginWrite() == WriteAccess::Granted ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        // Holds the lock until the test kills it, however slowly the commands below run.
        for (;;) ::pause();
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    const auto before = ReadAllBytes(data);
    const CliResult add = RunCli(data, {"category", "add", "late"});
    EXPECT_NE(add.status, 0);
    EXPECT_NE(add.err.find("the catalogue is being changed by another program"), std::string::npos) << add.err;
    // Notes that cannot be saved are reported as a failure, not as done.
    for (const char* kind : {"cd", "dir"}) {
        const CliResult notes = RunCli(data, {kind, "notes", "83", "text"});
        EXPECT_EQ(notes.status, 1) << kind;
        EXPECT_NE(notes.err.find("being changed by another program"), std::string::npos) << notes.err;
    }
    const CliResult list = RunCli(data, {"categories"});
    EXPECT_EQ(list.status, 0) << "readers are not blocked";
    EXPECT_EQ(ReadAllBytes(data), before);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(RunCli(data, {"category", "add", "late"}).status, 0) << "a killed holder lets go";
    ExpectClean(data);
}

TEST_F(ConcurrentCommandsTest, CompactionsOfTwoCataloguesInOneFolderKeepEachOne) {
    const std::string one = dir_.File("one.cd"), two = dir_.File("two.cd");
    ASSERT_EQ(RunCli(one, {"--yes", "scan", tree_.File("d1")}).status, 0);
    ASSERT_EQ(RunCli(one, {"cd", "rename", "83", "ONE"}).status, 0);
    ASSERT_EQ(RunCli(two, {"--yes", "scan", tree_.path().string()}).status, 0);
    ASSERT_EQ(RunCli(two, {"cd", "rename", "83", "TWO"}).status, 0);
    for (int run = 0; run < 3; ++run) {
        const Started a = Start(dir_, one, {"--yes", "compact"}, 1);
        const Started b = Start(dir_, two, {"--yes", "compact"}, 2);
        EXPECT_EQ(Finish(a), 0);
        EXPECT_EQ(Finish(b), 0);
        EXPECT_EQ(Json(one, {"list", "--json"})[0]["name"], "ONE");
        EXPECT_EQ(Json(two, {"list", "--json"})[0]["name"], "TWO");
        ExpectClean(one);
        ExpectClean(two);
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
        EXPECT_FALSE(entry.path().filename().string().starts_with("~Temp_")) << entry.path();
    }
}

TEST_F(ConcurrentCommandsTest, ReadingCommandsNeverCreateACatalogue) {
    const std::string missing = dir_.File("mistyped.cd");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"list"}, {"categories"}, {"info"}, {"check"}, {"search", "x"}}) {
        const CliResult r = RunCli(missing, args);
        EXPECT_NE(r.status, 0) << args[0];
        EXPECT_FALSE(std::filesystem::exists(missing)) << args[0];
    }
}
