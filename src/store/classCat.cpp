#include "classCat.h"

#include <unordered_set>

#include "CatalogueDate.h"

namespace karvio {

namespace {
constexpr int kReadRecord = 2206, kWriteRecord = 2106, kReadSaved = 2209;
constexpr int kReadName = 2207, kReadNotes = 2208;
constexpr int kWriteName = 2107, kWriteNotes = 2108;
}  // namespace

void classCat::ReadAt(int32_t id, int code) {
    ReadRecordAt(file_.get(), id, rec_, code);
    nextOnDisk_ = rec_.CatNext;
}

int32_t classCat::recordAdd() {
    const int32_t id = NextAppendPosition(file_.get(), kWriteRecord);
    rec_.CatKind = CatRecord::kKind;
    rec_.CatId = id;
    rec_.CatCreated = DateNow();
    rec_.CatNext = nextOnDisk_ = 0;
    rec_.CatPrev = 0;
    rec_.CatName = {};
    rec_.CatNotes = {};
    rec_.CatImageId = 0;
    rec_.CatParentId = 0;
    rec_.CatSpaceUsed = static_cast<int32_t>(CatRecord::kSize);
    WriteRecordAt(file_.get(), id, rec_, kWriteRecord);
    return id;
}

void classCat::recordUpdate() {
    CatRecord disk = rec_;
    if (disk.CatNext == -1) disk.CatNext = nextOnDisk_;
    WriteRecordAt(file_.get(), rec_.CatId, disk, kWriteRecord);
}

void classCat::MoveFirst() {
    walk_.Start(catFirst_, 0, file_ ? file_->Length() : 0);
    ReadWanted();
}

void classCat::MoveNext() {
    if (isEof()) return;
    walk_.Advance(rec_);
    ReadWanted();
}

void classCat::ReadWanted() {
    if (walk_.Want() == 0) {
        rec_.CatNext = -1;
        return;
    }
    ReadAt(walk_.Want(), kReadRecord);
    if (!walk_.Take(rec_)) rec_.CatNext = -1;
}

void classCat::MoveAbsolute(int32_t nRecord) {
    if (nRecord == rec_.CatId) return;
    ReadAt(nRecord, kReadRecord);
    walk_.Start(nRecord, 0, file_ ? file_->Length() : 0);
    if (walk_.Want() == nRecord) walk_.Take(rec_);
}

std::string classCat::GetCatName() { return ReadText(file_.get(), rec_.CatName, kReadName); }

std::string classCat::GetCatNotes() { return ReadText(file_.get(), rec_.CatNotes, kReadNotes); }

std::string classCat::GetCategoryPath() {
    savedId_ = rec_.CatId;
    std::string path;
    std::unordered_set<int32_t> passed{rec_.CatId};
    const int64_t limit = (file_ ? file_->Length() : 0) / static_cast<int64_t>(CatRecord::kSize);
    CatRecord current = rec_;
    while (current.CatParentId != 0) {
        const int32_t parent = current.CatParentId;
        if (!passed.insert(parent).second || static_cast<int64_t>(passed.size()) > limit) break;
        path.insert(0, "\\.Category" + std::to_string(parent));
        ReadRecordAt(file_.get(), parent, current, kReadRecord);
    }
    ReadAt(savedId_, kReadSaved);
    return path;
}

void classCat::SetText(const std::string& text, StringSlot& slot, int code) {
    rec_.CatSpaceUsed -= slot.len;
    slot = AppendText(file_.get(), text, code);
    rec_.CatSpaceUsed += slot.len;
}

void classCat::SetCatName(const std::string& strCatName, bool lCommit) {
    SetText(strCatName, rec_.CatName, kWriteName);
    if (lCommit) recordUpdate();
}

void classCat::SetCatNotes(const std::string& notes) { SetText(notes, rec_.CatNotes, kWriteNotes); }

void classCat::SetCatParentId(int32_t nNewParentId, bool lCommit) {
    rec_.CatParentId = nNewParentId;
    if (lCommit) recordUpdate();
}

void classCat::SetDefaultCatRec(int32_t RecFirst, int32_t RecLast) {
    catFirst_ = RecFirst;
    catLast_ = RecLast;
}

void classCat::SetNextRecord(int32_t id) {
    rec_.CatNext = nextOnDisk_ = id;
    recordUpdate();
}

void classCat::SetPrevRecord(int32_t id) {
    rec_.CatPrev = id;
    recordUpdate();
}

int16_t classCat::GetError() {
    const int16_t error = error_;
    error_ = 0;
    return error;
}

int32_t classCat::DebugData() {
    int32_t walked = 0;
    for (MoveFirst(); !isEof(); MoveNext()) {
        GetCatName();
        ++walked;
    }
    return walked;
}

int32_t classCat::GetSpaceUsed() const {
    return static_cast<int32_t>(CatRecord::kSize) + rec_.CatName.len + rec_.CatNotes.len;
}

}  // namespace karvio
