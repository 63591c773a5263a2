// The catalogue data file as a whole: opens or creates it, keeps its header, and hands out the
// shared CD and category cursors through which every record is reached. Every operation that
// touches the catalogue creates its own classData; several may have the same file open at once
// and see each other's writes at their next read. User-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "CatalogueFile.h"
#include "Records.h"
#include "classCat.h"
#include "classCd.h"

namespace karvio {

// Pending errors of classData::GetError.
inline constexpr int16_t kErrorNone = 0;
inline constexpr int16_t kErrorWrongVersion = 1;  // another signature or version: refused
inline constexpr int16_t kErrorCannotOpen = 2;    // the system would not open the file

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
    ~classData();

    classData(const classData&) = delete;
    classData& operator=(const classData&) = delete;

    // Opens or creates the data file; False when it is refused (see GetError).
    bool OpenFiles(const std::string& path);
    // Opens an existing data file without writing to it, not even the time it was opened, for
    // walks that only read (backup and compaction leave the data file byte for byte as it was).
    bool OpenForReading(const std::string& path);
    // The pending error code (kError...), reset to 0 by the call.
    int16_t GetError();
    // Why the last OpenFiles failed with kErrorCannotOpen.
    const std::string& GetOpenErrorText() const { return openError_; }
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

private:
    bool Open(const std::string& path, bool readOnly);
    void CloseFile();
    void ReadHeader();
    void WriteHeader();

    std::shared_ptr<CatalogueFile> file_;
    bool usable_ = false;
    std::string path_;
    std::string openError_;
    HeaderRecord header_;
    int16_t error_ = kErrorNone;
    std::unique_ptr<classCd> cd_;
    std::unique_ptr<classCat> cat_;
};

// The message of a refused open, as the windows show it.
std::string DataFileErrorText(int16_t error, const std::string& detail = {});

}  // namespace karvio
