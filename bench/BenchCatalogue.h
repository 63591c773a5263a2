// The seeded one-million-file catalogue, its names list and the timing of a command, shared by
// the benchmarks that compare the program with grep and with karvio-cli.
#pragma once

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
constexpr const char* kNeedleIk = "whisky";  // as rare, with the letters i and k
constexpr const char* kCommonNeedle = "mp3";  // ~20% of file names, in no directory name or note
constexpr double kNeedleShare = 0.001;
constexpr int kCds = 20;
constexpr int32_t kFirstCdId = 83;  // the first record after the header of a new catalogue

constexpr const char* kCommonInNeedle = "in";  // in about a fifth of the names, ASCII and not
// A quarter of the words are not ASCII (accented, composed and decomposed, other scripts), as in
// a collection of music and photos from several countries.
constexpr std::array kWords = {
    "alpha",   "budget",  "summer",  "garden",  "invoice", "meeting", "draft",   "final",  "river",
    "mountain", "beach",  "family",  "birthday", "report", "notes",   "scan",    "letter", "table",
    "project", "release", "backup",  "holiday", "concert", "lecture", "chapter", "travel", "winter",
    "autumn",  "spring",  "kitchen", "office",  "school",  "museum",  "harbour", "castle", "forest",
    "caf\xC3\xA9", "M\xC3\xBCller", "Stra\xC3\x9F" "e", "re\xCC\x81sume\xCC\x81", "na\xC3\xAFve",
    "\xC3\x86r\xC3\xB8", "\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE", "\xE6\x97\xA5\xE6\x9C\xAC",
    "ni\xC3\xB1o", "\xC3\x85sa", "\xC5\x81\xC3\xB3" "d\xC5\xBA", "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1"};
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
        const double roll = std::uniform_real_distribution<double>(0, 1)(rng_);
        if (roll < kNeedleShare / 4) return kNeedle;
        if (roll < kNeedleShare / 2) return kNeedleIk;
        return kWords[static_cast<size_t>(Int(0, kWords.size() - 1))];
    }
    static std::string Capital(std::string s) {
        if (!s.empty()) s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
        return s;
    }
    const char* Extension() { return kExtensions[static_cast<size_t>(Int(0, kExtensions.size() - 1))]; }
    // Numbered photo names get the word too now and then, so every kind of name can hold it.
    std::string Maybe(const char* name) {
        const double roll = std::uniform_real_distribution<double>(0, 1)(rng_);
        if (roll < kNeedleShare) return std::string(name).insert(4, std::string("_") + (roll < kNeedleShare / 2 ? kNeedle : kNeedleIk));
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
[[maybe_unused]] void GenerateApart(const std::string& catalogue, const std::string& listing, const Options& o, int cds = kCds) {
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
[[maybe_unused]] Timing Run(const std::vector<std::string>& argv, const std::string& out) {
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

}  // namespace
