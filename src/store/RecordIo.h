// Reading and writing records and texts at their 1-based positions, ending the program with the
// numbered message of the operation when the file cannot satisfy it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "CatalogueFile.h"
#include "Records.h"

namespace karvio {

// "File Read Error!! Error <code>" / "File Write Error!! Error <code>", then the file and the
// cause when they are known, then the program ends.
[[noreturn]] void StoreReadError(int code, CatalogueFile* file = nullptr, const std::string& cause = {});
[[noreturn]] void StoreWriteError(int code, CatalogueFile* file = nullptr, const std::string& cause = {});

// The cause of a failed read of `size` bytes at 1-based `pos`.
std::string ReadFailureCause(CatalogueFile* file, int64_t pos, int64_t size);

// Reads `size` bytes at 1-based position `pos`; a read error (`code`) when any byte lies outside
// the file or the file is not open.
void ReadBytesAt(CatalogueFile* file, int64_t pos, void* data, size_t size, int code);

// Writes at 1-based position `pos` (at most one past the end); a write error (`code`) otherwise.
void WriteBytesAt(CatalogueFile* file, int64_t pos, const void* data, size_t size, int code);

template <typename Record>
void ReadRecordAt(CatalogueFile* file, int32_t id, Record& record, int code) {
    // Walks read records one after another from the cache: decode them where they lie.
    if (file && id >= 1) {
        if (const unsigned char* bytes = file->View(id - 1, Record::kSize)) {
            record.Decode(bytes);
            return;
        }
    }
    uint8_t bytes[Record::kSize];
    ReadBytesAt(file, id, bytes, sizeof bytes, code);
    record.Decode(bytes);
}

// Told of every record this process writes (the file and the record's id), so that a view of
// the catalogue kept beside the store (quick find's index) can follow the program's own changes
// without reading the file again. Called on the writing thread; one observer for the process.
using RecordWriteObserver = void (*)(CatalogueFile* file, int32_t id);
// Returns the observer before.
RecordWriteObserver SetRecordWriteObserver(RecordWriteObserver observer);
void NoteRecordWritten(CatalogueFile* file, int32_t id);

template <typename Record>
void WriteRecordAt(CatalogueFile* file, int32_t id, const Record& record, int code) {
    uint8_t bytes[Record::kSize];
    record.Encode(bytes);
    WriteBytesAt(file, id, bytes, sizeof bytes, code);
    NoteRecordWritten(file, id);
}

// The position a record or text appended now gets: the file length plus 1. A write error
// (`code`) when the file is not open.
int32_t NextAppendPosition(CatalogueFile* file, int code);

// The text of a slot; empty without touching the file when the length is 0 or less.
std::string ReadText(CatalogueFile* file, StringSlot slot, int code);

// The text of a slot into `out` (its capacity is reused), for walks that read every record;
// the same checks and read error (`code`) as ReadText.
void ReadTextInto(CatalogueFile* file, StringSlot slot, std::string& out, int code);

// The text of a slot where the file holds it, or else read into `buffer`; valid until the next
// call on the file or the buffer. The same checks and read error (`code`) as ReadText.
std::string_view ReadTextView(CatalogueFile* file, StringSlot slot, std::string& buffer, int code);

// Appends the text's bytes at the end of the file and returns its slot; (0, 0) for an empty text.
StringSlot AppendText(CatalogueFile* file, std::string_view text, int code);

}  // namespace karvio
