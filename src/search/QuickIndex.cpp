#include "QuickIndex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDate>
#include <algorithm>
#include <array>
#include <memory>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "CatalogueText.h"
#include "ClassFile.h"
#include "ProgramInfo.h"
#include "RecordIo.h"
#include "RecordLists.h"
#include "Records.h"

namespace karvio {

namespace {

constexpr size_t kMaxNameBytes = 0xFFFF;
constexpr size_t kNameBytesGuess = 24;  // a name's folded bytes and its NUL, as most run
constexpr size_t kScanChunk = 1 << 20;  // arena bytes between two looks at the cancel flag
constexpr int kTierNotes = 3;

// Catalogue day numbers count from 30 December 1899.
const QDate kDayZero(1899, 12, 30);

// The folded form of catalogue bytes, as the search walk folds them. A NUL inside a damaged name
// becomes U+0001 so it cannot end the arena's entry.
void FoldInto(std::string_view bytes, std::string& out) {
    FoldTextInto(bytes, out);
    std::replace(out.begin(), out.end(), '\0', '\x01');
}

int ModeOf(QuickMatchMode mode) { return static_cast<int>(mode); }

// How well a name matches one needle: 0 equal, 1 begins with it, 2 holds it, -1 not at all.
int NameTier(std::string_view name, std::string_view needle, QuickMatchMode mode) {
    if (!FoldedMatches(name, needle, ModeOf(mode))) return -1;
    if (name == needle) return 0;
    return FoldedMatches(name, needle, kMatchBeginning) ? 1 : 2;
}

int32_t DayOf(int year, int month, int day) {
    return static_cast<int32_t>(kDayZero.daysTo(QDate(year, month, day)));
}

// The needles and filters of a query in the arena's terms, made once per query.
struct PreparedQuery {
    std::vector<std::string> needles;
    std::vector<std::string> extensions;
    int64_t dayLow = INT64_MIN, dayHigh = INT64_MAX;
    bool days = false;
};

PreparedQuery Prepare(const QuickQuery& q) {
    PreparedQuery p;
    for (const QStringList* list : {&q.words, &q.phrases})
        for (const QString& w : *list) p.needles.push_back(w.toStdString());
    for (const QString& e : q.extensions) p.extensions.push_back(e.toStdString());
    if (q.year) {
        p.days = true;
        if (q.year->low != INT64_MIN) p.dayLow = DayOf(static_cast<int>(q.year->low), 1, 1);
        if (q.year->high != INT64_MAX) p.dayHigh = DayOf(static_cast<int>(q.year->high), 12, 31);
    }
    return p;
}

}  // namespace

// Record decoding over the data file read in pieces: the walk follows the lists, which a scan
// writes mostly in file order, so a few recently read blocks serve nearly every record and text
// and the file is never held whole. Every position is checked against the length, so a damaged
// link reads as the end of its list instead of leaving the file.
class QuickIndex::Reader {
public:
    ~Reader() {
        if (fd_ >= 0) ::close(fd_);
    }

    bool Open(const std::string& path, std::string* error) {
        // Never waits on a pipe or a device put at the catalogue's name; only a file is read.
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0) return Fail(error, path + ": " + std::strerror(errno));
        struct stat st {};
        if (::fstat(fd_, &st) != 0) return Fail(error, path + ": " + std::strerror(errno));
        if (!S_ISREG(st.st_mode)) return Fail(error, path + ": not a regular file");
        // Records never lie past the largest position an id can name.
        size_ = std::min<int64_t>(st.st_size, kMaxCatalogueLength);
        ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
        const unsigned char* head = Bytes(0, HeaderRecord::kSize);
        if (!head) return Fail(error, path + ": not a Karvio catalogue (too short)");
        header_.Decode(head);
        if (std::memcmp(header_.dataSignature, "VELK", 4) != 0 || header_.dataVersionMajor != kVersionMajor)
            return Fail(error, path + ": Wrong Version of the Data File");
        return true;
    }

    const HeaderRecord& Header() const { return header_; }
    int64_t Length() const { return size_; }

    template <typename Record>
    bool Read(int32_t id, Record& record) {
        if (id < 1 || id - 1 + int64_t(Record::kSize) > size_) return false;
        const unsigned char* bytes = Bytes(id - 1, Record::kSize);
        if (!bytes) return false;
        record.Decode(bytes);
        return true;
    }

    // Valid until the second read after it: a record's name and notes can be held together.
    std::string_view Text(StringSlot slot) {
        if (slot.len <= 0 || slot.pos < 1 || slot.pos - 1 + int64_t(slot.len) > size_) return {};
        const unsigned char* bytes = Bytes(slot.pos - 1, static_cast<size_t>(slot.len));
        if (!bytes) return {};
        return {reinterpret_cast<const char*>(bytes), static_cast<size_t>(slot.len)};
    }

private:
    static constexpr int64_t kBlockBytes = 1 << 20;
    static constexpr size_t kBlocks = 4;

    struct Block {
        int64_t start = -1;
        size_t length = 0;  // short at the end of the file
        uint64_t used = 0;
        std::unique_ptr<unsigned char[]> bytes;
    };

    // The `n` bytes at `offset`, from a block, or copied when they cross blocks; null when the
    // file ends before them (it may have been cut short while it was read).
    const unsigned char* Bytes(int64_t offset, size_t n) {
        const int64_t start = offset / kBlockBytes * kBlockBytes;
        if (offset + int64_t(n) <= start + kBlockBytes) {
            const Block* block = Load(start);
            if (!block || offset - start + int64_t(n) > int64_t(block->length)) return nullptr;
            return block->bytes.get() + (offset - start);
        }
        std::string& copy = spans_[nextSpan_++ % spans_.size()];
        copy.resize(n);
        for (size_t done = 0; done < n;) {
            const int64_t at = offset + int64_t(done);
            const int64_t blockStart = at / kBlockBytes * kBlockBytes;
            const Block* block = Load(blockStart);
            const size_t within = static_cast<size_t>(at - blockStart);
            if (!block || within >= block->length) return nullptr;
            const size_t take = std::min(n - done, block->length - within);
            std::memcpy(copy.data() + done, block->bytes.get() + within, take);
            done += take;
        }
        return reinterpret_cast<const unsigned char*>(copy.data());
    }

    // The block at `start`, read when it is not held, in place of the one used longest ago.
    const Block* Load(int64_t start) {
        Block* victim = &blocks_[0];
        for (Block& b : blocks_) {
            if (b.start == start) {
                b.used = ++clock_;
                return &b;
            }
            if (b.used < victim->used) victim = &b;
        }
        if (!victim->bytes) victim->bytes = std::make_unique_for_overwrite<unsigned char[]>(kBlockBytes);
        const size_t want = static_cast<size_t>(std::min<int64_t>(kBlockBytes, size_ - start));
        size_t got = 0;
        while (got < want) {
            const ssize_t n = ::pread(fd_, victim->bytes.get() + got, want - got, start + int64_t(got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        victim->start = got > 0 ? start : -1;
        victim->length = got;
        victim->used = ++clock_;
        return got > 0 ? victim : nullptr;
    }

    bool Fail(std::string* error, std::string text) {
        if (error) *error = std::move(text);
        return false;
    }

    int fd_ = -1;
    int64_t size_ = 0;
    HeaderRecord header_;
    std::array<Block, kBlocks> blocks_;
    std::array<std::string, 2> spans_;
    size_t nextSpan_ = 0;
    uint64_t clock_ = 0;
};

// One CD's entries, names and notes. Entries' parents are positions within the part.
class QuickIndex::Part {
public:
    struct NoteRef {
        int32_t entry;
        uint32_t fold;  // start of the folded notes in notesArena
        uint32_t raw;   // start of the original notes in notesRaw (length-prefixed)
    };

    // Reads the CD `cd` (record id `cd.CdId`) and its directories and files.
    static std::shared_ptr<Part> Read(Reader& file, const CdRecord& cd, std::string& scratch);

    bool SameRecord(const CdRecord& cd) const {
        return cd.CdId == record.CdId && cd.CdName == record.CdName && cd.CdNotes == record.CdNotes &&
               cd.CdBasepath == record.CdBasepath && cd.CdLabel == record.CdLabel && cd.DirFirst == record.DirFirst &&
               cd.CdTotalSize == record.CdTotalSize && cd.CdNumOfFiles == record.CdNumOfFiles &&
               cd.CdNumOfSubdirs == record.CdNumOfSubdirs && cd.CdLastScanned == record.CdLastScanned;
    }

    // Whether `other`, read from the same CD, holds exactly what this one holds.
    bool SameContents(const Part& other) const {
        const auto sameBytes = [](const auto& a, const auto& b) {
            return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
        };
        return SameRecord(other.record) && lowId == other.lowId && highId == other.highId &&
               basePath == other.basePath && label == other.label && topPath == other.topPath &&
               sameBytes(entries, other.entries) && arena == other.arena && raw == other.raw &&
               notesArena == other.notesArena && notesRaw == other.notesRaw && sameBytes(notes, other.notes);
    }

    std::string_view FoldedName(int32_t i) const {
        const uint32_t start = entries[size_t(i)].fold;
        const size_t end = size_t(i) + 1 < entries.size() ? entries[size_t(i) + 1].fold : arena.size();
        return std::string_view(arena).substr(start, end - start - 1);
    }

    std::string_view RawName(int32_t i) const {
        const QuickEntry& e = entries[size_t(i)];
        if (!(e.flags & QuickEntry::kRawKept)) return FoldedName(i);
        uint16_t len = 0;
        std::memcpy(&len, raw.data() + e.raw, sizeof len);
        return std::string_view(raw).substr(e.raw + sizeof len, len);
    }

    const NoteRef* NotesOf(int32_t i) const {
        if (!entries[size_t(i)].notes) return nullptr;
        const auto it = std::lower_bound(notes.begin(), notes.end(), i,
                                         [](const NoteRef& n, int32_t v) { return n.entry < v; });
        return it != notes.end() && it->entry == i ? &*it : nullptr;
    }

    std::string_view FoldedNotes(int32_t i) const {
        const NoteRef* n = NotesOf(i);
        return n ? std::string_view(notesArena.data() + n->fold) : std::string_view();
    }

    std::string_view RawNotes(int32_t i) const {
        const NoteRef* n = NotesOf(i);
        if (!n) return {};
        uint32_t len = 0;
        std::memcpy(&len, notesRaw.data() + n->raw, sizeof len);
        return std::string_view(notesRaw).substr(n->raw + sizeof len, len);
    }

    // The entry whose folded name holds arena offset `offset`, searching on from `from`.
    int32_t EntryAt(uint32_t offset, int32_t from) const {
        // Hits come in arena order, mostly close together: gallop from the last one, then halve.
        const auto n = static_cast<int32_t>(entries.size());
        int32_t step = 1;
        while (from + step < n && entries[size_t(from + step)].fold <= offset) step *= 2;
        const auto first = entries.begin() + from + step / 2;
        const auto last = entries.begin() + std::min(from + step, n);
        const auto it = std::upper_bound(first, last, offset, [](uint32_t v, const QuickEntry& e) { return v < e.fold; });
        return static_cast<int32_t>(it - entries.begin()) - 1;
    }

    size_t Bytes() const {
        return sizeof *this + entries.capacity() * sizeof(QuickEntry) + arena.capacity() + raw.capacity() +
               notesArena.capacity() + notesRaw.capacity() + notes.capacity() * sizeof(NoteRef) +
               basePath.capacity() + label.capacity() + topPath.capacity();
    }

    // Whether one of `sortedIds` is the id of a record of this CD.
    bool HoldsAny(const std::vector<int32_t>& sortedIds) const {
        const auto it = std::lower_bound(sortedIds.begin(), sortedIds.end(), lowId);
        return it != sortedIds.end() && *it <= highId;
    }

    CdRecord record;      // as read: a part is kept by an update while its CD record is the same
    int32_t lowId = 0, highId = 0;  // the lowest and highest record id of the CD's records
    std::string basePath, label;
    std::string topPath;  // the path of its first directory (a scanned folder's place on its volume)
    std::vector<QuickEntry> entries;
    std::string arena;       // folded names, each followed by a NUL
    std::string raw;         // original names that differ, each a 16-bit length and the bytes
    std::string notesArena;  // folded notes, each followed by a NUL, in entry order
    std::string notesRaw;
    std::vector<NoteRef> notes;

private:
    int32_t Add(QuickKind kind, int32_t id, int32_t parent, std::string_view name, std::string_view notesText,
                double size, double date, std::string& scratch);
};

int32_t QuickIndex::Part::Add(QuickKind kind, int32_t id, int32_t parent, std::string_view name,
                              std::string_view notesText, double size, double date, std::string& scratch) {
    name = name.substr(0, kMaxNameBytes);
    QuickEntry e;
    e.kind = static_cast<uint8_t>(kind);
    e.id = id;
    e.parent = parent;
    const double magnitude = std::isfinite(size) ? std::fabs(size) : 0;
    const uint64_t s = magnitude >= double(kQuickMaxSize) ? kQuickMaxSize : static_cast<uint64_t>(magnitude);
    const double d = std::isfinite(date) ? std::floor(date) : 0;
    const uint32_t day = d <= 0 ? 0 : d >= kQuickMaxDay ? kQuickMaxDay : static_cast<uint32_t>(d);
    e.sizeLow = static_cast<uint32_t>(s);
    e.sizeHighDay = static_cast<uint32_t>(s >> 32) | (day << 12);

    FoldInto(name, scratch);
    e.fold = static_cast<uint32_t>(arena.size());
    arena.append(scratch);
    arena.push_back('\0');
    if (scratch != name) {
        e.flags |= QuickEntry::kRawKept;
        e.raw = static_cast<uint32_t>(raw.size());
        const auto len = static_cast<uint16_t>(name.size());
        raw.append(reinterpret_cast<const char*>(&len), sizeof len);
        raw.append(name);
    }
    const auto index = static_cast<int32_t>(entries.size());
    if (!notesText.empty()) {
        e.notes = 1;
        FoldInto(notesText, scratch);
        NoteRef ref{index, static_cast<uint32_t>(notesArena.size()), static_cast<uint32_t>(notesRaw.size())};
        notesArena.append(scratch);
        notesArena.push_back('\0');
        const auto len = static_cast<uint32_t>(notesText.size());
        notesRaw.append(reinterpret_cast<const char*>(&len), sizeof len);
        notesRaw.append(notesText);
        notes.push_back(ref);
    }
    entries.push_back(e);
    lowId = index == 0 ? id : std::min(lowId, id);
    highId = index == 0 ? id : std::max(highId, id);
    return index;
}

std::shared_ptr<QuickIndex::Part> QuickIndex::Part::Read(Reader& file, const CdRecord& cd, std::string& scratch) {
    auto part = std::make_shared<Part>();
    part->record = cd;
    // The CD's own counts size the entries at once; a damaged count can ask for no more than the
    // file has room for.
    const int64_t expected =
        std::min<int64_t>(2 + int64_t(std::max(cd.CdNumOfFiles, 0)) + std::max(cd.CdNumOfSubdirs, 0),
                          file.Length() / int64_t(FileRecord::kSize));
    part->entries.reserve(static_cast<size_t>(expected));
    // Room for names of a usual length at once: growing by copies costs more than the reading.
    part->arena.reserve(static_cast<size_t>(expected) * kNameBytesGuess);
    part->raw.reserve(static_cast<size_t>(expected) * kNameBytesGuess);
    const int32_t cdId = cd.CdId;
    part->Add(QuickKind::Cd, cdId, -1, file.Text(cd.CdName), file.Text(cd.CdNotes), cd.CdTotalSize, cd.CdLastScanned,
              scratch);
    part->basePath = file.Text(cd.CdBasepath);
    part->label = file.Text(cd.CdLabel);

    std::unordered_map<std::string, int32_t> dirByFullName;
    // The store's list rules (ListWalk): a damaged list ends where the cursors end it.
    ListWalk<DirRecord> dirs(cd.DirFirst, cdId, file.Length());
    for (DirRecord dir; dirs.Want() != 0; dirs.Advance(dir)) {
        const int32_t dirId = dirs.Want();
        if (!file.Read(dirId, dir) || !dirs.Take(dir)) break;
        std::string dirPath(file.Text(dir.DirPath));
        const std::string dirName(file.Text(dir.DirName));
        const auto parentIt = dirByFullName.find(dirPath == "\\" ? std::string() : dirPath);
        const int32_t parent = parentIt == dirByFullName.end() ? 0 : parentIt->second;
        if (dirByFullName.empty() && dirPath != "\\") part->topPath = dirPath;
        const int32_t dirEntry = part->Add(QuickKind::Directory, dirId, parent, dirName, file.Text(dir.DirNotes),
                                           dir.DirSize, dir.DirDate, scratch);
        dirByFullName.emplace(JoinCataloguePath(dirPath, dirName), dirEntry);

        ListWalk<FileRecord> files(dir.FileFirst, dirId, file.Length());
        for (FileRecord f; files.Want() != 0; files.Advance(f)) {
            const int32_t fileId = files.Want();
            if (!file.Read(fileId, f) || !files.Take(f)) break;
            const std::string_view name = file.Text(f.FileName);
            part->Add(QuickKind::File, fileId, dirEntry, name, file.Text(f.FileNotes), f.FileSize, f.FileDate, scratch);
        }
    }
    // Room left over is given back only where it is much (giving it back copies).
    auto trim = [](auto& held) {
        if (held.capacity() > held.size() + held.size() / 4) held.shrink_to_fit();
    };
    trim(part->entries);
    trim(part->arena);
    trim(part->raw);
    trim(part->notesArena);
    trim(part->notesRaw);
    trim(part->notes);
    return part;
}

QuickIndex::QuickIndex() = default;
QuickIndex::~QuickIndex() = default;
QuickIndex::QuickIndex(QuickIndex&&) noexcept = default;
QuickIndex& QuickIndex::operator=(QuickIndex&&) noexcept = default;

bool QuickIndex::Stamp(const std::string& path, CatalogueIdentity& stamp) {
    stamp = ReadCatalogueIdentity(path);
    return stamp.inode != 0;
}

bool QuickIndex::IsStale() const {
    CatalogueIdentity now;
    return !Stamp(path_, now) || CompareCatalogueIdentity(stamp_, now) != CatalogueChange::None;
}

void QuickIndex::Append(std::shared_ptr<const Part> part) {
    starts_.push_back(static_cast<int32_t>(size_));
    size_ += part->entries.size();
    parts_.push_back(std::move(part));
}

bool QuickIndex::Walk(Reader& file, const std::function<std::shared_ptr<const Part>(const CdRecord&)>& reuse,
                      const std::atomic<bool>* cancel, const std::function<void(const QuickIndex&)>& readSoFar,
                      const QuickIndex* sameFrom) {
    std::string scratch;  // the folding of the name being added
    std::unordered_map<int32_t, const std::shared_ptr<const Part>*> held;
    if (sameFrom) {
        for (const auto& part : sameFrom->parts_) held.emplace(part->record.CdId, &part);
    }
    ListWalk<CdRecord> cds(file.Header().dataCdFirstRecord, 0, file.Length());
    for (CdRecord cd; cds.Want() != 0; cds.Advance(cd)) {
        if (cancel && cancel->load(std::memory_order_relaxed)) return false;
        if (!file.Read(cds.Want(), cd) || !cds.Take(cd)) break;
        std::shared_ptr<const Part> part = reuse ? reuse(cd) : nullptr;
        if (!part) {
            part = Part::Read(file, cd, scratch);
            if (const auto it = held.find(cd.CdId); it != held.end() && (*it->second)->SameContents(*part)) {
                part = *it->second;
            }
        }
        Append(std::move(part));
        if (readSoFar) readSoFar(*this);
    }
    return true;
}

bool QuickIndex::ReadAgain(const QuickIndex& from, std::string* error,
                           const std::function<bool(QuickIndex&, Reader&)>& walk) {
    QuickIndex fresh;
    fresh.path_ = from.path_;
    if (!Stamp(fresh.path_, fresh.stamp_)) {
        if (error) *error = fresh.path_ + ": " + std::strerror(errno);
        return false;
    }
    Reader file;
    if (!file.Open(fresh.path_, error) || !walk(fresh, file)) return false;
    *this = std::move(fresh);
    return true;
}

bool QuickIndex::Rebuild(const QuickIndex& held, std::string* error, const std::atomic<bool>* cancel) {
    return ReadAgain(held, error,
                     [&](QuickIndex& fresh, Reader& file) { return fresh.Walk(file, {}, cancel, {}, &held); });
}

std::shared_ptr<const QuickIndex> QuickIndex::Snapshot() const {
    auto copy = std::make_shared<QuickIndex>();
    copy->path_ = path_;
    copy->stamp_ = stamp_;
    copy->parts_ = parts_;
    copy->starts_ = starts_;
    copy->size_ = size_;
    return copy;
}

bool QuickIndex::Build(const std::string& path, std::string* error, const std::atomic<bool>* cancel,
                       const std::function<void(const QuickIndex&)>& readSoFar) {
    *this = QuickIndex();
    path_ = path;
    // The stamp is taken before the read: a write that lands during the read makes the index
    // stale rather than silently incomplete.
    if (!Stamp(path, stamp_)) {
        if (error) *error = path + ": " + std::strerror(errno);
        return false;
    }
    Reader file;
    return file.Open(path, error) && Walk(file, {}, cancel, readSoFar);
}

bool QuickIndex::Update(const QuickIndex& from, std::vector<int32_t> writtenIds, std::string* error) {
    std::sort(writtenIds.begin(), writtenIds.end());
    std::unordered_map<int32_t, const std::shared_ptr<const Part>*> held;
    for (const auto& part : from.parts_) held.emplace(part->record.CdId, &part);
    return ReadAgain(from, error, [&](QuickIndex& fresh, Reader& file) {
        return fresh.Walk(file, [&](const CdRecord& cd) -> std::shared_ptr<const Part> {
            const auto it = held.find(cd.CdId);
            if (it == held.end() || !(*it->second)->SameRecord(cd) || (*it->second)->HoldsAny(writtenIds)) return nullptr;
            return *it->second;
        }, nullptr);
    });
}

std::pair<const QuickIndex::Part*, int32_t> QuickIndex::Locate(int32_t i) const {
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), i);
    const auto p = static_cast<size_t>(it - starts_.begin()) - 1;
    return {parts_[p].get(), i - starts_[p]};
}

const QuickEntry& QuickIndex::Entry(int32_t i) const {
    const auto [part, local] = Locate(i);
    return part->entries[size_t(local)];
}

int32_t QuickIndex::CdOf(int32_t i) const {
    if (i < 0 || size_t(i) >= size_) return -1;
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), i);
    return *std::prev(it);
}

std::string_view QuickIndex::FoldedName(int32_t i) const {
    const auto [part, local] = Locate(i);
    return part->FoldedName(local);
}

std::string_view QuickIndex::RawName(int32_t i) const {
    const auto [part, local] = Locate(i);
    return part->RawName(local);
}

std::string_view QuickIndex::RawNotes(int32_t i) const {
    const auto [part, local] = Locate(i);
    return part->RawNotes(local);
}

SearchHit QuickIndex::Hit(int32_t i) const {
    const auto [part, local] = Locate(i);
    const std::vector<QuickEntry>& entries = part->entries;
    const QuickEntry& e = entries[size_t(local)];
    SearchHit hit;
    hit.id = e.id;
    hit.name = part->RawName(local);
    hit.notes = part->RawNotes(local);
    hit.size = static_cast<double>(e.Size());
    hit.date = e.Day();
    hit.cdId = part->record.CdId;
    auto kindOf = [&](int32_t at) { return QuickKind(entries[size_t(at)].kind); };
    switch (kindOf(local)) {
        case QuickKind::Cd:
            hit.kind = SearchHitKind::Cd;
            hit.cdName = part->label;
            hit.path = part->basePath;
            return hit;
        case QuickKind::Directory:
            hit.kind = SearchHitKind::Directory;
            hit.dirId = e.id;
            hit.size = -hit.size;
            break;
        case QuickKind::File:
            hit.kind = SearchHitKind::File;
            hit.dirId = e.parent >= 0 ? entries[size_t(e.parent)].id : 0;
            break;
    }
    hit.cdName = part->RawName(0);
    // The folder holding it, from the parent links: a directory's path, a file's directory's
    // full name, "\"-separated as the catalogue writes paths.
    std::vector<int32_t> chain;
    for (int32_t p = e.parent; p >= 0 && kindOf(p) == QuickKind::Directory; p = entries[size_t(p)].parent)
        chain.push_back(p);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const std::string_view name = part->RawName(*it);
        if (name.empty()) continue;
        if (!path.empty() && path.back() != '\\') path += '\\';
        path += name;
    }
    // The first directory of a scanned folder carries the folder's place on its volume.
    const int32_t top = chain.empty() ? local : chain.back();
    if (!part->topPath.empty() && entries[size_t(top)].parent == 0 && top != local)
        path = path.empty() ? part->topPath : part->topPath + "\\" + path;
    else if (!part->topPath.empty() && top == local && kindOf(local) == QuickKind::Directory && e.parent == 0)
        path = part->topPath;
    if (hit.kind == SearchHitKind::Directory && path.empty()) path = "\\";
    hit.path = std::move(path);
    return hit;
}

size_t QuickIndex::EntryBytes() const {
    size_t bytes = 0;
    for (const auto& part : parts_) bytes += part->entries.capacity() * sizeof(QuickEntry);
    return bytes;
}

size_t QuickIndex::NameBytes() const {
    size_t bytes = 0;
    for (const auto& part : parts_) bytes += part->arena.size() + part->raw.size();
    return bytes;
}

size_t QuickIndex::MemoryBytes() const {
    size_t bytes = parts_.capacity() * sizeof(parts_[0]) + starts_.capacity() * sizeof(int32_t);
    for (const auto& part : parts_) bytes += part->Bytes();
    return bytes;
}

QuickResult QuickIndex::Find(const QuickQuery& query, QuickMatchMode mode, size_t firstScreenRows,
                             const std::function<void(const std::vector<int32_t>&)>& firstScreen,
                             const std::atomic<bool>* cancel) const {
    QuickResult result;
    if (query.IsEmpty() || !query.error.isEmpty() || size_ == 0) return result;
    const PreparedQuery p = Prepare(query);

    std::vector<int32_t> tiers[kTierNotes + 1];
    bool screenSent = firstScreenRows == 0 || !firstScreen;
    auto cancelled = [&] { return cancel && cancel->load(std::memory_order_relaxed); };
    // Entry `i` of `part`, whose first entry is `start` in the index.
    auto consider = [&](const Part& part, int32_t start, int32_t i) {
        const QuickEntry& e = part.entries[size_t(i)];
        if (query.kindMask && !(query.kindMask & (1 << e.kind))) return;
        if (query.size && !query.size->Contains(static_cast<int64_t>(e.Size()))) return;
        if (p.days && (int64_t(e.Day()) < p.dayLow || int64_t(e.Day()) > p.dayHigh)) return;
        const std::string_view name = part.FoldedName(i);
        if (!p.extensions.empty()) {
            if (QuickKind(e.kind) != QuickKind::File) return;
            const size_t dot = name.rfind('.');
            if (dot == std::string_view::npos) return;
            const std::string_view ext = name.substr(dot + 1);
            if (std::none_of(p.extensions.begin(), p.extensions.end(), [&](const std::string& x) { return x == ext; }))
                return;
        }
        int tier = p.needles.empty() ? 2 : 0;
        bool first = true;
        std::string_view notes;
        bool notesRead = false;
        for (const std::string& needle : p.needles) {
            int t = NameTier(name, needle, mode);
            if (t < 0) {
                if (!notesRead) {
                    notes = part.FoldedNotes(i);
                    notesRead = true;
                }
                if (notes.empty() || !FoldedMatches(notes, needle, ModeOf(mode))) return;
                t = kTierNotes;
            }
            tier = first ? t : (t == kTierNotes || tier == kTierNotes ? kTierNotes : std::min(tier, t));
            first = false;
        }
        tiers[tier].push_back(start + i);
        ++result.count;
        if (!screenSent && static_cast<size_t>(result.count) >= firstScreenRows) {
            screenSent = true;
            std::vector<int32_t> screen;
            for (const auto& t : tiers) screen.insert(screen.end(), t.begin(), t.end());
            firstScreen(screen);
        }
    };

    // The longest needle is the likeliest to be rare: it finds the candidates, in the names by
    // one scan of each part's arena and in the notes by one scan of theirs.
    const std::string* driver =
        p.needles.empty() ? nullptr
                          : &*std::max_element(p.needles.begin(), p.needles.end(),
                                               [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    std::vector<int32_t> noteHits;
    for (size_t k = 0; k < parts_.size(); ++k) {
        const Part& part = *parts_[k];
        const int32_t start = starts_[k];
        const auto n = static_cast<int32_t>(part.entries.size());
        if (!driver) {
            for (int32_t i = 0; i < n; ++i) {
                if ((i & 0xFFFF) == 0 && cancelled()) return result.cancelled = true, result;
                consider(part, start, i);
            }
            continue;
        }
        noteHits.clear();
        const std::string& notesArena = part.notesArena;
        for (size_t pos = 0; pos < notesArena.size();) {
            const void* hit = memmem(notesArena.data() + pos, notesArena.size() - pos, driver->data(), driver->size());
            if (!hit) break;
            const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - notesArena.data());
            const auto ref = std::upper_bound(part.notes.begin(), part.notes.end(), static_cast<uint32_t>(at),
                                              [](uint32_t v, const Part::NoteRef& r) { return v < r.fold; });
            noteHits.push_back(std::prev(ref)->entry);
            pos = ref == part.notes.end() ? notesArena.size() : ref->fold;
        }
        size_t nextNote = 0;
        int32_t cursor = 0;
        const char* base = part.arena.data();
        const size_t size = part.arena.size();
        for (size_t pos = 0; pos < size;) {
            if (cancelled()) return result.cancelled = true, result;
            const size_t chunkEnd = std::min(size, pos + kScanChunk);
            // The window runs a needle's length past the chunk so a hit across its end is found.
            const size_t window = std::min(size, chunkEnd + driver->size()) - pos;
            const void* hit = memmem(base + pos, window, driver->data(), driver->size());
            const size_t at = hit ? static_cast<size_t>(static_cast<const char*>(hit) - base) : size;
            if (!hit || at >= chunkEnd) {
                pos = chunkEnd;
                continue;
            }
            const int32_t i = part.EntryAt(static_cast<uint32_t>(at), cursor);
            while (nextNote < noteHits.size() && noteHits[nextNote] < i) consider(part, start, noteHits[nextNote++]);
            if (nextNote < noteHits.size() && noteHits[nextNote] == i) ++nextNote;
            consider(part, start, i);
            cursor = i;
            pos = i + 1 < n ? part.entries[size_t(i) + 1].fold : size;
        }
        while (nextNote < noteHits.size()) consider(part, start, noteHits[nextNote++]);
    }
    result.rows.reserve(static_cast<size_t>(result.count));
    for (const auto& t : tiers) result.rows.insert(result.rows.end(), t.begin(), t.end());
    return result;
}

}  // namespace karvio
