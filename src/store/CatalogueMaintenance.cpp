// The file-system side of backup and compaction: where the copies go, syncing them, and the
// renames that swap them in.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <future>
#include <map>
#include <utility>
#include <vector>

#include "CatalogueCopy.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "ReportPages.h"
#include "CatalogueDetails.h"
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
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
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
            // The details written for a copy that never took the data file's name.
            if (name.size() > prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0 &&
                name.compare(prefix.size() + 6, std::string::npos, ".db") == 0) {
                ::unlink((dir + "/" + name).c_str());
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

// Removes a compaction's copy with the details written for it.
void DropWorkFile(const std::string& work) {
    DetailsDatabase::Remove(work + ".db", nullptr);
    ::unlink(work.c_str());
}

// Appends a failure to carry the details to what a finished command reports.
void NoteDetailsFailure(MaintenanceResult& result, const std::string& error) {
    if (error.empty()) return;
    if (!result.error.empty()) result.error += "; ";
    result.error += "the details database was not carried over: " + error;
}

// Whether the copy holds every record the check reached.
bool CopiedAllChecked(const CopyCounts& counts, const CheckReport& check, std::string* error) {
    if (counts.cds == check.cds && counts.categories == check.categories &&
        counts.directories == check.directories && counts.files == check.files) {
        return true;
    }
    *error = "the copy holds " + std::to_string(counts.cds) + " CDs, " + std::to_string(counts.categories) +
             " categories, " + std::to_string(counts.directories) + " directories and " +
             std::to_string(counts.files) + " files, the check counted " + std::to_string(check.cds) + ", " +
             std::to_string(check.categories) + ", " + std::to_string(check.directories) + " and " +
             std::to_string(check.files);
    return false;
}

// Gives the file at `from` the dated name DamagedPathOf gives `dataFile`, never replacing a file
// that has it (a later second is tried then). Returns the name, empty on failure (`error`).
std::string KeepUnderNewName(const std::string& from, const std::string& dataFile, std::string* error) {
    const std::time_t now = std::time(nullptr);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = DamagedPathOf(dataFile, now + attempt);
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) return name;
        // A file system without that rename: a hard link does not replace either.
        if (errno == EINVAL && ::link(from.c_str(), name.c_str()) == 0) {
            ::unlink(from.c_str());
            return name;
        }
        if (errno != EEXIST) break;
    }
    *error = SystemError("cannot give " + from + " a name of its own");
    return {};
}

// A copy of the data file and the check of everything it follows (CheckCatalogue).
struct CheckedCopy {
    CheckReport damage;
    bool salvaged = false;  // copied as a salvage: the check found damage and a salvage was asked for
    std::string copied;     // CopyCatalogue's answer: empty when the copy failed or was cancelled
    std::string error;
    CopyCounts counts;
};

// Checks the data file and copies it into `target`. A salvage copies only once the check has said
// what is damaged. Otherwise the check runs on a thread of its own beside the copy, so a sound
// catalogue costs the longer of the two instead of both: the copy reads a damaged file without
// harm (every link through the list walk, every text measured against the file first) and stops
// as soon as the check has found damage; what it wrote is then the caller's to drop.
CheckedCopy CheckAndCopy(const std::string& dataFile, const std::string& target, const CopyCallbacks& callbacks,
                         bool salvage) {
    CheckedCopy run;
    if (salvage) {
        run.damage = CheckCatalogue(dataFile);
        run.salvaged = !run.damage.Clean();
        run.copied = CopyCatalogue(target, callbacks, &run.error, CopyOptions{run.salvaged, &run.counts});
        return run;
    }
    std::atomic<bool> damaged{false};
    std::future<CheckReport> checked = std::async(std::launch::async, [&dataFile, &damaged] {
        CheckReport report = CheckCatalogue(dataFile);
        if (!report.Clean()) damaged = true;
        return report;
    });
    CopyCallbacks copying = callbacks;
    copying.cancelRequested = [&damaged, cancel = callbacks.cancelRequested] {
        return damaged || (cancel && cancel());
    };
    run.copied = CopyCatalogue(target, copying, &run.error, CopyOptions{false, &run.counts});
    run.damage = checked.get();
    return run;
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

std::string DamagedPathOf(const std::string& dataFile, std::time_t when) {
    std::tm local {};
    ::localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, ".damaged-%Y%m%d-%H%M%S", &local);
    const size_t slash = dataFile.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = dataFile.rfind('.');
    if (dot == std::string::npos || dot <= nameStart) return dataFile + stamp;
    return dataFile.substr(0, dot) + stamp + dataFile.substr(dot);
}

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

MaintenanceResult CompactDataFiles(const CopyCallbacks& callbacks, const std::string& reportDir, bool ask,
                                   bool salvage) {
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
    // Opened as a salvage opens it: damage is for the check below to report in full.
    classData guard(result.dataFile, classData::ForSalvage{});
    if (const int16_t code = guard.GetError(); code != kErrorNone) {
        return Failure(std::move(result), guard.OpenFailureText(code));
    }
    if (const WriteAccess access = guard.BeginWrite(WriteLockWait(), true); access != WriteAccess::Granted) {
        return Failure(std::move(result), result.dataFile + ": " + classData::WriteAccessText(access));
    }
    struct EndWrite {
        classData& data;
        ~EndWrite() { data.EndWrite(); }
    } endWrite{guard};
    // Details a compaction stopped before they followed its copy are put back before the
    // leftovers of stopped runs are removed.
    std::string takeBackError;
    DetailsDatabase::TakeBackFromCompaction(result.dataFile, guard.Header().dataCreated, &takeBackError);
    NoteDetailsFailure(result, takeBackError);
    RemoveStaleWorkFiles(dir, result.dataFile);

    // Everything the copy follows is checked: damage is reported, not copied into a smaller
    // catalogue that would then replace the data file.
    std::string error;
    const std::string work = UniqueName(WorkFilePrefix(kCompactionWorkFile, result.dataFile), &error);
    if (work.empty()) return Failure(std::move(result), error);
    DetailsCarrier details(guard, DetailsCarrier::OpenLater{});
    CheckedCopy run = CheckAndCopy(result.dataFile, work, details.Collecting(callbacks), salvage);
    result.damage = std::move(run.damage);
    result.salvaged = run.salvaged;
    if (!result.damage.Clean() && !salvage) {
        DropWorkFile(work);
        result.outcome = MaintenanceOutcome::Damaged;
        return result;
    }
    if (run.copied.empty()) {
        DropWorkFile(work);
        if (!run.error.empty()) return Failure(std::move(result), run.error);
        result.outcome = MaintenanceOutcome::Cancelled;
        return result;
    }
    if (!result.salvaged && !CopiedAllChecked(run.counts, result.damage, &error)) {
        DropWorkFile(work);
        return Failure(std::move(result), error);
    }
    // The details are opened (and a volumes list taken over) only now that the catalogue is
    // known to be sound or is being salvaged.
    details.Open(guard, true);
    // The copy's details are written beside it before the swap; they take the data file's
    // details' name with it.
    std::string carryError;
    if (!details.WriteFor(work, &carryError)) NoteDetailsFailure(result, carryError);
    // The copy is locked before it takes the data file's name, so a writer that opens it there
    // waits until this run has finished.
    CatalogueFileOpenResult copy = OpenCatalogueFile(work, false);
    if (!copy.file || copy.file->LockForWriting(0) != CatalogueFile::LockResult::Locked) {
        DropWorkFile(work);
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
        DropWorkFile(work);
        if (!previous.empty()) ::unlink(previous.c_str());
        return Failure(std::move(result), error);
    }
    SyncDirectory(dir);
    if (Rename(work, result.dataFile) != 0) {
        error = SystemError("cannot rename " + work + " to " + result.dataFile);
        DropWorkFile(work);
        ::unlink(previous.c_str());
        return Failure(std::move(result), error);
    }
    SyncDirectory(dir);
    if (result.salvaged) {
        // The damaged file keeps a name of its own; the "bak" copy, made from a sound file,
        // stays as it is.
        const std::string kept = KeepUnderNewName(previous, result.dataFile, &error);
        if (kept.empty()) {
            result.error = error + "; the damaged data file is kept as " + previous;
            result.bakFile = previous;
        } else {
            result.bakFile = kept;
        }
    } else if (Rename(previous, result.bakFile) != 0) {
        // Compacted all the same; the previous file stays under its work name.
        result.error = SystemError("cannot rename " + previous + " to " + result.bakFile) +
                       "; the previous data file is kept as " + previous;
        result.bakFile = previous;
    }
    SyncDirectory(dir);
    // The details follow the records to their new ids; the previous file keeps its own, so a
    // "bak" copy put back still has its details. A failure here loses details, never CDs.
    carryError.clear();
    if (DetailsDatabase::MoveTo(result.dataFile, result.bakFile, &carryError)) {
        DetailsDatabase::MoveTo(work, result.dataFile, &carryError);
    }
    NoteDetailsFailure(result, carryError);
    result.outcome = MaintenanceOutcome::Done;
    return result;
}

MaintenanceResult BackupDataFile(const std::string& target, const CopyCallbacks& callbacks, bool salvage) {
    MaintenanceResult result;
    result.dataFile = Resolved(GetDataFileName());
    struct stat data {}, chosen {};
    // The name itself, not what a link planted there points at: that is what gets replaced.
    const bool targetExists = ::lstat(target.c_str(), &chosen) == 0;
    struct stat followed {};
    if (Resolved(target) == result.dataFile ||
        (::stat(target.c_str(), &followed) == 0 && ::stat(result.dataFile.c_str(), &data) == 0 &&
         data.st_dev == followed.st_dev && data.st_ino == followed.st_ino)) {
        ShowMessage(KARVIO_TRANSLATE_NOOP("Messages", "Cannot backup to the current data file!!"),
                    vbOKOnly);
        result.outcome = MaintenanceOutcome::Refused;
        return result;
    }
    // A fresh name in the target's own folder (mkstemp creates it exclusively, following no
    // link), renamed over the target's name once complete.
    std::string partial = DirectoryOf(target) + "/." + BaseName(target) + ".XXXXXX";
    const int fd = ::mkstemp(partial.data());
    if (fd < 0) return Failure(std::move(result), SystemError("cannot write beside " + target));
    ::close(fd);

    std::string error;
    std::unique_ptr<DetailsCarrier> details;
    {
        classData source(result.dataFile, classData::ForReading{});
        details = std::make_unique<DetailsCarrier>(source, false);
    }
    CheckedCopy run = CheckAndCopy(GetDataFileName(), partial, details->Collecting(callbacks), salvage);
    result.damage = std::move(run.damage);
    result.salvaged = run.salvaged;
    if (!result.damage.Clean() && !salvage) {
        ::unlink(partial.c_str());
        result.outcome = MaintenanceOutcome::Damaged;
        return result;
    }
    if (result.salvaged && targetExists) {
        ::unlink(partial.c_str());
        return Failure(std::move(result), target + " already exists; a salvaged copy is written only under a new "
                                                    "name, so that no good copy is replaced");
    }
    if (run.copied.empty()) {
        ::unlink(partial.c_str());
        if (!run.error.empty()) return Failure(std::move(result), run.error);
        result.outcome = MaintenanceOutcome::Cancelled;
        return result;
    }
    if (!result.salvaged && !CopiedAllChecked(run.counts, result.damage, &error)) {
        ::unlink(partial.c_str());
        return Failure(std::move(result), error);
    }
    // A regular file that is replaced lends its permissions to the copy.
    const bool keepMode = targetExists && S_ISREG(chosen.st_mode);
    if (!SyncFile(partial, keepMode ? &chosen : nullptr, &error)) {
        ::unlink(partial.c_str());
        return Failure(std::move(result), error);
    }
    if (result.salvaged ? ::renameat2(AT_FDCWD, partial.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0
                        : Rename(partial, target) != 0) {
        error = SystemError("cannot rename " + partial + " to " + target);
        ::unlink(partial.c_str());
        return Failure(std::move(result), error);
    }
    SyncDirectory(DirectoryOf(target));
    // The backup's own details lie beside it, under the ids the copy gave its records.
    std::string carryError;
    details->WriteFor(target, &carryError);
    NoteDetailsFailure(result, carryError);
    result.outcome = MaintenanceOutcome::Done;
    return result;
}

}  // namespace karvio
