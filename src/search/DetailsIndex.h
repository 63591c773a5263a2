// What quick find knows beyond the catalogue's names: the members of archives (their paths
// inside the archive) and the media fields of files, read once from the details database and
// tied to the entries of a quick index built from the same catalogue. Rows that no longer fit
// their file (another name or size) are left out. Folded texts live in one arena, as the quick
// index keeps names. Immutable once built: any number of threads may query it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CatalogueSearch.h"
#include "DetailsDatabase.h"
#include "DetailsQuery.h"
#include "QuickIndex.h"

namespace karvio {

// One answer of a details query: a catalogue file matched by its media fields (member -1), or a
// member of an archive file.
struct DetailsHit {
    int32_t entry = 0;    // the file's entry in the quick index
    int32_t member = -1;  // the member's number in this index
    bool operator==(const DetailsHit&) const = default;
};

class DetailsIndex {
public:
    // Reads the details database beside `dataFile` for the files `catalogue` holds. An index with
    // nothing in it when there are no details; `note` says why when they cannot be read.
    bool Build(const std::string& dataFile, const QuickIndex& catalogue, std::string* note = nullptr);

    bool Empty() const { return members_.empty() && media_.empty(); }
    size_t MemberCount() const { return members_.size(); }
    size_t MediaCount() const { return media_.size(); }

    // The archive members and media files that `query` finds, members in archive order after the
    // media files in catalogue order. Without details filters and words, nothing.
    std::vector<DetailsHit> Find(const QuickIndex& catalogue, const FullQuery& query, QuickMatchMode mode,
                                 const std::atomic<bool>* cancel = nullptr) const;

    // A hit as the result lists show it. A member reads as a file inside its archive: its path is
    // the archive's full name followed by the member's folders ("\"-separated, as catalogue paths
    // are), its id is the archive's file id and `memberPath` its path inside the archive.
    SearchHit Hit(const QuickIndex& catalogue, const DetailsHit& hit) const;
    // The member's path inside its archive, as stored.
    std::string_view MemberPath(int32_t member) const;

    size_t MemoryBytes() const;

private:
    struct Member {
        int32_t entry;  // the archive's quick-index entry
        uint32_t fold;  // folded path in arena_
        uint32_t raw;   // stored path in raw_ (length-prefixed)
        double size;
        double date;
        bool isDir;
    };
    struct Media {
        int32_t entry;
        MediaKind kind;
        uint32_t artist, album, title, camera;  // folded texts in arena_ (kNone when empty)
        int32_t takenYear;
        int64_t duration;
        int32_t width, height;
    };
    static constexpr uint32_t kNone = 0xFFFFFFFF;

    uint32_t AddText(std::string_view text);
    std::string_view Text(uint32_t at) const;

    std::string arena_;  // folded texts, each followed by a NUL
    std::string raw_;
    std::vector<Member> members_;
    std::vector<Media> media_;
};

}  // namespace karvio
