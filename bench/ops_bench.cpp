// Search, listing and compaction speed against grep and cp. Builds a seeded catalogue of one
// million files by default (20 CDs of folders of photo, music, document and source files, some
// with notes) through the store's own append operations, writes the same file names one per line,
// then times on the warm files, the best of --runs each, the commands taking turns:
//   karvio-cli --data CAT search RARE > hits         against   grep -c -i RARE names.txt
//   karvio-cli --data CAT search COMMON > hits       against   grep -c -i COMMON names.txt
//   karvio-cli --data ONE tree 83 --json > out       against   karvio-cli --data ONE tree 83 > out
//   karvio-cli --data CAT --yes compact              against   cp CAT copy.cd
// RARE is a word found in about 0.1% of the file names and nowhere else, COMMON ("mp3") one in
// about a fifth of them (some 200,000 hits): the second pair shows what printing the hits costs
// beside finding them. ONE is a second catalogue with all the files on one CD, for the listing of
// a CD as JSON beside the text listing, with the peak memory of each. Prints the times, the
// ratios and the hit counts (which must agree). Compaction syncs its copy before it swaps it in;
// cp does not, so the time of cp followed by a sync of the copy is printed as well. Wall and CPU
// times both: on a machine shared with other work the CPU times vary less.
//
// Usage: ops_bench [--files N] [--seed N] [--dir DIR] [--cli PATH] [--runs N] [--keep]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "ProgramInfo.h"
#include "TransferRecords.h"
#include "classData.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using karvio::classData;

struct Options {
    long files = 1000000;
    unsigned seed = 20240601;
    std::string dir;
    std::string cli;
    int runs = 7;
    bool keep = false;
};

constexpr const char* kNeedle = "zephyr";  // appears in ~0.1% of file names only
constexpr const char* kCommonNeedle = "mp3";  // ~20% of file names, in no directory name or note
constexpr double kNeedleShare = 0.001;
constexpr int kCds = 20;
constexpr int32_t kFirstCdId = 83;  // the first record after the header of a new catalogue

constexpr std::array kWords = {
    "alpha",   "budget",  "summer",  "garden",  "invoice", "meeting", "draft",   "final",  "river",
    "mountain", "beach",  "family",  "birthday", "report", "notes",   "scan",    "letter", "table",
    "project", "release", "backup",  "holiday", "concert", "lecture", "chapter", "travel", "winter",
    "autumn",  "spring",  "kitchen", "office",  "school",  "museum",  "harbour", "castle", "forest"};
constexpr std::array kDirWords = {
    "Photos", "Music", "Documents", "Projects", "Archive", "Work", "Private", "Scans", "Video",
    "Books", "Source", "Misc", "Old", "New", "Shared", "Downloads", "Albums", "Taxes", "Letters"};
constexpr std::array kExtensions = {".jpg", ".JPG", ".png", ".mp3", ".flac", ".pdf", ".docx", ".txt",
                                    ".cpp", ".h",   ".odt", ".xlsx", ".mkv", ".zip", ".html"};

class Generator {
public:
    Generator(unsigned seed, long files) : filesLeft_(files), rng_(seed) {}

    std::string FileName() {
        std::uniform_int_distribution<int> kind(0, 5);
        char buf[128];
        std::string word1 = Word(), word2 = Word();
        switch (kind(rng_)) {
            case 0:
                std::snprintf(buf, sizeof buf, "IMG_%04d%02d%02d_%06d.jpg", Int(2001, 2023), Int(1, 12), Int(1, 28),
                              Int(0, 235959));
                return Maybe(buf);
            case 1:
                std::snprintf(buf, sizeof buf, "%02d - %s %s.mp3", Int(1, 24), Capital(word1).c_str(),
                              Capital(word2).c_str());
                return buf;
            case 2:
                std::snprintf(buf, sizeof buf, "%s-%s-%d%s", word1.c_str(), word2.c_str(), Int(1995, 2024),
                              Extension());
                return buf;
            case 3:
                std::snprintf(buf, sizeof buf, "DSC%05d.JPG", Int(0, 99999));
                return Maybe(buf);
            case 4: return word1 + "_" + word2 + Extension();
            default:
                std::snprintf(buf, sizeof buf, "%s %s notes %d%s", Capital(word1).c_str(), word2.c_str(),
                              Int(1, 99), Extension());
                return buf;
        }
    }

    std::string DirName() {
        std::string name = kDirWords[static_cast<size_t>(Int(0, kDirWords.size() - 1))];
        if (Int(0, 2) == 0) name += " " + std::to_string(Int(1990, 2024));
        return name;
    }

    std::string Notes() {
        return Int(0, 49) == 0 ? "checked " + std::to_string(Int(1, 31)) + "." + std::to_string(Int(1, 12)) +
                                     ", copy on shelf " + std::to_string(Int(1, 9))
                               : std::string();
    }

    int Int(long lo, long hi) { return static_cast<int>(std::uniform_int_distribution<long>(lo, hi)(rng_)); }
    double Size() { return std::floor(std::exp(std::normal_distribution<double>(11.0, 2.0)(rng_))); }

    long filesLeft_;
    std::vector<std::string> names;

private:
    std::string Word() {
        if (std::uniform_real_distribution<double>(0, 1)(rng_) < kNeedleShare / 2) return kNeedle;
        return kWords[static_cast<size_t>(Int(0, kWords.size() - 1))];
    }
    static std::string Capital(std::string s) {
        if (!s.empty()) s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
        return s;
    }
    const char* Extension() { return kExtensions[static_cast<size_t>(Int(0, kExtensions.size() - 1))]; }
    // Numbered photo names get the word too now and then, so every kind of name can hold it.
    std::string Maybe(const char* name) {
        if (std::uniform_real_distribution<double>(0, 1)(rng_) < kNeedleShare) {
            return std::string(name).insert(4, std::string("_") + kNeedle);
        }
        return name;
    }

    std::mt19937_64 rng_;
};

struct Totals {
    double bytes = 0;
    int32_t dirs = 0, files = 0;
};

// Appends one directory, its files, then its subdirectories, the way the scan does, and writes
// the directory's totals once its subtree is known.
Totals AddTree(classData& data, Generator& gen, int32_t cdId, const std::string& name, const std::string& path,
               int depth, long budget) {
    karvio::DirInfo dir;
    dir.DirName = name;
    dir.DirPath = path;
    dir.DirAttr = 16;
    dir.DirSize = -1;
    dir.DirDate = 40000 + gen.Int(0, 5500);
    dir.DirNotes = gen.Int(0, 99) == 0 ? "box " + std::to_string(gen.Int(1, 40)) : "";
    const int32_t dirId = karvio::AddDirInfo(data, dir);
    data.GetCdGoto(cdId).GetDirGoto(dirId).GetFileAppendStart();
    Totals totals;
    const long direct = depth >= 6 ? budget : std::min<long>(budget, gen.Int(5, 40));
    for (long i = 0; i < direct && gen.filesLeft_ > 0; ++i, --gen.filesLeft_) {
        karvio::FileInfo file;
        file.FileName = gen.FileName();
        file.FileNotes = gen.Notes();
        file.FileSize = gen.Size();
        file.FileDate = 40000 + gen.Int(0, 5500) + gen.Int(0, 86399) / 86400.0;
        file.FileAttr = gen.Int(0, 9) == 0 ? 1 : 0;
        karvio::AddFileInfo(data, file);
        gen.names.push_back(file.FileName);
        totals.bytes += file.FileSize;
        ++totals.files;
    }
    data.GetCdGoto(cdId).GetDirGoto(0).GetFileAppendFinish();
    const int32_t directFiles = totals.files;
    long rest = budget - direct;
    const std::string full = name.empty() ? std::string() : (path == "\\" ? name : path + "\\" + name);
    int index = 0;
    while (rest > 0 && gen.filesLeft_ > 0 && depth < 6) {
        const long share = depth == 0 ? std::max<long>(rest / 8, 1) : std::max<long>(rest / gen.Int(2, 5), 1);
        const std::string child = gen.DirName() + " " + std::to_string(++index);
        const Totals sub = AddTree(data, gen, cdId, child, full.empty() ? "\\" : full, depth + 1, share);
        totals.bytes += sub.bytes;
        totals.files += sub.files;
        totals.dirs += sub.dirs + 1;
        rest -= share;
    }
    data.GetCdGoto(cdId).GetDirGoto(dirId).updateDirSize(-totals.bytes, totals.dirs, totals.files, directFiles);
    return totals;
}

void Generate(const std::string& catalogue, const std::string& listing, const Options& o, int cds = kCds) {
    fs::remove(catalogue);
    Generator gen(o.seed, o.files);
    {
        classData data(catalogue);
        for (int c = 0; c < cds && gen.filesLeft_ > 0; ++c) {
            karvio::CdInfo cd;
            cd.CdName = "Disc " + std::to_string(c + 1);
            cd.CdLabel = "DISC_" + std::to_string(c + 1);
            cd.CdBasepath = "/media/disc" + std::to_string(c + 1);
            cd.CdMediaType = 5;
            cd.CdLastScanned = 45000.5 + c;
            const int32_t cdId = karvio::AddCdInfo(data, cd);
            const long budget = gen.filesLeft_ / (cds - c);
            const Totals t = AddTree(data, gen, cdId, "", "\\", 0, budget);
            data.GetCdCommit(cdId);
            karvio::CdInfo done = karvio::ReadCdInfo(data, cdId);
            done.CdTotalSize = t.bytes;
            done.CdNumOfFiles = t.files;
            done.CdNumOfSubdirs = t.dirs;
            karvio::UpdateCdInfo(data, done);
        }
    }
    if (listing.empty()) return;
    std::ofstream out(listing, std::ios::binary | std::ios::trunc);
    for (const std::string& name : gen.names) out << name << '\n';
}

// Generate in a child process: a spawned command's peak memory (ru_maxrss) starts from its
// parent's size at the spawn, so the benchmark itself stays small.
void GenerateApart(const std::string& catalogue, const std::string& listing, const Options& o, int cds = kCds) {
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid == 0) {
        Generate(catalogue, listing, o, cds);
        std::fflush(stdout);
        ::_exit(0);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "generating %s failed\n", catalogue.c_str());
        std::exit(1);
    }
}

struct Timing {
    double wall = 0;  // seconds
    double cpu = 0;   // user + system seconds of the child
    long peakKb = 0;  // the child's largest resident set
};

// Runs `argv` with stdout to `out`; returns its wall and CPU time.
Timing Run(const std::vector<std::string>& argv, const std::string& out) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        std::fprintf(stderr, "cannot run %s\n", args[0]);
        std::exit(1);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    Timing t;
    t.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    t.cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    t.peakKb = usage.ru_maxrss;
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", args[0]);
        std::exit(1);
    }
    return t;
}

// The best wall and the best CPU time of `runs` runs after a warm-up run, of the commands run
// one after the other.
// The best of `runs` timings of each command list, the lists taking turns so that a slow spell of
// the machine falls on all of them alike.
std::vector<Timing> BestEach(int runs, const std::vector<std::vector<std::vector<std::string>>>& lists,
                             const std::vector<std::string>& outs) {
    auto once = [&](size_t which) {
        Timing sum;
        for (const auto& argv : lists[which]) {
            const Timing t = Run(argv, outs[which]);
            sum.wall += t.wall;
            sum.cpu += t.cpu;
            sum.peakKb = std::max(sum.peakKb, t.peakKb);
        }
        return sum;
    };
    for (size_t which = 0; which < lists.size(); ++which) once(which);  // warm-up
    std::vector<Timing> best(lists.size(), Timing{1e9, 1e9});
    for (int i = 0; i < runs; ++i) {
        for (size_t which = 0; which < lists.size(); ++which) {
            const Timing t = once(which);
            best[which].wall = std::min(best[which].wall, t.wall);
            best[which].cpu = std::min(best[which].cpu, t.cpu);
            best[which].peakKb = std::max(best[which].peakKb, t.peakKb);
        }
    }
    return best;
}

void PrintComparison(const char* what, const char* ours, const Timing& a, const char* theirs, const Timing& b) {
    std::printf("%-8s %-24s wall %.3f s  cpu %.3f s\n", what, ours, a.wall, a.cpu);
    std::printf("%-8s %-24s wall %.3f s  cpu %.3f s\n", "", theirs, b.wall, b.cpu);
    std::printf("%-8s ratio                    wall %.2f    cpu %.2f\n", "", a.wall / b.wall, a.cpu / b.cpu);
}

std::string FirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

long CountLines(const std::string& path) {
    std::ifstream in(path);
    return std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n');
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--files") o.files = std::stol(next());
        else if (a == "--seed") o.seed = static_cast<unsigned>(std::stoul(next()));
        else if (a == "--dir") o.dir = next();
        else if (a == "--cli") o.cli = next();
        else if (a == "--runs") o.runs = std::stoi(next());
        else if (a == "--keep") o.keep = true;
        else {
            std::fprintf(stderr, "usage: ops_bench [--files N] [--seed N] [--dir DIR] [--cli PATH] [--runs N] [--keep]\n");
            std::exit(2);
        }
    }
    if (o.cli.empty()) o.cli = karvio::ProgramDirectory() + "/karvio-cli";
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = Parse(argc, argv);
    std::string dir = o.dir;
    if (dir.empty()) {
        std::string pattern = (fs::temp_directory_path() / "karvio-ops-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) return 1;
        dir = pattern;
    }
    fs::create_directories(dir);
    const std::string catalogue = dir + "/bench.cd";
    const std::string listing = dir + "/names.txt";
    const std::string copy = dir + "/copy.cd";
    const std::string hits = dir + "/hits.txt";

    const auto t0 = std::chrono::steady_clock::now();
    GenerateApart(catalogue, listing, o);
    const double generated = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("catalogue: %s, %ld files, %lld bytes (generated in %.2f s)\n", catalogue.c_str(),
                CountLines(listing),
                static_cast<long long>(fs::file_size(catalogue)), generated);
    std::printf("listing:   %s, %lld bytes\n", listing.c_str(), static_cast<long long>(fs::file_size(listing)));

    const std::vector<std::string> search = {o.cli, "--data", catalogue, "search", kNeedle};
    const std::vector<std::string> grep = {"grep", "-c", "-i", kNeedle, listing};
    // Both write to a file: GNU grep stops at the first match when its output is /dev/null.
    const std::vector<Timing> searchTimes = BestEach(o.runs, {{search}, {grep}}, {hits, dir + "/grep.txt"});
    const Timing tSearch = searchTimes[0], tGrep = searchTimes[1];
    std::printf("search \"%s\": %ld hits, grep counts %s\n", kNeedle, CountLines(hits),
                FirstLine(dir + "/grep.txt").c_str());
    PrintComparison("search", "karvio-cli search", tSearch, "grep -c -i", tGrep);

    const std::vector<std::string> common = {o.cli, "--data", catalogue, "search", kCommonNeedle};
    const std::vector<std::string> grepCommon = {"grep", "-c", "-i", kCommonNeedle, listing};
    const std::vector<Timing> commonTimes = BestEach(o.runs, {{common}, {grepCommon}}, {hits, dir + "/grep.txt"});
    std::printf("search \"%s\": %ld hits, grep counts %s\n", kCommonNeedle, CountLines(hits),
                FirstLine(dir + "/grep.txt").c_str());
    PrintComparison("search", "karvio-cli search", commonTimes[0], "grep -c -i", commonTimes[1]);
    std::printf("%-8s printing the hits beside finding the rare word: %.3f s cpu more\n", "",
                commonTimes[0].cpu - tSearch.cpu);

    // One CD of all the files: its listing as JSON beside the text listing.
    const std::string oneCd = dir + "/one.cd";
    GenerateApart(oneCd, "", o, 1);
    const std::string cdId = std::to_string(kFirstCdId);
    const std::vector<std::string> treeText = {o.cli, "--data", oneCd, "tree", cdId};
    const std::vector<std::string> treeJson = {o.cli, "--data", oneCd, "tree", cdId, "--json"};
    const std::vector<Timing> treeTimes =
        BestEach(o.runs, {{treeJson}, {treeText}}, {dir + "/tree.json", dir + "/tree.txt"});
    std::printf("tree: one CD of %ld files, %lld bytes of JSON, %lld bytes of text\n", o.files,
                static_cast<long long>(fs::file_size(dir + "/tree.json")),
                static_cast<long long>(fs::file_size(dir + "/tree.txt")));
    PrintComparison("tree", "karvio-cli tree --json", treeTimes[0], "karvio-cli tree", treeTimes[1]);
    std::printf("%-8s peak memory: --json %ld KB, text %ld KB\n", "", treeTimes[0].peakKb, treeTimes[1].peakKb);

    const std::vector<std::string> compact = {o.cli, "--data", catalogue, "--yes", "compact"};
    const std::vector<std::string> cp = {"cp", catalogue, copy};
    const std::vector<std::string> sync = {"sync", copy};
    const std::vector<Timing> compactTimes =
        BestEach(o.runs, {{compact}, {cp}, {cp, sync}}, {"/dev/null", "/dev/null", "/dev/null"});
    const Timing tCompact = compactTimes[0], tCp = compactTimes[1], tCpSync = compactTimes[2];
    std::printf("compact: %lld bytes after\n", static_cast<long long>(fs::file_size(catalogue)));
    PrintComparison("compact", "karvio-cli compact", tCompact, "cp", tCp);
    PrintComparison("", "karvio-cli compact", tCompact, "cp; sync FILE", tCpSync);

    if (!o.keep) {
        std::error_code ec;
        for (const char* f : {"/bench.cd", "/bench.bak", "/names.txt", "/copy.cd", "/hits.txt", "/grep.txt", "/one.cd",
                              "/tree.json", "/tree.txt"}) {
            fs::remove(dir + f, ec);
        }
        if (o.dir.empty()) fs::remove(dir, ec);
    }
    return 0;
}
