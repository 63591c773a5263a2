#include "CatalogueFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <utility>

#include "SystemCatalogueFile.h"

namespace karvio {

namespace {

struct FileKey {
    dev_t dev;
    ino_t ino;
    bool operator<(const FileKey& o) const { return dev != o.dev ? dev < o.dev : ino < o.ino; }
};

// The store objects of one thread share one open file per catalogue (so a write lock one of them
// holds is held for all of them); a worker thread gets files of its own, as another program
// would: an open file's cache and read position are not shared between threads.
std::map<FileKey, std::weak_ptr<SystemCatalogueFile>>& OpenFiles() {
    static thread_local std::map<FileKey, std::weak_ptr<SystemCatalogueFile>> files;
    return files;
}

CatalogueFileOpener& Opener() {
    static CatalogueFileOpener opener;
    return opener;
}

int& LockWait() {
    static int wait = kDefaultWriteLockWaitMs;
    return wait;
}

}  // namespace

int SetWriteLockWait(int waitMs) { return std::exchange(LockWait(), waitMs); }
int WriteLockWait() { return LockWait(); }

CatalogueFileOpenResult OpenSystemCatalogueFile(const std::string& path, bool create) {
    CatalogueFileOpenResult result;
    // Non-blocking: a pipe or device at the catalogue's name is refused below instead of
    // waiting for ever in open().
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        result.existed = true;
    } else if (errno == EACCES || errno == EROFS || errno == EPERM) {
        // A catalogue the user may not write, or on a read-only medium, can still be read.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd >= 0) {
            result.existed = true;
            result.readOnly = true;
        }
    } else if (errno == ENOENT && create) {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    }
    if (fd < 0) {
        result.error = std::strerror(errno);
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        result.error = S_ISREG(st.st_mode) ? std::strerror(errno) : "not a regular file";
        ::close(fd);
        return result;
    }

    auto& files = OpenFiles();
    const FileKey key{st.st_dev, st.st_ino};
    if (auto it = files.find(key); it != files.end()) {
        if (auto shared = it->second.lock()) {
            ::close(fd);
            result.readOnly = shared->IsReadOnly();
            result.file = shared;
            return result;
        }
    }
    // Forget files nobody holds any more.
    std::erase_if(files, [](const auto& entry) { return entry.second.expired(); });
    auto file = std::make_shared<SystemCatalogueFile>(fd, st.st_size, path, result.readOnly);
    files[key] = file;
    result.file = std::move(file);
    return result;
}

CatalogueFileOpener SetCatalogueFileOpener(CatalogueFileOpener opener) {
    return std::exchange(Opener(), std::move(opener));
}

CatalogueFileOpenResult OpenCatalogueFile(const std::string& path, bool create) {
    if (const CatalogueFileOpener& opener = Opener()) return opener(path, create);
    return OpenSystemCatalogueFile(path, create);
}

}  // namespace karvio
