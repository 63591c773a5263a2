#include "Records.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace karvio {

namespace {

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);

template <typename T>
T FromLittle(T v) {
    if constexpr (std::endian::native == std::endian::big) {
        auto bytes = std::bit_cast<std::array<uint8_t, sizeof(T)>>(v);
        std::reverse(bytes.begin(), bytes.end());
        return std::bit_cast<T>(bytes);
    }
    return v;
}

// Sequential little-endian writer and reader over one record's bytes.
class Out {
public:
    explicit Out(uint8_t* p) : p_(p) {}
    template <typename T>
    Out& operator<<(T v) {
        v = FromLittle(v);
        std::memcpy(p_, &v, sizeof v);
        p_ += sizeof v;
        return *this;
    }
    Out& operator<<(StringSlot s) { return *this << s.pos << s.len; }
    Out& Bytes(const void* data, size_t n) {
        std::memcpy(p_, data, n);
        p_ += n;
        return *this;
    }

private:
    uint8_t* p_;
};

class In {
public:
    explicit In(const uint8_t* p) : p_(p) {}
    template <typename T>
    In& operator>>(T& v) {
        std::memcpy(&v, p_, sizeof v);
        v = FromLittle(v);
        p_ += sizeof v;
        return *this;
    }
    In& operator>>(StringSlot& s) { return *this >> s.pos >> s.len; }
    In& Bytes(void* data, size_t n) {
        std::memcpy(data, p_, n);
        p_ += n;
        return *this;
    }

private:
    const uint8_t* p_;
};

}  // namespace

void HeaderRecord::Encode(uint8_t* out) const {
    Out o(out);
    o.Bytes(dataSignature, 4) << dataVersionMajor << dataVersionMinor << dataVersionRevision
                              << dataCreated << dataCdFirstRecord << dataCdLastRecord
                              << dataCatFirstRecord << dataCatLastRecord << dataNumOfCds
                              << dataNumOfCats << dataLastOpened;
    o.Bytes(dataReserved, sizeof dataReserved) << dataSpaceUsed << dataReserved2[0]
                                               << dataReserved2[1] << dataReserved2[2];
}

void HeaderRecord::Decode(const uint8_t* in) {
    In i(in);
    i.Bytes(dataSignature, 4) >> dataVersionMajor >> dataVersionMinor >> dataVersionRevision >>
        dataCreated >> dataCdFirstRecord >> dataCdLastRecord >> dataCatFirstRecord >>
        dataCatLastRecord >> dataNumOfCds >> dataNumOfCats >> dataLastOpened;
    i.Bytes(dataReserved, sizeof dataReserved) >> dataSpaceUsed >> dataReserved2[0] >>
        dataReserved2[1] >> dataReserved2[2];
}

void CdRecord::Encode(uint8_t* out) const {
    Out(out) << CdId << NextRecord << PrevRecord << DirFirst << DirLast << CdName << CdNotes
             << CdLabel << CdBasepath << CdTotalSize << CdFreeSpace << CdNumOfSubdirs
             << CdNumOfFiles << CdLastScanned << CdMediaType << CdCategory << CdSpaceUsed
             << CdReserved[0] << CdReserved[1];
}

void CdRecord::Decode(const uint8_t* in) {
    In(in) >> CdId >> NextRecord >> PrevRecord >> DirFirst >> DirLast >> CdName >> CdNotes >>
        CdLabel >> CdBasepath >> CdTotalSize >> CdFreeSpace >> CdNumOfSubdirs >> CdNumOfFiles >>
        CdLastScanned >> CdMediaType >> CdCategory >> CdSpaceUsed >> CdReserved[0] >>
        CdReserved[1];
}

void DirRecord::Encode(uint8_t* out) const {
    Out(out) << DirId << DirCdId << DirNext << DirReserved << DirPath << DirName << DirNotes
             << DirSize << DirDate << DirAttr << DirCountOfFiles << DirCountOfDirs
             << DirCountOfFilesDirect << DirReserved2 << FileFirst << FileLast;
}

void DirRecord::Decode(const uint8_t* in) {
    In(in) >> DirId >> DirCdId >> DirNext >> DirReserved >> DirPath >> DirName >> DirNotes >>
        DirSize >> DirDate >> DirAttr >> DirCountOfFiles >> DirCountOfDirs >>
        DirCountOfFilesDirect >> DirReserved2 >> FileFirst >> FileLast;
}

void FileRecord::Encode(uint8_t* out) const {
    Out(out) << FileId << FileCdId << FileDirId << FileNext << FileReserved << FilePath
             << FileName << FileNotes << FileSize << FileDate << FileAttr;
}

void FileRecord::Decode(const uint8_t* in) {
    In(in) >> FileId >> FileCdId >> FileDirId >> FileNext >> FileReserved >> FilePath >>
        FileName >> FileNotes >> FileSize >> FileDate >> FileAttr;
}

void CatRecord::Encode(uint8_t* out) const {
    Out o(out);
    o << CatKind << CatId << CatNext << CatPrev << CatCreated << CatName << CatNotes << CatImageId
      << CatParentId << CatSpaceUsed;
    for (int32_t r : CatReserved) o << r;
}

void CatRecord::Decode(const uint8_t* in) {
    In i(in);
    i >> CatKind >> CatId >> CatNext >> CatPrev >> CatCreated >> CatName >> CatNotes >>
        CatImageId >> CatParentId >> CatSpaceUsed;
    for (int32_t& r : CatReserved) i >> r;
}

}  // namespace karvio
