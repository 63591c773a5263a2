// Search, listing and compaction speed against grep and cp. Builds a seeded catalogue of one
// million files by default (20 CDs of folders of photo, music, document and source files, some
// with notes) through the store's own append operations, writes the same file names one per line,
// then times on the warm files, the best of --runs each, the commands taking turns:
//   karvio-cli --data CAT search RARE > hits         against   grep -c -i RARE names.txt
//   karvio-cli --data CAT search COMMON > hits       against   grep -c -i COMMON names.txt
//   karvio-cli --data CAT search in (--json, --threads 1)   against   grep -c -i in names.txt
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
#include "BenchCatalogue.h"
#include "BenchHelp.h"

namespace {

// The best wall and the best CPU time of `runs` runs after a warm-up run, of the commands run
// one after the other.
// The best of `runs` timings of each command list, the lists taking turns so that a slow spell of
// the machine falls on all of them alike.
std::vector<Timing> BestEach(int runs,
                             const std::vector<std::vector<std::vector<std::string>>>& lists,
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

void PrintComparison(const char* what, const char* ours, const Timing& a, const char* theirs,
                     const Timing& b) {
    std::printf("%-8s %-24s wall %.3f s  cpu %.3f s\n", what, ours, a.wall, a.cpu);
    std::printf("%-8s %-24s wall %.3f s  cpu %.3f s\n", "", theirs, b.wall, b.cpu);
    std::printf("%-8s ratio                    wall %.2f    cpu %.2f\n", "", a.wall / b.wall,
                a.cpu / b.cpu);
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
        if (a == "--files")
            o.files = std::stol(next());
        else if (a == "--seed")
            o.seed = static_cast<unsigned>(std::stoul(next()));
        else if (a == "--dir")
            o.dir = next();
        else if (a == "--cli")
            o.cli = next();
        else if (a == "--runs")
            o.runs = std::stoi(next());
        else if (a == "--keep")
            o.keep = true;
        else {
            std::fprintf(stderr,
                         "usage: ops_bench [--files N] [--seed N] [--dir DIR] [--cli PATH] [--runs "
                         "N] [--keep]\n");
            std::exit(2);
        }
    }
    if (o.cli.empty()) o.cli = karvio::ProgramDirectory() + "/karvio-cli";
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    AnswerHelp(
        argc, argv,
        "usage: ops_bench [--files N] [--seed N] [--dir DIR] [--cli PATH] [--runs N] [--keep]\n"
        "karvio-cli search, tree and compact on a generated catalogue against grep, the text tree "
        "and cp.\n");
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
    const double generated =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("catalogue: %s, %ld files, %lld bytes (generated in %.2f s)\n", catalogue.c_str(),
                CountLines(listing), static_cast<long long>(fs::file_size(catalogue)), generated);
    std::printf("listing:   %s, %lld bytes\n", listing.c_str(),
                static_cast<long long>(fs::file_size(listing)));

    const std::vector<std::string> search = {o.cli, "--data", catalogue, "search", kNeedle};
    const std::vector<std::string> grep = {"grep", "-c", "-i", kNeedle, listing};
    // Both write to a file: GNU grep stops at the first match when its output is /dev/null.
    const std::vector<Timing> searchTimes =
        BestEach(o.runs, {{search}, {grep}}, {hits, dir + "/grep.txt"});
    const Timing tSearch = searchTimes[0], tGrep = searchTimes[1];
    std::printf("search \"%s\": %ld hits, grep counts %s\n", kNeedle, CountLines(hits),
                FirstLine(dir + "/grep.txt").c_str());
    PrintComparison("search", "karvio-cli search", tSearch, "grep -c -i", tGrep);

    const std::vector<std::string> common = {o.cli, "--data", catalogue, "search", kCommonNeedle};
    const std::vector<std::string> grepCommon = {"grep", "-c", "-i", kCommonNeedle, listing};
    const std::vector<Timing> commonTimes =
        BestEach(o.runs, {{common}, {grepCommon}}, {hits, dir + "/grep.txt"});
    std::printf("search \"%s\": %ld hits, grep counts %s\n", kCommonNeedle, CountLines(hits),
                FirstLine(dir + "/grep.txt").c_str());
    PrintComparison("search", "karvio-cli search", commonTimes[0], "grep -c -i", commonTimes[1]);
    std::printf("%-8s printing the hits beside finding the rare word: %.3f s cpu more\n", "",
                commonTimes[0].cpu - tSearch.cpu);

    // A common word (some 200,000 hits, names in several scripts): text against grep, and the
    // JSON against the text.
    const std::vector<std::string> inText = {o.cli, "--data", catalogue, "search", kCommonInNeedle};
    const std::vector<std::string> inJson = {o.cli,    "--data",        catalogue,
                                             "search", kCommonInNeedle, "--json"};
    const std::vector<std::string> grepIn = {"grep", "-c", "-i", kCommonInNeedle, listing};
    // The search on one thread, beside the default of one per processor.
    std::vector<std::string> inOneThread = inText;
    inOneThread.insert(inOneThread.end(), {"--threads", "1"});
    const std::vector<Timing> inTimes =
        BestEach(o.runs, {{inText}, {grepIn}, {inJson}, {inOneThread}},
                 {hits, dir + "/grep.txt", dir + "/hits.json", dir + "/hits1.txt"});
    std::printf("search \"%s\": %ld hits, grep counts %s\n", kCommonInNeedle, CountLines(hits),
                FirstLine(dir + "/grep.txt").c_str());
    PrintComparison("search", "karvio-cli search", inTimes[0], "grep -c -i", inTimes[1]);
    PrintComparison("", "karvio-cli search --json", inTimes[2], "karvio-cli search", inTimes[0]);
    PrintComparison("", "search --threads 1", inTimes[3], "grep -c -i", inTimes[1]);

    // Two rare words, one with the letters i and k (which fold from characters beyond ASCII).
    const std::vector<std::string> ik = {o.cli, "--data", catalogue, "search", kNeedleIk};
    const std::vector<Timing> rareTimes =
        BestEach(o.runs, {{ik}, {search}}, {hits, dir + "/rare.txt"});
    std::printf("search \"%s\": %ld hits\n", kNeedleIk, CountLines(hits));
    PrintComparison("search", "\"whisky\" (i, k)", rareTimes[0], "\"zephyr\"", rareTimes[1]);

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
    PrintComparison("tree", "karvio-cli tree --json", treeTimes[0], "karvio-cli tree",
                    treeTimes[1]);
    std::printf("%-8s peak memory: --json %ld KB, text %ld KB\n", "", treeTimes[0].peakKb,
                treeTimes[1].peakKb);

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
        for (const char* f :
             {"/bench.cd", "/bench.bak", "/names.txt", "/copy.cd", "/hits.txt", "/grep.txt",
              "/one.cd", "/tree.json", "/tree.txt", "/hits.json", "/rare.txt"}) {
            fs::remove(dir + f, ec);
        }
        if (o.dir.empty()) fs::remove(dir, ec);
    }
    return 0;
}
