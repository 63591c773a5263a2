// Shared pieces of the scan tests: a temporary catalogue that every store object of the test
// opens, a tree builder that writes exact bytes as names, scripted answers to messages, and the
// catalogue's records read back as plain values.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "../support/TempDir.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "ScanEngine.h"
#include "TransferRecords.h"

namespace karvio::testing {

// A file of `size` bytes (sparse: nothing is written) at `path`.
inline void MakeFile(const std::string& path, off_t size = 0) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::ftruncate(fd, size), 0) << path;
    ::close(fd);
}

inline void MakeDir(const std::string& path) { ASSERT_EQ(::mkdir(path.c_str(), 0755), 0) << path; }

struct StoredFile {
    int32_t id;
    std::string name, notes;
    double size, date;
    int32_t attr;
};

struct StoredDir {
    DirInfo info;
    std::string fullName;
    std::vector<StoredFile> files;
};

// The directories of a CD in stored order with their files, read through a fresh store object.
inline std::vector<StoredDir> ReadTree(int32_t cdId) {
    classData data;
    std::vector<StoredDir> tree;
    classCd& cd = data.GetCdGoto(cdId);
    for (classDir* d = &cd.GetDirFirst(); !cd.GetDirEof(); d = &cd.GetDirNext()) {
        StoredDir dir;
        dir.info.DirId = d->GetDirId();
        dir.info.DirName = d->GetDirName();
        dir.info.DirPath = d->GetDirPath();
        dir.info.DirNotes = d->GetDirNotes();
        dir.info.DirSize = d->GetDirSize();
        dir.info.DirDate = d->GetDirDate();
        dir.info.DirAttr = d->GetDirAttr();
        dir.info.DirCountOfDirs = d->GetDirCountOfDirs();
        dir.info.DirCountOfFiles = d->GetDirCountOfFiles();
        dir.info.DirCountOfFilesDirect = d->GetDirCountOfFilesDirect();
        dir.fullName = d->GetDirFullName();
        for (ClassFile* f = &d->GetFileFirst(); !d->GetFileEof(); f = &d->GetFileNext()) {
            dir.files.push_back({f->GetFileId(), f->GetFileName(), f->GetFileNotes(), f->GetFileSize(),
                                 f->GetFileDate(), f->getFileAttr()});
        }
        tree.push_back(std::move(dir));
    }
    return tree;
}

inline const StoredDir* FindDir(const std::vector<StoredDir>& tree, const std::string& fullName) {
    for (const StoredDir& d : tree) {
        if (d.fullName == fullName) return &d;
    }
    return nullptr;
}

inline const StoredFile* FindFile(const StoredDir& dir, const std::string& name) {
    for (const StoredFile& f : dir.files) {
        if (f.name == name) return &f;
    }
    return nullptr;
}

// Every test gets its own catalogue in a temporary directory, fatal errors that throw, and
// messages answered by `answer` (Cancel unless a test changes it).
class ScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousData_ = DataFilePath;
        DataFilePath = dataDir_.File("test.cd");
        previousSink_ = SetMessageSink([this](const std::string& text, const MsgButtonSet& set) {
            messages_.push_back(text);
            return answer_ ? answer_ : set.CancelValue() ? set.CancelValue() : set.DefaultValue();
        });
    }
    void TearDown() override {
        SetMessageSink(std::move(previousSink_));
        DataFilePath = previousData_;
    }

    std::string Root() const { return dir_.path().string(); }
    std::string Path(const std::string& relative) const { return Root() + "/" + relative; }

    std::string Catalogue() const { return dataDir_.File("test.cd"); }

    int32_t Scan(const std::string& path, int32_t oldCdId = 0, ScanProgress* progress = nullptr,
                 ScanEngine* engine = nullptr, std::optional<uint32_t> options = std::nullopt) {
        ScanEngine local;
        ScanEngine& e = engine ? *engine : local;
        e.SetProgress(progress);
        e.SetVars(oldCdId, path, "Disc", "disc notes", "LABEL", 0);
        if (options) e.SetScanOptions(*options);
        int32_t newId = -1;
        e.ScanCd(newId);
        return newId;
    }

    TempDir dir_;      // the trees the tests scan
    TempDir dataDir_;  // the catalogue and other files the scans must not see
    ScopedFatalErrorsThrow throwing_;
    std::vector<std::string> messages_;
    int answer_ = 0;

private:
    std::string previousData_;
    MessageSink previousSink_;
};

}  // namespace karvio::testing
