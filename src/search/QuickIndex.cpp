#include "QuickIndex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDate>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "ClassFile.h"
#include "ProgramInfo.h"
#include "RecordIo.h"
#include "Records.h"

namespace karvio {

namespace {

constexpr size_t kMaxNameBytes = 0xFFFF;
constexpr size_t kScanChunk = 1 << 20;  // arena bytes between two looks at the cancel flag
constexpr int kTierNotes = 3;

// Catalogue day numbers count from 30 December 1899.
const QDate kDayZero(1899, 12, 30);

bool IsPlainAscii(std::string_view s) {
    for (const char c : s)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\0') return false;
    return true;
}

// The folded form of catalogue bytes as UTF-8: ASCII lower-cased by hand, anything else through
// QuickFold. A NUL inside a damaged name becomes U+0001 so it cannot end the arena's entry.
void FoldInto(std::string_view bytes, std::string& out) {
    out.clear();
    if (IsPlainAscii(bytes)) {
        out.resize(bytes.size());
        std::transform(bytes.begin(), bytes.end(), out.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
        return;
    }
    const QByteArray raw = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const QByteArray folded = QuickFold(QuickDecodeName(raw)).toUtf8();
    out.assign(folded.constData(), static_cast<size_t>(folded.size()));
    std::replace(out.begin(), out.end(), '\0', '\x01');
}

bool FieldMatches(std::string_view field, std::string_view needle, QuickMatchMode mode) {
    switch (mode) {
        case QuickMatchMode::WholeField: return field == needle;
        case QuickMatchMode::Beginning: return field.starts_with(needle);
        case QuickMatchMode::Anywhere: break;
    }
    return field.find(needle) != std::string_view::npos;
}

// How well a name matches one needle: 0 equal, 1 begins with it, 2 holds it, -1 not at all.
int NameTier(std::string_view name, std::string_view needle, QuickMatchMode mode) {
    if (!FieldMatches(name, needle, mode)) return -1;
    if (name == needle) return 0;
    return name.starts_with(needle) ? 1 : 2;
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

// The whole data file in memory and record decoding over it. Every position is checked against
// the length, so a damaged link reads as the end of its list instead of leaving the buffer.
class QuickIndex::Reader {
public:
    bool Load(const std::string& path, std::string* error) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return Fail(error, path + ": " + std::strerror(errno));
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            const std::string why = std::strerror(errno);
            ::close(fd);
            return Fail(error, path + ": " + why);
        }
        // Records never lie past the largest position an id can name.
        const size_t want = static_cast<size_t>(std::min<int64_t>(st.st_size, kMaxCatalogueLength));
        bytes_ = std::make_unique_for_overwrite<unsigned char[]>(want);
        size_t got = 0;
        while (got < want) {
            const ssize_t n = ::read(fd, bytes_.get() + got, want - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        ::close(fd);
        // A file cut short while it was read is read as far as it goes.
        size_ = got;
        if (size_ < HeaderRecord::kSize) return Fail(error, path + ": not a Karvio catalogue (too short)");
        header_.Decode(bytes_.get());
        if (std::memcmp(header_.dataSignature, "VELK", 4) != 0 || header_.dataVersionMajor != kVersionMajor)
            return Fail(error, path + ": Wrong Version of the Data File");
        return true;
    }

    const HeaderRecord& Header() const { return header_; }
    int64_t Length() const { return static_cast<int64_t>(size_); }

    template <typename Record>
    bool Read(int32_t id, Record& record) const {
        if (id < 1 || static_cast<size_t>(id) - 1 + Record::kSize > size_) return false;
        record.Decode(bytes_.get() + id - 1);
        return true;
    }

    std::string_view Text(StringSlot slot) const {
        if (slot.len <= 0 || slot.pos < 1 || static_cast<size_t>(slot.pos) - 1 + static_cast<size_t>(slot.len) > size_)
            return {};
        return {reinterpret_cast<const char*>(bytes_.get()) + slot.pos - 1, static_cast<size_t>(slot.len)};
    }

private:
    static bool Fail(std::string* error, std::string text) {
        if (error) *error = std::move(text);
        return false;
    }

    std::unique_ptr<unsigned char[]> bytes_;
    size_t size_ = 0;
    HeaderRecord header_;
};

bool QuickIndex::Stamp(const std::string& path, FileStamp& stamp) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

bool QuickIndex::IsStale() const {
    FileStamp now;
    return !Stamp(path_, now) || !(now == stamp_);
}

int32_t QuickIndex::Add(QuickKind kind, int32_t id, int32_t parent, std::string_view name,
                        std::string_view notes, double size, double date) {
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

    FoldInto(name, scratch_);
    e.fold = static_cast<uint32_t>(arena_.size());
    arena_.append(scratch_);
    arena_.push_back('\0');
    if (scratch_ != name) {
        e.flags |= QuickEntry::kRawKept;
        e.raw = static_cast<uint32_t>(raw_.size());
        const auto len = static_cast<uint16_t>(name.size());
        raw_.append(reinterpret_cast<const char*>(&len), sizeof len);
        raw_.append(name);
    }
    const auto index = static_cast<int32_t>(entries_.size());
    if (!notes.empty()) {
        e.notes = 1;
        FoldInto(notes, scratch_);
        NoteRef ref{index, static_cast<uint32_t>(notesArena_.size()), static_cast<uint32_t>(notesRaw_.size())};
        notesArena_.append(scratch_);
        notesArena_.push_back('\0');
        const auto len = static_cast<uint32_t>(notes.size());
        notesRaw_.append(reinterpret_cast<const char*>(&len), sizeof len);
        notesRaw_.append(notes);
        notes_.push_back(ref);
    }
    entries_.push_back(e);
    return index;
}

bool QuickIndex::Build(const std::string& path, std::string* error) {
    *this = QuickIndex();
    path_ = path;
    // The stamp is taken before the read: a write that lands during the read makes the index
    // stale rather than silently incomplete.
    if (!Stamp(path, stamp_)) {
        if (error) *error = path + ": " + std::strerror(errno);
        return false;
    }
    Reader file;
    if (!file.Load(path, error)) return false;
    const HeaderRecord& header = file.Header();
    // The CDs' own counts size the entries at once (a copy of 30 MB saved per growth); a damaged
    // count can ask for no more than the file has room for.
    int64_t expected = 0;
    {
        int32_t id = header.dataCdFirstRecord;
        for (int64_t steps = 0; id > 0 && steps < file.Length() / int64_t(CdRecord::kSize); ++steps) {
            CdRecord cd;
            if (!file.Read(id, cd) || cd.CdId != id) break;
            expected += 2 + int64_t(std::max(cd.CdNumOfFiles, 0)) + std::max(cd.CdNumOfSubdirs, 0);
            if (cd.NextRecord <= 0 || cd.NextRecord == header.dataCdFirstRecord) break;
            id = cd.NextRecord;
        }
    }
    expected = std::min<int64_t>(expected, file.Length() / int64_t(FileRecord::kSize));
    entries_.reserve(static_cast<size_t>(expected));
    // Names run at about a fifth of the file.
    arena_.reserve(static_cast<size_t>(file.Length() / 4));

    std::unordered_map<std::string, int32_t> dirByFullName;
    ListGuard cdGuard;
    cdGuard.Start(header.dataCdFirstRecord, file.Length(), CdRecord::kSize);
    int32_t from = 0;
    for (int32_t cdId = header.dataCdFirstRecord; cdId > 0;) {
        CdRecord cd;
        // Only a CD whose back link names the CD the walk comes from belongs to the list.
        if (!file.Read(cdId, cd) || cd.CdId != cdId || (from != 0 && cd.PrevRecord != from)) break;
        const int32_t cdEntry = Add(QuickKind::Cd, cdId, -1, file.Text(cd.CdName), file.Text(cd.CdNotes),
                                    cd.CdTotalSize, cd.CdLastScanned);
        cds_.push_back({cdEntry, std::string(file.Text(cd.CdBasepath)), std::string(file.Text(cd.CdLabel)), {}});
        dirByFullName.clear();

        ListGuard dirGuard;
        dirGuard.Start(cd.DirFirst, file.Length(), DirRecord::kSize);
        for (int32_t dirId = cd.DirFirst; dirId > 0;) {
            DirRecord dir;
            if (!file.Read(dirId, dir) || dir.DirId != dirId || dir.DirCdId != cdId) break;
            std::string dirPath(file.Text(dir.DirPath));
            const std::string_view dirName = file.Text(dir.DirName);
            const auto parentIt = dirByFullName.find(dirPath == "\\" ? std::string() : dirPath);
            const int32_t parent = parentIt == dirByFullName.end() ? cdEntry : parentIt->second;
            if (dirByFullName.empty() && dirPath != "\\") cds_.back().topPath = dirPath;
            const int32_t dirEntry =
                Add(QuickKind::Directory, dirId, parent, dirName, file.Text(dir.DirNotes), dir.DirSize, dir.DirDate);
            dirByFullName.emplace(JoinCataloguePath(dirPath, std::string(dirName)), dirEntry);

            ListGuard fileGuard;
            fileGuard.Start(dir.FileFirst, file.Length(), FileRecord::kSize);
            for (int32_t fileId = dir.FileFirst; fileId > 0;) {
                FileRecord f;
                if (!file.Read(fileId, f) || f.FileId != fileId || f.FileDirId != dirId) break;
                Add(QuickKind::File, fileId, dirEntry, file.Text(f.FileName), file.Text(f.FileNotes), f.FileSize,
                    f.FileDate);
                // Files are appended in list order: a link that does not point forward is damage.
                if (f.FileNext <= fileId || !fileGuard.Step(f.FileNext)) break;
                fileId = f.FileNext;
            }
            if (dir.DirNext <= dirId || !dirGuard.Step(dir.DirNext)) break;
            dirId = dir.DirNext;
        }
        if (cd.NextRecord <= 0 || !cdGuard.Step(cd.NextRecord)) break;
        from = cdId;
        cdId = cd.NextRecord;
    }
    if (entries_.capacity() > entries_.size() + entries_.size() / 16) entries_.shrink_to_fit();
    arena_.shrink_to_fit();
    scratch_ = std::string();
    return true;
}

int32_t QuickIndex::CdOf(int32_t i) const {
    const auto it = std::upper_bound(cds_.begin(), cds_.end(), i,
                                     [](int32_t v, const CdPart& part) { return v < part.entry; });
    return it == cds_.begin() ? -1 : std::prev(it)->entry;
}

const QuickIndex::CdPart* QuickIndex::PartOf(int32_t cdEntry) const {
    const auto it = std::lower_bound(cds_.begin(), cds_.end(), cdEntry,
                                     [](const CdPart& part, int32_t v) { return part.entry < v; });
    return it != cds_.end() && it->entry == cdEntry ? &*it : nullptr;
}

std::string_view QuickIndex::FoldedName(int32_t i) const {
    const uint32_t start = entries_[size_t(i)].fold;
    const size_t end = size_t(i) + 1 < entries_.size() ? entries_[size_t(i) + 1].fold : arena_.size();
    return std::string_view(arena_).substr(start, end - start - 1);
}

std::string_view QuickIndex::RawName(int32_t i) const {
    const QuickEntry& e = entries_[size_t(i)];
    if (!(e.flags & QuickEntry::kRawKept)) return FoldedName(i);
    uint16_t len = 0;
    std::memcpy(&len, raw_.data() + e.raw, sizeof len);
    return std::string_view(raw_).substr(e.raw + sizeof len, len);
}

const QuickIndex::NoteRef* QuickIndex::NotesOf(int32_t i) const {
    if (!entries_[size_t(i)].notes) return nullptr;
    const auto it = std::lower_bound(notes_.begin(), notes_.end(), i,
                                     [](const NoteRef& n, int32_t v) { return n.entry < v; });
    return it != notes_.end() && it->entry == i ? &*it : nullptr;
}

std::string_view QuickIndex::RawNotes(int32_t i) const {
    const NoteRef* n = NotesOf(i);
    if (!n) return {};
    uint32_t len = 0;
    std::memcpy(&len, notesRaw_.data() + n->raw, sizeof len);
    return std::string_view(notesRaw_).substr(n->raw + sizeof len, len);
}

SearchHit QuickIndex::Hit(int32_t i) const {
    SearchHit hit;
    const QuickEntry& e = entries_[size_t(i)];
    hit.id = e.id;
    hit.name = RawName(i);
    hit.notes = RawNotes(i);
    hit.size = static_cast<double>(e.Size());
    hit.date = e.Day();
    const int32_t cdEntry = CdOf(i);
    hit.cdId = cdEntry >= 0 ? entries_[size_t(cdEntry)].id : 0;
    switch (Kind(i)) {
        case QuickKind::Cd: {
            hit.kind = SearchHitKind::Cd;
            const auto part = std::find_if(cds_.begin(), cds_.end(), [i](const CdPart& p) { return p.entry == i; });
            if (part != cds_.end()) hit.cdName = part->label, hit.path = part->basePath;
            return hit;
        }
        case QuickKind::Directory:
            hit.kind = SearchHitKind::Directory;
            hit.dirId = e.id;
            hit.size = -hit.size;
            break;
        case QuickKind::File:
            hit.kind = SearchHitKind::File;
            hit.dirId = e.parent >= 0 ? entries_[size_t(e.parent)].id : 0;
            break;
    }
    if (cdEntry >= 0) hit.cdName = RawName(cdEntry);
    // The folder holding it, from the parent links: a directory's path, a file's directory's
    // full name, "\"-separated as the catalogue writes paths.
    std::vector<int32_t> chain;
    for (int32_t p = e.parent; p >= 0 && Kind(p) == QuickKind::Directory; p = entries_[size_t(p)].parent)
        chain.push_back(p);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const std::string_view name = RawName(*it);
        if (name.empty()) continue;
        if (!path.empty() && path.back() != '\\') path += '\\';
        path += name;
    }
    // The first directory of a scanned folder carries the folder's place on its volume.
    const int32_t top = chain.empty() ? i : chain.back();
    const CdPart* part = PartOf(cdEntry);
    if (part && !part->topPath.empty() && entries_[size_t(top)].parent == cdEntry && top != i)
        path = path.empty() ? part->topPath : part->topPath + "\\" + path;
    else if (part && !part->topPath.empty() && top == i && Kind(i) == QuickKind::Directory && e.parent == cdEntry)
        path = part->topPath;
    if (hit.kind == SearchHitKind::Directory && path.empty()) path = "\\";
    hit.path = std::move(path);
    return hit;
}

size_t QuickIndex::MemoryBytes() const {
    size_t bytes = entries_.capacity() * sizeof(QuickEntry) + arena_.capacity() + raw_.capacity() +
                   notesArena_.capacity() + notesRaw_.capacity() + notes_.capacity() * sizeof(NoteRef);
    for (const CdPart& p : cds_) bytes += sizeof p + p.basePath.capacity() + p.label.capacity();
    return bytes;
}


int32_t QuickIndex::EntryAt(uint32_t offset, int32_t from) const {
    // Hits come in arena order, mostly close together: gallop from the last one, then halve.
    const auto n = static_cast<int32_t>(entries_.size());
    int32_t step = 1;
    while (from + step < n && entries_[size_t(from + step)].fold <= offset) step *= 2;
    const auto first = entries_.begin() + from + step / 2;
    const auto last = entries_.begin() + std::min(from + step, n);
    const auto it = std::upper_bound(first, last, offset, [](uint32_t v, const QuickEntry& e) { return v < e.fold; });
    return static_cast<int32_t>(it - entries_.begin()) - 1;
}

QuickResult QuickIndex::Find(const QuickQuery& query, QuickMatchMode mode, size_t firstScreenRows,
                             const std::function<void(const std::vector<int32_t>&)>& firstScreen,
                             const std::atomic<bool>* cancel) const {
    QuickResult result;
    if (query.IsEmpty() || !query.error.isEmpty() || entries_.empty()) return result;
    const PreparedQuery p = Prepare(query);

    std::vector<int32_t> tiers[kTierNotes + 1];
    bool screenSent = firstScreenRows == 0 || !firstScreen;
    auto cancelled = [&] { return cancel && cancel->load(std::memory_order_relaxed); };
    auto consider = [&](int32_t i) {
        const QuickEntry& e = entries_[size_t(i)];
        if (query.kindMask && !(query.kindMask & (1 << e.kind))) return;
        if (query.size && !query.size->Contains(static_cast<int64_t>(e.Size()))) return;
        if (p.days && (int64_t(e.Day()) < p.dayLow || int64_t(e.Day()) > p.dayHigh)) return;
        const std::string_view name = FoldedName(i);
        if (!p.extensions.empty()) {
            if (Kind(i) != QuickKind::File) return;
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
                    if (const NoteRef* n = NotesOf(i)) notes = std::string_view(notesArena_.data() + n->fold);
                    notesRead = true;
                }
                if (notes.empty() || !FieldMatches(notes, needle, mode)) return;
                t = kTierNotes;
            }
            tier = first ? t : (t == kTierNotes || tier == kTierNotes ? kTierNotes : std::min(tier, t));
            first = false;
        }
        tiers[tier].push_back(i);
        ++result.count;
        if (!screenSent && static_cast<size_t>(result.count) >= firstScreenRows) {
            screenSent = true;
            std::vector<int32_t> screen;
            for (const auto& t : tiers) screen.insert(screen.end(), t.begin(), t.end());
            firstScreen(screen);
        }
    };

    const auto n = static_cast<int32_t>(entries_.size());
    if (p.needles.empty()) {
        for (int32_t i = 0; i < n; ++i) {
            if ((i & 0xFFFF) == 0 && cancelled()) return result.cancelled = true, result;
            consider(i);
        }
    } else {
        // The longest needle is the likeliest to be rare: it finds the candidates, in the names
        // by one scan of the arena and in the notes by one scan of theirs.
        const std::string& driver =
            *std::max_element(p.needles.begin(), p.needles.end(),
                              [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
        std::vector<int32_t> noteHits;
        for (size_t pos = 0; pos < notesArena_.size();) {
            const void* hit = memmem(notesArena_.data() + pos, notesArena_.size() - pos, driver.data(), driver.size());
            if (!hit) break;
            const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - notesArena_.data());
            const auto ref = std::upper_bound(notes_.begin(), notes_.end(), static_cast<uint32_t>(at),
                                              [](uint32_t v, const NoteRef& r) { return v < r.fold; });
            const NoteRef& owner = *std::prev(ref);
            noteHits.push_back(owner.entry);
            pos = ref == notes_.end() ? notesArena_.size() : ref->fold;
        }
        size_t nextNote = 0;
        int32_t cursor = 0;
        const char* base = arena_.data();
        const size_t size = arena_.size();
        for (size_t pos = 0; pos < size;) {
            if (cancelled()) return result.cancelled = true, result;
            const size_t chunkEnd = std::min(size, pos + kScanChunk);
            // The window runs a needle's length past the chunk so a hit across its end is found.
            const size_t window = std::min(size, chunkEnd + driver.size()) - pos;
            const void* hit = memmem(base + pos, window, driver.data(), driver.size());
            const size_t at = hit ? static_cast<size_t>(static_cast<const char*>(hit) - base) : size;
            if (!hit || at >= chunkEnd) {
                pos = chunkEnd;
                continue;
            }
            const int32_t i = EntryAt(static_cast<uint32_t>(at), cursor);
            while (nextNote < noteHits.size() && noteHits[nextNote] < i) consider(noteHits[nextNote++]);
            if (nextNote < noteHits.size() && noteHits[nextNote] == i) ++nextNote;
            consider(i);
            cursor = i;
            pos = i + 1 < n ? entries_[size_t(i) + 1].fold : size;
        }
        while (nextNote < noteHits.size()) consider(noteHits[nextNote++]);
    }
    result.rows.reserve(static_cast<size_t>(result.count));
    for (const auto& t : tiers) result.rows.insert(result.rows.end(), t.begin(), t.end());
    return result;
}

}  // namespace karvio
