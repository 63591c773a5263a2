// The file-system side of backup and compaction: where the copies go, syncing them, and the
// renames that swap them in.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "CatalogueCopy.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "ReportPages.h"
#include "VolumeSidecar.h"
#include "classData.h"

namespace karvio {

namespace {

constexpr const char* kBakExtension = "bak";

RenameFunction& Renamer() {
    static RenameFunction rename;
    return rename;
}

int Rename(const std::string& from, const std::string& to) {
    if (const RenameFunction& rename = Renamer()) return rename(from, to);
    return ::rename(from.c_str(), to.c_str());
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The path with every symbolic link resolved; the path itself when it cannot be resolved.
std::string Resolved(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string resolved(real);
    ::free(real);
    return resolved;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now; false when the close reports an error.
    bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

// Makes the file's bytes durable, and gives it the permission bits of `modeOf` when set.
bool SyncFile(const std::string& path, const struct stat* modeOf, std::string* error) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return *error = SystemError(path), false;
    if (modeOf && ::fchmod(fd.get(), modeOf->st_mode & 07777) != 0) return *error = SystemError(path), false;
    if (::fsync(fd.get()) != 0) return *error = SystemError(path), false;
    if (!fd.Close()) return *error = SystemError(path), false;
    return true;
}

// Makes renames in `dir` durable. Some file systems cannot sync a directory; that is no error.
void SyncDirectory(const std::string& dir) {
    Descriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) ::fsync(fd.get());
}

// A complete copy of `from` at the new name `to`, for file systems without hard links.
bool CopyFileBytes(const std::string& from, const std::string& to, std::string* error) {
    Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return *error = SystemError(from), false;
    Descriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (out.get() < 0) return *error = SystemError(to), false;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return *error = SystemError(from), false;
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out.get(), buffer.data() + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return *error = SystemError(to), false;
            done += w;
        }
    }
    if (::fsync(out.get()) != 0 || !out.Close()) return *error = SystemError(to), false;
    return true;
}

// A second name for the data file's current bytes: a hard link, or a copy where the file system
// has none.
bool SecondName(const std::string& dataFile, const std::string& name, std::string* error) {
    ::unlink(name.c_str());
    if (::link(dataFile.c_str(), name.c_str()) == 0 || CopyFileBytes(dataFile, name, error)) return true;
    ::unlink(name.c_str());
    return false;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A fresh name that no other run uses: `prefix` and six random characters, reserved by creating
// the file (the caller then replaces it).
std::string UniqueName(const std::string& prefix, std::string* error) {
    std::string name = prefix + "XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        *error = SystemError("cannot create a work file beside " + prefix);
        return {};
    }
    ::close(fd);
    return name;
}

// Removes the work files of `dataFile` that killed runs left behind. Only runs of this same
// catalogue make such names, and they hold its write lock, as the caller does; a file some run
// still holds locked (its copy, just renamed in) is left alone all the same.
void RemoveStaleWorkFiles(const std::string& dir, const std::string& dataFile) {
    const std::string prefixes[] = {BaseName(WorkFilePrefix(kCompactionWorkFile, dataFile)),
                                    BaseName(WorkFilePrefix(kPreviousWorkFile, dataFile))};
    DIR* listing = ::opendir(dir.c_str());
    if (!listing) return;
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        for (const std::string& prefix : prefixes) {
            if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) {
                stale.push_back(dir + "/" + name);
            }
        }
    }
    ::closedir(listing);
    const std::string previousPrefix = prefixes[1];
    for (const std::string& path : stale) {
        Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        struct stat st {};
        if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) continue;
        // A previous file that no longer has another name (a run killed after its swap) is the
        // only copy of the catalogue before that compaction: it stays for the user.
        if (BaseName(path).compare(0, previousPrefix.size(), previousPrefix) == 0 && st.st_nlink < 2) continue;
        // A second name of the data file itself is locked by the caller's own lock.
        struct stat data {};
        const bool isData = ::stat(dataFile.c_str(), &data) == 0 && data.st_dev == st.st_dev && data.st_ino == st.st_ino;
        if (isData || ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
    }
}

// The copy's callbacks with the CDs' new ids collected into `newIds`.
CopyCallbacks CollectingIds(const CopyCallbacks& callbacks, std::map<int32_t, int32_t>& newIds) {
    CopyCallbacks collecting = callbacks;
    collecting.cdCopied = [&newIds, outer = callbacks.cdCopied](int32_t oldId, int32_t newId) {
        newIds[oldId] = newId;
        if (outer) outer(oldId, newId);
    };
    return collecting;
}

// Appends a failure to carry the disc identities to what a finished command reports.
void NoteIdentityFailure(MaintenanceResult& result, const std::string& error) {
    if (error.empty()) return;
    if (!result.error.empty()) result.error += "; ";
    result.error += "the disc identities were not carried over: " + error;
}

MaintenanceResult Failure(MaintenanceResult result, std::string error) {
    result.outcome = MaintenanceOutcome::Failed;
    result.error = std::move(error);
    return result;
}

}  // namespace

std::string WorkFilePrefix(const char* kind, const std::string& dataFile) {
    return DirectoryOf(dataFile) + "/" + kind + BaseName(dataFile) + ".";
}

RenameFunction SetRenameFunction(RenameFunction rename) { return std::exchange(Renamer(), std::move(rename)); }

std::string BakPathOf(const std::string& dataFile) {
    const size_t slash = dataFile.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = dataFile.rfind('.');
    std::string bak = dot == std::string::npos || dot < nameStart
                          ? dataFile + "." + kBakExtension
                          : dataFile.substr(0, dot + 1) + kBakExtension;
    if (bak == dataFile) bak += std::string(".") + kBakExtension;
    return bak;
}

MaintenanceResult CompactDataFiles(const CopyCallbacks& callbacks, const std::string& reportDir, bool ask) {
    MaintenanceResult result;
    if (ask && ShowMessage(kCompactQuestion, vbYesNoCancel) != vbYes) {
        result.outcome = MaintenanceOutcome::Declined;
        return result;
    }
    DeleteReportPages(reportDir.empty() ? ReportPageDirectory() : reportDir);

    // The swap works on the file itself, not on a symbolic link that names it.
    result.dataFile = Resolved(GetDataFileName());
    result.bakFile = BakPathOf(result.dataFile);
    struct stat original {};
    if (::stat(result.dataFile.c_str(), &original) != 0) {
        return Failure(std::move(result), SystemError(result.dataFile));
    }
    const std::string dir = DirectoryOf(result.dataFile);

    // The write lock, for the copy and the swap: a change another program made in between would
    // be lost with the old file.
    classData guard(result.dataFile, classData::ForReading{});
    if (const int16_t code = guard.GetError(); code != kErrorNone) {
        return Failure(std::move(result), DataFileErrorText(code, guard.GetOpenErrorText()));
    }
    if (const WriteAccess access = guard.BeginWrite(WriteLockWait(), true); access != WriteAccess::Granted) {
        return Failure(std::move(result), result.dataFile + ": " + classData::WriteAccessText(access));
    }
    struct EndWrite {
        classData& data;
        ~EndWrite() { data.EndWrite(); }
    } endWrite{guard};
    RemoveStaleWorkFiles(dir, result.dataFile);

    std::string error;
    const std::string work = UniqueName(WorkFilePrefix(kCompactionWorkFile, result.dataFile), &error);
    if (work.empty()) return Failure(std::move(result), error);
    std::map<int32_t, int32_t> newIds;
    const std::string copied = CopyCatalogue(work, CollectingIds(callbacks, newIds), &error);
    if (copied.empty()) {
        ::unlink(work.c_str());
        if (!error.empty()) return Failure(std::move(result), error);
        result.outcome = MaintenanceOutcome::Cancelled;
        return result;
    }
    // The copy is locked before it takes the data file's name, so a writer that opens it there
    // waits until this run has finished.
    CatalogueFileOpenResult copy = OpenCatalogueFile(work, false);
    if (!copy.file || copy.file->LockForWriting(0) != CatalogueFile::LockResult::Locked) {
        ::unlink(work.c_str());
        return Failure(std::move(result), work + ": cannot lock the compacted copy");
    }
    struct Unlock {
        std::shared_ptr<CatalogueFile> file;
        ~Unlock() { file->UnlockWriting(); }
    } unlockCopy{copy.file};

    // The previous file first gets a second name, then the copy is renamed over the data file,
    // then the second name over the "bak" file: at every moment both names hold a complete
    // catalogue, and a failure before the copy is in place leaves both as they were.
    const std::string previous = UniqueName(WorkFilePrefix(kPreviousWorkFile, result.dataFile), &error);
    if (previous.empty() || !SyncFile(work, &original, &error) ||
        !SecondName(result.dataFile, previous, &error)) {
        ::unlink(work.c_str());
        if (!previous.empty()) ::unlink(previous.c_str());
        return Failure(std::move(result), error);
    }
    SyncDirectory(dir);
    if (Rename(work, result.dataFile) != 0) {
        error = SystemError("cannot rename " + work + " to " + result.dataFile);
        ::unlink(work.c_str());
        ::unlink(previous.c_str());
        return Failure(std::move(result), error);
    }
    SyncDirectory(dir);
    if (Rename(previous, result.bakFile) != 0) {
        // Compacted all the same; the previous file stays under its work name.
        result.error = SystemError("cannot rename " + previous + " to " + result.bakFile) +
                       "; the previous data file is kept as " + previous;
        result.bakFile = previous;
    }
    SyncDirectory(dir);
    // The identities follow the CDs to their new ids; the previous file keeps its own, so a
    // "bak" copy put back still knows its discs. A failure here loses identities, never CDs.
    std::string carryError;
    const std::map<int32_t, int32_t> sameIds = [&] {
        std::map<int32_t, int32_t> ids;
        for (const auto& [oldId, newId] : newIds) ids.emplace(oldId, oldId);
        return ids;
    }();
    CarryVolumeEntries(result.dataFile, result.bakFile, sameIds, &carryError);
    NoteIdentityFailure(result, carryError);
    CarryVolumeEntries(result.dataFile, result.dataFile, newIds, &carryError);
    NoteIdentityFailure(result, carryError);
    result.outcome = MaintenanceOutcome::Done;
    return result;
}

MaintenanceResult BackupDataFile(const std::string& target, const CopyCallbacks& callbacks) {
    MaintenanceResult result;
    result.dataFile = Resolved(GetDataFileName());
    struct stat data {}, chosen {};
    const bool targetExists = ::stat(target.c_str(), &chosen) == 0;
    if (Resolved(target) == result.dataFile ||
        (targetExists && ::stat(result.dataFile.c_str(), &data) == 0 && data.st_dev == chosen.st_dev &&
         data.st_ino == chosen.st_ino)) {
        ShowMessage("Cannot backup to the current data file!!", vbOKOnly);
        result.outcome = MaintenanceOutcome::Refused;
        return result;
    }
    // Through a symbolic link the copy goes where the link points, and the link stays.
    const std::string finalPath = Resolved(target);
    std::string partial = finalPath + ".XXXXXX";
    const int fd = ::mkstemp(partial.data());
    if (fd < 0) return Failure(std::move(result), SystemError("cannot write beside " + finalPath));
    ::close(fd);

    std::string error;
    std::map<int32_t, int32_t> newIds;
    const std::string copied = CopyCatalogue(partial, CollectingIds(callbacks, newIds), &error);
    if (copied.empty()) {
        ::unlink(partial.c_str());
        if (!error.empty()) return Failure(std::move(result), error);
        result.outcome = MaintenanceOutcome::Cancelled;
        return result;
    }
    if (!SyncFile(partial, targetExists ? &chosen : nullptr, &error)) {
        ::unlink(partial.c_str());
        return Failure(std::move(result), error);
    }
    if (Rename(partial, finalPath) != 0) {
        error = SystemError("cannot rename " + partial + " to " + finalPath);
        ::unlink(partial.c_str());
        return Failure(std::move(result), error);
    }
    SyncDirectory(DirectoryOf(finalPath));
    // The backup's own identities lie beside it, under the ids the copy gave its CDs.
    std::string carryError;
    CarryVolumeEntries(result.dataFile, finalPath, newIds, &carryError);
    NoteIdentityFailure(result, carryError);
    result.outcome = MaintenanceOutcome::Done;
    return result;
}

}  // namespace karvio
