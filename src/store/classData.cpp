#include "classData.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cstring>
#include <tuple>

#include "CatalogueCheck.h"
#include "CatalogueDate.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "RecordIo.h"

namespace karvio {

namespace {
constexpr int kReadHeader = 2210, kWriteHeader = 2109;
constexpr int kReadDir = 2211, kReadFile = 2115;
// The high half of dataReserved2[0] while an edit is under way; the low half is its kind.
constexpr uint32_t kPendingTag = 0x4B450000u, kPendingTagMask = 0xFFFF0000u;

// What the unlink and commit mending need to know of the two doubly linked lists.
struct CdList {
    using Record = CdRecord;
    static constexpr int kRead = 2201, kWrite = 2101;
    static int32_t& Id(Record& r) { return r.CdId; }
    static int32_t& Next(Record& r) { return r.NextRecord; }
    static int32_t& Prev(Record& r) { return r.PrevRecord; }
    static int32_t Space(const Record& r) { return r.CdSpaceUsed; }
    static int32_t& First(HeaderRecord& h) { return h.dataCdFirstRecord; }
    static int32_t& Last(HeaderRecord& h) { return h.dataCdLastRecord; }
    static int32_t& Count(HeaderRecord& h) { return h.dataNumOfCds; }
};
struct CatList {
    using Record = CatRecord;
    static constexpr int kRead = 2206, kWrite = 2106;
    static int32_t& Id(Record& r) { return r.CatId; }
    static int32_t& Next(Record& r) { return r.CatNext; }
    static int32_t& Prev(Record& r) { return r.CatPrev; }
    static int32_t Space(const Record& r) { return r.CatSpaceUsed; }
    static int32_t& First(HeaderRecord& h) { return h.dataCatFirstRecord; }
    static int32_t& Last(HeaderRecord& h) { return h.dataCatLastRecord; }
    static int32_t& Count(HeaderRecord& h) { return h.dataNumOfCats; }
};

// The record at `id` when one of the list's kind starts there.
template <typename List>
bool ReadListRecord(CatalogueFile* file, int32_t id, typename List::Record& rec) {
    if (id < 1 || int64_t{id} - 1 + static_cast<int64_t>(List::Record::kSize) > file->Length()) return false;
    ReadRecordAt(file, id, rec, List::kRead);
    return List::Id(rec) == id;
}

// Whether record `id` (read into `rec`) is in its list: its neighbours, or the header's ends,
// point at it.
template <typename List>
bool IsLinked(CatalogueFile* file, HeaderRecord& header, int32_t id, typename List::Record& rec) {
    typename List::Record other;
    if (!ReadListRecord<List>(file, id, rec)) return false;
    const bool fromPrev = List::Prev(rec) < 1 ? List::First(header) == id
                                              : ReadListRecord<List>(file, List::Prev(rec), other) && List::Next(other) == id;
    const bool fromNext = List::Next(rec) < 1 ? List::Last(header) == id
                                              : ReadListRecord<List>(file, List::Next(rec), other) && List::Prev(other) == id;
    return fromPrev && fromNext;
}

// Takes record `id` out of the list in the header: ends, count and space. The neighbours'
// links follow with RelinkAround. False when `id` is not in the list.
template <typename List>
bool CountOut(CatalogueFile* file, HeaderRecord& header, int32_t id) {
    typename List::Record gone;
    if (!IsLinked<List>(file, header, id, gone)) return false;
    if (List::Prev(gone) < 1) List::First(header) = List::Next(gone);
    if (List::Next(gone) < 1) List::Last(header) = List::Prev(gone);
    List::Count(header) -= 1;
    header.dataSpaceUsed -= List::Space(gone);
    return true;
}

// Points the neighbours of record `id` (as its own links name them) at each other; a link that
// no longer points at `id` is left alone, so doing it twice changes nothing.
template <typename List>
void RelinkAround(CatalogueFile* file, int32_t id) {
    typename List::Record gone, prev, next;
    if (!ReadListRecord<List>(file, id, gone)) return;
    if (ReadListRecord<List>(file, List::Prev(gone), prev) && List::Next(prev) == id) {
        List::Next(prev) = List::Next(gone);
        WriteRecordAt(file, List::Prev(gone), prev, List::kWrite);
    }
    if (ReadListRecord<List>(file, List::Next(gone), next) && List::Prev(next) == id) {
        List::Prev(next) = List::Prev(gone);
        WriteRecordAt(file, List::Next(gone), next, List::kWrite);
    }
}

// The record linked behind the header's last one when a commit stopped before counting it: its
// id, or 0.
template <typename List>
int32_t LinkedBehindLast(CatalogueFile* file, HeaderRecord& header, typename List::Record& linked) {
    typename List::Record last;
    const int32_t lastId = List::Last(header);
    if (!ReadListRecord<List>(file, lastId, last)) return 0;
    const int32_t id = List::Next(last);
    if (!ReadListRecord<List>(file, id, linked)) return 0;
    return List::Prev(linked) == lastId && List::Next(linked) == 0 ? id : 0;
}

// Counts in the header a record a stopped commit linked but did not count; true when it did.
template <typename List>
bool CountInLinked(CatalogueFile* file, HeaderRecord& header) {
    typename List::Record linked;
    const int32_t id = LinkedBehindLast<List>(file, header, linked);
    if (id == 0) return false;
    List::Last(header) = id;
    List::Count(header) += 1;
    header.dataSpaceUsed += List::Space(linked);
    return true;
}

int32_t SlotLength(StringSlot slot) { return slot.len > 0 ? slot.len : 0; }

}  // namespace

PendingEditRecord PendingEditOf(const HeaderRecord& header) {
    const auto tag = static_cast<uint32_t>(header.dataReserved2[0]);
    if ((tag & kPendingTagMask) != kPendingTag) return {};
    const uint32_t kind = tag & ~kPendingTagMask;
    if (kind < 1 || kind > static_cast<uint32_t>(PendingEdit::ReplaceCd)) return {};
    return {static_cast<PendingEdit>(kind), header.dataReserved2[1], header.dataReserved2[2]};
}

classData::classData() : classData(karvio::GetDataFileName()) {}

void classData::CheckThread() const {
    assert(owner_ == std::this_thread::get_id() && "a store object is used only on the thread that made it");
}

classData::classData(const std::string& path)
    : cd_(std::make_unique<classCd>()), cat_(std::make_unique<classCat>()) {
    OpenFiles(path);
}

classData::classData(const std::string& path, ForReading)
    : cd_(std::make_unique<classCd>()), cat_(std::make_unique<classCat>()) {
    OpenForReading(path);
}

classData::classData(const std::string& path, ForSalvage)
    : cd_(std::make_unique<classCd>()), cat_(std::make_unique<classCat>()) {
    OpenForSalvage(path);
}

classData::~classData() { CloseFile(); }

void classData::CloseFile() {
    while (writeDepth_ > 0) {
        --writeDepth_;
        if (file_) file_->UnlockWriting();
    }
    if (file_) file_->Flush();
    file_.reset();
    usable_ = false;
    cd_->OpenFiles(nullptr);
    cat_->OpenFiles(nullptr);
}

bool classData::Flush() { return !file_ || file_->Flush(); }

bool classData::OpenFiles(const std::string& path) { return Open(path, false); }

bool classData::OpenForReading(const std::string& path) { return Open(path, true); }

bool classData::OpenForSalvage(const std::string& path) { return Open(path, true, true); }

bool classData::Open(const std::string& path, bool readOnly, bool acceptDamage) {
    CloseFile();
    path_ = path;
    openedForReading_ = readOnly;
    acceptDamage_ = acceptDamage;
    openError_.clear();
    newerVersion_ = false;
    header_ = HeaderRecord{};

    CatalogueFileOpenResult opened = OpenCatalogueFile(path, !readOnly);
    if (!opened.file) {
        error_ = kErrorCannotOpen;
        openError_ = path + ": " + opened.error;
        return false;
    }
    file_ = std::move(opened.file);
    file_->Refresh();
    const bool existed = opened.existed;
    const int64_t length = file_->Length();
    if (existed && length < static_cast<int64_t>(HeaderRecord::kSize)) {
        // Every catalogue has its whole header from the moment it is made: a shorter file was
        // cut short or damaged, whatever version wrote it.
        error_ = kErrorDamaged;
        openError_ = path + ": the file is damaged or cut short: it is shorter than a catalogue's header (" + std::to_string(length) +
                     " of " + std::to_string(HeaderRecord::kSize) + " bytes)";
        return false;
    }
    if (existed) {
        ReadHeader();
        // The length is taken again after the header: every byte a header counts or names was
        // in the file before the header was written, so a length taken earlier than the header
        // was read may be short of what another program's writer has since appended.
        file_->Refresh();
    }
    if (existed) {
        if (std::memcmp(header_.dataSignature, "VELK", 4) != 0) {
            error_ = kErrorWrongVersion;
            openError_ = path + ": the file is not a Karvio catalogue";
            return false;
        }
        if (header_.dataVersionMajor != kVersionMajor || header_.dataVersionMinor != kVersionMinor) {
            // Refused: nothing is written and the cursors get no file.
            error_ = kErrorWrongVersion;
            newerVersion_ = header_.dataVersionMajor > kVersionMajor ||
                            (header_.dataVersionMajor == kVersionMajor && header_.dataVersionMinor > kVersionMinor);
            openError_ = path + ": the file was written by version " + std::to_string(header_.dataVersionMajor) +
                         "." + std::to_string(header_.dataVersionMinor);
            return false;
        }
        // An edit a stopped program left under way is completed by the opening below (or by the
        // next writer) before anything is shown; its intermediate list ends are no damage.
        if (!acceptDamage && GetPendingEdit().kind == PendingEdit::None) {
            // Found before anything reads on or writes into it: a few records, whatever the size.
            std::vector<std::string> damage = CheckStructure(*file_, header_);
            if (!damage.empty() && !file_->HoldsWriteLock() &&
                file_->LockForWriting(WriteLockWait()) == CatalogueFile::LockResult::Locked) {
                // Another program may have been between two writes of one change (the header
                // read, the list end linked on since): looked at again while no program writes.
                ReadHeader();
                damage = CheckStructure(*file_, header_);
                file_->UnlockWriting();
            }
            if (!damage.empty()) {
                error_ = kErrorDamaged;
                openError_ = path + ": the catalogue is damaged: " + damage.front();
                return false;
            }
        }
    }
    usable_ = true;
    cd_->OpenFiles(file_);
    cat_->OpenFiles(file_);
    if (readOnly) return true;

    if (!existed) {
        // The new file gets its header on disk at once, so it is never left shorter than one.
        if (file_->LockForWriting(WriteLockWait()) != CatalogueFile::LockResult::Locked) {
            StoreWriteError(kWriteHeader, file_.get());
        }
        header_ = HeaderRecord{};
        header_.dataLastOpened = DateNow();
        header_.dataCreated = header_.dataLastOpened;
        std::memcpy(header_.dataSignature, "VELK", 4);
        std::memset(header_.dataReserved2, 0, sizeof header_.dataReserved2);
        header_.dataSpaceUsed = static_cast<int32_t>(HeaderRecord::kSize);
        header_.dataVersionMajor = kVersionMajor;
        header_.dataVersionMinor = kVersionMinor;
        header_.dataVersionRevision = kVersionRevision;
        if (file_->Length() == 0) WriteHeader();
        // Nobody has seen the file before: its counter starts at 0.
        file_->UnannounceWrites();
        if (!file_->UnlockWriting()) StoreWriteError(kWriteHeader, file_.get());
        ReloadHeader();
        return true;
    }
    RecoverInterruptedEdit();
    return true;
}

void classData::CompleteInterruptedEdits(const std::string& path) {
    classData data(path, ForReading{});
    if (data.IsOpen()) data.RecoverInterruptedEdit();
}

void classData::RecoverInterruptedEdit() {
    if (file_->IsReadOnly() || file_->HoldsWriteLock()) return;
    if (GetPendingEdit().kind == PendingEdit::None && !ListEndsLookInterrupted()) return;
    // A program that is writing now owns what the header names; only a stopped one's is mended.
    if (file_->LockForWriting(0) != CatalogueFile::LockResult::Locked) return;
    ReadHeader();
    CompletePendingEdit();
    if (!file_->UnlockWriting()) StoreWriteError(kWriteHeader, file_.get());
}

bool classData::ListEndsLookInterrupted() {
    CdRecord cd;
    CatRecord cat;
    return LinkedBehindLast<CdList>(file_.get(), header_, cd) != 0 ||
           LinkedBehindLast<CatList>(file_.get(), header_, cat) != 0;
}

void classData::StampLastOpened() {
    if (!IsOpen() || file_->IsReadOnly()) return;
    // Only when no program is writing, this one included (a scan's further store objects): the
    // time is not worth a wait, nor a write in the middle of another change.
    if (file_->HoldsWriteLock()) return;
    if (file_->LockForWriting(0) != CatalogueFile::LockResult::Locked) return;
    ReadHeader();
    header_.dataLastOpened = DateNow();
    WriteHeader();
    file_->UnannounceWrites();
    if (!file_->UnlockWriting()) StoreWriteError(kWriteHeader, file_.get());
}

WriteAccess classData::BeginWrite(int waitMs, bool reopen) {
    CheckThread();
    if (!IsOpen()) return WriteAccess::Failed;
    for (int attempt = 0;; ++attempt) {
        switch (file_->LockForWriting(waitMs)) {
            case CatalogueFile::LockResult::Locked:
                break;
            case CatalogueFile::LockResult::Busy:
                return WriteAccess::Busy;
            case CatalogueFile::LockResult::ReadOnly:
                return WriteAccess::ReadOnly;
            case CatalogueFile::LockResult::Failed:
                return WriteAccess::Failed;
        }
        if (writeDepth_ > 0 || file_->StillAtPath()) break;
        // The writer before this one swapped another file in under the name.
        file_->UnlockWriting();
        if (!reopen || attempt > 3) return WriteAccess::Replaced;
        const std::string path = path_;
        if (!Open(path, openedForReading_, acceptDamage_)) return WriteAccess::Failed;
    }
    ++writeDepth_;
    if (writeDepth_ == 1) {
        // Records another program may have rewritten since are read again before any is
        // written back, and what a stopped program left half done is completed first.
        ReloadHeader();
        ForgetCursorRecords();
        CompletePendingEdit();
    }
    return WriteAccess::Granted;
}

void classData::ForgetCursorRecords() {
    cd_->ForgetRecord();
    cat_->ForgetRecord();
}

void classData::MendInterruptedCommit() {
    // A program stopped between linking a CD or category behind the last one and writing the
    // header leaves a complete record that the header does not count yet.
    const bool cds = CountInLinked<CdList>(file_.get(), header_);
    const bool cats = CountInLinked<CatList>(file_.get(), header_);
    if (cds || cats) WriteHeader();
}

void classData::SetPendingEdit(PendingEdit kind, int32_t a, int32_t b) {
    if (kind != PendingEdit::None) {
        header_.dataReserved2[0] = static_cast<int32_t>(kPendingTag | static_cast<uint32_t>(kind));
        header_.dataReserved2[1] = a;
        header_.dataReserved2[2] = b;
    } else if (GetPendingEdit().kind != PendingEdit::None) {
        // Only a name this program wrote is cleared; other bytes there are carried unchanged.
        std::memset(header_.dataReserved2, 0, sizeof header_.dataReserved2);
    }
    WriteHeader();
}

void classData::CompletePendingEdit() {
    const PendingEditRecord pending = GetPendingEdit();
    switch (pending.kind) {
        case PendingEdit::None:
            break;
        case PendingEdit::UnlinkCd:
            RelinkAroundCd(pending.a);
            break;
        case PendingEdit::UnlinkCategory:
            RelinkAroundCat(pending.a);
            break;
        case PendingEdit::RecountCd:
            RecountCdSpace(pending.a);
            break;
        case PendingEdit::ReplaceCd: {
            // Once the rescanned CD is linked, the old one goes; before that, the rescan never
            // happened.
            CdRecord linked;
            if (LinkedBehindLast<CdList>(file_.get(), header_, linked) == pending.b) {
                CountInLinked<CdList>(file_.get(), header_);
                UnlinkCdRecord(pending.a);
            }
            break;
        }
    }
    if (pending.kind != PendingEdit::None && GetPendingEdit().kind != PendingEdit::None) {
        SetPendingEdit(PendingEdit::None);
    }
    MendInterruptedCommit();
    ForgetCursorRecords();
}

bool classData::UnlinkCdRecord(int32_t id) {
    if (!CountOut<CdList>(file_.get(), header_, id)) return false;
    SetPendingEdit(PendingEdit::UnlinkCd, id);
    RelinkAroundCd(id);
    SetPendingEdit(PendingEdit::None);
    cd_->ForgetRecord();
    return true;
}

bool classData::UnlinkCatRecord(int32_t id) {
    if (!CountOut<CatList>(file_.get(), header_, id)) return false;
    SetPendingEdit(PendingEdit::UnlinkCategory, id);
    RelinkAroundCat(id);
    SetPendingEdit(PendingEdit::None);
    cat_->ForgetRecord();
    return true;
}

bool classData::IsListedCd(int32_t id) {
    if (!IsOpen()) return false;
    ReloadHeader();
    CdRecord rec;
    return IsLinked<CdList>(file_.get(), header_, id, rec);
}

bool classData::IsListedCategory(int32_t id) {
    if (!IsOpen()) return false;
    ReloadHeader();
    CatRecord rec;
    return IsLinked<CatList>(file_.get(), header_, id, rec);
}

void classData::RelinkAroundCd(int32_t id) { RelinkAround<CdList>(file_.get(), id); }

void classData::RelinkAroundCat(int32_t id) { RelinkAround<CatList>(file_.get(), id); }

void classData::RecountCdSpace(int32_t id) {
    CdRecord cd;
    if (!ReadListRecord<CdList>(file_.get(), id, cd)) return;
    int64_t space = static_cast<int64_t>(CdRecord::kSize) + SlotLength(cd.CdName) + SlotLength(cd.CdNotes) +
                    SlotLength(cd.CdLabel) + SlotLength(cd.CdBasepath);
    const int64_t length = file_->Length();
    auto fits = [length](int32_t at, size_t size) { return at >= 1 && int64_t{at} - 1 + static_cast<int64_t>(size) <= length; };
    // The same walk as the check's: forward links only, each record its own and its owner's.
    for (int32_t dirId = cd.DirFirst, lastDir = 0; dirId > lastDir && fits(dirId, DirRecord::kSize);) {
        DirRecord dir;
        ReadRecordAt(file_.get(), dirId, dir, kReadDir);
        if (dir.DirId != dirId || dir.DirCdId != id) break;
        space += static_cast<int64_t>(DirRecord::kSize) + SlotLength(dir.DirPath) + SlotLength(dir.DirName) +
                 SlotLength(dir.DirNotes);
        for (int32_t fileId = dir.FileFirst, lastFile = 0; fileId > lastFile && fits(fileId, FileRecord::kSize);) {
            FileRecord file;
            ReadRecordAt(file_.get(), fileId, file, kReadFile);
            if (file.FileId != fileId || file.FileDirId != dirId || file.FileCdId != id) break;
            space += static_cast<int64_t>(FileRecord::kSize) + SlotLength(file.FilePath) +
                     SlotLength(file.FileName) + SlotLength(file.FileNotes);
            lastFile = fileId;
            fileId = file.FileNext;
        }
        lastDir = dirId;
        dirId = dir.DirNext;
    }
    if (space == cd.CdSpaceUsed) return;
    cd.CdSpaceUsed = static_cast<int32_t>(space);
    WriteRecordAt(file_.get(), id, cd, CdList::kWrite);
    cd_->ForgetRecord();
}

void classData::EndWrite() {
    CheckThread();
    if (writeDepth_ <= 0 || !file_) return;
    --writeDepth_;
    if (!file_->UnlockWriting()) StoreWriteError(kWriteHeader, file_.get());
}

std::string classData::WriteAccessText(WriteAccess access) {
    switch (access) {
        case WriteAccess::Granted:
            return {};
        case WriteAccess::Busy:
            return kCatalogueBusyText;
        case WriteAccess::ReadOnly:
            return kCatalogueReadOnlyText;
        case WriteAccess::Replaced:
            return KARVIO_TRANSLATE_NOOP(
                "Messages",
                "another program replaced the catalogue (compacted it); it must be loaded again");
        case WriteAccess::Failed:
            break;
    }
    return KARVIO_TRANSLATE_NOOP("Messages", "the catalogue cannot be locked for writing");
}

namespace {

// The identity a header and its file's place on the disk give.
CatalogueIdentity IdentityOf(uint64_t device, uint64_t inode, int64_t length, const HeaderRecord& header) {
    CatalogueIdentity id;
    id.device = device;
    id.inode = inode;
    id.length = length;
    id.changeCount = header.ChangeCounter();
    id.created = header.dataCreated;
    id.cdFirst = header.dataCdFirstRecord;
    id.cdLast = header.dataCdLastRecord;
    id.cdCount = header.dataNumOfCds;
    id.catFirst = header.dataCatFirstRecord;
    id.catLast = header.dataCatLastRecord;
    id.catCount = header.dataNumOfCats;
    id.spaceUsed = header.dataSpaceUsed;
    return id;
}

}  // namespace

CatalogueIdentity classData::Identity() {
    if (!IsOpen()) return {};
    file_->Refresh();
    ReloadHeader();
    const auto [device, inode] = file_->DeviceAndInode();
    return IdentityOf(device, inode, file_->Length(), header_);
}

CatalogueIdentity ReadCatalogueIdentity(const std::string& path) {
    CatalogueIdentity id;
    // Never waits on a pipe or a device put in the catalogue's place; only a file counts.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return id;
    struct stat st {};
    uint8_t bytes[HeaderRecord::kSize];
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::pread(fd, bytes, sizeof bytes, 0) == static_cast<ssize_t>(sizeof bytes)) {
        HeaderRecord header;
        header.Decode(bytes);
        id = IdentityOf(static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
                        static_cast<int64_t>(st.st_size), header);
    }
    ::close(fd);
    return id;
}

CatalogueChange CompareCatalogueIdentity(const CatalogueIdentity& held, const CatalogueIdentity& now) {
    if (held.device != now.device || held.inode != now.inode || held.created != now.created ||
        now.inode == 0) {
        return CatalogueChange::Replaced;
    }
    return held == now ? CatalogueChange::None : CatalogueChange::Changed;
}

int16_t classData::GetError() {
    const int16_t error = error_;
    error_ = kErrorNone;
    return error;
}

std::string classData::GetDataFileName() const { return karvio::GetDataFileName(); }

void classData::ReadHeader() {
    uint8_t bytes[HeaderRecord::kSize];
    ReadBytesAt(file_.get(), 1, bytes, sizeof bytes, kReadHeader);
    header_.Decode(bytes);
}

void classData::ReloadHeader() {
    if (usable_ && file_ && file_->Length() >= static_cast<int64_t>(HeaderRecord::kSize)) ReadHeader();
}

void classData::WriteHeader() {
    uint8_t bytes[HeaderRecord::kSize];
    header_.Encode(bytes);
    WriteBytesAt(usable_ ? file_.get() : nullptr, 1, bytes, sizeof bytes, kWriteHeader);
    NoteRecordWritten(file_.get(), 1);
}

std::string classData::GetKarvioBasePath(int32_t categoryId) {
    if (categoryId < 1) return "Root";
    classCat& cat = GetCatGoto(categoryId);
    return "Root" + cat.GetCategoryPath() + "\\.Category" + std::to_string(categoryId);
}

classCd& classData::GetCdGoto(int32_t id) {
    CheckThread();
    if (id > 0) cd_->MoveAbsolute(id);
    return *cd_;
}

classCd& classData::GetCdFirst() {
    CheckThread();
    if (file_) file_->Refresh();
    ReloadHeader();
    cd_->SetDefaultCdRec(header_.dataCdFirstRecord, header_.dataCdLastRecord);
    cd_->MoveFirst();
    return *cd_;
}

classCd& classData::GetCdNext() {
    CheckThread();
    cd_->MoveNext();
    return *cd_;
}

classCd& classData::GetCdAppend() {
    CheckThread();
    cd_->recordAdd();
    return *cd_;
}

void classData::GetCdCommit(int32_t id) { GetCdCommit(id, 0); }

void classData::GetCdCommit(int32_t id, int32_t textSpace) { GetCdCommitReplacing(id, textSpace, 0); }

void classData::GetCdCommitReplacing(int32_t id, int32_t textSpace, int32_t oldId) {
    CheckThread();
    cd_->GetDirAppendFinish();
    // The run's list ends and space now live in the CD record. Closing the run puts its records
    // in the file before the links below publish them, and lets this object walk other CDs'
    // directories afterwards instead of the committed CD's over and over.
    if (!cd_->Dirs().xxSetAppendFinish()) StoreWriteError(2101, file_.get());
    ReloadHeader();
    // A rescan names the swap before the new CD is linked: a program stopped after the link
    // leaves the next writer to take the old CD out.
    if (oldId > 0) SetPendingEdit(PendingEdit::ReplaceCd, oldId, id);
    cd_->MoveAbsolute(id);
    const int32_t space = cd_->GetSpaceUsed() - textSpace;
    cd_->SetCdPrevRecord(header_.dataCdLastRecord);
    if (header_.dataCdLastRecord > 0) {
        cd_->MoveAbsolute(header_.dataCdLastRecord);
        cd_->SetCdNextRecord(id);
    }
    if (header_.dataCdFirstRecord == 0) header_.dataCdFirstRecord = id;
    header_.dataCdLastRecord = id;
    header_.dataNumOfCds += 1;
    header_.dataSpaceUsed += space;
    // One header write counts the new CD in and the old one out.
    if (oldId > 0 && UnlinkCdRecord(oldId)) return;
    SetPendingEdit(PendingEdit::None);
}

void classData::GetCdDelete(int32_t id) {
    CheckThread();
    ReloadHeader();
    UnlinkCdRecord(id);
}

classCat& classData::GetCatGoto(int32_t id) {
    CheckThread();
    if (id > 0) cat_->MoveAbsolute(id);
    return *cat_;
}

classCat& classData::GetCatFirst() {
    CheckThread();
    if (file_) file_->Refresh();
    ReloadHeader();
    cat_->SetDefaultCatRec(header_.dataCatFirstRecord, header_.dataCatLastRecord);
    cat_->MoveFirst();
    return *cat_;
}

classCat& classData::GetCatNext() {
    CheckThread();
    cat_->MoveNext();
    return *cat_;
}

classCat& classData::GetCatAppend() {
    CheckThread();
    cat_->recordAdd();
    return *cat_;
}

void classData::GetCatCommit(int32_t id) {
    CheckThread();
    ReloadHeader();
    cat_->MoveAbsolute(id);
    const int32_t space = cat_->GetSpaceUsed();
    cat_->SetPrevRecord(header_.dataCatLastRecord);
    if (header_.dataCatLastRecord > 0) {
        cat_->MoveAbsolute(header_.dataCatLastRecord);
        cat_->SetNextRecord(id);
    }
    if (header_.dataCatFirstRecord == 0) header_.dataCatFirstRecord = id;
    header_.dataCatLastRecord = id;
    header_.dataNumOfCats += 1;
    header_.dataSpaceUsed += space;
    WriteHeader();
}

void classData::GetCatDelete(int32_t id) {
    CheckThread();
    ReloadHeader();
    UnlinkCatRecord(id);
}

DebugDataResult classData::DebugData() {
    DebugDataResult result;
    result.spaceUsed = header_.dataSpaceUsed;
    result.fileLength = file_ ? file_->Length() : 0;
    result.liveSpace = static_cast<int64_t>(HeaderRecord::kSize);
    if (!IsOpen()) return result;
    for (classCd* cd = &GetCdFirst(); !GetCdEof(); cd = &GetCdNext()) {
        result.liveSpace += cd->GetSpaceUsed();
    }
    for (classCat* cat = &GetCatFirst(); !GetCatEof(); cat = &GetCatNext()) {
        result.liveSpace += cat->GetSpaceUsed();
    }
    return result;
}

std::string DataFileErrorText(int16_t error, const std::string& detail, bool newerVersion) {
    if (error == kErrorNone) return {};
    if (error == kErrorWrongVersion && newerVersion) {
        return KARVIO_TRANSLATE_NOOP("Messages", "Error!!") + std::string("\r\n") +
               KARVIO_TRANSLATE_NOOP("Messages", "Wrong Version of the Data File") + "\r\n" +
               KARVIO_TRANSLATE_NOOP("Messages", "Can't Use newer version data") +
               (detail.empty() ? std::string() : "\r\n" + detail);
    }
    return KARVIO_TRANSLATE_NOOP(
               "Messages",
               "Data File Error (1001) !!! Please Start Karvio Again. If the error persist, "
               "then use your data backup") +
           (detail.empty() ? std::string() : "\r\n" + detail);
}

std::string classData::OpenFailureText(int16_t error) const {
    return DataFileErrorText(error, openError_, newerVersion_);
}

}  // namespace karvio
