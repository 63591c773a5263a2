// duplicates, compare, verify and export as a user runs them: answers equal to what a script
// finds in the real trees, diff's exit statuses (0 the same, 1 different, 2 a usage error), and
// exports of awkward names (line breaks, commas, quotes, bytes that are not UTF-8) read back by
// Python's csv and json modules name for name.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "CliRunner.h"

using namespace karvio::testing;
using Json = nlohmann::json;
namespace fs = std::filesystem;

namespace {

void Write(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string LastLine(const std::string& text) {
    std::istringstream in(text);
    std::string line, last;
    while (std::getline(in, line)) last = line;
    return last;
}

class CompareCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Write(dir_.File("one/a.txt"), "same");
        Write(dir_.File("one/sub/b.txt"), "bbbb");
        Write(dir_.File("one/gone.txt"), "g");
        fs::copy(dir_.File("one"), dir_.File("two"), fs::copy_options::recursive);
        fs::remove(dir_.File("two/gone.txt"));
        Write(dir_.File("two/sub/b.txt"), "bbbbbb");
        Write(dir_.File("two/added.txt"), "+");
        data_ = dir_.File("c.cd");
        one_ = Scan("one");
        two_ = Scan("two");
    }

    std::string Scan(const std::string& name) {
        const CliResult r = RunCli(data_, {"scan", dir_.File(name), "--name", name});
        EXPECT_EQ(r.status, 0) << r.err;
        return LastLine(r.out);
    }

    TempDir dir_;
    std::string data_, one_, two_;
};

TEST_F(CompareCommandsTest, DuplicatesAndSinglesAsJson) {
    const CliResult dup = RunCli(data_, {"duplicates", "--json"});
    ASSERT_EQ(dup.status, 0) << dup.err;
    const Json rows = Json::parse(dup.out);
    // a.txt is on both discs; b.txt differs in size; gone.txt and added.txt are single.
    ASSERT_EQ(rows.size(), 2u);
    for (const Json& row : rows) {
        EXPECT_EQ(row["copies"], 2);
        EXPECT_EQ(row["size"], 4);
        EXPECT_EQ(row["space"], 8);
        EXPECT_TRUE(row["path"].get<std::string>().ends_with("/a.txt"));
    }
    const CliResult single = RunCli(data_, {"duplicates", "--single", "--csv", "--cd", two_});
    ASSERT_EQ(single.status, 0) << single.err;
    EXPECT_NE(single.out.find("/two/added.txt"), std::string::npos);
    EXPECT_NE(single.out.find("/two/sub/b.txt"), std::string::npos);
    EXPECT_EQ(single.out.find("/one/"), std::string::npos);
    EXPECT_EQ(single.out.find("a.txt"), std::string::npos);

    EXPECT_EQ(RunCli(data_, {"duplicates", "--cd", one_}).status, 2);
    EXPECT_EQ(RunCli(data_, {"duplicates", "--by", "colour"}).status, 2);
}

TEST_F(CompareCommandsTest, CompareExitsLikeDiff) {
    const CliResult r = RunCli(data_, {"compare", one_, two_});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.out.find("- gone.txt\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("+ added.txt\n"), std::string::npos);
    EXPECT_NE(r.out.find("~ sub/b.txt\t(size)\n"), std::string::npos);

    // A disc against its own folder as it is now: the same until the folder changes.
    EXPECT_EQ(RunCli(data_, {"compare", one_, dir_.File("one")}).status, 0);
    Write(dir_.File("one/later.txt"), "x");
    const CliResult later = RunCli(data_, {"compare", one_, dir_.File("one"), "--json"});
    EXPECT_EQ(later.status, 1);
    const Json rows = Json::parse(later.out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]["status"], "only_second");
    EXPECT_EQ(rows[0]["path"], "later.txt");

    EXPECT_EQ(RunCli(data_, {"compare", "999999", two_}).status, 2);
    EXPECT_EQ(RunCli(data_, {"compare", one_, dir_.File("nothing-here")}).status, 2);
    EXPECT_EQ(RunCli(data_, {"compare", one_}).status, 2);
}

TEST_F(CompareCommandsTest, VerifyReadsTheDiscAgainAndChangesNothing) {
    const std::string before = RunCli(data_, {"tree", one_, "--json"}).out;
    const CliResult clean = RunCli(data_, {"verify", one_});
    EXPECT_EQ(clean.status, 0) << clean.err << clean.out;
    EXPECT_EQ(clean.out, "");

    fs::remove(dir_.File("one/a.txt"));
    Write(dir_.File("one/sub/b.txt"), "bbbbbbbb");
    Write(dir_.File("one/new.txt"), "n");
    const CliResult r = RunCli(data_, {"verify", one_, dir_.File("one"), "--json"});
    EXPECT_EQ(r.status, 1) << r.err;
    const Json report = Json::parse(r.out);
    EXPECT_EQ(report["partial"], false);
    std::map<std::string, std::string> found;
    for (const Json& f : report["findings"]) found[f["path"]] = f["status"];
    EXPECT_EQ(found, (std::map<std::string, std::string>{
                         {"a.txt", "missing"}, {"sub/b.txt", "changed"}, {"new.txt", "new"}}));
    EXPECT_EQ(RunCli(data_, {"tree", one_, "--json"}).out, before);

    EXPECT_EQ(RunCli(data_, {"verify", one_, dir_.File("nothing-here")}).status, 2);
    fs::rename(dir_.File("one"), dir_.File("elsewhere"));
    const CliResult absent = RunCli(data_, {"verify", one_});
    EXPECT_EQ(absent.status, 1);
    EXPECT_NE(absent.err.find("not mounted"), std::string::npos) << absent.err;
}

TEST_F(CompareCommandsTest, ExportsOfAwkwardNamesRoundTripThroughPython) {
    const std::string odd = dir_.File("odd");
    const std::vector<std::string> names = {"line\nbreak.txt", "comma, \"quoted\".txt", "caf\xc3\xa9.txt",
                                            "latin\xe9\xff.txt", "tab\there"};
    for (const std::string& n : names) Write(odd + "/" + n, n);
    const std::string cd = Scan("odd");
    const std::string csv = dir_.File("odd.csv"), json = dir_.File("odd.json");
    ASSERT_EQ(RunCli(data_, {"export", cd, "--csv", "-o", csv}).status, 0);
    ASSERT_EQ(RunCli(data_, {"export", cd, "--json", "-o", json}).status, 0);
    // The names as the program shows them: UTF-8 as it is, other bytes as Windows-1252.
    const std::string script = R"(
import csv, json, os, sys
folder, csv_path, json_path = sys.argv[1:4]
def shown(raw):
    try:
        return raw.decode('utf-8')
    except UnicodeDecodeError:
        return raw.decode('cp1252')
expected = sorted(shown(n) for n in os.listdir(os.fsencode(folder)))
with open(csv_path, newline='', encoding='utf-8') as f:
    rows = list(csv.DictReader(f))
with open(json_path, encoding='utf-8') as f:
    objects = json.load(f)
from_csv = sorted(r['name'] for r in rows if r['kind'] == 'file')
from_json = sorted(o['name'] for o in objects if o['kind'] == 'file')
assert from_csv == expected, (from_csv, expected)
assert from_json == expected, (from_json, expected)
assert all(r['path'].endswith('/' + r['name']) for r in rows), rows
assert [int(r['size']) for r in rows] == [o['size'] for o in objects]
print('ok')
)";
    const std::string py = dir_.File("check.py");
    std::ofstream(py) << script;
    const std::string command = "python3 " + ShellQuote(py) + " " + ShellQuote(odd) + " " + ShellQuote(csv) + " " +
                                ShellQuote(json) + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[4096];
    std::string output;
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    EXPECT_EQ(::pclose(pipe), 0) << output;
    EXPECT_EQ(output, "ok\n");

    const CliResult search = RunCli(data_, {"export", "--search", "quoted", "--json"});
    ASSERT_EQ(search.status, 0) << search.err;
    const Json hits = Json::parse(search.out);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0]["name"], "comma, \"quoted\".txt");
    EXPECT_EQ(RunCli(data_, {"export", cd}).status, 2);
    EXPECT_EQ(RunCli(data_, {"export", "--csv"}).status, 2);
}

// A path from the folder of its tree on ("one/a.txt"): the catalogue tells paths from the root of
// the volume, which need not be "/".
std::string TreeTail(const std::string& path) {
    size_t at = std::string::npos;
    for (const char* tree : {"/one/", "/two/", "/three/"}) {
        const size_t p = path.rfind(tree);
        if (p != std::string::npos && (at == std::string::npos || p > at)) at = p;
    }
    return at == std::string::npos ? path : path.substr(at + 1);
}

// What a script finds: files of the trees grouped by `xxhsum -H2`, as sorted lists of paths.
std::set<std::set<std::string>> ScriptHashGroups(const std::vector<std::string>& trees) {
    std::string command = "find";
    for (const std::string& t : trees) command += " " + ShellQuote(t);
    command += " -type f -print0 | xargs -0 xxhsum -H2";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::map<std::string, std::set<std::string>> byHash;
    char line[8192];
    while (pipe && std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        const size_t gap = text.find("  ");
        if (gap != std::string::npos) byHash[text.substr(0, gap)].insert(TreeTail(text.substr(gap + 2)));
    }
    if (pipe) ::pclose(pipe);
    std::set<std::set<std::string>> groups;
    for (auto& [hash, paths] : byHash) {
        if (paths.size() > 1) groups.insert(paths);
    }
    return groups;
}

TEST_F(CompareCommandsTest, RecordedHashesFindDuplicatesByContentAndChangesBehindTheCataloguesBack) {
    // Same contents under other names, and same names and sizes with other contents.
    Write(dir_.File("three/copy of a.txt"), "same");
    Write(dir_.File("three/deep/b.txt"), "bbbbbb");
    Write(dir_.File("three/a.txt"), "SAME");
    Write(dir_.File("three/unique.bin"), std::string(70000, 'u'));
    const std::string three = Scan("three");
    const CliResult none = RunCli(data_, {"duplicates", "--by", "hash", "--json"});
    EXPECT_EQ(Json::parse(none.out).size(), 0u) << "no hashes recorded yet";
    EXPECT_NE(none.err.find("--hashes"), std::string::npos) << none.err;

    for (const std::string* cd : {&one_, &two_}) {
        const CliResult r = RunCli(data_, {"rescan", *cd, "--hashes"});
        ASSERT_EQ(r.status, 0) << r.err;
        *const_cast<std::string*>(cd) = LastLine(r.out);
    }
    const CliResult hashed = RunCli(data_, {"rescan", three, "--hashes"});
    ASSERT_EQ(hashed.status, 0) << hashed.err;
    const std::string threeHashed = LastLine(hashed.out);

    const CliResult dup = RunCli(data_, {"duplicates", "--by", "hash", "--json"});
    ASSERT_EQ(dup.status, 0) << dup.err;
    std::map<int64_t, std::set<std::string>> byGroup;
    for (const Json& row : Json::parse(dup.out)) {
        EXPECT_EQ(row["hash"].get<std::string>().size(), 32u);
        byGroup[row["group"].get<int64_t>()].insert(TreeTail(row["path"].get<std::string>()));
    }
    std::set<std::set<std::string>> found;
    for (auto& [group, paths] : byGroup) found.insert(paths);
    EXPECT_EQ(found.size(), 2u);
    EXPECT_EQ(found, ScriptHashGroups({dir_.File("one"), dir_.File("two"), dir_.File("three")}));

    // A file rewritten with the same size and date keeps its recorded hash on a rescan (nothing
    // a rescan looks at changed), and verify reads what it holds now.
    const std::string path = dir_.File("one/a.txt");
    const fs::file_time_type when = fs::last_write_time(path);
    Write(path, "SaMe");
    fs::last_write_time(path, when);
    const CliResult again = RunCli(data_, {"rescan", one_});
    ASSERT_EQ(again.status, 0) << again.err;
    const std::string oneAgain = LastLine(again.out);
    const CliResult verify = RunCli(data_, {"verify", oneAgain, "--json"});
    EXPECT_EQ(verify.status, 1) << verify.err;
    const Json report = Json::parse(verify.out);
    ASSERT_EQ(report["findings"].size(), 1u) << verify.out;
    EXPECT_EQ(report["findings"][0]["status"], "content_changed");
    EXPECT_EQ(report["findings"][0]["path"], "a.txt");
    EXPECT_EQ(report["files_hashed"], 3);

    // Two discs compared by their recorded hashes: a.txt has other contents on "three".
    const CliResult cmp = RunCli(data_, {"compare", oneAgain, threeHashed, "--json"});
    EXPECT_EQ(cmp.status, 1);
    bool contentChange = false;
    for (const Json& row : Json::parse(cmp.out)) {
        if (row["path"] == "a.txt") contentChange = row["changes"].get<std::string>().find("hash") != std::string::npos;
    }
    EXPECT_TRUE(contentChange) << cmp.out;
}

}  // namespace
