// Whole records in memory, exchanged between the windows and the store, and the module
// operations that copy them in and out through a classData's shared cursors (which move); plus
// the by-id operations, each of which opens a classData of its own, and CD removal.
#pragma once

#include <cstdint>
#include <string>

#include "classData.h"

namespace karvio {

struct CdInfo {
    int32_t CdId = 0;
    std::string CdName;
    std::string CdNotes;
    std::string CdLabel;
    std::string CdBasepath;
    std::string CdCategoryKey;  // filled when reading, ignored when writing
    double CdTotalSize = 0;
    double CdFreeSpace = 0;
    int32_t CdNumOfFiles = 0;
    int32_t CdNumOfSubdirs = 0;
    double CdLastScanned = 0;
    int32_t CdMediaType = 0;
    int32_t CdCategory = 0;
};

struct DirInfo {
    int32_t DirId = 0;
    int32_t DirCdId = 0;
    std::string DirName;
    std::string DirPath;
    double DirSize = 0;
    double DirDate = 0;
    std::string DirNotes;
    int32_t DirAttr = 0;
    int32_t DirCountOfDirs = 0;
    int32_t DirCountOfFiles = 0;
    int32_t DirCountOfFilesDirect = 0;
};

struct FileInfo {
    int32_t FileId = 0;
    int32_t FileCdId = 0;
    int32_t FileDirId = 0;
    std::string FileName;
    double FileSize = 0;
    double FileDate = 0;
    std::string FileNotes;
    int32_t FileAttr = 0;
};

struct CatInfo {
    int32_t CatId = 0;
    std::string CatName;
    std::string CatNotes;
    int32_t CatImageId = 0;
    int32_t CatParentId = 0;
};

CatInfo ReadCatInfo(classData& data, int32_t id);
// Appends, writes and commits a category; returns its id.
int32_t AddCatInfo(classData& data, const CatInfo& info);
CdInfo ReadCdInfo(classData& data, int32_t id);
void UpdateCdInfo(classData& data, const CdInfo& info);
// Writes the final details of a scanned CD (appended, its directories done) and only then links
// it into the CD list, so that a program killed at any moment leaves either no new CD or a
// complete one. The file ends byte for byte as GetCdCommit followed by UpdateCdInfo leaves it.
// A rescan names the CD it replaces (`replacedId`): that one leaves the list in the same commit,
// so a program stopped at any write leaves one of the two, never both or neither.
void CommitScannedCd(classData& data, const CdInfo& info, int32_t replacedId = 0);
// Appends a CD and opens its directory append run; the caller appends its directories and then
// commits it with GetCdCommit.
int32_t AddCdInfo(classData& data, const CdInfo& info);
DirInfo ReadDirInfo(classData& data, int32_t id);
// The record the directory cursor is on, without moving it.
DirInfo ReadDirInfo(classDir& dir);
// Appends a directory to the CD's open directory append run; returns its id.
int32_t AddDirInfo(classData& data, const DirInfo& info);
FileInfo ReadFileInfo(classData& data, int32_t id);
// Appends a file to the open file append run of the current directory; returns its id.
int32_t AddFileInfo(classData& data, const FileInfo& info);

// Asks "Remove Cd" with the title and, on Yes, unlinks the CD; True when it was removed.
bool RemoveCd(int32_t id, const std::string& title);
bool DeleteCdById(int32_t id);
void SetCdNotesById(int32_t id, const std::string& notes);
void SetDirNotesById(int32_t id, const std::string& notes);
void SetFileNotesById(int32_t id, const std::string& notes);
FileInfo GetFileInfoById(int32_t id);
DirInfo GetDirInfoById(int32_t id);
CdInfo GetCdInfoById(int32_t id);

}  // namespace karvio
