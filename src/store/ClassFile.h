// Cursor over the files of one directory: holds one file record, walks the directory's file list
// and appends files in a file append run. Owned by the directory cursor (classDir); shares the
// store's open file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "CatalogueFile.h"
#include "RecordIo.h"
#include "RecordLists.h"
#include "Records.h"

namespace karvio {

class ClassFile {
public:
    // Appends a file record to the open append run and returns its id.
    int32_t uRecordAdd();
    // Writes the record in memory at its id.
    void uRecordUpdate();
    // Whether the current file's name (lFileName) or notes (lSearchComments) match; the path flag
    // is accepted and ignored.
    bool Search(const std::string& strSearch, bool lSearchPathName, bool lFileName,
                bool lSearchComments, int nSearchCriteria);

    void MoveFirst();
    void MoveNext();
    bool isEof() const { return rec_.FileNext == -1; }
    // How the last walk along the file list ended (damage among them).
    ListEnd WalkEnd() const { return walk_.End(); }
    void MoveAbsolute(int32_t nRecord);

    int32_t GetFileId() const { return rec_.FileId; }
    int32_t GetFileCdId() const { return rec_.FileCdId; }
    int32_t getFileDirId() const { return rec_.FileDirId; }
    int32_t getFileAttr() const { return rec_.FileAttr; }
    std::string GetFileName();
    std::string GetFileNotes();
    // The path text, "\" when empty (the program never sets it).
    std::string yyGetFilePath();
    // The file's catalogue path: `dirPath` (its directory's full name) and the name joined.
    std::string GetFileFullName(const std::string& dirPath);
    double GetFileSize() const { return rec_.FileSize; }
    double GetFileDate() const { return rec_.FileDate; }

    void setFileSize(double size) { rec_.FileSize = size; }
    void setFileAttr(int32_t attr) { rec_.FileAttr = attr; }
    void setFileDate(double date) { rec_.FileDate = date; }
    void setFileName(const std::string& name);
    // Returns the new length minus the old one.
    int32_t SetFileNotes(const std::string& strFileNotes, bool lCommit);
    void setFilePath(const std::string& path);

    void uSetAppendStart(int32_t cdId, int32_t dirId);
    int32_t uGetFileRecFirst() const { return first_; }
    int32_t uGetFileRecLast() const { return last_; }
    // Returns the append run's space and resets it.
    int32_t uGetSpaceUsed();
    void uSetDefaults(int32_t cdId, int32_t dirId, int32_t firstFileId);

    int16_t GetError();
    void OpenFiles(std::shared_ptr<CatalogueFile> file) { file_ = std::move(file); }

    // The record in memory, for diagnostics and tests.
    const FileRecord& Record() const { return rec_; }

private:
    void ReadAt(int32_t id);
    // Reads the record the walk wants next and ends the walk when it is not the directory's next file.
    void ReadWanted();
    int32_t AppendText(const std::string& text, StringSlot& slot, int code);

    std::shared_ptr<CatalogueFile> file_;
    FileRecord rec_;
    int32_t nextOnDisk_ = 0;  // the link as stored, kept while the walk's end marker is in memory
    int32_t appendCdId_ = 0;
    int32_t appendDirId_ = 0;
    int32_t first_ = 0;
    int32_t last_ = 0;
    int32_t appendSpace_ = 0;
    int32_t appendCount_ = 0;
    int16_t error_ = 0;
    ListWalk<FileRecord> walk_;
};

// Joins a directory path and a name the way catalogue full names are built: "\" stands for the
// volume root, and a path that already ends with "\" gets no second one.
std::string JoinCataloguePath(const std::string& path, const std::string& name);

}  // namespace karvio
