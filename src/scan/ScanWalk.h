// The walk of one scan: visits a directory tree depth-first and appends its directory and file
// records to a CD's open append runs, with per-directory totals. It keeps an explicit stack (no
// recursion) and works relative to each directory's descriptor, so neither the stack nor
// PATH_MAX limit the depth. Non-owning: the store object, the stop flag, the note source and the
// progress belong to the scan engine. User-interface thread only.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "PathServices.h"
#include "TransferRecords.h"
#include "classData.h"

namespace karvio {

// Totals of a walk or of one directory's subtree.
struct ScanCounts {
    int32_t directories = 0;
    int32_t files = 0;
    double bytes = 0;
};

// Where a scan shows how far it is. The desktop window and the command-line tool fill it in.
class ScanProgress {
public:
    virtual ~ScanProgress() = default;
    // A directory record was appended; `path` is its catalogue path ("\" for a volume root).
    // `soFar` counts every directory and file appended so far.
    virtual void DirectoryStarted(std::string_view path, const ScanCounts& soFar) = 0;
    // A file record named `name` was appended to the directory `dirPath` (as above).
    virtual void FileAdded(std::string_view dirPath, std::string_view name, const ScanCounts& soFar) = 0;
};

// Where the walk takes the notes of the records it appends: the old CD of a rescan.
class NoteSource {
public:
    virtual ~NoteSource() = default;
    // The notes of the directory named `name` whose containing path is `path` ("\" for the top).
    // Calls come in the walk's order; the file notes that follow belong to this directory.
    virtual std::string DirNotes(const std::string& path, const std::string& name) = 0;
    virtual std::string FileNotes(std::string_view name) = 0;

    // The old record the last FileNotes found by its name (id 0 when it found none).
    struct OldFile {
        int32_t id = 0;
        double size = 0, date = 0;
    };
    virtual OldFile LastFile() const { return {}; }
};

class ScanWalk;

// Where the walk hands each file it appended, to look inside it (the details of a scan).
class FileSink {
public:
    virtual ~FileSink() = default;
    // `file` (its id set) was appended from the entry `name` of the directory open at `dirFd`;
    // `st` is the entry's status, null when it could not be examined; `old` the record a rescan
    // matched it with; `walk` names it (NativePath) where something is to be said of it.
    virtual void FileAppended(const FileInfo& file, int dirFd, const char* name, const struct stat* st,
                              const NoteSource::OldFile& old, const ScanWalk& walk) = 0;
};

// A folder or file the walk could not read: its native path and the system's reason. A folder
// that cannot be listed is catalogued empty, a file that cannot be examined by its name alone.
struct ScanSkip {
    std::string path;
    std::string reason;
};

// At most this many skipped places are kept by name; all are counted.
inline constexpr size_t kMaxSkipsListed = 1000;

class ScanWalk {
public:
    // Appends to the CD `cdId` of `data`, whose directory append run is open. The walk ends early
    // when `stopRequested` becomes set (checked after every entry).
    ScanWalk(classData& data, int32_t cdId, const bool& stopRequested, NoteSource* notes,
             ScanProgress* progress, FileSink* files = nullptr);
    ~ScanWalk();

    ScanWalk(const ScanWalk&) = delete;
    ScanWalk& operator=(const ScanWalk&) = delete;

    // Walks the directory `path` (a native path as spelled on disk), whose own record gets the
    // attribute word `attr` and the date `date`. Returns the totals below it: directories (the
    // directory itself not counted), files, bytes.
    ScanCounts Walk(const std::string& path, int32_t attr, double date);

    // The folders and files that could not be read, in walk order (the first kMaxSkipsListed),
    // and how many there were.
    const std::vector<ScanSkip>& Skipped() const { return skipped_; }
    int64_t SkippedCount() const { return skippedCount_; }
    // The walk stopped before a record that would have taken the catalogue past the largest
    // length its format holds (with `reserve` bytes kept for what follows the walk); nothing
    // past that point was appended.
    bool TooLarge() const { return tooLarge_; }
    void SetReserve(int64_t reserve) { reserve_ = reserve; }

    // The native path of the entry `name` of the directory being walked (the directory itself
    // for an empty name), from the walked path as given.
    std::string NativePath(const char* name) const;

private:
    // A subdirectory seen in its parent's listing, waiting to be walked.
    struct Subdir {
        size_t nameOffset;  // into Frame::names
        int32_t attr;
        double date;
        dev_t dev;
        ino_t ino;
        bool enter;  // false for mount points and entries that could not be examined
    };

    // One directory being walked.
    struct Frame {
        DIR* dir = nullptr;  // closed while deep below it; reopened through ".." on the way back
        dev_t dev = 0;
        ino_t ino = 0;
        bool lost = false;  // its descriptor could not be recovered: subdirectories stay unvisited
        int32_t dirId = 0;
        ScanCounts totals;
        int32_t directFiles = 0;
        size_t pathLength = 0;  // length of the catalogue path before this directory's name
        std::vector<char> names;
        std::vector<Subdir> subdirs;
        size_t nextSubdir = 0;
    };

    // A listing entry: offset of its NUL-terminated name in listNames_, and its d_type.
    struct Listed {
        uint32_t offset;
        unsigned char type;
    };

    void Enter(DIR* dir, dev_t dev, ino_t ino, const std::string& name, const std::string& storedPath,
               int32_t attr, double date);
    void ScanEntries(Frame& frame);
    void ReadListing(DIR* dir);
    void AddFile(Frame& frame, int dirFd, const char* name, const struct stat* st);
    void Leave();
    void KeepDescriptorsBounded();
    void RecoverDescriptor(Frame& parent, DIR* child);
    // Whether `bytes` more fit below the largest length, the reserve kept; sets TooLarge when not.
    bool Room(int64_t bytes);
    bool Stopped() const { return stop_ || tooLarge_; }
    // Notes a place that could not be read; `name` is below the innermost directory (empty for
    // the directory itself). Uses errno.
    void Skip(const char* name);

    classData& data_;
    const int32_t cdId_;
    const bool& stop_;
    NoteSource* notes_;
    ScanProgress* progress_;
    FileSink* files_;
    dev_t rootDev_ = 0;

    std::vector<Frame> frames_;  // frames_[0 .. depth_-1] are the directories being walked
    size_t depth_ = 0;
    std::string path_;  // catalogue path of the innermost directory ("" for a volume root)
    std::string nativeTop_;       // the walked path as given, for naming skipped places
    size_t relativeTopLength_ = 0;  // length of path_ at the top directory
    std::vector<ScanSkip> skipped_;
    int64_t skippedCount_ = 0;
    bool tooLarge_ = false;
    int64_t reserve_ = 1 << 20;
    ScanCounts seen_;   // everything appended so far, for the progress
    std::vector<char> listNames_;
    std::vector<Listed> listed_;
    DirInfo dirInfo_;
    FileInfo fileInfo_;
    FileDateConverter toDate_;
};

}  // namespace karvio
