#include "ScanWalk.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Progress.h"

namespace karvio {

namespace {

// Directories whose descriptors stay open at once. Deeper trees close the descriptors of their
// upper levels and reopen them through ".." on the way back, so no tree exhausts the process's
// descriptors.
constexpr size_t kMaxOpenDirectories = 64;

constexpr int kOpenDirFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

DIR* OpenDirAt(int parentFd, const char* name, int extraFlags) {
    const int fd = ::openat(parentFd, name, kOpenDirFlags | extraFlags);
    if (fd < 0) return nullptr;
    DIR* dir = ::fdopendir(fd);
    if (!dir) ::close(fd);
    return dir;
}

void CloseDir(DIR*& dir) {
    if (dir) ::closedir(dir);
    dir = nullptr;
}

}  // namespace

ScanWalk::ScanWalk(classData& data, int32_t cdId, const bool& stopRequested, NoteSource* notes,
                   ScanProgress* progress, FileSink* files)
    : data_(data), cdId_(cdId), stop_(stopRequested), notes_(notes), progress_(progress), files_(files) {}

ScanWalk::~ScanWalk() {
    for (Frame& frame : frames_) CloseDir(frame.dir);
}

ScanCounts ScanWalk::Walk(const std::string& path, int32_t attr, double date) {
    // The top directory's name and stored path come from its place on its volume: a volume root
    // has no name and stands at "\"; /media/cd/Photos/2001 is "2001" in "Photos".
    const std::string relative = GetRelativeDirPath(path);
    std::string name, storedPath = "\\";
    path_.clear();
    if (relative != "\\") {
        const size_t cut = relative.find_last_of('\\');
        name = cut == std::string::npos ? relative : relative.substr(cut + 1);
        if (cut != std::string::npos) storedPath = relative.substr(0, cut);
        path_ = relative;
    }

    nativeTop_ = StripBackslash(path);
    relativeTopLength_ = path_.size();
    skipped_.clear();
    skippedCount_ = 0;
    tooLarge_ = false;
    const int fd = ::open(nativeTop_.c_str(), kOpenDirFlags);
    DIR* dir = nullptr;
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0) dir = ::fdopendir(fd);
    if (!dir) {
        if (fd >= 0) ::close(fd);
        Skip("");
    }
    rootDev_ = st.st_dev;

    depth_ = 0;
    seen_ = ScanCounts{};
    ScanCounts result;
    if (!Room(static_cast<int64_t>(DirRecord::kSize + name.size() + storedPath.size()))) {
        if (dir) ::closedir(dir);
        return result;
    }
    Enter(dir, st.st_dev, st.st_ino, name, storedPath, attr, date);
    while (depth_ > 0) {
        Frame& frame = frames_[depth_ - 1];
        if (frame.nextSubdir < frame.subdirs.size() && !Stopped()) {
            const Subdir sub = frame.subdirs[frame.nextSubdir++];
            const char* subName = frame.names.data() + sub.nameOffset;
            if (!Room(static_cast<int64_t>(DirRecord::kSize + std::strlen(subName) + path_.size()))) continue;
            DIR* child = sub.enter && !frame.lost ? OpenDirAt(::dirfd(frame.dir), subName, O_NOFOLLOW) : nullptr;
            if (!child && sub.enter) {
                if (frame.lost) errno = EIO;
                Skip(subName);
            }
            // Enter may grow frames_; nothing below uses `frame` again.
            Enter(child, sub.dev, sub.ino, subName, path_.empty() ? std::string("\\") : path_,
                  sub.attr, sub.date);
            continue;
        }
        if (depth_ == 1) result = frame.totals;
        Leave();
    }
    return result;
}

void ScanWalk::Enter(DIR* dir, dev_t dev, ino_t ino, const std::string& name,
                     const std::string& storedPath, int32_t attr, double date) {
    dirInfo_.DirCdId = cdId_;
    dirInfo_.DirName = name;
    dirInfo_.DirPath = storedPath;
    dirInfo_.DirSize = -1;
    dirInfo_.DirDate = date;
    dirInfo_.DirAttr = attr;
    dirInfo_.DirNotes = notes_ ? notes_->DirNotes(storedPath, name) : std::string();
    const int32_t dirId = AddDirInfo(data_, dirInfo_);

    if (depth_ == frames_.size()) frames_.emplace_back();
    Frame& frame = frames_[depth_++];
    frame.dir = dir;
    frame.dev = dev;
    frame.ino = ino;
    frame.lost = false;
    frame.dirId = dirId;
    frame.totals = ScanCounts{};
    frame.directFiles = 0;
    frame.pathLength = path_.size();
    frame.names.clear();
    frame.subdirs.clear();
    frame.nextSubdir = 0;
    if (depth_ > 1) {
        if (!path_.empty()) path_ += '\\';
        path_ += name;
    }
    KeepDescriptorsBounded();

    ++seen_.directories;
    if (progress_) progress_->DirectoryStarted(path_.empty() ? std::string_view("\\") : path_, seen_);
    ScanEntries(frame);
}

void ScanWalk::ScanEntries(Frame& frame) {
    data_.GetCdGoto(cdId_).GetDirGoto(frame.dirId).GetFileAppendStart();
    if (frame.dir) {
        errno = 0;
        ReadListing(frame.dir);
        // The listing broke off: what it gave is catalogued, the rest is said to be missing.
        if (errno != 0) Skip("");
        const int fd = ::dirfd(frame.dir);
        for (const Listed& entry : listed_) {
            const char* name = listNames_.data() + entry.offset;
            struct stat st;
            const bool examined = ::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0;
            // An entry gone since the listing is simply not there any more; one that is there but
            // cannot be examined is still catalogued by its name, as the listing typed it.
            if (!examined && errno == ENOENT) continue;
            if (!examined) Skip(name);
            const bool isDir = examined ? S_ISDIR(st.st_mode) : entry.type == DT_DIR;
            if (isDir) {
                Subdir sub{};
                sub.nameOffset = frame.names.size();
                frame.names.insert(frame.names.end(), name, name + std::strlen(name) + 1);
                if (examined) {
                    sub.attr = AttributesOf(st.st_mode, name);
                    sub.date = toDate_(st.st_mtim.tv_sec);
                    sub.dev = st.st_dev;
                    sub.ino = st.st_ino;
                    // A mount point is catalogued as a directory but not entered.
                    sub.enter = st.st_dev == rootDev_;
                } else {
                    sub.attr = kAttrDirectory | (name[0] == '.' ? kAttrHidden : 0);
                    sub.enter = true;
                }
                frame.subdirs.push_back(sub);
            } else {
                AddFile(frame, fd, name, examined ? &st : nullptr);
            }
            YieldIfDue();
            if (Stopped()) break;
        }
    }
    data_.GetCdGoto(cdId_).GetDirGoto(0).GetFileAppendFinish();
}

void ScanWalk::ReadListing(DIR* dir) {
    listNames_.clear();
    listed_.clear();
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        listed_.push_back({static_cast<uint32_t>(listNames_.size()), entry->d_type});
        listNames_.insert(listNames_.end(), name, name + std::strlen(name) + 1);
    }
    const char* base = listNames_.data();
    std::sort(listed_.begin(), listed_.end(), [base](const Listed& a, const Listed& b) {
        return std::strcmp(base + a.offset, base + b.offset) < 0;
    });
}

void ScanWalk::AddFile(Frame& frame, int dirFd, const char* name, const struct stat* st) {
    fileInfo_.FileName.assign(name);
    if (st) {
        fileInfo_.FileSize = static_cast<double>(st->st_size);
        fileInfo_.FileDate = toDate_(st->st_mtim.tv_sec);
        fileInfo_.FileAttr = AttributesOf(st->st_mode, name);
    } else {
        fileInfo_.FileSize = 0;
        fileInfo_.FileDate = 0;
        fileInfo_.FileAttr = name[0] == '.' ? kAttrHidden : 0;
    }
    if (notes_) {
        fileInfo_.FileNotes = notes_->FileNotes(fileInfo_.FileName);
    }
    if (!Room(static_cast<int64_t>(FileRecord::kSize + fileInfo_.FileName.size() + fileInfo_.FileNotes.size()))) {
        return;
    }
    fileInfo_.FileId = AddFileInfo(data_, fileInfo_);
    if (files_) {
        fileInfo_.FileCdId = cdId_;
        files_->FileAppended(fileInfo_, dirFd, name, st, notes_ ? notes_->LastFile() : NoteSource::OldFile{}, *this);
    }
    frame.totals.files += 1;
    frame.totals.bytes += fileInfo_.FileSize;
    frame.directFiles += 1;
    ++seen_.files;
    seen_.bytes += fileInfo_.FileSize;
    if (progress_) {
        progress_->FileAdded(path_.empty() ? std::string_view("\\") : path_, fileInfo_.FileName, seen_);
    }
}

void ScanWalk::Leave() {
    Frame& frame = frames_[depth_ - 1];
    data_.GetCdGoto(cdId_).GetDirGoto(frame.dirId).updateDirSize(
        -frame.totals.bytes, frame.totals.directories, frame.totals.files, frame.directFiles);
    path_.resize(frame.pathLength);
    --depth_;
    if (depth_ > 0) {
        Frame& parent = frames_[depth_ - 1];
        parent.totals.directories += frame.totals.directories + 1;
        parent.totals.files += frame.totals.files;
        parent.totals.bytes += frame.totals.bytes;
        if (!parent.dir && !parent.lost) RecoverDescriptor(parent, frame.dir);
    }
    CloseDir(frame.dir);
    YieldIfDue();
}

bool ScanWalk::Room(int64_t bytes) {
    if (!tooLarge_ && data_.File()->Length() + bytes + reserve_ > kMaxCatalogueLength) tooLarge_ = true;
    return !tooLarge_;
}

void ScanWalk::Skip(const char* name) {
    const std::string reason = std::strerror(errno != 0 ? errno : EIO);
    ++skippedCount_;
    if (skipped_.size() >= kMaxSkipsListed) return;
    skipped_.push_back({NativePath(name), reason});
}

std::string ScanWalk::NativePath(const char* name) const {
    // The catalogue path below the top ("\\"-separated) and the name, joined to the walked path.
    std::string below = path_.substr(std::min(relativeTopLength_, path_.size()));
    for (char& c : below) {
        if (c == '\\') c = '/';
    }
    if (*name != '\0') below += std::string("/") + name;
    while (!below.empty() && below.front() == '/') below.erase(0, 1);
    std::string path = nativeTop_;
    if (!below.empty()) {
        if (path.empty() || path.back() != '/') path += '/';
        path += below;
    }
    return path;
}

void ScanWalk::KeepDescriptorsBounded() {
    if (depth_ <= kMaxOpenDirectories) return;
    CloseDir(frames_[depth_ - 1 - kMaxOpenDirectories].dir);
}

void ScanWalk::RecoverDescriptor(Frame& parent, DIR* child) {
    // The parent's descriptor was closed while the walk was deep below it. Its child's ".." is
    // the parent again unless the tree was moved meanwhile; a different directory is not used.
    DIR* dir = child ? OpenDirAt(::dirfd(child), "..", 0) : nullptr;
    struct stat st {};
    if (dir && ::fstat(::dirfd(dir), &st) == 0 && st.st_dev == parent.dev && st.st_ino == parent.ino) {
        parent.dir = dir;
        return;
    }
    CloseDir(dir);
    parent.lost = true;
}

}  // namespace karvio
