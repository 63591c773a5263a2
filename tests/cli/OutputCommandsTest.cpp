// What karvio-cli prints, run as a user runs it: native paths in the output and in --paths
// queries, typed JSON, names with control characters escaped, usage errors exiting 2, a failed
// write to standard output reported, and a scan stopped by SIGINT or SIGTERM without a terminal
// leaving a catalogue that checks clean.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <regex>
#include <sstream>
#include <thread>

#include "CliRunner.h"

using namespace karvio::testing;
using Json = nlohmann::json;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t')) fields.push_back(field);
    if (!line.empty() && line.back() == '\t') fields.emplace_back();
    return fields;
}

class OutputCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        vol_ = dir_.File("vol");
        fs::create_directories(vol_ + "/Docs/Old");
        std::ofstream(vol_ + "/readme.txt") << "x";
        std::ofstream(vol_ + "/Docs/tab\tand\nnewline.txt") << "yy";
        std::ofstream(vol_ + "/Docs/Old/v1.pdf") << "z";
        data_ = dir_.File("out.cd");
        const CliResult scan = RunCli(data_, {"scan", vol_, "--name", "Alpha"});
        ASSERT_EQ(scan.status, 0) << scan.err;
        cdId_ = Lines(scan.out).back();
    }

    TempDir dir_;
    std::string vol_, data_, cdId_;
};

TEST_F(OutputCommandsTest, PathsAreNativeAndControlCharactersEscaped) {
    const std::vector<std::string> hits = Lines(RunCli(data_, {"search", "txt"}).out);
    ASSERT_EQ(hits.size(), 2u);
    // kind, id, name, CD, path, date, size, attributes, notes
    const std::vector<std::string> readme = Fields(hits[0]), odd = Fields(hits[1]);
    ASSERT_EQ(odd.size(), 9u) << hits[1];
    EXPECT_EQ(readme[2], "readme.txt");
    EXPECT_EQ(readme[4], vol_);
    EXPECT_EQ(odd[2], "tab\\tand\\nnewline.txt");
    EXPECT_EQ(odd[3], "Alpha");
    EXPECT_EQ(odd[4], vol_ + "/Docs");
    EXPECT_EQ(odd[6], "2");
    EXPECT_TRUE(std::regex_match(odd[5], std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)"))) << odd[5];

    // A path query names its folders with "/", as the output shows them.
    const std::vector<std::string> dirs = Lines(RunCli(data_, {"search", "--paths", "vol/Docs"}).out);
    ASSERT_EQ(dirs.size(), 1u);
    EXPECT_EQ(Fields(dirs[0])[2], "Old");
    EXPECT_TRUE(Lines(RunCli(data_, {"search", "--paths", "Docs/Old"}).out).empty());

    const std::string tree = RunCli(data_, {"tree", cdId_}).out;
    EXPECT_NE(tree.find("\t" + vol_ + "/Docs/Old/v1.pdf\t"), std::string::npos) << tree;
    EXPECT_NE(tree.find(vol_ + "/Docs/tab\\tand\\nnewline.txt\t"), std::string::npos) << tree;
}

TEST_F(OutputCommandsTest, JsonIsTypedWithNativePathsAndDatesWithTheirOffset) {
    const Json files = Json::parse(RunCli(data_, {"search", "--json", "newline"}).out);
    ASSERT_EQ(files.size(), 1u);
    const Json& f = files[0];
    EXPECT_EQ(f["kind"], "file");
    EXPECT_EQ(f["name"], "tab\tand\nnewline.txt");
    EXPECT_EQ(f["path"], vol_ + "/Docs");
    ASSERT_TRUE(f["size"].is_number_integer());
    EXPECT_EQ(f["size"], 2);
    EXPECT_TRUE(f["attributes"].is_array());
    EXPECT_TRUE(f["attribute_word"].is_number_integer());
    const std::regex iso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)");
    EXPECT_TRUE(std::regex_match(f["date"].get<std::string>(), iso)) << f["date"];

    // A directory's size is its magnitude, and its attributes are named.
    const Json dirs = Json::parse(RunCli(data_, {"search", "--json", "--files", "Old"}).out);
    ASSERT_EQ(dirs.size(), 1u);
    EXPECT_EQ(dirs[0]["kind"], "dir");
    EXPECT_EQ(dirs[0]["size"], 1);
    EXPECT_NE(dirs[0]["attributes"].dump().find("directory"), std::string::npos) << dirs[0]["attributes"];

    const CliResult tree = RunCli(data_, {"tree", cdId_, "--json"});
    ASSERT_EQ(tree.status, 0) << tree.err;
    const Json listing = Json::parse(tree.out, nullptr, false);
    ASSERT_FALSE(listing.is_discarded()) << tree.out;
    EXPECT_NE(tree.out.find("\"" + vol_ + "/Docs/Old/v1.pdf\""), std::string::npos) << tree.out;
    EXPECT_NE(tree.out.find("tab\\tand\\nnewline.txt"), std::string::npos);
}

// `tree --json` writes each file's object in one piece; it must say what `show file --json`
// says of the same record, member for member and in the same order, whatever the name holds.
TEST_F(OutputCommandsTest, TreeJsonFilesSayWhatShowSays) {
    namespace fs = std::filesystem;
    const std::string odd = dir_.File("odd");
    fs::create_directories(odd + "/Quote\"d dir/caf\xc3\xa9");
    std::ofstream(odd + "/Quote\"d dir/say \"hi\".txt") << "hello";
    std::ofstream(odd + "/Quote\"d dir/caf\xc3\xa9/latin\xe9.txt") << "";  // not UTF-8
    std::ofstream(odd + "/bell\a.txt") << "12";
    // Names of any bytes a Linux name may hold, of lengths around the eight-byte steps.
    std::mt19937 random(7);
    for (int n = 0; n < 16; ++n) {
        std::string name;
        while (name.size() < static_cast<size_t>(n + 1)) {
            const char c = static_cast<char>(1 + random() % 255);
            if (c != '/') name += c;
        }
        if (name == "." || name == "..") continue;
        std::ofstream(odd + "/" + name) << name;
        ASSERT_TRUE(fs::exists(odd + "/" + name));
    }
    const CliResult scan = RunCli(data_, {"scan", odd, "--name", "Odd"});
    ASSERT_EQ(scan.status, 0) << scan.err;
    const std::string cd = Lines(scan.out).back();

    auto tree = [&] {
        const CliResult r = RunCli(data_, {"tree", cd, "--json"});
        EXPECT_EQ(r.status, 0) << r.err;
        return nlohmann::ordered_json::parse(r.out);
    };
    const int64_t noted = tree()[0]["file_list"][0]["id"];
    ASSERT_EQ(RunCli(data_, {"file", "notes", std::to_string(noted), "line one\n\"two\" \xc3\xa9\\"}).status, 0);

    size_t files = 0;
    for (const auto& dir : tree()) {
        for (const auto& file : dir["file_list"]) {
            const CliResult shown = RunCli(data_, {"show", "file", std::to_string(file["id"].get<int64_t>()), "--json"});
            ASSERT_EQ(shown.status, 0) << shown.err;
            EXPECT_EQ(file.dump(), nlohmann::ordered_json::parse(shown.out).dump());
            const std::string full = file["full_name"];
            EXPECT_EQ(full, dir["full_name"].get<std::string>() + (dir["full_name"] == "/" ? "" : "/") +
                                file["name"].get<std::string>());
            ++files;
        }
    }
    EXPECT_GE(files, 3u + 14u);
    const auto first = tree()[0]["file_list"][0];
    EXPECT_EQ(first["notes"], "line one\n\"two\" \xc3\xa9\\");
    // The name that is not UTF-8 is read as Windows-1252, and the UTF-8 names of its path stay
    // as they are, in JSON and in text.
    EXPECT_NE(tree().dump().find("/caf\xc3\xa9/latin\xc3\xa9.txt\""), std::string::npos);
    EXPECT_NE(RunCli(data_, {"tree", cd}).out.find("/caf\xc3\xa9/latin\xc3\xa9.txt\t"), std::string::npos);
}

TEST_F(OutputCommandsTest, UsageErrorsExitTwoAndFailuresNameTheirCause) {
    CliResult r = RunCli(data_, {"lsit"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("'lsit' is not a karvio-cli command; did you mean 'list'?"), std::string::npos) << r.err;
    r = RunCli(data_, {"serch", "x"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("did you mean 'search'?"), std::string::npos) << r.err;
    EXPECT_EQ(RunCli(data_, {"search", "--bogus", "x"}).status, 2);
    EXPECT_EQ(RunCli(data_, {"search"}).status, 2);
    // Global options after the command.
    EXPECT_EQ(RunCli(data_, {"search", "readme", "--yes"}).status, 0);

    r = RunCli(data_, {"scan", dir_.File("nonexistent")});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;

    // Standard output on a full device: an error, not a success.
    const std::string full = ShellQuote(KARVIO_CLI) + " --data " + ShellQuote(data_) + " search txt >/dev/full 2>" +
                             ShellQuote(dir_.File("full.err"));
    const int raw = std::system(full.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) != 0);
    std::stringstream err;
    err << std::ifstream(dir_.File("full.err")).rdbuf();
    EXPECT_NE(err.str().find("No space left on device"), std::string::npos) << err.str();
    // The same while workers search: the message, status 1, and no crash at the exit.
    const int threaded = std::system((ShellQuote(KARVIO_CLI) + " --data " + ShellQuote(data_) +
                                      " search --threads 3 txt >/dev/full 2>" + ShellQuote(dir_.File("full.err")))
                                         .c_str());
    EXPECT_TRUE(WIFEXITED(threaded) && WEXITSTATUS(threaded) == 1) << threaded;
    err = std::stringstream();
    err << std::ifstream(dir_.File("full.err")).rdbuf();
    EXPECT_EQ(err.str(), "karvio-cli: standard output: No space left on device\n");
}

// Waits until the process `pid` runs karvio-cli and catches `signal` (its handler is installed),
// so a signal sent then is the program's to answer, not the shell's or the loader's.
bool WaitUntilCaught(pid_t pid, int signal) {
    const std::string proc = "/proc/" + std::to_string(pid);
    for (int tries = 0; tries < 6000; ++tries) {
        std::error_code ec;
        const auto exe = std::filesystem::read_symlink(proc + "/exe", ec);
        if (!ec && exe.filename() == "karvio-cli") {
            std::ifstream status(proc + "/status");
            for (std::string line; std::getline(status, line);) {
                if (line.rfind("SigCgt:", 0) != 0) continue;
                const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
                if (caught >> (signal - 1) & 1) return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// A scan of a large folder, stopped by `signal` once it has run a little: the exit status says
// which signal, and the catalogue is consistent and keeps what it held before.
void ExpectStoppedScan(int signal, int status) {
    TempDir dir;
    const std::string data = dir.File("stop.cd");
    std::filesystem::create_directories(dir.File("before"));
    std::ofstream(dir.File("before/kept.txt")) << "kept";
    ASSERT_EQ(RunCli(data, {"scan", dir.File("before"), "--name", "Before"}).status, 0);
    const Started scan = Start(dir, data, {"scan", "/usr", "--name", "Big"}, 1);
    const bool caught = WaitUntilCaught(scan.pid, signal);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(scan.pid, signal);
    std::string err;
    const int exit = Finish(scan, nullptr, &err);
    if (exit == 0) GTEST_SKIP() << "the scan of /usr ended before the signal";
    ASSERT_TRUE(caught) << "karvio-cli never set its handler for signal " << signal;
    EXPECT_EQ(exit, status) << err;
    EXPECT_EQ(RunCli(data, {"check"}).status, 0);
    const Json cds = Json::parse(RunCli(data, {"list", "--json"}).out);
    ASSERT_GE(cds.size(), 1u);
    EXPECT_EQ(cds[0]["name"], "Before");
}

TEST(StopSignals, SigintAndSigtermStopAScanWithoutATerminal) {
    ExpectStoppedScan(SIGINT, 130);
    ExpectStoppedScan(SIGTERM, 143);
}

}  // namespace
