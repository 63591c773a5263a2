#include "DetailsDatabase.h"

#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "CatalogueCopy.h"
#include "classData.h"

namespace karvio {

namespace {

// "KRVD": the file is a Karvio details database, whatever its name.
constexpr int kApplicationId = 0x4B525644;
// 1: the first; 2: files keep the content hash of their bytes; 3: members and thumbnails are kept
// under the id of the file they were read for (files.origin_id), which a rescan's unchanged file
// shares with its old record instead of copying them. An older file is brought up to date by its
// first writer, keeping every row; readers read it as it is (there every file is its own origin).
constexpr int kSchemaVersion = 3;
// A reader waits this long for a writer's commit; a writer for a reader's snapshot.
constexpr int kReaderWaitMs = 2000;
constexpr int kWriterWaitMs = 5000;

// Members and thumbnails are keyed by their origin: file_id there is the origin_id of the files
// rows that share them, and cd_id the CD of the file they were read for (kept for the record).
constexpr const char* kSchema = R"sql(
CREATE TABLE meta(key TEXT PRIMARY KEY, value) WITHOUT ROWID;
CREATE TABLE cds(
    cd_id INTEGER PRIMARY KEY,
    last_scanned REAL NOT NULL,
    files INTEGER NOT NULL,
    options INTEGER NOT NULL DEFAULT 0,
    has_volume INTEGER NOT NULL DEFAULT 0,
    uuid TEXT, label TEXT, fs_type TEXT, size REAL, relative_path TEXT, source TEXT);
CREATE TABLE files(
    file_id INTEGER PRIMARY KEY,
    cd_id INTEGER NOT NULL,
    name_hash INTEGER NOT NULL,
    size REAL NOT NULL,
    date REAL NOT NULL,
    note TEXT,
    is_archive INTEGER NOT NULL DEFAULT 0,
    member_count INTEGER NOT NULL DEFAULT 0,
    members_capped INTEGER NOT NULL DEFAULT 0,
    media_kind INTEGER NOT NULL DEFAULT 0,
    taken REAL, camera TEXT, artist TEXT, album TEXT, title TEXT,
    duration REAL, width INTEGER, height INTEGER, codecs TEXT,
    has_thumbnail INTEGER NOT NULL DEFAULT 0,
    hash BLOB,
    origin_id INTEGER);
CREATE INDEX files_by_cd ON files(cd_id);
CREATE INDEX files_by_origin ON files(origin_id);
CREATE TABLE members(
    file_id INTEGER NOT NULL,
    seq INTEGER NOT NULL,
    cd_id INTEGER NOT NULL,
    path BLOB NOT NULL,
    size REAL NOT NULL,
    date REAL NOT NULL,
    is_dir INTEGER NOT NULL,
    PRIMARY KEY(file_id, seq)) WITHOUT ROWID;
CREATE TABLE thumbnails(file_id INTEGER PRIMARY KEY, cd_id INTEGER NOT NULL, image BLOB NOT NULL);
)sql";

// The steps that bring a file of each older schema up to this one, in order.
constexpr const char* kUpgrades[kSchemaVersion - 1] = {
    "ALTER TABLE files ADD COLUMN hash BLOB",
    "ALTER TABLE files ADD COLUMN origin_id INTEGER; UPDATE files SET origin_id = file_id; "
    "CREATE INDEX files_by_origin ON files(origin_id); DROP INDEX IF EXISTS members_by_cd; "
    "DROP INDEX IF EXISTS thumbnails_by_cd",
};

std::string Resolved(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string resolved(real);
    ::free(real);
    return resolved;
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

// The creation date is kept bit for bit, so the comparison is exact.
int64_t DateBits(double date) {
    int64_t bits = 0;
    std::memcpy(&bits, &date, sizeof bits);
    return bits;
}

enum class OnDisk { Missing, Regular, Other };

OnDisk Examine(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? OnDisk::Missing : OnDisk::Other;
    return S_ISREG(st.st_mode) ? OnDisk::Regular : OnDisk::Other;
}

bool RenameIfThere(const std::string& from, const std::string& to, std::string* error) {
    if (::rename(from.c_str(), to.c_str()) == 0 || errno == ENOENT) return true;
    if (error) *error = SystemError("cannot rename " + from + " to " + to);
    return false;
}

// Binds and steps statements; texts and blobs are bound without a copy.
class Statement {
public:
    explicit Statement(sqlite3_stmt* stmt) : stmt_(stmt) {}
    ~Statement() {
        if (stmt_) {
            sqlite3_reset(stmt_);
            sqlite3_clear_bindings(stmt_);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    explicit operator bool() const { return stmt_ != nullptr; }
    Statement& Int(int64_t v) {
        sqlite3_bind_int64(stmt_, ++at_, v);
        return *this;
    }
    Statement& Real(double v) {
        sqlite3_bind_double(stmt_, ++at_, v);
        return *this;
    }
    Statement& Text(std::string_view v) {
        sqlite3_bind_text(stmt_, ++at_, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
        return *this;
    }
    Statement& Null() {
        sqlite3_bind_null(stmt_, ++at_);
        return *this;
    }
    Statement& Blob(std::string_view v) {
        sqlite3_bind_blob(stmt_, ++at_, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
        return *this;
    }
    int Step() { return sqlite3_step(stmt_); }

    int64_t ColumnInt(int i) const { return sqlite3_column_int64(stmt_, i); }
    double ColumnReal(int i) const { return sqlite3_column_double(stmt_, i); }
    std::string ColumnText(int i) const {
        const void* bytes = sqlite3_column_blob(stmt_, i);
        const int n = sqlite3_column_bytes(stmt_, i);
        return bytes ? std::string(static_cast<const char*>(bytes), static_cast<size_t>(n)) : std::string();
    }

private:
    sqlite3_stmt* stmt_;
    int at_ = 0;
};

}  // namespace

uint32_t DetailsNameHash(std::string_view name) {
    // FNV-1a: enough to tell two names apart, which is all it is asked.
    uint32_t hash = 2166136261u;
    for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
    return hash;
}

std::string DetailsDatabase::PathFor(const std::string& dataFile) { return Resolved(dataFile) + ".db"; }

DetailsDatabase::DetailsDatabase(std::string path) : path_(std::move(path)) {}

DetailsDatabase::~DetailsDatabase() {
    for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
    if (db_) sqlite3_close(db_);
}

bool DetailsDatabase::Fail(int rc, const char* what) {
    if (rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB) damaged_ = true;
    error_ = path_ + ": " + what + ": " + (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
    return false;
}

bool DetailsDatabase::Exec(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK || Fail(rc, "cannot be changed");
}

sqlite3_stmt* DetailsDatabase::Prepare(const char* sql) {
    for (auto& [text, stmt] : statements_) {
        if (text == sql) return stmt;
    }
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) {
        Fail(rc, "cannot be read");
        return nullptr;
    }
    statements_.emplace_back(sql, stmt);
    return stmt;
}

bool DetailsDatabase::Open(bool readOnly) {
    readOnly_ = readOnly;
    if (readOnly && Examine(path_ + "-journal") == OnDisk::Regular) RollBackHotJournal();
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                      SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path_.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) return Fail(rc, "cannot be opened");
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, readOnly ? kReaderWaitMs : kWriterWaitMs);
    // A catalogue may live on a file system without shared memory: the rollback journal works
    // everywhere, and writers take turns through the catalogue's lock anyway.
    return readOnly || (Exec("PRAGMA journal_mode=DELETE") && Exec("PRAGMA foreign_keys=OFF"));
}

void DetailsDatabase::RollBackHotJournal() {
    // A writer stopped in the middle of a transaction leaves its journal beside the database; a
    // read-only connection cannot put the pages back and refuses to read. The first connection
    // that may write does it (SQLite takes the locks that tell a hot journal from a live one), so
    // a reader opens one for that alone; where it may not write, the reader reports the database
    // as unreadable, as before.
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX,
                        nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, kReaderWaitMs);
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
}

bool DetailsDatabase::CreateSchema(double created) {
    if (!Exec("BEGIN IMMEDIATE")) return false;
    if (!Exec(kSchema)) {
        Rollback();
        return false;
    }
    Statement meta(Prepare("INSERT INTO meta(key, value) VALUES('catalogue_created', ?)"));
    if (!meta || (meta.Int(DateBits(created)).Step() != SQLITE_DONE && !Fail(SQLITE_ERROR, "cannot be written"))) {
        Rollback();
        return false;
    }
    const std::string pragmas = "PRAGMA application_id=" + std::to_string(kApplicationId) +
                                "; PRAGMA user_version=" + std::to_string(kSchemaVersion);
    if (!Exec(pragmas.c_str())) {
        Rollback();
        return false;
    }
    if (!Commit()) return false;
    version_ = kSchemaVersion;
    return true;
}

bool DetailsDatabase::Upgrade() {
    if (version_ >= kSchemaVersion) return true;
    if (!Begin()) return false;
    // Each step in order; the version moves with the last one, in the same transaction.
    bool done = true;
    for (int from = std::max(version_, 1); done && from < kSchemaVersion; ++from) done = Exec(kUpgrades[from - 1]);
    done = done && Exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
    if (!done) {
        Rollback();
        return false;
    }
    if (!Commit()) return false;
    version_ = kSchemaVersion;
    return true;
}

bool DetailsDatabase::Belongs(double created, std::string* why) {
    auto pragma = [this](const char* sql, int64_t& value) {
        sqlite3_stmt* stmt = Prepare(sql);
        if (!stmt) return false;
        Statement s(stmt);
        if (s.Step() != SQLITE_ROW) return Fail(SQLITE_ERROR, "cannot be read");
        value = s.ColumnInt(0);
        return true;
    };
    int64_t application = 0, version = 0;
    if (!pragma("PRAGMA application_id", application) || !pragma("PRAGMA user_version", version)) {
        *why = "it cannot be read (" + error_ + ")";
        return false;
    }
    if (application != kApplicationId) {
        *why = "it is not a Karvio details database";
        return false;
    }
    if (version < 1 || version > kSchemaVersion) {
        *why = "it was written by another version of Karvio";
        return false;
    }
    version_ = static_cast<int>(version);
    int64_t bits = 0;
    if (!pragma("SELECT value FROM meta WHERE key = 'catalogue_created'", bits)) {
        *why = "it cannot be read (" + error_ + ")";
        return false;
    }
    if (bits != DateBits(created)) {
        *why = "it belongs to another catalogue file (this one was created or compacted since)";
        return false;
    }
    return true;
}

std::unique_ptr<DetailsDatabase> DetailsDatabase::OpenForReading(classData& data, std::string* note) {
    if (note) note->clear();
    if (!data.IsOpen()) return nullptr;
    const std::string path = PathFor(data.GetOpenPath());
    const double created = data.Header().dataCreated;
    // What a stopped compaction left under the name of its copy, now the data file, is read
    // where it lies (a reader moves nothing; the next writer puts it in place).
    auto leftByCompaction = [&]() -> std::unique_ptr<DetailsDatabase> {
        const std::string left = LeftByCompaction(data.GetOpenPath(), created);
        if (left.empty()) return nullptr;
        std::unique_ptr<DetailsDatabase> db(new DetailsDatabase(left));
        std::string why;
        return db->Open(true) && db->Belongs(created, &why) ? std::move(db) : nullptr;
    };
    if (std::unique_ptr<DetailsDatabase> left = leftByCompaction()) return left;
    switch (Examine(path)) {
        case OnDisk::Missing:
            return nullptr;
        case OnDisk::Other:
            if (note) *note = "the details database " + path + " is not a regular file and is not used";
            return nullptr;
        case OnDisk::Regular:
            break;
    }
    std::unique_ptr<DetailsDatabase> db(new DetailsDatabase(path));
    std::string why;
    if (!db->Open(true) || !db->Belongs(created, &why)) {
        if (note) *note = "the details database " + path + " is not used: " + (why.empty() ? db->Error() : why);
        return nullptr;
    }
    return db;
}

std::unique_ptr<DetailsDatabase> DetailsDatabase::OpenForWriting(classData& data, std::string* note, bool create) {
    if (note) note->clear();
    if (!data.IsOpen()) return nullptr;
    return OpenForWriting(data.GetOpenPath(), data.Header().dataCreated, note, create);
}

std::unique_ptr<DetailsDatabase> DetailsDatabase::OpenForWriting(const std::string& dataFile, double created,
                                                                 std::string* note, bool create) {
    if (note) note->clear();
    const std::string path = PathFor(dataFile);
    std::string setAsideWhy;
    // A stopped compaction's copy took the data file's name: its details come back first (the
    // ones under the data file's name are the previous file's, though they may look like its
    // own when both were made in one second).
    if (std::string error; !TakeBackFromCompaction(dataFile, created, &error) && !error.empty()) {
        if (note) *note = "the details database " + path + " cannot be put back in place: " + error;
        return nullptr;
    }
    switch (Examine(path)) {
        case OnDisk::Missing:
            if (!create) return nullptr;
            break;
        case OnDisk::Other:
            setAsideWhy = "it is not a regular file";
            break;
        case OnDisk::Regular: {
            std::unique_ptr<DetailsDatabase> db(new DetailsDatabase(path));
            if (db->Open(false) && db->Belongs(created, &setAsideWhy)) {
                if (db->Upgrade()) return db;
                // Nothing is set aside for this: the rows are sound, only not writable now.
                if (note) *note = "the details database " + path + " cannot be brought up to date: " + db->Error();
                return nullptr;
            }
            if (setAsideWhy.empty()) setAsideWhy = db->Error();
            break;
        }
    }
    std::string error;
    if (!setAsideWhy.empty()) {
        if (!SetAside(path, &error)) {
            if (note) *note = "the details database " + path + " cannot be used (" + setAsideWhy + ") nor set aside: " + error;
            return nullptr;
        }
        if (note) {
            *note = "The details database " + path + " could not be used (" + setAsideWhy +
                    "); it was kept as " + path + ".damaged and started empty. Scan a disc again with details to fill it.";
        }
    }
    std::unique_ptr<DetailsDatabase> db(new DetailsDatabase(path));
    if (!db->Open(false) || !db->CreateSchema(created)) {
        const std::string why = db->Error();
        db.reset();
        ::unlink(path.c_str());
        if (note) *note = why;
        return nullptr;
    }
    // The identities of the older list are taken over once; a list that cannot be read costs
    // only those identities, and says so.
    if (!db->Migrate(dataFile) && note && note->empty()) *note = db->Error();
    return db;
}

bool DetailsDatabase::Migrate(const std::string& dataFile) {
    const SidecarContents sidecar = ReadVolumeSidecarFile(VolumeSidecarPath(dataFile));
    if (!Begin()) return false;
    for (const auto& [id, entry] : sidecar.entries) {
        DetailsCd cd;
        cd.cdId = id;
        cd.lastScanned = entry.lastScanned;
        cd.files = entry.files;
        cd.volume = entry.identity;
        if (!PutCd(cd)) {
            Rollback();
            return false;
        }
    }
    if (!SetVolumesMigrated()) {
        Rollback();
        return false;
    }
    if (!Commit()) return false;
    if (sidecar.state == SidecarState::Damaged) {
        error_ = sidecar.note + "; disc identities that could not be read are left out";
        return false;
    }
    return true;
}

bool DetailsDatabase::VolumesMigrated() {
    Statement s(Prepare("SELECT value FROM meta WHERE key = 'volumes_migrated'"));
    return s && s.Step() == SQLITE_ROW && s.ColumnInt(0) == 1;
}

bool DetailsDatabase::SetVolumesMigrated() {
    Statement s(Prepare("INSERT OR REPLACE INTO meta(key, value) VALUES('volumes_migrated', 1)"));
    if (!s) return false;
    const int rc = s.Step();
    return rc == SQLITE_DONE || Fail(rc, "cannot be written");
}

bool DetailsDatabase::Begin() { return Exec("BEGIN IMMEDIATE"); }

bool DetailsDatabase::Commit() { return Exec("COMMIT"); }

void DetailsDatabase::Rollback() {
    if (db_ && !sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

std::optional<DetailsCd> DetailsDatabase::Cd(int32_t cdId) {
    Statement s(Prepare(
        "SELECT cd_id, last_scanned, files, options, has_volume, uuid, label, fs_type, size, relative_path, "
        "source FROM cds WHERE cd_id = ?"));
    if (!s) return std::nullopt;
    s.Int(cdId);
    if (s.Step() != SQLITE_ROW) return std::nullopt;
    DetailsCd cd;
    cd.cdId = static_cast<int32_t>(s.ColumnInt(0));
    cd.lastScanned = s.ColumnReal(1);
    cd.files = static_cast<int32_t>(s.ColumnInt(2));
    cd.options = static_cast<uint32_t>(s.ColumnInt(3));
    if (s.ColumnInt(4) != 0) {
        VolumeIdentity v;
        v.uuid = s.ColumnText(5);
        v.label = s.ColumnText(6);
        v.fsType = s.ColumnText(7);
        v.size = s.ColumnReal(8);
        v.relativePath = s.ColumnText(9);
        v.source = s.ColumnText(10);
        cd.volume = std::move(v);
    }
    return cd;
}

std::vector<DetailsCd> DetailsDatabase::Cds() {
    std::vector<int32_t> ids;
    {
        Statement s(Prepare("SELECT cd_id FROM cds ORDER BY cd_id"));
        if (!s) return {};
        while (s.Step() == SQLITE_ROW) ids.push_back(static_cast<int32_t>(s.ColumnInt(0)));
    }
    std::vector<DetailsCd> cds;
    for (int32_t id : ids) {
        if (auto cd = Cd(id)) cds.push_back(std::move(*cd));
    }
    return cds;
}

bool DetailsDatabase::PutCd(const DetailsCd& cd) {
    Statement s(Prepare(
        "INSERT OR REPLACE INTO cds(cd_id, last_scanned, files, options, has_volume, uuid, label, fs_type, size, "
        "relative_path, source) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    if (!s) return false;
    const VolumeIdentity none;
    const VolumeIdentity& v = cd.volume ? *cd.volume : none;
    s.Int(cd.cdId).Real(cd.lastScanned).Int(cd.files).Int(cd.options).Int(cd.volume ? 1 : 0);
    s.Text(v.uuid).Text(v.label).Text(v.fsType).Real(v.size).Text(v.relativePath).Text(v.source);
    const int rc = s.Step();
    return rc == SQLITE_DONE || Fail(rc, "cannot be written");
}

bool DetailsDatabase::DropCd(int32_t cdId) {
    // Members and thumbnails go when no file of another CD shares them (after a rescan, the new
    // CD's unchanged files do): the files' rows go last, as the others are found through them.
    static constexpr const char* kDrops[] = {
        "DELETE FROM cds WHERE cd_id = ?1",
        "DELETE FROM members WHERE file_id IN (SELECT origin_id FROM files f WHERE f.cd_id = ?1 AND NOT EXISTS "
        "(SELECT 1 FROM files g WHERE g.origin_id = f.origin_id AND g.cd_id <> ?1))",
        "DELETE FROM thumbnails WHERE file_id IN (SELECT origin_id FROM files f WHERE f.cd_id = ?1 AND NOT EXISTS "
        "(SELECT 1 FROM files g WHERE g.origin_id = f.origin_id AND g.cd_id <> ?1))",
        "DELETE FROM files WHERE cd_id = ?1",
    };
    const bool outer = sqlite3_get_autocommit(db_) != 0;
    if (outer && !Begin()) return false;
    for (const char* sql : kDrops) {
        Statement s(Prepare(sql));
        const int rc = s ? s.Int(cdId).Step() : SQLITE_ERROR;
        if (rc != SQLITE_DONE) {
            if (outer) Rollback();
            return s ? Fail(rc, "cannot be written") : false;
        }
    }
    return !outer || Commit();
}

bool DetailsDatabase::DropBeyond(int64_t length) {
    // Almost always there is nothing to forget: looking costs no write and no sync.
    {
        Statement any(Prepare(
            "SELECT EXISTS(SELECT 1 FROM cds WHERE cd_id > ?1) OR EXISTS(SELECT 1 FROM files WHERE file_id > ?1) OR "
            "EXISTS(SELECT 1 FROM files WHERE cd_id > ?1) OR EXISTS(SELECT 1 FROM members WHERE file_id > ?1) OR "
            "EXISTS(SELECT 1 FROM thumbnails WHERE file_id > ?1)"));
        if (!any) return false;
        any.Int(length);
        if (any.Step() == SQLITE_ROW && any.ColumnInt(0) == 0) return true;
    }
    // Members and thumbnails beyond it were read for files beyond it: a file within shares only
    // those of an older file, which are within too.
    static constexpr const char* kDrops[] = {
        "DELETE FROM cds WHERE cd_id > ?1",
        "DELETE FROM files WHERE file_id > ?1 OR cd_id > ?1",
        "DELETE FROM members WHERE file_id > ?1",
        "DELETE FROM thumbnails WHERE file_id > ?1",
    };
    const bool outer = sqlite3_get_autocommit(db_) != 0;
    if (outer && !Begin()) return false;
    for (const char* sql : kDrops) {
        Statement s(Prepare(sql));
        // Ids are 1-based positions: a record at 0-based offset `length` or later has id > length.
        const int rc = s ? s.Int(length).Step() : SQLITE_ERROR;
        if (rc != SQLITE_DONE) {
            if (outer) Rollback();
            return s ? Fail(rc, "cannot be written") : false;
        }
    }
    return !outer || Commit();
}

bool DetailsDatabase::PutFile(const FileDetails& d, const std::vector<ArchiveMember>& members,
                              std::string_view thumbnail) {
    Statement file(Prepare(
        "INSERT OR REPLACE INTO files(file_id, cd_id, name_hash, size, date, note, is_archive, member_count, "
        "members_capped, media_kind, taken, camera, artist, album, title, duration, width, height, codecs, "
        "has_thumbnail, hash, origin_id) VALUES(?1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?1)"));
    if (!file) return false;
    const MediaFields& m = d.media;
    file.Int(d.fileId).Int(d.cdId).Int(d.nameHash).Real(d.size).Real(d.date).Text(d.note).Int(d.isArchive).Int(d.memberCount).Int(d.membersCapped);
    file.Int(static_cast<int>(m.kind)).Real(m.taken).Text(m.camera).Text(m.artist).Text(m.album).Text(m.title);
    file.Real(m.duration).Int(m.width).Int(m.height).Text(m.codecs).Int(!thumbnail.empty());
    const std::string hash = d.hash ? d.hash->Bytes() : std::string();
    d.hash ? file.Blob(hash) : file.Null();
    if (const int rc = file.Step(); rc != SQLITE_DONE) return Fail(rc, "cannot be written");
    {
        Statement clear(Prepare("DELETE FROM members WHERE file_id = ?"));
        if (!clear) return false;
        if (const int rc = clear.Int(d.fileId).Step(); rc != SQLITE_DONE) return Fail(rc, "cannot be written");
    }
    int64_t seq = 0;
    for (const ArchiveMember& member : members) {
        Statement s(Prepare(
            "INSERT INTO members(file_id, seq, cd_id, path, size, date, is_dir) VALUES(?, ?, ?, ?, ?, ?, ?)"));
        if (!s) return false;
        s.Int(d.fileId).Int(seq++).Int(d.cdId).Blob(member.path).Real(member.size).Real(member.date).Int(member.isDir);
        if (const int rc = s.Step(); rc != SQLITE_DONE) return Fail(rc, "cannot be written");
    }
    if (thumbnail.empty()) {
        Statement s(Prepare("DELETE FROM thumbnails WHERE file_id = ?"));
        if (!s) return false;
        if (const int rc = s.Int(d.fileId).Step(); rc != SQLITE_DONE) return Fail(rc, "cannot be written");
    } else {
        Statement s(Prepare("INSERT OR REPLACE INTO thumbnails(file_id, cd_id, image) VALUES(?, ?, ?)"));
        if (!s) return false;
        if (const int rc = s.Int(d.fileId).Int(d.cdId).Blob(thumbnail).Step(); rc != SQLITE_DONE) {
            return Fail(rc, "cannot be written");
        }
    }
    return true;
}

namespace {

#define KARVIO_FILE_COLUMNS                                                                                       \
    "file_id, cd_id, name_hash, size, date, note, is_archive, member_count, members_capped, media_kind, taken, " \
    "camera, artist, album, title, duration, width, height, codecs, has_thumbnail, "
// A file of the first schema has no hashes: its rows read as unhashed.
constexpr const char* kFileById[2] = {"SELECT " KARVIO_FILE_COLUMNS "NULL FROM files WHERE file_id = ?",
                                      "SELECT " KARVIO_FILE_COLUMNS "hash FROM files WHERE file_id = ?"};
constexpr const char* kFilesOfCd[2] = {
    "SELECT " KARVIO_FILE_COLUMNS "NULL FROM files WHERE cd_id = ? ORDER BY file_id",
    "SELECT " KARVIO_FILE_COLUMNS "hash FROM files WHERE cd_id = ? ORDER BY file_id"};
#undef KARVIO_FILE_COLUMNS

// Members and thumbnails by the file they belong to: before origins, each file was its own.
constexpr const char* kMembersOfFile[2] = {
    "SELECT path, size, date, is_dir FROM members WHERE file_id = ? ORDER BY seq",
    "SELECT path, size, date, is_dir FROM members WHERE file_id = (SELECT origin_id FROM files WHERE file_id = ?) "
    "ORDER BY seq"};
constexpr const char* kMembersOfCd[2] = {
    "SELECT file_id, path, size, date, is_dir FROM members WHERE cd_id = ? ORDER BY file_id, seq",
    "SELECT f.file_id, m.path, m.size, m.date, m.is_dir FROM files f JOIN members m ON m.file_id = f.origin_id "
    "WHERE f.cd_id = ? ORDER BY f.file_id, m.seq"};
constexpr const char* kThumbnailOfFile[2] = {
    "SELECT image FROM thumbnails WHERE file_id = ?",
    "SELECT image FROM thumbnails WHERE file_id = (SELECT origin_id FROM files WHERE file_id = ?)"};
constexpr const char* kThumbnailsBetween[2] = {
    "SELECT file_id FROM thumbnails WHERE cd_id = ? AND file_id BETWEEN ? AND ? ORDER BY file_id",
    "SELECT f.file_id FROM files f JOIN thumbnails t ON t.file_id = f.origin_id WHERE f.cd_id = ? AND "
    "f.file_id BETWEEN ? AND ? ORDER BY f.file_id"};

FileDetails FileRow(const Statement& s) {
    FileDetails d;
    int i = 0;
    d.fileId = static_cast<int32_t>(s.ColumnInt(i++));
    d.cdId = static_cast<int32_t>(s.ColumnInt(i++));
    d.nameHash = static_cast<uint32_t>(s.ColumnInt(i++));
    d.size = s.ColumnReal(i++);
    d.date = s.ColumnReal(i++);
    d.note = s.ColumnText(i++);
    d.isArchive = s.ColumnInt(i++) != 0;
    d.memberCount = static_cast<int32_t>(s.ColumnInt(i++));
    d.membersCapped = s.ColumnInt(i++) != 0;
    const int64_t kind = s.ColumnInt(i++);
    d.media.kind = kind >= 0 && kind <= 3 ? static_cast<MediaKind>(kind) : MediaKind::None;
    d.media.taken = s.ColumnReal(i++);
    d.media.camera = s.ColumnText(i++);
    d.media.artist = s.ColumnText(i++);
    d.media.album = s.ColumnText(i++);
    d.media.title = s.ColumnText(i++);
    d.media.duration = s.ColumnReal(i++);
    d.media.width = static_cast<int32_t>(s.ColumnInt(i++));
    d.media.height = static_cast<int32_t>(s.ColumnInt(i++));
    d.media.codecs = s.ColumnText(i++);
    d.hasThumbnail = s.ColumnInt(i++) != 0;
    d.hash = ContentHash::FromBytes(s.ColumnText(i++));
    return d;
}


}  // namespace

std::optional<FileDetails> DetailsDatabase::File(int32_t fileId) {
    Statement s(Prepare(kFileById[version_ >= 2]));
    if (!s) return std::nullopt;
    s.Int(fileId);
    if (s.Step() != SQLITE_ROW) return std::nullopt;
    return FileRow(s);
}

void DetailsDatabase::ForEachFile(int32_t cdId, const std::function<bool(const FileDetails&)>& visit) {
    Statement s(Prepare(kFilesOfCd[version_ >= 2]));
    if (!s) return;
    s.Int(cdId);
    while (s.Step() == SQLITE_ROW) {
        if (!visit(FileRow(s))) return;
    }
}

void DetailsDatabase::ForEachMember(int32_t cdId,
                                   const std::function<bool(int32_t fileId, const ArchiveMember&)>& visit) {
    Statement s(Prepare(kMembersOfCd[version_ >= 3]));
    if (!s) return;
    s.Int(cdId);
    while (s.Step() == SQLITE_ROW) {
        const ArchiveMember m{s.ColumnText(1), s.ColumnReal(2), s.ColumnReal(3), s.ColumnInt(4) != 0};
        if (!visit(static_cast<int32_t>(s.ColumnInt(0)), m)) return;
    }
}

std::vector<ArchiveMember> DetailsDatabase::Members(int32_t fileId) {
    std::vector<ArchiveMember> members;
    Statement s(Prepare(kMembersOfFile[version_ >= 3]));
    if (!s) return members;
    s.Int(fileId);
    while (s.Step() == SQLITE_ROW) {
        members.push_back({s.ColumnText(0), s.ColumnReal(1), s.ColumnReal(2), s.ColumnInt(3) != 0});
    }
    return members;
}

std::string DetailsDatabase::Thumbnail(int32_t fileId) {
    Statement s(Prepare(kThumbnailOfFile[version_ >= 3]));
    if (!s) return {};
    s.Int(fileId);
    return s.Step() == SQLITE_ROW ? s.ColumnText(0) : std::string();
}

std::vector<int32_t> DetailsDatabase::FileIdsOfCd(int32_t cdId) {
    std::vector<int32_t> ids;
    Statement s(Prepare("SELECT file_id FROM files WHERE cd_id = ? ORDER BY file_id"));
    if (!s) return ids;
    s.Int(cdId);
    while (s.Step() == SQLITE_ROW) ids.push_back(static_cast<int32_t>(s.ColumnInt(0)));
    return ids;
}

std::vector<int32_t> DetailsDatabase::ArchiveIdsOfCd(int32_t cdId) {
    std::vector<int32_t> ids;
    Statement s(Prepare("SELECT file_id FROM files WHERE cd_id = ? AND is_archive = 1 AND member_count > 0 ORDER BY file_id"));
    if (!s) return ids;
    s.Int(cdId);
    while (s.Step() == SQLITE_ROW) ids.push_back(static_cast<int32_t>(s.ColumnInt(0)));
    return ids;
}

std::vector<int32_t> DetailsDatabase::FileIdsOfCdBetween(int32_t cdId, int32_t first, int32_t last,
                                                         bool thumbnails) {
    std::vector<int32_t> ids;
    // The files' cd_id index carries the file id: the range is read from the index (and the
    // thumbnails' keys) alone.
    Statement s(Prepare(thumbnails ? kThumbnailsBetween[version_ >= 3]
                                   : "SELECT file_id FROM files WHERE cd_id = ? AND file_id BETWEEN ? AND ? ORDER BY file_id"));
    if (!s) return ids;
    s.Int(cdId).Int(first).Int(last);
    while (s.Step() == SQLITE_ROW) ids.push_back(static_cast<int32_t>(s.ColumnInt(0)));
    return ids;
}

std::vector<int32_t> DetailsDatabase::FileIds() {
    std::vector<int32_t> ids;
    Statement s(Prepare("SELECT file_id FROM files ORDER BY file_id"));
    if (!s) return ids;
    while (s.Step() == SQLITE_ROW) ids.push_back(static_cast<int32_t>(s.ColumnInt(0)));
    return ids;
}

void DetailsDatabase::ForEachHash(int32_t cdId, const std::function<bool(const FileDetails&)>& visit) {
    if (version_ < 2) return;
    Statement s(Prepare(
        "SELECT file_id, name_hash, size, date, hash FROM files WHERE cd_id = ? AND hash IS NOT NULL ORDER BY file_id"));
    if (!s) return;
    s.Int(cdId);
    while (s.Step() == SQLITE_ROW) {
        FileDetails d;
        d.fileId = static_cast<int32_t>(s.ColumnInt(0));
        d.cdId = cdId;
        d.nameHash = static_cast<uint32_t>(s.ColumnInt(1));
        d.size = s.ColumnReal(2);
        d.date = s.ColumnReal(3);
        d.hash = ContentHash::FromBytes(s.ColumnText(4));
        if (d.hash && !visit(d)) return;
    }
}

bool DetailsDatabase::CopyFiles(const IdPairs& files, int32_t newCdId) {
    if (files.empty()) return true;
    const bool outer = sqlite3_get_autocommit(db_) != 0;
    if (outer && !Begin()) return false;
    // One row per file: the copy shares the members and thumbnail of the old one through its
    // origin, so an unchanged archive or picture costs no more than a song.
    auto run = [&]() -> bool {
        for (const auto& [from, to] : files) {
            Statement s(Prepare(
                "INSERT OR REPLACE INTO files(file_id, cd_id, name_hash, size, date, note, is_archive, member_count, "
                "members_capped, media_kind, taken, camera, artist, album, title, duration, width, height, codecs, "
                "has_thumbnail, hash, origin_id) SELECT ?2, ?3, name_hash, size, date, note, is_archive, member_count, "
                "members_capped, media_kind, taken, camera, artist, album, title, duration, width, height, codecs, "
                "has_thumbnail, hash, origin_id FROM files WHERE file_id = ?1"));
            if (!s) return false;
            if (const int rc = s.Int(from).Int(to).Int(newCdId).Step(); rc != SQLITE_DONE) {
                return Fail(rc, "cannot be written");
            }
        }
        return true;
    };
    if (!run()) {
        if (outer) Rollback();
        return false;
    }
    return !outer || Commit();
}

int64_t DetailsDatabase::CountFiles() {
    Statement s(Prepare("SELECT count(*) FROM files"));
    return s && s.Step() == SQLITE_ROW ? s.ColumnInt(0) : 0;
}

int64_t DetailsDatabase::CountMembers() {
    Statement s(Prepare("SELECT count(*) FROM members"));
    return s && s.Step() == SQLITE_ROW ? s.ColumnInt(0) : 0;
}

int64_t DetailsDatabase::CountThumbnails() {
    Statement s(Prepare("SELECT count(*) FROM thumbnails"));
    return s && s.Step() == SQLITE_ROW ? s.ColumnInt(0) : 0;
}

std::vector<std::string> DetailsDatabase::IntegrityProblems() {
    std::vector<std::string> problems;
    Statement s(Prepare("PRAGMA quick_check(20)"));
    if (!s) return {error_};
    for (int rc = s.Step(); rc == SQLITE_ROW || rc != SQLITE_DONE; rc = s.Step()) {
        if (rc != SQLITE_ROW) {
            Fail(rc, "cannot be read");
            problems.push_back(error_);
            break;
        }
        std::string line = s.ColumnText(0);
        if (line != "ok") problems.push_back(std::move(line));
    }
    return problems;
}

bool DetailsDatabase::WriteTranslated(const std::string& toDataFile, double toCreated, const IdPairs& cds,
                                      const IdPairs& files) {
    const std::string target = PathFor(toDataFile);
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error_ = SystemError("cannot write beside " + target);
        return false;
    }
    ::close(fd);
    ::unlink(temp.c_str());
    bool written = false;
    {
        DetailsDatabase out(temp);
        written = out.Open(false) && out.CreateSchema(toCreated);
        auto fill = [&]() -> bool {
            // ATTACH cannot run inside a transaction; the path is bound, so no character of it
            // is read as SQL.
            {
                Statement attach(out.Prepare("ATTACH DATABASE ? AS source"));
                if (!attach) return false;
                if (const int rc = attach.Text(path_).Step(); rc != SQLITE_DONE) {
                    return out.Fail(rc, "cannot read the details to copy");
                }
            }
            if (!out.Begin()) return false;
            if (!out.Exec("CREATE TEMP TABLE cd_ids(old INTEGER PRIMARY KEY, new INTEGER NOT NULL)") ||
                !out.Exec("CREATE TEMP TABLE file_ids(old INTEGER PRIMARY KEY, new INTEGER NOT NULL)")) {
                return false;
            }
            for (const auto& [table, pairs] : {std::pair{"INSERT OR REPLACE INTO temp.cd_ids VALUES(?, ?)", &cds},
                                               std::pair{"INSERT OR REPLACE INTO temp.file_ids VALUES(?, ?)", &files}}) {
                for (const auto& [from, to] : *pairs) {
                    Statement s(out.Prepare(table));
                    if (!s) return false;
                    if (const int rc2 = s.Int(from).Int(to).Step(); rc2 != SQLITE_DONE) return out.Fail(rc2, "cannot be written");
                }
            }
            // Every file of the copy is the origin of its own members and thumbnail again: those a
            // rescan's files share are copied for each file that is still there.
            const std::string sourceHash = version_ >= 2 ? "s.hash" : "NULL";
            const std::string sourceOrigin = version_ >= 3 ? "s.origin_id" : "s.file_id";
            const std::string filesCopied =
                " FROM source.files s JOIN temp.file_ids f ON f.old = s.file_id JOIN temp.cd_ids c ON c.old = s.cd_id";
            const std::string kCopies[] = {
                "INSERT INTO main.meta SELECT key, value FROM source.meta WHERE key = 'volumes_migrated'",
                "INSERT INTO main.cds SELECT c.new, last_scanned, files, options, has_volume, uuid, label, fs_type, "
                "size, relative_path, source FROM source.cds s JOIN temp.cd_ids c ON c.old = s.cd_id",
                "INSERT INTO main.files(file_id, cd_id, name_hash, size, date, note, is_archive, member_count, "
                "members_capped, media_kind, taken, camera, artist, album, title, duration, width, height, codecs, "
                "has_thumbnail, hash, origin_id) SELECT f.new, c.new, s.name_hash, s.size, s.date, s.note, s.is_archive, "
                "s.member_count, s.members_capped, s.media_kind, s.taken, s.camera, s.artist, s.album, s.title, "
                "s.duration, s.width, s.height, s.codecs, s.has_thumbnail, " +
                    sourceHash + ", f.new" + filesCopied,
                "INSERT INTO main.members SELECT f.new, m.seq, c.new, m.path, m.size, m.date, m.is_dir" + filesCopied +
                    " JOIN source.members m ON m.file_id = " + sourceOrigin,
                "INSERT INTO main.thumbnails SELECT f.new, c.new, t.image" + filesCopied +
                    " JOIN source.thumbnails t ON t.file_id = " + sourceOrigin,
            };
            for (const std::string& sql : kCopies) {
                if (!out.Exec(sql.c_str())) return false;
            }
            return out.Commit();
        };
        written = written && fill();
        if (!written) {
            error_ = out.Error();
            out.Rollback();
        }
    }
    if (written && ::rename(temp.c_str(), target.c_str()) != 0) {
        error_ = SystemError("cannot rename " + temp + " to " + target);
        written = false;
    }
    if (!written) {
        ::unlink(temp.c_str());
        ::unlink((temp + "-journal").c_str());
    }
    return written;
}

bool DetailsDatabase::Remove(const std::string& dbPath, std::string* error) {
    for (const std::string& path : {dbPath, dbPath + "-journal"}) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            if (error) *error = SystemError("cannot remove " + path);
            return false;
        }
    }
    return true;
}

bool DetailsDatabase::SetAside(const std::string& dbPath, std::string* error) {
    // The journal goes with its database, so it is never played back into the new one.
    const std::string kept = dbPath + ".damaged";
    return RenameIfThere(dbPath + "-journal", kept + "-journal", error) && RenameIfThere(dbPath, kept, error);
}

std::string DetailsDatabase::LeftByCompaction(const std::string& dataFile, double created) {
    const std::string prefix = WorkFilePrefix(kCompactionWorkFile, dataFile);
    const size_t slash = prefix.rfind('/');
    const std::string dir = prefix.substr(0, slash), namePrefix = prefix.substr(slash + 1);
    DIR* listing = ::opendir(dir.c_str());
    if (!listing) return {};
    std::vector<std::string> candidates;
    // The copy's work name is the prefix and six characters; its details add ".db".
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name.size() == namePrefix.size() + 6 + 3 && name.compare(0, namePrefix.size(), namePrefix) == 0 &&
            name.compare(namePrefix.size() + 6, std::string::npos, ".db") == 0) {
            candidates.push_back(dir + "/" + name);
        }
    }
    ::closedir(listing);
    for (const std::string& candidate : candidates) {
        // Only the details of a copy that took the data file's name: a copy still under its
        // work name never replaced anything (and may share the data file's creation second).
        if (Examine(candidate) != OnDisk::Regular ||
            Examine(candidate.substr(0, candidate.size() - 3)) != OnDisk::Missing) {
            continue;
        }
        DetailsDatabase db(candidate);
        std::string why;
        if (db.Open(true) && db.Belongs(created, &why)) return candidate;
    }
    return {};
}

bool DetailsDatabase::TakeBackFromCompaction(const std::string& dataFile, double created, std::string* error) {
    if (error) error->clear();
    const std::string left = LeftByCompaction(dataFile, created);
    if (left.empty()) return false;
    const std::string path = PathFor(dataFile);
    if (Examine(path) != OnDisk::Missing) {
        // The previous file's details follow it to the "bak" name when it got there (they
        // replace what an older "bak" file left); else they are set aside.
        const std::string bak = BakPathOf(dataFile);
        bool bakOwns = false;
        {
            DetailsDatabase held(path);
            std::string why;
            bakOwns = held.Open(true) && held.Belongs(ReadCatalogueIdentity(bak).created, &why);
        }
        if (!(bakOwns ? MoveTo(dataFile, bak, error) : SetAside(path, error))) return false;
    }
    if (!RenameIfThere(left + "-journal", path + "-journal", error) || !RenameIfThere(left, path, error)) return false;
    return true;
}

bool DetailsDatabase::MoveTo(const std::string& fromDataFile, const std::string& toDataFile, std::string* error) {
    const std::string from = PathFor(fromDataFile), to = PathFor(toDataFile);
    if (Examine(from) != OnDisk::Regular) return Remove(to, error);
    return RenameIfThere(from + "-journal", to + "-journal", error) && RenameIfThere(from, to, error);
}

}  // namespace karvio
