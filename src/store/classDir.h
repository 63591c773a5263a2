// Cursor over the directories of one CD: holds one directory record, walks the CD's directory
// list, appends directories in a directory append run, and owns the file cursor of the current
// directory. Owned by the CD cursor (classCd); shares the store's open file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "CatalogueFile.h"
#include "ClassFile.h"
#include "RecordIo.h"
#include "RecordLists.h"
#include "Records.h"

namespace karvio {

class classDir {
public:
    classDir();
    ~classDir();
    classDir(const classDir&) = delete;
    classDir& operator=(const classDir&) = delete;

    // Appends a directory record to the open append run and returns its id.
    int32_t recordAdd();
    void recordUpdate();
    // Whether the current directory's path, name or notes match (per flag).
    bool Search(const std::string& strSearch, bool lSearchPathName, bool lSearchDirName,
                bool lSearchComments, int nSearchCriteria);

    void MoveFirst();
    void MoveNext();
    bool isEof() const { return rec_.DirNext == -1; }
    // How the last walk along the directory list ended (damage among them).
    ListEnd WalkEnd() const { return walk_.End(); }
    // Reads the record at `nRecord` (always) and points the file cursor at its files.
    void MoveAbsolute(int32_t nRecord);

    int32_t GetDirId() const { return rec_.DirId; }
    int32_t GetDirCdId() const { return rec_.DirCdId; }
    int32_t GetDirAttr() const { return rec_.DirAttr; }
    std::string GetDirName();
    std::string GetDirNotes();
    // The path of the containing directory, "\" when empty.
    std::string GetDirPath();
    // The directory's own catalogue path: its path and its name joined.
    std::string GetDirFullName();
    double GetDirSize() const { return rec_.DirSize; }
    double GetDirDate() const { return rec_.DirDate; }
    int32_t GetDirCountOfFiles() const { return rec_.DirCountOfFiles; }
    int32_t GetDirCountOfDirs() const { return rec_.DirCountOfDirs; }
    int32_t GetDirCountOfFilesDirect() const { return rec_.DirCountOfFilesDirect; }

    void setDirCountOfFiles(int32_t n) { rec_.DirCountOfFiles = n; }
    void setDirCountOfDirs(int32_t n) { rec_.DirCountOfDirs = n; }
    void setDirAttr(int32_t attr) { rec_.DirAttr = attr; }
    void setDirSize(double size) { rec_.DirSize = size; }
    void setDirDate(double date) { rec_.DirDate = date; }
    void SetDirName(const std::string& name);
    // Returns the new length minus the old one.
    int32_t SetDirNotes(const std::string& strDirNotes, bool lCommit);
    void SetDirPath(const std::string& path);

    void SetAppendStart(int32_t cdId);
    // Closes the append run; the writes it held reach the file. False when they could not.
    bool xxSetAppendFinish();
    int32_t getDirRecFirst() const { return listFirst_; }
    int32_t getDirRecLast() const { return listLast_; }
    // The append run's space (not reset).
    int32_t GetSpaceUsed() const { return appendSpace_; }
    // Sets the list bounds of a walk; does nothing while an append run is open.
    void SetDefaultCdRec(int32_t cdId, int32_t first, int32_t last);
    // Sets the totals and writes the record.
    void updateDirSize(double size, int32_t nDirCount, int32_t nFileCount, int32_t nFileCountDirect);

    int16_t GetError();
    void OpenFiles(std::shared_ptr<CatalogueFile> file);
    // Diagnostic walk over the current CD's directories reading every path and name; changes
    // nothing in the file. Returns how many directories it walked.
    int32_t DebugData();

    ClassFile& GetFileGoto(int32_t id);
    ClassFile& GetFileFirst();
    ClassFile& GetFileNext();
    bool GetFileEof() const { return file_cursor_->isEof(); }
    ClassFile& GetFileAppend();
    void GetFileAppendStart();
    void GetFileAppendFinish();

    ClassFile& Files() { return *file_cursor_; }
    const DirRecord& Record() const { return rec_; }

private:
    void ReadAt(int32_t id);
    // Reads the record the walk wants next and ends the walk when it is not the CD's next directory.
    void ReadWanted();
    int32_t AppendText(const std::string& text, StringSlot& slot, int code);

    std::shared_ptr<CatalogueFile> file_;
    DirRecord rec_;
    int32_t nextOnDisk_ = 0;
    int32_t listCdId_ = 0;   // DirListCdId
    int32_t listFirst_ = 0;  // DirListFirst
    int32_t listLast_ = 0;   // DirListLast
    int32_t appendSpace_ = 0;
    bool appendOpen_ = false;
    int32_t appendCount_ = 0;
    int16_t error_ = 0;
    ListWalk<DirRecord> walk_;
    std::unique_ptr<ClassFile> file_cursor_;
};

}  // namespace karvio
