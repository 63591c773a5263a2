// The cost of opening a catalogue, by its size: seeded catalogues of 200,000 and 1,100,000
// files (as ops_bench makes them) are opened again and again the way every window and command
// opens one (classData, with the check of its header and list ends), beside two baselines timed
// in the same run: an opening without that check (as a salvage opens), and the bare system
// calls (open, fstat, a read of the header, close). Prints the median of each; never fails.
//
// Usage: open_bench [--dir DIR] [--runs N] [--keep]
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "BenchCatalogue.h"
#include "CatalogueCheck.h"

namespace {

double MedianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    o.runs = 201;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--dir" && i + 1 < argc) {
            o.dir = argv[++i];
        } else if (arg == "--runs" && i + 1 < argc) {
            o.runs = std::atoi(argv[++i]);
        } else if (arg == "--keep") {
            o.keep = true;
        } else {
            std::fprintf(stderr, "usage: open_bench [--dir DIR] [--runs N] [--keep]\n");
            return arg == "--help" ? 0 : 2;
        }
    }
    const std::string dir = o.dir.empty() ? (fs::temp_directory_path() / "karvio-open-bench").string() : o.dir;
    fs::create_directories(dir);
    std::printf("%-10s %12s %12s %12s %12s\n", "files", "file MB", "open (ms)", "no check", "syscalls");
    for (const long files : {200000L, 1100000L}) {
        Options size = o;
        size.files = files;
        const std::string catalogue = dir + "/open-" + std::to_string(files) + ".cd";
        if (!fs::exists(catalogue)) GenerateApart(catalogue, {}, size);
        const double open = MedianMs(o.runs, [&] {
            classData data(catalogue, classData::ForReading{});
            if (!data.IsOpen()) std::abort();
        });
        const double unchecked = MedianMs(o.runs, [&] {
            classData data(catalogue, classData::ForSalvage{});
            if (!data.IsOpen()) std::abort();
        });
        const double syscalls = MedianMs(o.runs, [&] {
            const int fd = ::open(catalogue.c_str(), O_RDONLY | O_CLOEXEC);
            struct stat st {};
            char header[82];
            if (fd < 0 || ::fstat(fd, &st) != 0 || ::pread(fd, header, sizeof header, 0) != 82) std::abort();
            ::close(fd);
        });
        std::printf("%-10ld %12.1f %12.3f %12.3f %12.3f\n", files, fs::file_size(catalogue) / 1e6, open, unchecked,
                    syscalls);
        if (!o.keep) fs::remove(catalogue);
    }
    return 0;
}
