#include "ScanDetails.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Progress.h"

namespace karvio {

namespace {

// The option bits that decide what is read of a file of `kind`.
uint32_t OptionsOf(DetailsKind kind) {
    switch (kind) {
        case DetailsKind::Archive: return kScanArchives;
        case DetailsKind::Picture: return kScanMedia | kScanThumbnails;
        case DetailsKind::Audio:
        case DetailsKind::Video: return kScanMedia;
        case DetailsKind::None: break;
    }
    return 0;
}

constexpr auto kRoomWait = std::chrono::milliseconds(20);

}  // namespace

ScanDetails::ScanDetails(DetailsDatabase& db, uint32_t options, int32_t newCdId, int32_t oldCdId, uint32_t oldOptions,
                         const bool& stopRequested, const DetailsLimits& limits)
    : db_(db),
      options_(options),
      newCdId_(newCdId),
      oldOptions_(oldOptions),
      stop_(stopRequested),
      pool_(db, options, limits) {
    // Read before the pool's first batch is written (the pool holds the transaction open; the
    // connection is its own until Finish).
    if (oldCdId > 0) oldDetailed_ = db_.FileIdsOfCd(oldCdId);
}

ScanDetails::~ScanDetails() = default;

bool ScanDetails::Reusable(DetailsKind kind, const NoteSource::OldFile& old, const FileInfo& file) const {
    const uint32_t asked = options_ & (OptionsOf(kind) | kScanHashes);
    return old.id > 0 && old.size == file.FileSize && old.date == file.FileDate && (asked & ~oldOptions_) == 0 &&
           std::binary_search(oldDetailed_.begin(), oldDetailed_.end(), old.id);
}

void ScanDetails::FileAppended(const FileInfo& file, int dirFd, const char* name, const struct stat* st,
                               const NoteSource::OldFile& old, const ScanWalk& walk) {
    const DetailsKind named = KindOfName(file.FileName);
    const DetailsKind kind = KindWanted(named, options_) ? named : DetailsKind::None;
    const bool hash = (options_ & kScanHashes) != 0;
    if (kind == DetailsKind::None && !hash) return;
    // Links, devices and pipes are catalogued by name only; an empty file holds nothing to read
    // inside (its hash is that of no bytes, the same for all).
    if (!st || !S_ISREG(st->st_mode) || (st->st_size == 0 && !hash)) return;
    if (Reusable(kind, old, file)) {
        carried_.emplace_back(old.id, file.FileId);
        return;
    }
    FileDetails key;
    key.fileId = file.FileId;
    key.cdId = newCdId_;
    key.nameHash = DetailsNameHash(file.FileName);
    key.size = file.FileSize;
    key.date = file.FileDate;
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        key.note = std::string("it could not be opened: ") + std::strerror(errno);
        if (hash) pool_.AddProblem({walk.NativePath(name), key.note});
        pool_.Put(key);
        return;
    }
    const std::string path = hash ? walk.NativePath(name) : std::string();
    // The queue is short: the walk waits for the readers here, answering the user meanwhile.
    while (!pool_.TryAdd(fd, kind, key, hash, path)) {
        pool_.WaitForRoom(kRoomWait);
        YieldIfDue();
        if (stop_) {
            ::close(fd);
            return;
        }
    }
}

bool ScanDetails::Finish(const DetailsCd& cd, std::string* error) {
    std::sort(carried_.begin(), carried_.end());
    if (!pool_.Finish([&] { return db_.CopyFiles(carried_, newCdId_) && db_.PutCd(cd); })) {
        if (error) *error = pool_.Error();
        return false;
    }
    return true;
}

void ScanDetails::Stop() { pool_.Stop(); }

std::vector<ScanSkip> ScanDetails::HashProblems() const {
    std::vector<ScanSkip> problems;
    for (DetailsPool::Problem& p : pool_.Problems()) {
        problems.push_back({std::move(p.path), "not hashed: " + std::move(p.reason)});
    }
    std::sort(problems.begin(), problems.end(), [](const ScanSkip& a, const ScanSkip& b) { return a.path < b.path; });
    return problems;
}

}  // namespace karvio
