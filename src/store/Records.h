// On-disk layouts of the catalogue: the header and the CD, directory, file and category records,
// packed and little-endian, with their encoders and decoders. Sizes: header 82, CD 104,
// directory 84, file 64, category 69 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace karvio {

// A text stored elsewhere in the file: 1-based position and length in bytes; (0, 0) is empty.
struct StringSlot {
    int32_t pos = 0;
    int32_t len = 0;
    bool operator==(const StringSlot&) const = default;
};

struct HeaderRecord {
    static constexpr size_t kSize = 82;
    char dataSignature[4] = {'V', 'E', 'L', 'K'};
    int16_t dataVersionMajor = 0;
    int16_t dataVersionMinor = 0;
    int16_t dataVersionRevision = 0;
    double dataCreated = 0;
    int32_t dataCdFirstRecord = 0;
    int32_t dataCdLastRecord = 0;
    int32_t dataCatFirstRecord = 0;
    int32_t dataCatLastRecord = 0;
    int32_t dataNumOfCds = 0;
    int32_t dataNumOfCats = 0;
    double dataLastOpened = 0;
    // dataReserved[0..7] is the change counter, a little-endian 64-bit count: every writer adds
    // 1 when it lets go of the write lock after changing anything other programs show, as the
    // last write of that lock (kChangeCounterOffset). dataReserved[8..15] stay zero. Programs
    // that know nothing of the counter carry it unchanged.
    uint8_t dataReserved[16] = {};
    int32_t dataSpaceUsed = 0;
    // dataReserved2 belongs to the record of an edit under way (CatalogueEdits).
    int32_t dataReserved2[3] = {};

    // Where the change counter lies in the file (0-based; 8 bytes).
    static constexpr size_t kChangeCounterOffset = 50;
    uint64_t ChangeCounter() const {
        uint64_t counter = 0;
        for (int i = 7; i >= 0; --i) counter = counter << 8 | dataReserved[i];
        return counter;
    }

    void Encode(uint8_t* out) const;
    void Decode(const uint8_t* in);
};

struct CdRecord {
    static constexpr size_t kSize = 104;
    int32_t CdId = 0;
    int32_t NextRecord = 0;
    int32_t PrevRecord = 0;
    int32_t DirFirst = 0;
    int32_t DirLast = 0;
    StringSlot CdName, CdNotes, CdLabel, CdBasepath;
    double CdTotalSize = 0;
    double CdFreeSpace = 0;
    int32_t CdNumOfSubdirs = 0;
    int32_t CdNumOfFiles = 0;
    double CdLastScanned = 0;
    int32_t CdMediaType = 0;
    int32_t CdCategory = 0;
    int32_t CdSpaceUsed = 0;
    int32_t CdReserved[2] = {};

    void Encode(uint8_t* out) const;
    void Decode(const uint8_t* in);
};

struct DirRecord {
    static constexpr size_t kSize = 84;
    int32_t DirId = 0;
    int32_t DirCdId = 0;
    int32_t DirNext = 0;
    int32_t DirReserved = 0;
    StringSlot DirPath, DirName, DirNotes;
    double DirSize = 0;
    double DirDate = 0;
    int32_t DirAttr = 0;
    int32_t DirCountOfFiles = 0;
    int32_t DirCountOfDirs = 0;
    int32_t DirCountOfFilesDirect = 0;
    int32_t DirReserved2 = 0;
    int32_t FileFirst = 0;
    int32_t FileLast = 0;

    void Encode(uint8_t* out) const;
    void Decode(const uint8_t* in);
};

struct FileRecord {
    static constexpr size_t kSize = 64;
    int32_t FileId = 0;
    int32_t FileCdId = 0;
    int32_t FileDirId = 0;
    int32_t FileNext = 0;
    int32_t FileReserved = 0;
    StringSlot FilePath, FileName, FileNotes;
    double FileSize = 0;
    double FileDate = 0;
    int32_t FileAttr = 0;

    void Encode(uint8_t* out) const;
    void Decode(const uint8_t* in);
};

struct CatRecord {
    static constexpr size_t kSize = 69;
    static constexpr uint8_t kKind = 2;
    uint8_t CatKind = kKind;
    int32_t CatId = 0;
    int32_t CatNext = 0;
    int32_t CatPrev = 0;
    double CatCreated = 0;
    StringSlot CatName, CatNotes;
    int32_t CatImageId = 0;
    int32_t CatParentId = 0;
    int32_t CatSpaceUsed = 0;
    int32_t CatReserved[5] = {};

    void Encode(uint8_t* out) const;
    void Decode(const uint8_t* in);
};

}  // namespace karvio
