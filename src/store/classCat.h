// Cursor over the category list: holds one category record, walks the doubly linked list in
// creation order, reads and writes the record and its texts, and builds a category's ancestor
// path. Owned by classData; shares its open file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "CatalogueFile.h"
#include "RecordIo.h"
#include "RecordLists.h"
#include "Records.h"

namespace karvio {

class classCat {
public:
    // Appends a new category record (unlinked) and returns its id.
    int32_t recordAdd();
    void recordUpdate();

    void MoveFirst();
    void MoveNext();
    bool isEof() const { return rec_.CatNext == -1; }
    // How the last walk along the category list ended (damage among them).
    ListEnd WalkEnd() const { return walk_.End(); }
    // Reads the record at `nRecord` unless the cursor already stands on it.
    void MoveAbsolute(int32_t nRecord);
    // Makes the next MoveAbsolute read its record from the file, whichever id it names.
    void ForgetRecord() { rec_.CatId = 0; }

    int32_t GetCatId() const { return rec_.CatId; }
    int32_t GetCatImageId() const { return rec_.CatImageId; }
    int32_t GetCatParentId() const { return rec_.CatParentId; }
    double GetCatCreated() const { return rec_.CatCreated; }
    std::string GetCatName();
    std::string GetCatNotes();
    int32_t GetCatSpaceUsed() const { return rec_.CatSpaceUsed; }
    // "\.Category<id>" for every ancestor, top-most first; empty directly under the root. Stops
    // where the parent chain would come back to a category it has passed.
    std::string GetCategoryPath();

    void SetCatName(const std::string& strCatName, bool lCommit);
    void SetCatNotes(const std::string& notes);
    void SetCatImageId(int32_t id) { rec_.CatImageId = id; }
    void SetCatParentId(int32_t nNewParentId, bool lCommit);
    void SetDefaultCatRec(int32_t RecFirst, int32_t RecLast);
    int32_t GetNextRecord() const { return rec_.CatNext; }
    int32_t GetPrevRecord() const { return rec_.CatPrev; }
    // The next link as the file holds it, also while the walk's end marker is in memory.
    int32_t StoredNextRecord() const { return nextOnDisk_; }
    void SetNextRecord(int32_t id);
    void SetPrevRecord(int32_t id);

    int16_t GetError();
    void OpenFiles(std::shared_ptr<CatalogueFile> file) { file_ = std::move(file); }
    // 69 plus the current lengths of the name and the notes.
    int32_t GetSpaceUsed() const;
    // Diagnostic walk over the category list reading every name; changes nothing in the file.
    // Returns how many categories it walked.
    int32_t DebugData();

    const CatRecord& Record() const { return rec_; }

private:
    void ReadAt(int32_t id, int code);
    // Reads the record the walk wants next and ends the walk when it is not the next category.
    void ReadWanted();
    void SetText(const std::string& text, StringSlot& slot, int code);

    std::shared_ptr<CatalogueFile> file_;
    CatRecord rec_;
    int32_t nextOnDisk_ = 0;
    int32_t catFirst_ = 0;  // CatFirst
    int32_t catLast_ = 0;   // CatLast
    int16_t error_ = 0;
    int32_t savedId_ = 0;  // the category GetCategoryPath returns to
    ListWalk<CatRecord> walk_;
};

}  // namespace karvio
