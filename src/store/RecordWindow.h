// Reading the records and texts of a long walk straight from the file's cached pieces of memory.
// A RecordWindow keeps the piece its last read came from, so records and texts that lie side by
// side in the file (as a scan writes them) are read without a call into the file; FileWalk walks
// one directory's file list through a window, by the file cursor's rules (RecordLists.h). Both read
// only; like the file itself they belong to one thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "CatalogueFile.h"
#include "RecordIo.h"
#include "RecordLists.h"
#include "Records.h"

namespace karvio {

class RecordWindow {
public:
    explicit RecordWindow(CatalogueFile* file) : file_(file) {}

    // The `size` bytes at 1-based position `pos` where the file holds them in one piece; null
    // otherwise. Valid until the next read through the window or the next call on the file.
    const unsigned char* At(int64_t pos, size_t size) {
        const int64_t offset = pos - 1;
        if (file_ && generation_ == file_->PieceGeneration() && offset >= start_ &&
            static_cast<uint64_t>(offset - start_) + size <= length_) {
            return bytes_ + (offset - start_);
        }
        return MoveTo(offset, size);
    }

    // The record at `id`, with the read error `code` of ReadRecordAt when the file cannot give it.
    template <typename Record>
    void Read(int32_t id, Record& record, int code) {
        if (id >= 1) {
            if (const unsigned char* bytes = At(id, Record::kSize)) {
                record.Decode(bytes);
                return;
            }
        }
        ReadRecordAt(file_, id, record, code);
    }

    // The text of a slot, as ReadTextView gives it (into `buffer` where the file has no piece).
    std::string_view Text(StringSlot slot, std::string& buffer, int code) {
        if (slot.len <= 0) return {};
        if (slot.pos >= 1) {
            if (const unsigned char* bytes = At(slot.pos, static_cast<size_t>(slot.len))) {
                return {reinterpret_cast<const char*>(bytes), static_cast<size_t>(slot.len)};
            }
        }
        return ReadTextView(file_, slot, buffer, code);
    }

    CatalogueFile* File() const { return file_; }

private:
    const unsigned char* MoveTo(int64_t offset, size_t size);

    CatalogueFile* file_;  // not owned
    const unsigned char* bytes_ = nullptr;
    int64_t start_ = 0;
    size_t length_ = 0;
    uint64_t generation_ = ~uint64_t{0};  // none: no piece is held
};

// Walks one directory's file list through a RecordWindow, by the file list's rules (ListWalk).
class FileWalk {
public:
    explicit FileWalk(RecordWindow& window) : window_(window) {}

    // Stands on the first file of `dir`; AtEnd() when it has none.
    void Start(const DirRecord& dir);
    bool AtEnd() const { return !onRecord_; }
    // REQUIRES: !AtEnd()
    void Next() {
        walk_.Advance(rec_);
        ReadWanted();
    }
    // REQUIRES: !AtEnd()
    const FileRecord& Record() const { return rec_; }
    // How the walk ended (damage among them), once AtEnd().
    ListEnd End() const { return walk_.End(); }

private:
    void ReadWanted() {
        onRecord_ = false;
        if (walk_.Want() == 0) return;
        window_.Read(walk_.Want(), rec_, kReadFileRecord);
        onRecord_ = walk_.Take(rec_);
    }

    // The read error of a file record, the file cursor's.
    static constexpr int kReadFileRecord = 2115;

    RecordWindow& window_;
    FileRecord rec_;
    ListWalk<FileRecord> walk_;
    bool onRecord_ = false;
};

}  // namespace karvio
