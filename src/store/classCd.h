// Cursor over the CD list: holds one CD record, walks the doubly linked CD list, reads and writes
// the record and its texts, and owns the directory cursor through which the CD's directories are
// appended and walked. Owned by classData; shares its open file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "CatalogueFile.h"
#include "RecordIo.h"
#include "RecordLists.h"
#include "Records.h"
#include "classDir.h"

namespace karvio {

class classCd {
public:
    classCd();

    // Appends a new CD record (unlinked), opens its directory append run, returns its id.
    int32_t recordAdd();
    void recordUpdate();
    // Whether the base path, the name or the notes (per flag) match the text.
    bool Search(const std::string& strSearch, bool lSearchPathName, bool lSearchCdName,
                bool lSearchComments, int nSearchCriteria);

    void MoveFirst();
    void MoveNext();
    bool isEof() const { return rec_.NextRecord == -1; }
    // How the last walk along the CD list ended (damage among them).
    ListEnd WalkEnd() const { return walk_.End(); }
    // Reads the record at `nRecord` unless the cursor already stands on it.
    void MoveAbsolute(int32_t nRecord);
    // Makes the next MoveAbsolute read its record from the file, whichever id it names.
    void ForgetRecord() { rec_.CdId = 0; }

    int32_t GetCdId() const { return rec_.CdId; }
    double GetCdtotalSize() const { return rec_.CdTotalSize; }
    double GetCdFreeSpace() const { return rec_.CdFreeSpace; }
    int32_t GetCdNumOfSubdirs() const { return rec_.CdNumOfSubdirs; }
    int32_t GetCdNumOfFiles() const { return rec_.CdNumOfFiles; }
    int32_t GetCdMediaType() const { return rec_.CdMediaType; }
    int32_t GetCdCategory() const { return rec_.CdCategory; }
    double GetCdLastScanned() const { return rec_.CdLastScanned; }
    std::string GetCdName();
    std::string GetCdNotes();
    std::string GetCdLabel();
    // The base path, "\" when empty.
    std::string GetCdBasepath();

    void setCdTotalSize(double size) { rec_.CdTotalSize = size; }
    void setCdFreeSpace(double size) { rec_.CdFreeSpace = size; }
    void setCdNumOfSubdirs(int32_t n) { rec_.CdNumOfSubdirs = n; }
    void setCdNumOfFiles(int32_t n) { rec_.CdNumOfFiles = n; }
    void setCdMediaType(int32_t type) { rec_.CdMediaType = type; }
    void setCdCategory(int32_t nCategory, bool lCommit);
    void setCdLastScanned(double date) { rec_.CdLastScanned = date; }
    void SetCdName(const std::string& strCdName, bool lCommit);
    void SetCdNotes(const std::string& strCdNotes, bool lCommit);
    void SetCdLabel(const std::string& label);
    void SetCdBasepath(const std::string& path);

    void SetDefaultCdRec(int32_t RecFirst, int32_t RecLast);
    int32_t CdGetNextRecord() const { return rec_.NextRecord; }
    int32_t CdGetPrevRecord() const { return rec_.PrevRecord; }
    // The next link as the file holds it, also while the walk's end marker is in memory.
    int32_t StoredNextRecord() const { return nextOnDisk_; }
    void SetCdNextRecord(int32_t id);
    void SetCdPrevRecord(int32_t id);
    int32_t GetSpaceUsed() const { return rec_.CdSpaceUsed; }
    void UpdateSpaceUsed(int32_t nDiff);

    int16_t GetError();
    void OpenFiles(std::shared_ptr<CatalogueFile> file);
    // Diagnostic walk over the CD list from its first CD, reading every name; changes nothing in
    // the file. Returns how many CDs it walked.
    int32_t DebugData();

    classDir& GetDirGoto(int32_t id);
    classDir& GetDirFirst();
    classDir& GetDirNext();
    bool GetDirEof() const { return dir_->isEof(); }
    classDir& GetDirAppend();
    void GetDirAppendFinish();

    classDir& Dirs() { return *dir_; }
    const CdRecord& Record() const { return rec_; }

private:
    void ReadAt(int32_t id);
    // Reads the record the walk wants next and ends the walk when it is not the next CD.
    void ReadWanted();
    void SetText(const std::string& text, StringSlot& slot, int code);

    std::shared_ptr<CatalogueFile> file_;
    CdRecord rec_;
    int32_t nextOnDisk_ = 0;
    int32_t cdFirst_ = 0;  // CdFirst
    int32_t cdLast_ = 0;   // CdLast
    int16_t error_ = 0;
    ListWalk<CdRecord> walk_;
    std::unique_ptr<classDir> dir_;
};

}  // namespace karvio
