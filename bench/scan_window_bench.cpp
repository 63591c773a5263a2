// The desktop scan against the command-line scan: one tree (200,000 files in 20,000 directories
// by default, made once under the temporary directory) scanned through the scan progress window
// (offscreen, with its label, medium check and event pumping) and by `karvio-cli scan`, taking
// turns, best of three each; prints both times and their ratio.
//
// Usage: scan_window_bench [--files N] [--dirs N] [--cli PATH] [--runs N]
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchHelp.h"
#include "ProgramInfo.h"
#include "classData.h"
#include "scan/frmAnimation.h"

namespace fs = std::filesystem;

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string MakeTree(long files, long dirs) {
    const fs::path root = fs::temp_directory_path() /
                          ("karvio-window-bench-" + std::to_string(files) + "-" + std::to_string(dirs));
    if (fs::exists(root / ".complete")) return root.string();
    fs::remove_all(root);
    for (long d = 0; d < dirs; ++d) {
        const fs::path dir = root / ("group " + std::to_string(d / 100)) / ("folder_" + std::to_string(d));
        fs::create_directories(dir);
        const long here = files / dirs + (d < files % dirs ? 1 : 0);
        for (long f = 0; f < here; ++f) {
            std::ofstream(dir / ("file " + std::to_string(f) + ".jpg")) << std::string(static_cast<size_t>(f % 97), 'x');
        }
    }
    std::ofstream(root / ".complete") << "";
    return root.string();
}

double CliScan(const std::string& cli, const std::string& data, const std::string& tree) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        execl(cli.c_str(), cli.c_str(), "--data", data.c_str(), "--yes", "scan", tree.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return Seconds(start);
}

double WindowScan(const std::string& data, const std::string& tree) {
    karvio::DataFilePath = data;
    const auto start = std::chrono::steady_clock::now();
    karvio::frmAnimation window;
    window.SetVars(0, tree + "/", "bench", "", "label", 0);
    int32_t id = 0;
    window.ScanCd(id);
    return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
    AnswerHelp(argc, argv,
               "usage: scan_window_bench [--files N] [--dirs N] [--cli PATH] [--runs N]\n"
               "The scan window against karvio-cli scan of the same tree, offscreen.\n");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    long files = 200000, dirs = 20000;
    int runs = 3;
    std::string cli = (fs::path(argv[0]).parent_path() / "karvio-cli").string();
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--files")) files = std::atol(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--dirs")) dirs = std::atol(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--cli")) cli = argv[i + 1];
        else if (!std::strcmp(argv[i], "--runs")) runs = std::atoi(argv[i + 1]);
    }
    if (dirs < 1) dirs = 1;
    const std::string tree = MakeTree(files, dirs);
    const fs::path work = fs::temp_directory_path() / ("karvio-window-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    double bestCli = 1e9, bestWindow = 1e9;
    for (int r = 0; r < runs; ++r) {
        const std::string a = (work / ("cli" + std::to_string(r) + ".cd")).string();
        const std::string b = (work / ("win" + std::to_string(r) + ".cd")).string();
        bestCli = std::min(bestCli, CliScan(cli, a, tree));
        bestWindow = std::min(bestWindow, WindowScan(b, tree));
        fs::remove(a);
        fs::remove(b);
    }
    fs::remove_all(work);
    std::printf("tree: %ld files in %ld directories (%s)\n", files, dirs, tree.c_str());
    std::printf("karvio-cli scan:          %.3f s (best of %d)\n", bestCli, runs);
    std::printf("scan progress window:     %.3f s (best of %d)\n", bestWindow, runs);
    std::printf("window / cli:             %.2fx\n", bestWindow / bestCli);
    return 0;
}
