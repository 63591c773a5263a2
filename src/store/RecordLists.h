// The one set of rules by which every reader of the catalogue walks its four lists: the CD and
// category lists (doubly linked, from the header), each CD's directory list and each directory's
// file list (singly linked, appended in list order). A ListWalk says which record to read next
// and whether the record read there belongs to the list; it reads nothing itself, so the
// cursors (through the file), the search walk (through a RecordWindow), the quick-find index
// (from memory) and the check all meet damage the same way: the walk ends, and says why.
// The format is written down in doc/format.md. Plain values; any thread.
#pragma once

#include <cstdint>

#include "Records.h"

namespace karvio {

// Why a walk along a list ended.
enum class ListEnd : uint8_t {
    None,          // not ended
    Complete,      // a link of 0: the list's own end
    OutsideFile,   // a link names a position where no whole record fits in the file
    Backwards,     // a directory or file link that does not point forward in the file
    Loop,          // the walk would come back to its start or visit more records than fit
    WrongRecord,   // the record reached is not one of this list: another kind (its id field is
                   // not its position), another CD or directory, or a back link that does not
                   // name the record the walk comes from
};

// A short description of a damaged end ("a link points outside the file", ...); empty for
// None and Complete.
const char* ListEndText(ListEnd end);

// How a list of `Record`s links: its id, its link to the next record, and whether the record
// read at `id`, reached from `from` (0 at the list's first), belongs to the list of `owner` (the
// CD of a directory list, the directory of a file list; unused for the CD and category lists).
template <typename Record>
struct ListLinks;

template <>
struct ListLinks<CdRecord> {
    static constexpr bool kForwardOnly = false;
    static int32_t Id(const CdRecord& r) { return r.CdId; }
    static int32_t Next(const CdRecord& r) { return r.NextRecord; }
    static int32_t Prev(const CdRecord& r) { return r.PrevRecord; }
    static bool Belongs(const CdRecord& r, int32_t id, int32_t from, int32_t /*owner*/) {
        return r.CdId == id && (from == 0 || r.PrevRecord == from);
    }
};

template <>
struct ListLinks<CatRecord> {
    static constexpr bool kForwardOnly = false;
    static int32_t Id(const CatRecord& r) { return r.CatId; }
    static int32_t Next(const CatRecord& r) { return r.CatNext; }
    static int32_t Prev(const CatRecord& r) { return r.CatPrev; }
    static bool Belongs(const CatRecord& r, int32_t id, int32_t from, int32_t /*owner*/) {
        return r.CatId == id && (from == 0 || r.CatPrev == from);
    }
};

template <>
struct ListLinks<DirRecord> {
    static constexpr bool kForwardOnly = true;
    static int32_t Id(const DirRecord& r) { return r.DirId; }
    static int32_t Next(const DirRecord& r) { return r.DirNext; }
    static bool Belongs(const DirRecord& r, int32_t id, int32_t /*from*/, int32_t cdId) {
        return r.DirId == id && r.DirCdId == cdId;
    }
};

template <>
struct ListLinks<FileRecord> {
    static constexpr bool kForwardOnly = true;
    static int32_t Id(const FileRecord& r) { return r.FileId; }
    static int32_t Next(const FileRecord& r) { return r.FileNext; }
    static bool Belongs(const FileRecord& r, int32_t id, int32_t /*from*/, int32_t dirId) {
        return r.FileDirId == dirId && r.FileId == id;
    }
};

// Whether a whole record of `size` bytes fits at 1-based `id` in a file of `length` bytes, after
// the header.
inline bool RecordFits(int64_t id, size_t size, int64_t length) {
    return id > static_cast<int64_t>(HeaderRecord::kSize) && id - 1 + static_cast<int64_t>(size) <= length;
}

// Whether a text slot lies inside a file of `length` bytes (an empty slot always does).
inline bool TextFits(StringSlot slot, int64_t length) {
    return slot.len <= 0 || (slot.pos >= 1 && int64_t{slot.pos} - 1 + slot.len <= length);
}

// One walk along one list. Usage:
//   ListWalk<FileRecord> walk(dir.FileFirst, dir.DirId, length);
//   for (FileRecord f; walk.Want() != 0; walk.Advance(f)) {
//       read f at walk.Want();
//       if (!walk.Take(f)) break;
//       use f;
//   }
// After the loop, End() says whether the list ended at its own end or at damage.
template <typename Record>
class ListWalk {
public:
    using Links = ListLinks<Record>;

    ListWalk() = default;
    // A walk from `first` along the list of `owner` in a file of `length` bytes.
    ListWalk(int32_t first, int32_t owner, int64_t length) { Start(first, owner, length); }

    void Start(int32_t first, int32_t owner, int64_t length) {
        first_ = first;
        owner_ = owner;
        length_ = length;
        from_ = 0;
        steps_ = 0;
        limit_ = length / static_cast<int64_t>(Record::kSize);
        end_ = ListEnd::None;
        want_ = 0;
        Aim(first);
    }

    // The id of the record to read next; 0 when the walk has ended.
    int32_t Want() const { return want_; }

    // Takes the record read at Want(): true when it belongs to the list; false when it does not,
    // and the walk ends there on damage.
    // REQUIRES: Want() != 0
    bool Take(const Record& record) {
        if (!Links::Belongs(record, want_, from_, owner_)) {
            Stop(ListEnd::WrongRecord);
            return false;
        }
        from_ = want_;
        ++steps_;
        want_ = 0;
        return true;
    }

    // Aims at the record after `current`, the record last taken; ends the walk at the list's
    // end or at a link that cannot be right. Does nothing once the walk has ended.
    void Advance(const Record& current) {
        if (end_ != ListEnd::None || from_ == 0) return;
        const int32_t next = Links::Next(current);
        if (next == 0) {
            Stop(ListEnd::Complete);
        } else if (Links::kForwardOnly && next <= from_) {
            Stop(ListEnd::Backwards);
        } else if (steps_ >= limit_ || next == first_) {
            Stop(ListEnd::Loop);
        } else {
            Aim(next);
        }
    }

    // Ends the walk where a reader could not read the record at Want() (a file cut short under it).
    void Unreadable() { Stop(ListEnd::OutsideFile); }

    ListEnd End() const { return end_; }
    // The walk ended on damage, not at the list's end.
    bool Damaged() const { return end_ != ListEnd::None && end_ != ListEnd::Complete; }
    // The last record taken (0 before the first): where a damaged list breaks off.
    int32_t Last() const { return from_; }
    // Records taken.
    int64_t Taken() const { return steps_; }

private:
    void Stop(ListEnd end) {
        want_ = 0;
        end_ = end;
    }

    void Aim(int32_t id) {
        if (id == 0) {
            Stop(ListEnd::Complete);
        } else if (!RecordFits(id, Record::kSize, length_)) {
            Stop(ListEnd::OutsideFile);
        } else {
            want_ = id;
        }
    }

    int32_t first_ = 0;
    int32_t owner_ = 0;
    int32_t from_ = 0;
    int32_t want_ = 0;
    int64_t length_ = 0;
    int64_t steps_ = 0;
    int64_t limit_ = 0;
    ListEnd end_ = ListEnd::None;
};

}  // namespace karvio
