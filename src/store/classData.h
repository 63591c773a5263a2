// The catalogue data file as a whole: opens or creates it, keeps its header, and hands out the
// shared CD and category cursors through which every record is reached. Every operation that
// touches the catalogue creates its own classData; several may have the same file open at once
// and see each other's writes at their next read. An object and its cursors belong to the thread
// that made it (debug builds assert it); a worker thread opens its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "CatalogueFile.h"
#include "Records.h"
#include "classCat.h"
#include "classCd.h"

namespace karvio {

// Pending errors of classData::GetError.
inline constexpr int16_t kErrorNone = 0;
inline constexpr int16_t kErrorWrongVersion = 1;  // another signature or version: refused
inline constexpr int16_t kErrorCannotOpen = 2;    // the system would not open the file
inline constexpr int16_t kErrorDamaged = 3;       // cut short, or its header and list ends disagree

// What BeginWrite got.
enum class WriteAccess {
    Granted,   // this process may write until the matching EndWrite
    Busy,      // another program is changing the catalogue (kCatalogueBusyText)
    ReadOnly,  // the catalogue cannot be written (kCatalogueReadOnlyText)
    Replaced,  // another program compacted or replaced the file this object opened
    Failed,    // not open, or the system refused the lock
};

// Who a catalogue is and what it holds: its change marker. Taken cheaply (one stat and the
// 82-byte header) and compared with CompareCatalogueIdentity, to tell whether another program
// changed the file and whether record ids taken earlier still mean what they meant. Every writer
// of this program adds 1 to the header's change counter (8 bytes at offset 50) when it lets go
// of the write lock, so an edit in place (a note, a category moved) is noticed too; the lists,
// counts, live space and length catch the changes of programs that do not count. The
// modification time plays no part: the last-opened time written at a start changes it and
// nothing else.
struct CatalogueIdentity {
    uint64_t device = 0, inode = 0;  // 0, 0: no such file
    double created = 0;
    int32_t cdFirst = 0, cdLast = 0, cdCount = 0;
    int32_t catFirst = 0, catLast = 0, catCount = 0;
    int32_t spaceUsed = 0;
    uint64_t changeCount = 0;  // the header's change counter
    int64_t length = 0;        // the file's length in bytes
    bool operator==(const CatalogueIdentity&) const = default;
};

enum class CatalogueChange {
    None,      // the same file, unchanged
    Changed,   // the same file, changed by a writer: records may have been added, edited or
               // removed (ids of removed ones are void)
    Replaced,  // another file now has the name (compaction, a restored backup) or it is gone:
               // every id taken before is void
};

// The identity of the catalogue at `path` now, read straight from the disk.
CatalogueIdentity ReadCatalogueIdentity(const std::string& path);
CatalogueChange CompareCatalogueIdentity(const CatalogueIdentity& held, const CatalogueIdentity& now);

// An edit that takes more than one write names itself in the header before its first write and
// clears the name with its last: dataReserved2 holds a tag with the kind, and two record ids.
// Older versions and the Windows program carry these bytes unchanged. When a program stops in
// the middle, the next one to open or write the catalogue completes the edit under the write
// lock (CompletePendingEdit) before anything is shown or written.
enum class PendingEdit : int32_t {
    None = 0,
    UnlinkCd = 1,        // CD `a` is leaving the CD list; the header already counts it out
    UnlinkCategory = 2,  // category `a` is leaving the category list; likewise
    RecountCd = 3,       // CD `a`'s space used is being changed by more than one record write
    ReplaceCd = 4,       // rescanned CD `b` takes the place of CD `a` once `b` is linked
};
struct PendingEditRecord {
    PendingEdit kind = PendingEdit::None;
    int32_t a = 0, b = 0;
};
// The edit a header names; None for zero bytes or anything that is not such a record.
PendingEditRecord PendingEditOf(const HeaderRecord& header);

// The live-space figures that DebugData recomputes.
struct DebugDataResult {
    int64_t liveSpace = 0;   // 82 plus the space of every listed CD and category
    int64_t fileLength = 0;  // the file's length
    int32_t spaceUsed = 0;   // dataSpaceUsed of the header
};

class classData {
public:
    // Opens the data file that GetDataFileName names; check GetError afterwards.
    classData();
    // Opens `path` instead of the program's data file.
    explicit classData(const std::string& path);
    // Opens `path` with OpenForReading.
    struct ForReading {};
    classData(const std::string& path, ForReading);
    // Opens `path` with OpenForSalvage.
    struct ForSalvage {};
    classData(const std::string& path, ForSalvage);
    ~classData();

    classData(const classData&) = delete;
    classData& operator=(const classData&) = delete;

    // Opens or creates the data file; False when it is refused (see GetError).
    bool OpenFiles(const std::string& path);
    // Opens an existing data file without writing to it, for walks that only read (backup and
    // compaction leave the data file byte for byte as it was).
    bool OpenForReading(const std::string& path);
    // OpenForReading for a salvage: a file whose header and list ends are damaged is opened all
    // the same, so that what can be read is read.
    bool OpenForSalvage(const std::string& path);
    // Writes the present time as the file's last-opened time, when it can be written and no
    // program is writing (without waiting). No other opening writes anything: the desktop
    // program calls this once when it starts, and nothing else does. Other programs are not
    // told of it as of a change.
    void StampLastOpened();
    // The pending error code (kError...), reset to 0 by the call.
    int16_t GetError();
    // Why the last open failed: the file's name and the cause.
    const std::string& GetOpenErrorText() const { return openError_; }
    // The message for `error` (as GetError gave it) of the last open, as the windows show it.
    std::string OpenFailureText(int16_t error) const;
    std::string GetDataFileName() const;
    // The path this object opened.
    const std::string& GetOpenPath() const { return path_; }
    // The tree key of a category: "Root", its ancestors' and its own "\.Category<id>".
    std::string GetKarvioBasePath(int32_t categoryId);

    classCd& GetCdGoto(int32_t id);
    classCd& GetCdFirst();
    classCd& GetCdNext();
    bool GetCdEof() const { return cd_->isEof(); }
    int32_t GetCdCount() const { return header_.dataNumOfCds; }
    classCd& GetCdAppend();
    void GetCdCommit(int32_t id);
    // GetCdCommit for a CD whose texts were set after it was appended: `textSpace` bytes of its
    // space are left out of the header's running total, as when the texts follow the commit.
    void GetCdCommit(int32_t id, int32_t textSpace);
    void GetCdDelete(int32_t id);

    classCat& GetCatGoto(int32_t id);
    classCat& GetCatFirst();
    classCat& GetCatNext();
    bool GetCatEof() const { return cat_->isEof(); }
    classCat& GetCatAppend();
    int32_t GetCatCount() const { return header_.dataNumOfCats; }
    void GetCatCommit(int32_t id);
    void GetCatDelete(int32_t id);

    // Recomputes the live space and reads the length; changes nothing.
    DebugDataResult DebugData();

    const HeaderRecord& Header() const { return header_; }
    // The open file (null when none), for walks that read record texts into their own buffers.
    const std::shared_ptr<CatalogueFile>& File() const { return file_; }
    bool IsOpen() const { return file_ != nullptr && usable_; }
    // Makes buffered appends reach the system (for a caller about to copy or rename the file).
    bool Flush();

    // Opens the catalogue at `path` only to complete what a stopped program left half done, as
    // every opening for writing does, without creating the file or stamping it; for walks that
    // read the bytes themselves (the check).
    static void CompleteInterruptedEdits(const std::string& path);

    // Takes the exclusive write lock that makes writers of all programs take turns, waiting up to
    // `waitMs` for another program's write to end; then reads the header afresh. Every change
    // (an edit, a scan from its first append to its final details, a removal, a compaction with
    // its swap) runs between BeginWrite and EndWrite so that no other program writes in between.
    // When another program replaced the file since this object opened it, an object that has
    // nothing loaded yet (`reopen`) opens the path again and goes on; any other gets Replaced
    // and must reload before it writes. Calls nest. A write made without BeginWrite takes the
    // lock itself, ending the program with a write error when it is busy, and keeps it until
    // the outermost EndWrite or until every object of the process has closed the file.
    WriteAccess BeginWrite(int waitMs = WriteLockWait(), bool reopen = false);
    // Ends one BeginWrite that was granted; the outermost puts held writes in the file (a write
    // error when that fails) and lets other programs in.
    void EndWrite();
    // The catalogue could only be opened for reading.
    bool IsReadOnly() const { return file_ && file_->IsReadOnly(); }
    // The edit the header names as under way (as last read), None when there is none.
    PendingEditRecord GetPendingEdit() const { return PendingEditOf(header_); }
    // Names an edit in the header, or clears the name (PendingEdit::None), and writes the
    // header. Only under BeginWrite; the edit's writes go between the two.
    void SetPendingEdit(PendingEdit kind, int32_t a = 0, int32_t b = 0);
    // Completes an edit that a program which stopped left named in the header, and counts a CD
    // or category that it linked without counting. Only under BeginWrite; BeginWrite and
    // opening call it.
    void CompletePendingEdit();
    // Commits a rescanned CD (as GetCdCommit with `textSpace`) and unlinks the CD `oldId` it
    // replaces, so that a program stopped at any write leaves the old CD or the new one, never
    // both or neither.
    void GetCdCommitReplacing(int32_t id, int32_t textSpace, int32_t oldId);
    // Whether a CD (a category) record starts at `id` and is in its list: its neighbours, or the
    // header's ends, point at it. Reads the header afresh.
    bool IsListedCd(int32_t id);
    bool IsListedCategory(int32_t id);
    // Sets CD `id`'s space used to what its record, directories, files and texts hold.
    void RecountCdSpace(int32_t id);

    // The identity of the file this object has open, with its lists as last read.
    CatalogueIdentity Identity();
    // The text of a refused BeginWrite.
    static std::string WriteAccessText(WriteAccess access);

private:
    // Asserts, in debug builds, that the caller is on the thread that made this object.
    void CheckThread() const;
    bool Open(const std::string& path, bool readOnly, bool acceptDamage = false);
    void CloseFile();
    void ReadHeader();
    // Reads the header again when the object is usable: another object of this process or
    // another program may have linked or unlinked records since.
    void ReloadHeader();
    void WriteHeader();
    void MendInterruptedCommit();
    // At opening: completes what a stopped program left half done, when no program is writing.
    void RecoverInterruptedEdit();
    // Whether the last CD or category has a next link: a commit stopped before its count.
    bool ListEndsLookInterrupted();
    // Unlinks a CD or category: the header (counts, ends, the pending edit) first, then the two
    // neighbours' links, then the header without the pending edit.
    // False (nothing written) when no record of the kind starts at `id`.
    bool UnlinkCdRecord(int32_t id);
    bool UnlinkCatRecord(int32_t id);
    // The links half of an unlink, as the pending edit names it; writes only links that still
    // point at the record leaving the list.
    void RelinkAroundCd(int32_t id);
    void RelinkAroundCat(int32_t id);
    // Reads and links a CD appended after the last one (GetCdCommit's links) in the header.
    void CountLinkedCd(int32_t id);
    // Forgets the records the cursors hold, so they read them again from the file.
    void ForgetCursorRecords();

    std::shared_ptr<CatalogueFile> file_;
    bool usable_ = false;
    std::string path_;
    std::string openError_;
    HeaderRecord header_;
    int16_t error_ = kErrorNone;
    bool newerVersion_ = false;  // the refused file was written by a newer version
    int writeDepth_ = 0;
    bool openedForReading_ = false;
    bool acceptDamage_ = false;  // opened for a salvage
    std::unique_ptr<classCd> cd_;
    std::unique_ptr<classCat> cat_;
    std::thread::id owner_ = std::this_thread::get_id();
};

// The message of a refused open, as the windows show it: for a file written by a newer version,
// the wrong-version text; for any other cause (an older version, another kind of file, a damaged
// or unreadable one) the data-file error followed by `detail`, the file's name and the cause.
std::string DataFileErrorText(int16_t error, const std::string& detail = {}, bool newerVersion = true);

}  // namespace karvio
