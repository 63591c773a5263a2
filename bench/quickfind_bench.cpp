// Quick find against grep and the CLI's search walk. Builds (or reuses from --dir) a seeded
// catalogue of one million files with the store's own append operations, as ops_bench does, and a
// names list beside it; then, in one run, times:
//   the index build from the data file                (one read of the file, one pass)
//   its bytes per entry, and the name bytes it holds
//   the first screen (100 hits) and the full count for a rare word, a common one and one letter
//   grep -c -i WORD names.txt and karvio-cli --data CAT search WORD, for the same words
// Each figure is the best of --runs. Prints figures only; it never fails on a time.
//
// Usage: quickfind_bench [--files N] [--dir DIR] [--cli PATH] [--runs N]
#include "BenchCatalogue.h"
#include "QuickIndex.h"
#include "QuickQuery.h"

namespace {

double CpuSeconds() {
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
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

struct QueryTimes {
    double firstScreen = 1e9, full = 1e9;
    int64_t count = 0;
};

QueryTimes TimeQuery(const karvio::QuickIndex& index, const char* text, int runs) {
    QueryTimes best;
    for (int i = 0; i <= runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        double first = -1;
        const karvio::QuickQuery q = karvio::ParseQuickQuery(QString::fromUtf8(text));
        const karvio::QuickResult r = index.Find(q, karvio::QuickMatchMode::Anywhere, 100,
                                                 [&](const std::vector<int32_t>&) { first = Seconds(start); });
        const double full = Seconds(start);
        if (first < 0) first = full;  // fewer hits than a screen: the screen is the whole answer
        if (i == 0) continue;          // warm-up
        best.firstScreen = std::min(best.firstScreen, first);
        best.full = std::min(best.full, full);
        best.count = r.count;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    o.runs = 5;
    o.dir = "/tmp/quickfind-bench";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--files") o.files = std::atol(argv[i + 1]);
        else if (a == "--dir") o.dir = argv[i + 1];
        else if (a == "--cli") o.cli = argv[i + 1];
        else if (a == "--runs") o.runs = std::max(1, std::atoi(argv[i + 1]));
        else {
            std::fprintf(stderr, "usage: quickfind_bench [--files N] [--dir DIR] [--cli PATH] [--runs N]\n");
            return 2;
        }
    }
    if (o.cli.empty()) o.cli = (fs::path(argv[0]).parent_path() / "karvio-cli").string();
    fs::create_directories(o.dir);
    const std::string catalogue = o.dir + "/bench-" + std::to_string(o.files) + ".cd";
    const std::string listing = o.dir + "/names-" + std::to_string(o.files) + ".txt";
    if (!fs::exists(catalogue) || !fs::exists(listing)) {
        const auto t0 = std::chrono::steady_clock::now();
        GenerateApart(catalogue, listing, o);
        std::printf("generated %s in %.1f s\n", catalogue.c_str(), Seconds(t0));
    }
    std::printf("catalogue: %s, %ld files, %lld bytes\n", catalogue.c_str(), CountLines(listing),
                static_cast<long long>(fs::file_size(catalogue)));

    double build = 1e9, buildCpu = 1e9;
    karvio::QuickIndex index;
    for (int i = 0; i <= o.runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double cpu = CpuSeconds();
        std::string error;
        if (!index.Build(catalogue, &error)) {
            std::fprintf(stderr, "index build failed: %s\n", error.c_str());
            return 1;
        }
        if (i > 0) build = std::min(build, Seconds(start)), buildCpu = std::min(buildCpu, CpuSeconds() - cpu);
    }
    const double entries = static_cast<double>(index.size());
    std::printf("index build: %.3f s wall, %.3f s CPU for %zu entries (target 0.5 s)\n", build, buildCpu,
                index.size());
    std::printf("memory: %.1f bytes per entry (target 80) + %.1f name bytes per entry; %.1f MB in all\n",
                static_cast<double>(index.EntryBytes()) / entries, static_cast<double>(index.NameBytes()) / entries,
                static_cast<double>(index.MemoryBytes()) / 1e6);

    const char* rare = kNeedle;
    const char* common = kCommonNeedle;
    const char* letter = "a";
    std::printf("\n%-10s %12s %12s %10s %12s %14s\n", "query", "first 100", "full count", "hits", "grep -ci",
                "karvio-cli");
    for (const char* word : {rare, common, letter}) {
        const QueryTimes q = TimeQuery(index, word, o.runs);
        const std::vector<std::string> grep = {"grep", "-c", "-i", word, listing};
        const std::vector<std::string> cli = {o.cli, "--data", catalogue, "search", word};
        Timing g{1e9, 1e9, 0}, c{1e9, 1e9, 0};
        for (int i = 0; i < std::min(o.runs, 3); ++i) {
            const Timing tg = Run(grep, o.dir + "/grep.txt");
            const Timing tc = Run(cli, o.dir + "/cli.txt");
            g.wall = std::min(g.wall, tg.wall);
            c.wall = std::min(c.wall, tc.wall);
        }
        std::printf("%-10s %9.2f ms %9.2f ms %10lld %9.2f ms %11.2f ms   (grep counts %s lines, the CLI %ld rows)\n",
                    word, q.firstScreen * 1e3, q.full * 1e3, static_cast<long long>(q.count), g.wall * 1e3,
                    c.wall * 1e3, FirstLine(o.dir + "/grep.txt").c_str(), CountLines(o.dir + "/cli.txt"));
    }
    std::printf("\ntargets: first screen 10 ms (rare) and 50 ms (one letter), full count 100 ms\n");
    return 0;
}
