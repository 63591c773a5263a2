#include "ProgramInfo.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace karvio {

std::string DataFilePath;

std::string ProgramDirectory() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}

bool IsDirectoryWritable(const std::string& dir) {
    return !dir.empty() && ::access(dir.c_str(), W_OK | X_OK) == 0;
}

bool IsPortableCopy() {
    struct stat st {};
    const std::string beside = ProgramDirectory() + "/" + kDataFileName;
    return ::stat(beside.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string UserDirectory(const char* xdgVariable, const char* homeFallback) {
    std::filesystem::path base;
    const char* xdg = std::getenv(xdgVariable);
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : "/tmp") / homeFallback;
    }
    const std::filesystem::path dir = base / "Karvio";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir.string();
}

std::string ProgramOrUserDirectory(const char* xdgVariable, const char* homeFallback) {
    return IsPortableCopy() ? ProgramDirectory() : UserDirectory(xdgVariable, homeFallback);
}

std::string DefaultDataFilePath() {
    return ProgramOrUserDirectory("XDG_DATA_HOME", ".local/share") + "/" + kDataFileName;
}

std::string FindResource(const std::string& relative) {
    const std::filesystem::path programDir = ProgramDirectory();
    const std::filesystem::path candidates[] = {
        programDir / relative,
        programDir.parent_path() / "share" / "karvio" / relative,
    };
    std::error_code ec;
    for (const auto& candidate : candidates) {
        if (std::filesystem::exists(candidate, ec)) return candidate.string();
    }
    return candidates[0].string();
}

std::string GetDataFileName() {
    return DataFilePath.empty() ? DefaultDataFilePath() : DataFilePath;
}

}  // namespace karvio
