// An in-memory index of every CD's, directory's and file's name and notes, for the find box that
// answers as the user types. Built from one read of the whole data file into memory (no cursor,
// no per-record system call), walked along the same links and with the same damage checks the
// store's cursors apply. Entries are 28-byte structs in catalogue order (each CD, then each of its
// directories followed by that directory's files) linking to their parent instead of holding a
// path; folded names live once in one arena, separated by NUL bytes, so a query scans the arena
// with memmem instead of visiting entries one by one. Original bytes are kept only for the names
// whose folded form differs. Immutable once built: any number of threads may query it.
#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "CatalogueSearch.h"
#include "QuickQuery.h"

namespace karvio {

enum class QuickKind : uint8_t { Cd = 0, Directory = 1, File = 2 };

// Largest size and day count the packed fields hold; larger values are kept as these.
inline constexpr uint64_t kQuickMaxSize = (uint64_t{1} << 44) - 1;  // 16 TiB
inline constexpr uint32_t kQuickMaxDay = (1u << 20) - 1;             // some 2,800 years

#pragma pack(push, 4)
struct QuickEntry {
    uint32_t fold = 0;        // start of the folded name in the arena
    uint32_t raw = 0;         // start of the original bytes in the raw pool, when kRawKept
    int32_t parent = -1;      // entry of the directory or CD holding it; -1 for a CD
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
    // Reads the catalogue at `path`. False, with `error` set, when it cannot be read or is not a
    // catalogue; a damaged list ends where the cursors would end it.
    bool Build(const std::string& path, std::string* error = nullptr);
    const std::string& BuiltFrom() const { return path_; }
    // True when the file at the path is no longer byte for byte what was read (another program
    // or this one wrote it, or it was replaced).
    bool IsStale() const;

    // Every match of `query` in `mode`. `firstScreen` is called once with the first
    // `firstScreenRows` hits found (in catalogue order) when there are that many, before the
    // rest is looked for. `cancel` (may be null) ends the query early.
    QuickResult Find(const QuickQuery& query, QuickMatchMode mode, size_t firstScreenRows = 0,
                     const std::function<void(const std::vector<int32_t>&)>& firstScreen = {},
                     const std::atomic<bool>* cancel = nullptr) const;

    size_t size() const { return entries_.size(); }
    const QuickEntry& Entry(int32_t i) const { return entries_[size_t(i)]; }
    QuickKind Kind(int32_t i) const { return QuickKind(entries_[size_t(i)].kind); }
    // The CD entry an entry belongs to.
    int32_t CdOf(int32_t i) const;
    // Original bytes of the name.
    std::string_view RawName(int32_t i) const;
    std::string_view FoldedName(int32_t i) const;
    std::string_view RawNotes(int32_t i) const;
    // The hit as the search window's result list shows it: a CD's base path, a directory's
    // path, a file's directory full name (catalogue paths, "\"-separated).
    SearchHit Hit(int32_t i) const;
    // Bytes held: entries, the arena, the raw pool, the notes.
    size_t EntryBytes() const { return entries_.capacity() * sizeof(QuickEntry); }
    size_t MemoryBytes() const;
    size_t NameBytes() const { return arena_.size() + raw_.size(); }

private:
    struct CdPart {
        int32_t entry = 0;
        std::string basePath, label;
        std::string topPath;  // the path of its first directory (a scanned folder's place on its volume)
    };
    const CdPart* PartOf(int32_t cdEntry) const;
    struct NoteRef {
        int32_t entry;
        uint32_t fold;  // start of the folded notes in notesArena_
        uint32_t raw;   // start of the original notes in notesRaw_ (length-prefixed)
    };
    struct FileStamp {
        uint64_t device = 0, inode = 0;
        int64_t size = -1, mtimeNs = -1;
        bool operator==(const FileStamp&) const = default;
    };
    class Reader;
    static bool Stamp(const std::string& path, FileStamp& stamp);

    int32_t Add(QuickKind kind, int32_t id, int32_t parent, std::string_view name,
                std::string_view notes, double size, double date);
    const NoteRef* NotesOf(int32_t i) const;
    // The entry whose folded name holds arena offset `offset`, searching on from `from`.
    int32_t EntryAt(uint32_t offset, int32_t from) const;

    std::string path_;
    FileStamp stamp_;
    std::vector<QuickEntry> entries_;
    std::string arena_;       // folded names, each followed by a NUL
    std::string raw_;         // original names that differ, each a 16-bit length and the bytes
    std::string notesArena_;  // folded notes, each followed by a NUL, in entry order
    std::string notesRaw_;
    std::vector<NoteRef> notes_;
    std::vector<CdPart> cds_;
    std::string scratch_;     // the folding of the name being added (build only)
};

}  // namespace karvio
