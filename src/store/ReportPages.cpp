#include "ReportPages.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "ProgramInfo.h"

namespace karvio {

namespace {

// The page name template "cd.tmp": the part before its last ".", "_", the counter, the rest.
constexpr std::string_view kPageStem = "cd_";
constexpr std::string_view kPageExtension = ".tmp";
constexpr int kCounterDigits = 6;

}  // namespace

std::string ReportPageDirectory() {
    // A portable copy (its data file beside the program) keeps its pages there too; any other
    // program directory (a build folder, /usr/local/bin) is no place for a user's files.
    const std::string programDir = ProgramDirectory();
    struct stat st {};
    if (IsDirectoryWritable(programDir) && ::stat((programDir + "/" + kDataFileName).c_str(), &st) == 0) {
        return programDir;
    }
    std::filesystem::path base;
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : "/tmp") / ".cache";
    }
    const std::filesystem::path dir = base / "Karvio";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir.string();
}

bool IsReportPageName(std::string_view name) {
    if (name.size() != kPageStem.size() + kCounterDigits + kPageExtension.size()) return false;
    if (!name.starts_with(kPageStem) || !name.ends_with(kPageExtension)) return false;
    for (size_t i = kPageStem.size(); i < kPageStem.size() + kCounterDigits; ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
    }
    return true;
}

std::string NextReportPagePath(const std::string& dir) {
    for (long counter = 0;; ++counter) {
        char digits[24];
        std::snprintf(digits, sizeof digits, "%0*ld", kCounterDigits, counter);
        const std::string path = dir + "/" + std::string(kPageStem) + digits + std::string(kPageExtension);
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) return path;
    }
}

int DeleteReportPages(const std::string& dir) {
    int deleted = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!IsReportPageName(name)) continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        if (::unlink(it->path().c_str()) == 0) ++deleted;
    }
    return deleted;
}

}  // namespace karvio
