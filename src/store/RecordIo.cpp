#include "RecordIo.h"

#include <atomic>

#include "RecordLists.h"

#include "Messages.h"

namespace karvio {

namespace {

std::string Detail(CatalogueFile* file, const std::string& cause) {
    if (!file) return cause.empty() ? std::string() : "\r\n" + cause;
    const std::string path = file->Path();
    const std::string why = cause.empty() ? file->LastError() : cause;
    if (path.empty() && why.empty()) return {};
    if (path.empty()) return "\r\n" + why;
    return "\r\n" + path + (why.empty() ? std::string() : ": " + why);
}

}  // namespace

void StoreReadError(int code, CatalogueFile* file, const std::string& cause) {
    FatalError("File Read Error!! Error " + std::to_string(code) + Detail(file, cause));
}

void StoreWriteError(int code, CatalogueFile* file, const std::string& cause) {
    FatalError("File Write Error!! Error " + std::to_string(code) + Detail(file, cause));
}

std::string ReadFailureCause(CatalogueFile* file, int64_t pos, int64_t size) {
    if (!file) return "the catalogue is not open";
    if (pos < 1) return "a record points at position " + std::to_string(pos) + ": the file is damaged";
    if (pos - 1 + size > file->Length()) {
        return "a record or text at position " + std::to_string(pos) + " lies outside the file (" +
               std::to_string(file->Length()) + " bytes): the file is damaged or cut short";
    }
    const std::string system = file->LastError();
    return system.empty() ? "the system could not read the file" : system;
}

void ReadBytesAt(CatalogueFile* file, int64_t pos, void* data, size_t size, int code) {
    if (!file || pos < 1 || !file->ReadAt(pos - 1, data, size)) {
        StoreReadError(code, file, ReadFailureCause(file, pos, static_cast<int64_t>(size)));
    }
}

void WriteBytesAt(CatalogueFile* file, int64_t pos, const void* data, size_t size, int code) {
    if (!file || pos < 1 || !file->WriteAt(pos - 1, data, size)) {
        StoreWriteError(code, file, file ? std::string() : "the catalogue is not open");
    }
}

namespace {
std::atomic<RecordWriteObserver> recordWriteObserver{nullptr};
}  // namespace

RecordWriteObserver SetRecordWriteObserver(RecordWriteObserver observer) { return recordWriteObserver.exchange(observer); }

void NoteRecordWritten(CatalogueFile* file, int32_t id) {
    if (const RecordWriteObserver observer = recordWriteObserver.load(std::memory_order_relaxed)) observer(file, id);
}

int32_t NextAppendPosition(CatalogueFile* file, int code) {
    if (!file) StoreWriteError(code, nullptr, "the catalogue is not open");
    const int64_t pos = file->Length() + 1;
    if (pos > kMaxCatalogueLength) StoreWriteError(code, file, "the catalogue has reached its largest size (2 GB)");
    return static_cast<int32_t>(pos);
}

std::string ReadText(CatalogueFile* file, StringSlot slot, int code) {
    if (slot.len <= 0) return {};
    // The length is checked against the file before anything is allocated for it.
    if (!file || slot.pos < 1 || slot.pos - 1 + int64_t{slot.len} > file->Length()) {
        StoreReadError(code, file, ReadFailureCause(file, slot.pos, slot.len));
    }
    std::string text(static_cast<size_t>(slot.len), '\0');
    ReadBytesAt(file, slot.pos, text.data(), text.size(), code);
    return text;
}

void ReadTextInto(CatalogueFile* file, StringSlot slot, std::string& out, int code) {
    if (slot.len <= 0) {
        out.clear();
        return;
    }
    if (!file || slot.pos < 1 || slot.pos - 1 + int64_t{slot.len} > file->Length()) {
        StoreReadError(code, file, ReadFailureCause(file, slot.pos, slot.len));
    }
    out.resize(static_cast<size_t>(slot.len));
    ReadBytesAt(file, slot.pos, out.data(), out.size(), code);
}

std::string_view ReadTextView(CatalogueFile* file, StringSlot slot, std::string& buffer, int code) {
    if (slot.len <= 0) return {};
    if (file && slot.pos >= 1) {
        if (const unsigned char* bytes = file->View(slot.pos - 1, static_cast<size_t>(slot.len))) {
            return {reinterpret_cast<const char*>(bytes), static_cast<size_t>(slot.len)};
        }
    }
    ReadTextInto(file, slot, buffer, code);
    return buffer;
}

StringSlot AppendText(CatalogueFile* file, std::string_view text, int code) {
    if (text.empty()) return {};
    const int32_t pos = NextAppendPosition(file, code);
    if (text.size() > static_cast<size_t>(kMaxCatalogueLength)) {
        StoreWriteError(code, file, "the text is longer than a catalogue can hold");
    }
    WriteBytesAt(file, pos, text.data(), text.size(), code);
    return {pos, static_cast<int32_t>(text.size())};
}

const char* ListEndText(ListEnd end) {
    switch (end) {
        case ListEnd::None:
        case ListEnd::Complete:
            return "";
        case ListEnd::OutsideFile:
            return "a link points outside the file";
        case ListEnd::Backwards:
            return "a link points backwards";
        case ListEnd::Loop:
            return "the list comes back on itself";
        case ListEnd::WrongRecord:
            return "a link points at a record of another kind or list";
    }
    return "";
}

}  // namespace karvio
