// compare_bench: the duplicates, the mounted catalogue and the reading of files, each beside the
// plain tool that does the same work on the same data, in the same run:
//   - karvio-cli duplicates over a catalogue of one million files on 20 discs, a tenth of them
//     copies of files on another disc, against `sort | uniq -d` over a listing of the same names
//     and sizes;
//   - karvio-cli scan --hashes and verify (both read every file and take its XXH3-128 hash)
//     against `xxhsum -H2` over the same files, warm cache for both: large files, then many
//     small ones, where what a file costs besides its bytes shows;
//   - `find MOUNTPOINT | wc -l` on the mounted catalogue against `find` over the real tree, and
//     `du -sb` on the mount against the catalogue's total.
// Prints figures; never fails on a time.
#include <sys/stat.h>

#include "BenchCatalogue.h"
#include "BenchHelp.h"

namespace {

constexpr const char* kUsage =
    "usage: compare_bench --cli PATH/karvio-cli [--dir DIR] [--files N] [--tree-files N] "
    "[--hash-mb N] [--keep]\n"
    "Times karvio-cli duplicates on a catalogue of N files (default 1000000, a tenth copied across "
    "discs)\n"
    "against sort | uniq -d, scan --hashes and verify against xxhsum -H2 on a tree of --hash-mb "
    "MB\n"
    "(default 512) and on a tree of --tree-files small files (default 100000), and find over the "
    "mounted\n"
    "catalogue of that tree against find over the tree itself.\n";

struct Extra {
    long treeFiles = 100000;
    long hashMb = 512;
};

// A catalogue of `files` files on kCds discs; a tenth of the files are copies (same name and
// size) of a file on an earlier disc. Writes "name\tsize" of every file to `listing`.
void GenerateWithCopies(const std::string& catalogue, const std::string& listing, long files,
                        unsigned seed) {
    fs::remove(catalogue);
    std::mt19937 rng(seed);
    std::vector<std::pair<std::string, double>> made;
    made.reserve(static_cast<size_t>(files));
    std::ofstream list(listing, std::ios::binary | std::ios::trunc);
    classData data(catalogue);
    long left = files;
    for (int c = 0; c < kCds; ++c) {
        karvio::CdInfo cd;
        cd.CdName = "Disc " + std::to_string(c + 1);
        cd.CdBasepath = "/media/disc" + std::to_string(c + 1);
        cd.CdMediaType = 5;
        const int32_t cdId = karvio::AddCdInfo(data, cd);
        const long budget = left / (kCds - c);
        const size_t before = made.size();
        karvio::DirInfo root;
        root.DirPath = "\\";
        root.DirAttr = 16;
        const int32_t rootId = karvio::AddDirInfo(data, root);
        data.GetCdGoto(cdId).GetDirGoto(rootId).GetFileAppendStart();
        data.GetCdGoto(cdId).GetDirGoto(0).GetFileAppendFinish();
        double total = 0;
        for (long i = 0; i < budget; i += 50) {
            karvio::DirInfo dir;
            dir.DirName = "folder " + std::to_string(i / 50);
            dir.DirPath = "\\";
            dir.DirAttr = 16;
            const int32_t dirId = karvio::AddDirInfo(data, dir);
            data.GetCdGoto(cdId).GetDirGoto(dirId).GetFileAppendStart();
            double bytes = 0;
            for (long k = i; k < std::min(budget, i + 50); ++k) {
                karvio::FileInfo file;
                if (before > 0 && std::uniform_int_distribution<int>(0, 9)(rng) == 0) {
                    const auto& copy =
                        made[std::uniform_int_distribution<size_t>(0, before - 1)(rng)];
                    file.FileName = copy.first;
                    file.FileSize = copy.second;
                } else {
                    file.FileName = "file " + std::to_string(made.size()) + " " +
                                    kWords[rng() % kWords.size()] +
                                    kExtensions[rng() % kExtensions.size()];
                    file.FileSize =
                        std::floor(std::exp(std::normal_distribution<double>(11.0, 2.0)(rng)));
                }
                file.FileDate = 40000 + (rng() % 5500);
                karvio::AddFileInfo(data, file);
                made.emplace_back(file.FileName, file.FileSize);
                list << file.FileName << '\t' << static_cast<long long>(file.FileSize) << '\n';
                bytes += file.FileSize;
            }
            data.GetCdGoto(cdId).GetDirGoto(0).GetFileAppendFinish();
            data.GetCdGoto(cdId).GetDirGoto(dirId).updateDirSize(
                -bytes, 0, static_cast<int32_t>(std::min(50L, budget - i)),
                static_cast<int32_t>(std::min(50L, budget - i)));
            total += bytes;
        }
        const auto folders = static_cast<int32_t>((budget + 49) / 50);
        data.GetCdGoto(cdId).GetDirGoto(rootId).updateDirSize(-total, folders,
                                                              static_cast<int32_t>(budget), 0);
        data.GetCdCommit(cdId);
        // The disc's totals, as a scan records them.
        karvio::CdInfo done = karvio::ReadCdInfo(data, cdId);
        done.CdTotalSize = total;
        done.CdNumOfFiles = static_cast<int32_t>(budget);
        done.CdNumOfSubdirs = folders;
        karvio::UpdateCdInfo(data, done);
        left -= budget;
    }
}

double Best(const std::vector<std::string>& argv, const std::string& out, int runs) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) best = std::min(best, Run(argv, out).wall);
    return best;
}

// The best times of two commands run in turns, so that a busy spell of the machine falls on both.
std::pair<double, double> BestInTurns(const std::vector<std::string>& first,
                                      const std::vector<std::string>& second,
                                      const std::string& out, int runs) {
    std::pair<double, double> best{1e9, 1e9};
    for (int i = 0; i < runs; ++i) {
        best.first = std::min(best.first, Run(first, out).wall);
        best.second = std::min(best.second, Run(second, out).wall);
    }
    return best;
}

// A shell command line that scans `folder` with hashes into a new catalogue `catalogue`.
std::vector<std::string> ScanWithHashes(const std::string& cli, const std::string& catalogue,
                                        const std::string& folder) {
    return {"sh", "-c",
            "rm -f '" + catalogue + "' '" + catalogue + ".db' && '" + cli + "' --data '" +
                catalogue + "' scan '" + folder + "' --hashes >/dev/null"};
}

// A tree of `files` small files in folders of 100, for the mount.
void MakeTree(const std::string& root, long files) {
    for (long i = 0; i < files; ++i) {
        const std::string dir = root + "/d" + std::to_string(i / 100);
        if (i % 100 == 0) fs::create_directories(dir);
        std::ofstream(dir + "/f" + std::to_string(i))
            << std::string(static_cast<size_t>(i % 300), 'x');
    }
}

// Files of 8 MB with bytes that do not repeat, `mb` MB in all.
void MakeHashTree(const std::string& root, long mb) {
    fs::create_directories(root);
    std::mt19937_64 rng(7);
    std::vector<uint64_t> block(1 << 20);
    for (long f = 0; f < mb / 8; ++f) {
        std::ofstream out(root + "/h" + std::to_string(f) + ".bin", std::ios::binary);
        for (auto& v : block) v = rng();
        out.write(reinterpret_cast<const char*>(block.data()),
                  static_cast<std::streamsize>(block.size() * 8));
    }
}

std::string LastLine(const std::string& path) {
    std::ifstream in(path);
    std::string line, last;
    while (std::getline(in, line)) last = line;
    return last;
}

}  // namespace

int main(int argc, char** argv) {
    AnswerHelp(argc, argv, kUsage);
    Options o;
    Extra x;
    o.runs = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--cli")
            o.cli = next();
        else if (a == "--dir")
            o.dir = next();
        else if (a == "--files")
            o.files = std::stol(next());
        else if (a == "--tree-files")
            x.treeFiles = std::stol(next());
        else if (a == "--hash-mb")
            x.hashMb = std::stol(next());
        else if (a == "--keep")
            o.keep = true;
    }
    if (o.cli.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (o.dir.empty()) o.dir = (fs::temp_directory_path() / "karvio-compare-bench").string();
    fs::create_directories(o.dir);
    const std::string cat = o.dir + "/dupes.cd", listing = o.dir + "/names-sizes.txt",
                      out = o.dir + "/out";

    std::printf("generating %ld files on %d discs, a tenth of them copies...\n", o.files, kCds);

    std::fflush(stdout);
    std::fflush(stdout);
    GenerateWithCopies(cat, listing, o.files, o.seed);
    const auto [dupes, sortUniq] =
        BestInTurns({o.cli, "--data", cat, "duplicates"},
                    {"sh", "-c", "LC_ALL=C sort '" + listing + "' | uniq -d"}, out, o.runs);
    std::printf(
        "duplicates by name and size, %ld files:  karvio-cli %.3f s   sort | uniq -d %.3f s   "
        "ratio %.2f\n",
        o.files, dupes, sortUniq, dupes / sortUniq);
    std::fflush(stdout);
    const double json = Best({o.cli, "--data", cat, "duplicates", "--json"}, out, o.runs);
    std::printf("  as --json: %.3f s\n", json);
    std::fflush(stdout);

    // Reading and hashing.
    const std::string hashTree = o.dir + "/hash-tree", treeCat = o.dir + "/tree.cd",
                      scanCat = o.dir + "/scan.cd";
    const std::string tree = o.dir + "/tree";
    fs::remove_all(hashTree);
    MakeHashTree(hashTree, x.hashMb);
    fs::remove_all(tree);
    MakeTree(tree, x.treeFiles);
    for (const char* end : {"", ".db", ".volumes"}) fs::remove(treeCat + end);
    Run({o.cli, "--data", treeCat, "scan", hashTree, "--name", "Hashes"}, out);
    const std::string hashCd = LastLine(out);
    Run({o.cli, "--data", treeCat, "scan", tree, "--name", "Tree"}, out);
    const std::string treeCd = LastLine(out);
    const std::vector<std::string> xxhLarge{"sh", "-c", "xxhsum -H2 '" + hashTree + "'/*"};
    Run(xxhLarge, out);  // warm for both
    const auto [scan, xxh] =
        BestInTurns(ScanWithHashes(o.cli, scanCat, hashTree), xxhLarge, out, o.runs);
    const double plainScan = Best({"sh", "-c",
                                   "rm -f '" + scanCat + "' && '" + o.cli + "' --data '" + scanCat +
                                       "' scan '" + hashTree + "' >/dev/null"},
                                  out, o.runs);
    const double verify = Best({o.cli, "--data", treeCat, "verify", hashCd, hashTree}, out, o.runs);
    // A new catalogue is written durably (synced) by every scan; what the hashes add is the
    // difference.
    std::printf(
        "reading and hashing %ld MB in files of 8 MB (warm):  karvio-cli scan --hashes %.3f s, "
        "without "
        "--hashes %.3f s, the hashes adding %.3f s   verify %.3f s   xxhsum -H2 %.3f s   ratios: "
        "scan %.2f, "
        "the hashes %.2f, verify %.2f\n",
        x.hashMb, scan, plainScan, scan - plainScan, verify, xxh, scan / xxh,
        (scan - plainScan) / xxh, verify / xxh);
    std::fflush(stdout);
    const std::vector<std::string> xxhSmall{
        "sh", "-c", "cd '" + tree + "' && find . -type f -print0 | xargs -0 xxhsum -H2"};
    Run(xxhSmall, out);
    const auto [scanSmall, xxhSmallTime] =
        BestInTurns(ScanWithHashes(o.cli, scanCat, tree), xxhSmall, out, o.runs);
    const double verifySmall =
        Best({o.cli, "--data", treeCat, "verify", treeCd, tree}, out, o.runs);
    std::printf(
        "reading and hashing %ld files of 0 to 299 bytes (warm):  karvio-cli scan --hashes %.3f s  "
        " verify "
        "%.3f s   find | xargs xxhsum -H2 %.3f s   ratios %.2f, %.2f\n",
        x.treeFiles, scanSmall, verifySmall, xxhSmallTime, scanSmall / xxhSmallTime,
        verifySmall / xxhSmallTime);
    std::fflush(stdout);

    // The mount.
    const std::string mnt = o.dir + "/mnt";
    fs::create_directories(mnt);
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        std::printf("no /dev/fuse: the mount is not measured\n");
        std::fflush(stdout);
    } else {
        const pid_t server = ::fork();
        if (server == 0) {
            ::execl(o.cli.c_str(), o.cli.c_str(), "--data", treeCat.c_str(), "mount", mnt.c_str(),
                    "--cd", treeCd.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        struct stat st {};
        for (int i = 0; i < 100 && !(::stat((mnt + "/d0").c_str(), &st) == 0); ++i) ::usleep(50000);
        const double findMount = Best({"sh", "-c", "find '" + mnt + "' | wc -l"}, out, o.runs);
        const std::string mountCount = LastLine(out);
        const double findTree = Best({"sh", "-c", "find '" + tree + "' | wc -l"}, out, o.runs);
        const std::string treeCount = LastLine(out);
        std::printf(
            "find | wc -l, %ld files:  on the mount %.3f s (%s entries)   on the tree %.3f s (%s "
            "entries)   ratio %.2f\n",
            x.treeFiles, findMount, mountCount.c_str(), findTree, treeCount.c_str(),
            findMount / findTree);
        std::fflush(stdout);
        Run({"du", "-sb", mnt}, out);
        const std::string duMount = LastLine(out);
        Run({o.cli, "--data", treeCat, "show", "cd", treeCd, "--json"}, out);
        std::ifstream shown(out);
        std::string text((std::istreambuf_iterator<char>(shown)), {});
        const size_t at = text.find("\"total\"");
        std::printf("du -sb on the mount: %s   the catalogue's total: %s\n", duMount.c_str(),
                    at == std::string::npos
                        ? "?"
                        : text.substr(at, text.find_first_of(",}", at) - at).c_str());
        std::fflush(stdout);
        Run({"fusermount3", "-u", mnt}, out);
        int status = 0;
        ::waitpid(server, &status, 0);
    }
    if (!o.keep) fs::remove_all(o.dir);
    return 0;
}
