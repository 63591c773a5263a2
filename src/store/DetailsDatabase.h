// The details database of a catalogue: what the catalogue format cannot hold, in one SQLite file
// beside the data file ("<data file>.db"), keyed by record id: per CD the options it was scanned
// with and the identity of its volume; per file what a scan read inside it (archive members,
// media fields, a thumbnail, or a note of why it could not be read). The catalogue file keeps its
// format byte for byte; the database never costs it anything.
//
// A database belongs to one catalogue file: it records the catalogue's creation date, and one
// made for another file (a catalogue created anew, or compacted by a program that knows nothing
// of it) is set aside and started empty, as is a damaged one. Rows of a CD count only while the
// CD's last-scanned date and file count are those its row recorded.
//
// Writers hold the catalogue's write lock, so they never meet; readers never change the file and
// wait at most a moment for a writer's commit. One object is one connection: one thread at a
// time (the scan's workers share one behind a mutex of their own).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ContentHash.h"
#include "VolumeSidecar.h"

struct sqlite3;
struct sqlite3_stmt;

namespace karvio {

class classData;

// What a scan reads beyond names, sizes and dates. A CD remembers the options it was scanned
// with, and a rescan uses them again.
enum ScanOption : uint32_t {
    kScanArchives = 1,    // list the members of archives
    kScanMedia = 2,       // read the details of pictures, songs and films
    kScanThumbnails = 4,  // make small pictures of pictures
    kScanAllDetails = kScanArchives | kScanMedia | kScanThumbnails,
    kScanHashes = 8,      // record the content hash of every file
};

// One CD's row.
struct DetailsCd {
    int32_t cdId = 0;
    double lastScanned = 0;  // the CD record's, when the row was written
    int32_t files = 0;       // likewise
    uint32_t options = 0;    // ScanOption bits
    std::optional<VolumeIdentity> volume;
};

enum class MediaKind : uint8_t { None = 0, Picture = 1, Audio = 2, Video = 3 };

// The media fields of one file; empty texts and zeros are unknown.
struct MediaFields {
    MediaKind kind = MediaKind::None;
    double taken = 0;  // catalogue date the picture was taken
    std::string camera, artist, album, title;
    double duration = 0;  // seconds
    int32_t width = 0, height = 0;
    std::string codecs;  // "h264, aac"

    bool operator==(const MediaFields&) const = default;
};

// One member of an archive, as its header names it.
struct ArchiveMember {
    std::string path;  // inside the archive: "/"-separated, no leading "/", no "." or ".." parts
    double size = 0;
    double date = 0;  // catalogue date; 0 unknown
    bool isDir = false;

    bool operator==(const ArchiveMember&) const = default;
};

// A short fingerprint of a file's name, kept with its details.
uint32_t DetailsNameHash(std::string_view name);

// What a scan read of one file. The file's name (by its fingerprint), size and date are kept
// with it: the details count only for a file record that still has them.
struct FileDetails {
    int32_t fileId = 0;
    int32_t cdId = 0;
    uint32_t nameHash = 0;
    double size = 0;
    double date = 0;
    std::string note;            // why something could not be read; empty when everything could
    bool isArchive = false;
    int32_t memberCount = 0;     // members listed (at most the cap)
    bool membersCapped = false;  // the archive holds more than were listed, or could not be read to its end
    MediaFields media;
    bool hasThumbnail = false;
    std::optional<ContentHash> hash;  // of the file's contents, when the scan recorded them

    bool Empty() const {
        return note.empty() && !isArchive && media.kind == MediaKind::None && !hasThumbnail && !hash;
    }
    bool Fits(std::string_view name, double fileSize, double fileDate) const {
        return size == fileSize && date == fileDate && nameHash == DetailsNameHash(name);
    }
};

// Record id translations of a copied catalogue (old id -> new id), sorted by old id.
using IdPairs = std::vector<std::pair<int32_t, int32_t>>;

class DetailsDatabase {
public:
    // Where the details of the catalogue at `dataFile` are kept: beside the file itself (symbolic
    // links resolved), its name with ".db" added.
    static std::string PathFor(const std::string& dataFile);

    // Opens the details of the catalogue `data` has open, for reading: nothing is created or
    // changed. Null when there are none to read; `note` then says why when a file is there but
    // cannot be used (damaged, not a regular file, another catalogue's).
    static std::unique_ptr<DetailsDatabase> OpenForReading(classData& data, std::string* note = nullptr);

    // Opens them for writing. REQUIRES: `data` holds the catalogue's write lock. A missing
    // database is made when `create` is set (null otherwise, with no note); one that cannot be
    // used is set aside as "<db>.damaged" and started empty, and `note` says so. A new database
    // takes over the volume identities of the older "<data file>.volumes" list once. Null, with
    // `note` saying why, when no database can be made.
    static std::unique_ptr<DetailsDatabase> OpenForWriting(classData& data, std::string* note, bool create = true);
    // The same for the catalogue at `dataFile`, created at `created`, which the caller holds
    // locked or has just written and not yet shown to anyone (a backup).
    static std::unique_ptr<DetailsDatabase> OpenForWriting(const std::string& dataFile, double created,
                                                           std::string* note, bool create = true);

    ~DetailsDatabase();
    DetailsDatabase(const DetailsDatabase&) = delete;
    DetailsDatabase& operator=(const DetailsDatabase&) = delete;

    const std::string& Path() const { return path_; }
    // What the last failed call reported.
    const std::string& Error() const { return error_; }
    // A call found the file damaged; writers then set it aside (SetAsideDamaged).
    bool FoundDamaged() const { return damaged_; }

    // Transactions; the changes below outside one are each a transaction of their own.
    bool Begin();
    bool Commit();
    void Rollback();

    // CDs.
    std::optional<DetailsCd> Cd(int32_t cdId);
    std::vector<DetailsCd> Cds();
    bool PutCd(const DetailsCd& cd);
    // Forgets a CD with everything recorded of its files; the members and thumbnails its files
    // share with another CD's files (a rescan's) stay with those.
    bool DropCd(int32_t cdId);
    // Forgets every row keyed at or beyond `length`: leftovers of a scan whose appended space was
    // given back, which the next records appended there must not inherit.
    bool DropBeyond(int64_t length);
    // Whether the identities of the older volumes list were taken over; the mark that they were.
    bool VolumesMigrated();
    bool SetVolumesMigrated();

    // Files.
    bool PutFile(const FileDetails& details, const std::vector<ArchiveMember>& members,
                 std::string_view thumbnail);
    std::optional<FileDetails> File(int32_t fileId);
    // The members of an archive in stored order (the archive's own order).
    std::vector<ArchiveMember> Members(int32_t fileId);
    // The thumbnail's bytes (a compressed picture); empty when there is none.
    std::string Thumbnail(int32_t fileId);
    // Every file row of CD `cdId` in id order, and every member of its archives in file and
    // archive order; `visit` returns false to stop.
    void ForEachFile(int32_t cdId, const std::function<bool(const FileDetails&)>& visit);
    void ForEachMember(int32_t cdId, const std::function<bool(int32_t fileId, const ArchiveMember&)>& visit);
    // The ids of the files of CD `cdId` that have details, ascending.
    std::vector<int32_t> FileIdsOfCd(int32_t cdId);
    // The ids of the files of CD `cdId` that are archives with members listed, ascending.
    std::vector<int32_t> ArchiveIdsOfCd(int32_t cdId);
    // The ids of the files of CD `cdId` from `first` to `last` that have details (with
    // `thumbnails`: that have a thumbnail), ascending. Reads the indexes only, never a thumbnail.
    std::vector<int32_t> FileIdsOfCdBetween(int32_t cdId, int32_t first, int32_t last, bool thumbnails);
    // Every file id that has details, ascending.
    std::vector<int32_t> FileIds();
    // The content hashes recorded for the files of CD `cdId`, with the stamp each was taken
    // with (no media fields, members or thumbnails), in id order; `visit` returns false to stop.
    void ForEachHash(int32_t cdId, const std::function<bool(const FileDetails&)>& visit);
    // Copies the details of files to new ids (a rescan's unchanged files) under CD `newCdId`: one
    // row each, sharing the old file's members and thumbnail.
    bool CopyFiles(const IdPairs& files, int32_t newCdId);

    // Counts, for check and info.
    int64_t CountFiles();
    int64_t CountMembers();
    int64_t CountThumbnails();
    // SQLite's own consistency check of the whole file; the problems it found (none: empty).
    std::vector<std::string> IntegrityProblems();

    // Writes a database for the catalogue copy at `toDataFile` (created at `toCreated`) from the
    // details of this one, every id translated through `cds` and `files`; rows of records that
    // are not in them are left out. The file is written beside its place and renamed into it
    // when complete. False with Error() set when it could not be written.
    bool WriteTranslated(const std::string& toDataFile, double toCreated, const IdPairs& cds, const IdPairs& files);

    // Removes a database and its journal (a catalogue without details).
    static bool Remove(const std::string& dbPath, std::string* error);
    // Moves a database and its journal to "<db>.damaged", replacing one set aside earlier.
    static bool SetAside(const std::string& dbPath, std::string* error);
    // Moves the database of `fromDataFile` with its journal to be that of `toDataFile`.
    static bool MoveTo(const std::string& fromDataFile, const std::string& toDataFile, std::string* error);
    // A compaction stopped after its copy took the data file's name and before the details
    // followed it leaves the copy's details under the copy's work name, and the previous file's
    // under the data file's. Where that is so for the catalogue `dataFile` (created at
    // `created`), the copy's details take their place and the previous file's go to the "bak"
    // file when they are its (else they are set aside). True when something was moved; false
    // with `error` set when a move failed. REQUIRES: the catalogue's write lock is held.
    static bool TakeBackFromCompaction(const std::string& dataFile, double created, std::string* error);

private:
    explicit DetailsDatabase(std::string path);
    // The details a stopped compaction left under its copy's work name for the catalogue
    // `dataFile` created at `created`; empty when there are none.
    static std::string LeftByCompaction(const std::string& dataFile, double created);
    bool Open(bool readOnly);
    // Puts back the pages of a transaction a stopped writer left in its journal.
    void RollBackHotJournal();
    bool CreateSchema(double created);
    // Checks that the open file is a details database of the catalogue created at `created`.
    bool Belongs(double created, std::string* why);
    // Brings a database of an older schema up to this one's, keeping every row.
    bool Upgrade();
    bool Migrate(const std::string& dataFile);
    bool Exec(const char* sql);
    bool Fail(int rc, const char* what);
    sqlite3_stmt* Prepare(const char* sql);

    std::string path_;
    sqlite3* db_ = nullptr;
    std::string error_;
    bool damaged_ = false;
    bool readOnly_ = true;
    int version_ = 0;  // of the open file's schema
    std::vector<std::pair<const char*, sqlite3_stmt*>> statements_;
};

}  // namespace karvio
