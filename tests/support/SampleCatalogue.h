// Builds catalogues for tests through the store's own append operations, in the order the scan
// uses: CD, then each directory with its files, totals, commit.
#pragma once

#include <string>
#include <vector>

#include "TransferRecords.h"
#include "classData.h"

namespace karvio::testing {

struct SampleFile {
    SampleFile(std::string n, double s, std::string t = {})
        : name(std::move(n)), size(s), notes(std::move(t)) {}
    std::string name;
    double size = 0;
    std::string notes;
};

struct SampleDir {
    SampleDir(std::string n, std::string p, std::vector<SampleFile> f = {}, std::string t = {})
        : name(std::move(n)), path(std::move(p)), files(std::move(f)), notes(std::move(t)) {}
    std::string name;
    std::string path;  // the containing directory's catalogue path ("\" at the top)
    std::vector<SampleFile> files;
    std::string notes;
};

// Appends and commits one CD with its directories and files; returns the CD id.
inline int32_t AddSampleCd(classData& data, const std::string& name,
                           const std::vector<SampleDir>& dirs, int32_t category = 0,
                           const std::string& notes = {}) {
    CdInfo cd;
    cd.CdName = name;
    cd.CdNotes = notes;
    cd.CdLabel = name + " label";
    cd.CdBasepath = "/media/" + name;
    cd.CdCategory = category;
    cd.CdMediaType = 5;
    cd.CdLastScanned = 45000.5;
    const int32_t cdId = AddCdInfo(data, cd);
    double total = 0;
    int32_t fileCount = 0;
    for (const SampleDir& d : dirs) {
        DirInfo dir;
        dir.DirName = d.name;
        dir.DirPath = d.path;
        dir.DirNotes = d.notes;
        dir.DirAttr = 16;
        dir.DirSize = -1;
        const int32_t dirId = AddDirInfo(data, dir);
        data.GetCdGoto(cdId).GetDirGoto(dirId).GetFileAppendStart();
        double bytes = 0;
        for (const SampleFile& f : d.files) {
            FileInfo file;
            file.FileName = f.name;
            file.FileSize = f.size;
            file.FileNotes = f.notes;
            file.FileDate = 44000.25;
            AddFileInfo(data, file);
            bytes += f.size;
        }
        data.GetCdGoto(cdId).GetDirGoto(0).GetFileAppendFinish();
        const auto direct = static_cast<int32_t>(d.files.size());
        data.GetCdGoto(cdId).GetDirGoto(dirId).updateDirSize(-bytes, 0, direct, direct);
        total += bytes;
        fileCount += direct;
    }
    // The first directory stands for the scanned folder: it carries the CD's totals.
    if (!dirs.empty()) {
        classDir& root = data.GetCdGoto(cdId).GetDirFirst();
        root.updateDirSize(-total, static_cast<int32_t>(dirs.size()) - 1, fileCount,
                           root.GetDirCountOfFilesDirect());
    }
    data.GetCdCommit(cdId);
    CdInfo done = ReadCdInfo(data, cdId);
    done.CdTotalSize = total;
    done.CdNumOfFiles = fileCount;
    done.CdNumOfSubdirs = dirs.empty() ? 0 : static_cast<int32_t>(dirs.size()) - 1;
    UpdateCdInfo(data, done);
    return cdId;
}

// A small catalogue: two categories and three CDs with a few directories and files.
inline void BuildSampleCatalogue(classData& data) {
    CatInfo music;
    music.CatName = "Music";
    music.CatNotes = "all of it";
    const int32_t musicId = AddCatInfo(data, music);
    CatInfo jazz;
    jazz.CatName = "Jazz";
    jazz.CatParentId = musicId;
    jazz.CatImageId = 3;
    const int32_t jazzId = AddCatInfo(data, jazz);
    AddSampleCd(data, "Alpha",
                {{"", "\\", {{"readme.txt", 10, "read me first"}, {"setup.exe", 2000}}},
                 {"Docs", "\\", {{"manual.pdf", 5000}}, "the manuals"},
                 {"Old", "Docs", {{"v1.pdf", 70}}}},
                jazzId, "first disc");
    AddSampleCd(data, "Beta", {{"Photos", "\\", {{"a.jpg", 1}, {"b.jpg", 2}}}}, musicId);
    AddSampleCd(data, "Gamma", {});
}

}  // namespace karvio::testing
