// Scan speed against find: generates a seeded tree of files (200,000 files in 20,000 directories
// by default, names like those of real photo, music, document and source folders, sparse files
// of realistic sizes and dates), then times on the same warm tree
//   find PATH -xdev -printf '%s %T@ %m %p\n' > /dev/null
//   karvio-cli --data <temporary>.cd scan PATH
// best of three each, and prints both times, their ratio and the scan's peak resident memory.
//
// Usage: scan_bench [--dir DIR] [--files N] [--dirs N] [--seed N] [--cli PATH] [--runs N]
// Without --dir the tree is made once under the temporary directory and reused by later runs.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "BenchHelp.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Options {
    std::string dir;
    std::string cli;
    long files = 200000;
    long dirs = 20000;
    unsigned seed = 20240601;
    int runs = 3;
};

const std::array<const char*, 40> kWords = {
    "Holiday", "photos", "Summer", "report", "final", "draft", "Music", "Album", "live", "Backup",
    "invoice", "notes", "project", "src", "include", "docs", "old", "New Folder", "Copy of", "scan",
    "Garden", "Birthday", "meeting", "budget", "Lecture", "chapter", "data", "assets", "icons", "build",
    "Ärger", "café", "Müller", "日本語", "фото", "résumé", "2019", "2020", "misc", "readme"};
const std::array<const char*, 24> kExtensions = {
    ".jpg", ".JPG", ".png", ".mp3", ".flac", ".pdf", ".docx", ".txt", ".c", ".h", ".cpp", ".py",
    ".html", ".css", ".js", ".zip", ".iso", ".mkv", ".mp4", ".odt", ".xlsx", ".md", ".json", ""};

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    std::string DirName() {
        switch (Pick(4)) {
            case 0: return Word() + " " + std::to_string(1990 + Pick(35));
            case 1: return Word();
            case 2: return Word() + "_" + Word();
            default: return std::to_string(1990 + Pick(35)) + "-" + Two(1 + Pick(12)) + " " + Word();
        }
    }

    std::string FileName() {
        const char* ext = kExtensions[Pick(kExtensions.size())];
        switch (Pick(5)) {
            case 0: return "IMG_" + std::to_string(1000 + Pick(9000)) + ext;
            case 1: return Word() + " (" + std::to_string(1 + Pick(9)) + ")" + ext;
            case 2: return Word() + "-" + Word() + ext;
            case 3: return Word() + "_" + std::to_string(Pick(100000)) + ext;
            default: return (Pick(10) == 0 ? "." : "") + Word() + ext;
        }
    }

    // Mostly small files, some large ones (sizes are sparse, so they take no space).
    off_t Size() {
        std::lognormal_distribution<double> dist(9.0, 2.5);
        return static_cast<off_t>(std::min(dist(rng_), 8.0e9));
    }

    time_t Date() { return 946684800 + static_cast<time_t>(Pick(25u * 365 * 86400)); }

    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }

private:
    std::string Word() { return kWords[Pick(kWords.size())]; }
    static std::string Two(size_t n) { return (n < 10 ? "0" : "") + std::to_string(n); }

    std::mt19937_64 rng_;
};

bool Generate(const Options& o) {
    std::printf("generating %ld files in %ld directories under %s ...\n", o.files, o.dirs, o.dir.c_str());
    std::fflush(stdout);
    Generator gen(o.seed);
    std::error_code ec;
    fs::remove_all(o.dir, ec);
    fs::create_directories(o.dir, ec);
    if (ec) return false;
    std::vector<std::string> dirs{o.dir};
    dirs.reserve(static_cast<size_t>(o.dirs) + 1);
    while (static_cast<long>(dirs.size()) <= o.dirs) {
        // Parents drawn from the later half now and then make deep branches as well as broad ones.
        const size_t parent = gen.Pick(3) == 0 ? dirs.size() / 2 + gen.Pick((dirs.size() + 1) / 2) : gen.Pick(dirs.size());
        const std::string path = dirs[std::min(parent, dirs.size() - 1)] + "/" + gen.DirName();
        if (::mkdir(path.c_str(), 0755) == 0) dirs.push_back(path);
    }
    long made = 0;
    while (made < o.files) {
        const std::string path = dirs[gen.Pick(dirs.size())] + "/" + gen.FileName();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) continue;  // the name was drawn twice in one directory
        const bool ok = ::ftruncate(fd, gen.Size()) == 0;
        ::close(fd);
        const timespec times[2] = {{gen.Date(), 0}, {gen.Date(), 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
        if (!ok) return false;
        ++made;
    }
    for (size_t i = dirs.size(); i-- > 1;) {
        const timespec times[2] = {{gen.Date(), 0}, {gen.Date(), 0}};
        ::utimensat(AT_FDCWD, dirs[i].c_str(), times, 0);
    }
    return true;
}

struct RunResult {
    double seconds = 0;
    long maxRssKb = 0;
    int status = -1;
};

// Runs `argv` with stdout and stderr sent to /dev/null; wall time and the child's peak memory.
RunResult Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    RunResult result;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return result;
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.maxRssKb = usage.ru_maxrss;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

std::string DefaultCli() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return (self.parent_path() / "karvio-cli").string();
}

}  // namespace

int main(int argc, char** argv) {
    AnswerHelp(argc, argv,
               "usage: scan_bench [--dir DIR] [--files N] [--dirs N] [--seed N] [--cli PATH] [--runs N]\n"
               "karvio-cli scan of a generated tree against find, with the peak memory.\n");
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i], value = argv[i + 1];
        if (key == "--dir") o.dir = value;
        else if (key == "--files") o.files = std::atol(value.c_str());
        else if (key == "--dirs") o.dirs = std::atol(value.c_str());
        else if (key == "--seed") o.seed = static_cast<unsigned>(std::atol(value.c_str()));
        else if (key == "--cli") o.cli = value;
        else if (key == "--runs") o.runs = std::max(1, std::atoi(value.c_str()));
        else {
            std::fprintf(stderr, "unknown option %s\n", key.c_str());
            return 2;
        }
    }
    if (o.cli.empty()) o.cli = DefaultCli();
    if (o.dir.empty()) {
        o.dir = (fs::temp_directory_path() / ("karvio-scan-bench-" + std::to_string(o.seed) + "-" +
                                              std::to_string(o.files) + "-" + std::to_string(o.dirs)))
                    .string();
    }
    const std::string marker = o.dir + ".complete";
    if (!fs::exists(marker)) {
        if (!Generate(o)) {
            std::fprintf(stderr, "cannot generate the tree in %s\n", o.dir.c_str());
            return 1;
        }
        std::FILE* f = std::fopen(marker.c_str(), "w");
        if (f) std::fclose(f);
    }
    const std::string catalogue = (fs::temp_directory_path() / ("karvio-scan-bench-" + std::to_string(::getpid()) + ".cd")).string();
    const std::vector<std::string> find = {"find", o.dir, "-xdev", "-printf", "%s %T@ %m %p\n"};
    const std::vector<std::string> scan = {o.cli, "--data", catalogue, "scan", o.dir};

    // Warm both (the tree's inodes and the programs' libraries), then take the best of each.
    Run(find);
    fs::remove(catalogue);
    if (Run(scan).status != 0) {
        std::fprintf(stderr, "the scan failed: %s\n", o.cli.c_str());
        return 1;
    }
    RunResult bestFind, bestScan;
    bestFind.seconds = bestScan.seconds = 1e30;
    for (int i = 0; i < o.runs; ++i) {
        const RunResult f = Run(find);
        if (f.seconds < bestFind.seconds) bestFind = f;
        fs::remove(catalogue);
        const RunResult s = Run(scan);
        if (s.seconds < bestScan.seconds) bestScan = s;
        bestScan.maxRssKb = std::max(bestScan.maxRssKb, s.maxRssKb);
    }
    std::error_code ec;
    const auto catalogueSize = fs::file_size(catalogue, ec);
    fs::remove(catalogue, ec);
    std::printf("tree         %s (%ld files, %ld directories, seed %u)\n", o.dir.c_str(), o.files, o.dirs, o.seed);
    std::printf("find         %.3f s (best of %d)\n", bestFind.seconds, o.runs);
    std::printf("scan         %.3f s (best of %d), catalogue %llu bytes\n", bestScan.seconds, o.runs,
                static_cast<unsigned long long>(catalogueSize));
    std::printf("ratio        %.2f (scan / find)\n", bestScan.seconds / bestFind.seconds);
    std::printf("scan peak RSS %ld KiB\n", bestScan.maxRssKb);
    return 0;
}
