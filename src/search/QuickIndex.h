// An in-memory index of every CD's, directory's and file's name and notes, for the find box that
// answers as the user types. Built by reading the data file in pieces (never whole), walked along
// the same links and with the same damage checks the store's cursors apply. Each CD is one part
// of its own: 28-byte entries in catalogue order (the CD, then each of its directories followed
// by that directory's files) linking to their parent instead of holding a path; folded names
// (FoldText, as every search folds them) live once in the part's arena, separated by NUL bytes,
// so a query scans the arenas with memmem instead of visiting entries one by one. Original bytes
// are kept only for the names whose folded form differs. An update after this program's own
// change reads again only the CDs it changed and shares every other part with the index before.
// Immutable once built: any number of threads may query it.
#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "CatalogueSearch.h"
#include "QuickQuery.h"
#include "Records.h"
#include "classData.h"

namespace karvio {

enum class QuickKind : uint8_t { Cd = 0, Directory = 1, File = 2 };

// Largest size and day count the packed fields hold; larger values are kept as these.
inline constexpr uint64_t kQuickMaxSize = (uint64_t{1} << 44) - 1;  // 16 TiB
inline constexpr uint32_t kQuickMaxDay = (1u << 20) - 1;             // some 2,800 years

#pragma pack(push, 4)
struct QuickEntry {
    uint32_t fold = 0;        // start of the folded name in the arena
    uint32_t raw = 0;         // start of the original bytes in the raw pool, when kRawKept
    int32_t parent = -1;      // entry of the directory or CD holding it, within its CD; -1 for a CD
    int32_t id = 0;           // record id
    uint32_t sizeLow = 0;     // size magnitude, 44 bits, and the day of its date, 20 bits
    uint32_t sizeHighDay = 0;
    uint8_t kind = 0;         // QuickKind
    uint8_t flags = 0;
    uint16_t notes = 0;       // 1 when it has notes (looked up in the notes table)

    static constexpr uint8_t kRawKept = 1;  // the original bytes differ from the folded ones

    uint64_t Size() const { return sizeLow | (uint64_t(sizeHighDay & 0xFFF) << 32); }
    uint32_t Day() const { return sizeHighDay >> 12; }
};
#pragma pack(pop)
static_assert(sizeof(QuickEntry) == 28);

// A query's answer: matching entries, best first (name equal to a word, then beginning with
// one, then holding one, then matched by notes only), in catalogue order within a tier.
struct QuickResult {
    std::vector<int32_t> rows;
    int64_t count = 0;
    bool cancelled = false;
};

class QuickIndex {
public:
    QuickIndex();
    ~QuickIndex();
    QuickIndex(QuickIndex&&) noexcept;
    QuickIndex& operator=(QuickIndex&&) noexcept;

    // Reads the catalogue at `path`. False, with `error` set, when it cannot be read or is not a
    // catalogue, or when `cancel` was set; a damaged list ends where the cursors would end it.
    // `readSoFar` (when set) is called on the reading thread after each CD with the index as read
    // so far (Snapshot takes a copy of it).
    bool Build(const std::string& path, std::string* error = nullptr, const std::atomic<bool>* cancel = nullptr,
               const std::function<void(const QuickIndex&)>& readSoFar = {});
    // An index of the CDs read so far, sharing their parts (which never change once read).
    std::shared_ptr<const QuickIndex> Snapshot() const;
    // Build, for a file another program changed while `held` (an index of the same file) goes on
    // answering: every CD read the same as in `held` keeps the part held, and the one just read is
    // let go at once, so the two indexes together take little more than one.
    bool Rebuild(const QuickIndex& held, std::string* error = nullptr, const std::atomic<bool>* cancel = nullptr);
    // This index made current with the file `from` was built from, after this program changed
    // it: the CD list is read again; a CD that is new, whose record changed, or that holds one
    // of the records `writtenIds` (written in place: a directory or file renamed, its notes
    // edited) is read again; every other CD's part is shared with `from`. False, with `error`
    // set, when the file cannot be read.
    bool Update(const QuickIndex& from, std::vector<int32_t> writtenIds, std::string* error = nullptr);
    const std::string& BuiltFrom() const { return path_; }
    // True when the file at the path changed since it was read (another program or this one
    // wrote it, or it was replaced), as its change marker tells.
    bool IsStale() const;

    // Every match of `query` in `mode`. `firstScreen` is called once with the first
    // `firstScreenRows` hits found (in catalogue order) when there are that many, before the
    // rest is looked for. `cancel` (may be null) ends the query early.
    QuickResult Find(const QuickQuery& query, QuickMatchMode mode, size_t firstScreenRows = 0,
                     const std::function<void(const std::vector<int32_t>&)>& firstScreen = {},
                     const std::atomic<bool>* cancel = nullptr) const;

    size_t size() const { return size_; }
    const QuickEntry& Entry(int32_t i) const;
    QuickKind Kind(int32_t i) const { return QuickKind(Entry(i).kind); }
    // The CD entry an entry belongs to.
    int32_t CdOf(int32_t i) const;
    // Original bytes of the name.
    std::string_view RawName(int32_t i) const;
    std::string_view FoldedName(int32_t i) const;
    std::string_view RawNotes(int32_t i) const;
    // The hit as the search window's result list shows it: a CD's base path, a directory's
    // path, a file's directory full name (catalogue paths, "\"-separated).
    SearchHit Hit(int32_t i) const;
    // Bytes held: entries, the arenas, the raw pools, the notes.
    size_t EntryBytes() const;
    size_t MemoryBytes() const;
    size_t NameBytes() const;

private:
    class Part;
    class Reader;
    // The file's change marker now; false when there is no file.
    static bool Stamp(const std::string& path, CatalogueIdentity& stamp);
    // The part holding entry `i`, and `i` within it.
    std::pair<const Part*, int32_t> Locate(int32_t i) const;
    void Append(std::shared_ptr<const Part> part);
    // Reads the CD list of `file` into parts; `reuse` gives the part to keep for a CD record
    // (null to read the CD).
    // Reads the file `from` was read from again into this index, through `walk`; the index is
    // left as it was when the file cannot be read or the walk ends early.
    bool ReadAgain(const QuickIndex& from, std::string* error, const std::function<bool(QuickIndex&, Reader&)>& walk);
    bool Walk(Reader& file, const std::function<std::shared_ptr<const Part>(const CdRecord&)>& reuse,
              const std::atomic<bool>* cancel, const std::function<void(const QuickIndex&)>& readSoFar = {},
              const QuickIndex* sameFrom = nullptr);

    std::string path_;
    CatalogueIdentity stamp_;  // the file's change marker when it was read
    std::vector<std::shared_ptr<const Part>> parts_;
    std::vector<int32_t> starts_;  // the first entry of each part
    size_t size_ = 0;
};

}  // namespace karvio
