// The on-disk layouts: every field at its offset, packed, little-endian.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Records.h"

using namespace karvio;

namespace {

int32_t LongAt(const std::vector<uint8_t>& b, size_t off) {
    return static_cast<int32_t>(b[off] | b[off + 1] << 8 | b[off + 2] << 16 |
                                static_cast<uint32_t>(b[off + 3]) << 24);
}
int16_t IntegerAt(const std::vector<uint8_t>& b, size_t off) {
    return static_cast<int16_t>(b[off] | b[off + 1] << 8);
}
double DoubleAt(const std::vector<uint8_t>& b, size_t off) {
    double d;
    std::memcpy(&d, &b[off], 8);
    return d;
}

template <typename R>
std::vector<uint8_t> Encode(const R& r) {
    std::vector<uint8_t> bytes(R::kSize + 8, 0xEE);  // guard bytes after the record
    r.Encode(bytes.data());
    for (size_t i = R::kSize; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0xEE) << "wrote past the record";
    return bytes;
}

template <typename R>
void ExpectRoundTrip(const std::vector<uint8_t>& bytes) {
    R back;
    back.Decode(bytes.data());
    std::vector<uint8_t> again(R::kSize);
    back.Encode(again.data());
    EXPECT_TRUE(std::equal(again.begin(), again.end(), bytes.begin()));
}

}  // namespace

TEST(RecordLayout, HeaderIs82PackedBytes) {
    HeaderRecord h;
    h.dataVersionMajor = 1;
    h.dataVersionMinor = 2;
    h.dataVersionRevision = 5;
    h.dataCreated = 1.5;
    h.dataCdFirstRecord = 0x11111111;
    h.dataCdLastRecord = 0x22222222;
    h.dataCatFirstRecord = 0x33333333;
    h.dataCatLastRecord = 0x44444444;
    h.dataNumOfCds = 7;
    h.dataNumOfCats = 8;
    h.dataLastOpened = 2.25;
    h.dataReserved[0] = 0xAB;
    h.dataReserved[15] = 0xCD;
    h.dataSpaceUsed = 82;
    h.dataReserved2[2] = -3;
    const auto b = Encode(h);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "VELK");
    EXPECT_EQ(IntegerAt(b, 4), 1);
    EXPECT_EQ(IntegerAt(b, 6), 2);
    EXPECT_EQ(IntegerAt(b, 8), 5);
    EXPECT_EQ(DoubleAt(b, 10), 1.5);
    EXPECT_EQ(LongAt(b, 18), 0x11111111);
    EXPECT_EQ(LongAt(b, 22), 0x22222222);
    EXPECT_EQ(LongAt(b, 26), 0x33333333);
    EXPECT_EQ(LongAt(b, 30), 0x44444444);
    EXPECT_EQ(LongAt(b, 34), 7);
    EXPECT_EQ(LongAt(b, 38), 8);
    EXPECT_EQ(DoubleAt(b, 42), 2.25);
    EXPECT_EQ(b[50], 0xAB);
    EXPECT_EQ(b[65], 0xCD);
    EXPECT_EQ(LongAt(b, 66), 82);
    EXPECT_EQ(LongAt(b, 78), -3);
    ExpectRoundTrip<HeaderRecord>(b);
}

TEST(RecordLayout, CdIs104Bytes) {
    CdRecord r;
    r.CdId = 83;
    r.NextRecord = 200;
    r.PrevRecord = 300;
    r.DirFirst = 400;
    r.DirLast = 500;
    r.CdName = {600, 6};
    r.CdNotes = {700, 7};
    r.CdLabel = {800, 8};
    r.CdBasepath = {900, 9};
    r.CdTotalSize = 12345.0;
    r.CdFreeSpace = 678.0;
    r.CdNumOfSubdirs = 11;
    r.CdNumOfFiles = 12;
    r.CdLastScanned = 45000.75;
    r.CdMediaType = 5;
    r.CdCategory = 13;
    r.CdSpaceUsed = 14;
    r.CdReserved[1] = 15;
    const auto b = Encode(r);
    const int32_t longs[][2] = {{0, 83},  {4, 200}, {8, 300},  {12, 400}, {16, 500},
                                {20, 600}, {24, 6}, {28, 700}, {32, 7},   {36, 800},
                                {40, 8},  {44, 900}, {48, 9},  {68, 11},  {72, 12},
                                {84, 5},  {88, 13}, {92, 14},  {100, 15}};
    for (const auto& [off, value] : longs) EXPECT_EQ(LongAt(b, off), value) << "offset " << off;
    EXPECT_EQ(DoubleAt(b, 52), 12345.0);
    EXPECT_EQ(DoubleAt(b, 60), 678.0);
    EXPECT_EQ(DoubleAt(b, 76), 45000.75);
    ExpectRoundTrip<CdRecord>(b);
}

TEST(RecordLayout, DirectoryIs84AndFileIs64Bytes) {
    DirRecord d;
    d.DirId = 1;
    d.DirCdId = 2;
    d.DirNext = 3;
    d.DirReserved = 4;
    d.DirPath = {5, 6};
    d.DirName = {7, 8};
    d.DirNotes = {9, 10};
    d.DirSize = -40.0;
    d.DirDate = 3.5;
    d.DirAttr = 16;
    d.DirCountOfFiles = 17;
    d.DirCountOfDirs = 18;
    d.DirCountOfFilesDirect = 19;
    d.DirReserved2 = 20;
    d.FileFirst = 21;
    d.FileLast = 22;
    auto b = Encode(d);
    const int32_t dirLongs[][2] = {{0, 1},  {4, 2},  {8, 3},   {12, 4},  {16, 5},  {20, 6},
                                   {24, 7}, {28, 8}, {32, 9},  {36, 10}, {56, 16}, {60, 17},
                                   {64, 18}, {68, 19}, {72, 20}, {76, 21}, {80, 22}};
    for (const auto& [off, value] : dirLongs) EXPECT_EQ(LongAt(b, off), value) << "offset " << off;
    EXPECT_EQ(DoubleAt(b, 40), -40.0);
    EXPECT_EQ(DoubleAt(b, 48), 3.5);
    ExpectRoundTrip<DirRecord>(b);

    FileRecord f;
    f.FileId = 1;
    f.FileCdId = 2;
    f.FileDirId = 3;
    f.FileNext = 4;
    f.FileReserved = 5;
    f.FilePath = {6, 7};
    f.FileName = {8, 9};
    f.FileNotes = {10, 11};
    f.FileSize = 5.0e9;
    f.FileDate = 2.0;
    f.FileAttr = 33;
    b = Encode(f);
    const int32_t fileLongs[][2] = {{0, 1},  {4, 2},  {8, 3},   {12, 4},  {16, 5}, {20, 6},
                                    {24, 7}, {28, 8}, {32, 9},  {36, 10}, {40, 11}, {60, 33}};
    for (const auto& [off, value] : fileLongs) EXPECT_EQ(LongAt(b, off), value) << "offset " << off;
    EXPECT_EQ(DoubleAt(b, 44), 5.0e9);
    EXPECT_EQ(DoubleAt(b, 52), 2.0);
    ExpectRoundTrip<FileRecord>(b);
}

TEST(RecordLayout, CategoryIs69BytesWithTheKindByteFirst) {
    CatRecord c;
    c.CatId = 83;
    c.CatNext = 200;
    c.CatPrev = 300;
    c.CatCreated = 45000.5;
    c.CatName = {400, 4};
    c.CatNotes = {500, 5};
    c.CatImageId = 9;
    c.CatParentId = 10;
    c.CatSpaceUsed = 78;
    c.CatReserved[4] = 11;
    const auto b = Encode(c);
    EXPECT_EQ(b[0], 2);
    const int32_t longs[][2] = {{1, 83},  {5, 200}, {9, 300},  {21, 400}, {25, 4}, {29, 500},
                                {33, 5}, {37, 9},   {41, 10}, {45, 78},  {65, 11}};
    for (const auto& [off, value] : longs) EXPECT_EQ(LongAt(b, off), value) << "offset " << off;
    EXPECT_EQ(DoubleAt(b, 13), 45000.5);
    ExpectRoundTrip<CatRecord>(b);
}
