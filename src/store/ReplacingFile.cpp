#include "ReplacingFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <random>

namespace karvio {

namespace {

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Six characters that make a name no other run picks.
std::string RandomSuffix() {
    static thread_local std::mt19937_64 random{std::random_device{}() ^
                                               static_cast<uint64_t>(::getpid()) << 32};
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix(6, 'x');
    for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
    return suffix;
}

}  // namespace

ReplacingFile::~ReplacingFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!work_.empty() && !committed_) ::unlink(work_.c_str());
}

bool ReplacingFile::Fail(const std::string& what) {
    error_ = what + ": " + std::strerror(errno);
    return false;
}

bool ReplacingFile::Open(const std::string& target, mode_t mode) {
    target_ = target;
    // A hidden name beside the target, created with O_EXCL: a new file of this user whatever
    // stood at the name before (the umask applies to `mode` as for any new file).
    const std::string prefix = DirectoryOf(target) + "/." + BaseName(target) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string work = prefix + RandomSuffix();
        fd_ = ::open(work.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd_ >= 0) {
            work_ = std::move(work);
            return true;
        }
        if (errno != EEXIST) break;
    }
    return Fail("cannot create " + target);
}

bool ReplacingFile::Write(const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd_, bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return Fail("cannot write " + work_);
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ReplacingFile::Commit(bool noReplace) {
    if (fd_ < 0) return false;
    const bool synced = ::fsync(fd_) == 0;
    const int fd = fd_;
    fd_ = -1;
    if (!synced || ::close(fd) != 0) return Fail("cannot write " + work_);
    const int renamed = noReplace ? ::renameat2(AT_FDCWD, work_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE)
                                  : ::rename(work_.c_str(), target_.c_str());
    if (renamed != 0) return Fail("cannot rename " + work_ + " to " + target_);
    committed_ = true;
    const int dir = ::open(DirectoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace karvio
