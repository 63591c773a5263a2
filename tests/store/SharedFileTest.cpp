// The system file shared by several store objects: each sees the others' writes at its next
// read; appended bytes are buffered, yet a process killed at any write leaves a catalogue whose
// committed CDs are all intact.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "CatalogueCheck.h"
#include "CatalogueFile.h"
#include "Messages.h"
#include "TransferRecords.h"

using namespace karvio;
using karvio::testing::AddSampleCd;
using karvio::testing::ReadAllBytes;
using karvio::testing::SampleDir;
using karvio::testing::SampleFile;
using karvio::testing::TempDir;

namespace {

// Forwards to the system file, counting writes, and kills the process just before its Nth.
class KillingFile : public CatalogueFile {
public:
    KillingFile(std::shared_ptr<CatalogueFile> inner, int killAt, int* count = nullptr)
        : inner_(std::move(inner)), killAt_(killAt), count_(count) {}
    bool ReadAt(int64_t o, void* d, size_t n) override { return inner_->ReadAt(o, d, n); }
    bool WriteAt(int64_t o, const void* d, size_t n) override {
        if (++writes_ == killAt_) ::kill(::getpid(), SIGKILL);
        if (count_) ++*count_;
        return inner_->WriteAt(o, d, n);
    }
    int64_t Length() override { return inner_->Length(); }
    bool Flush() override { return inner_->Flush(); }
    void Refresh() override { inner_->Refresh(); }

private:
    std::shared_ptr<CatalogueFile> inner_;
    int killAt_;
    int* count_;
    int writes_ = 0;
};

std::vector<SampleDir> BigTree(int dirs, int filesPerDir) {
    std::vector<SampleDir> tree;
    for (int d = 0; d < dirs; ++d) {
        SampleDir dir{d == 0 ? "" : "dir" + std::to_string(d), "\\", {}, ""};
        for (int f = 0; f < filesPerDir; ++f) dir.files.push_back({"file" + std::to_string(f) + ".dat", 1000.0 + f});
        tree.push_back(std::move(dir));
    }
    return tree;
}

// Names of every directory and file of a CD, read through a fresh store object.
std::vector<std::string> Contents(const std::string& path, int32_t cdId) {
    classData data(path);
    std::vector<std::string> names{data.GetCdGoto(cdId).GetCdName()};
    classCd& cd = data.GetCdGoto(cdId);
    for (classDir* d = &cd.GetDirFirst(); !cd.GetDirEof(); d = &cd.GetDirNext()) {
        const std::string full = d->GetDirFullName();
        names.push_back(full);
        for (ClassFile* f = &d->GetFileFirst(); !d->GetFileEof(); f = &d->GetFileNext()) {
            names.push_back(f->GetFileFullName(full));
        }
    }
    return names;
}

}  // namespace

TEST(SharedFile, StoreObjectsSeeEachOthersWritesAtTheirNextRead) {
    TempDir dir;
    const std::string path = dir.File("k.cd");
    classData writer(path);
    const int32_t a = AddSampleCd(writer, "A", BigTree(3, 5));
    const int32_t b = AddSampleCd(writer, "B", {});
    classData reader(path);
    EXPECT_EQ(reader.GetCdGoto(a).GetCdName(), "A");
    writer.GetCdGoto(a).SetCdName("A renamed", true);
    reader.GetCdGoto(b);  // move away, so the next goto reads again
    EXPECT_EQ(reader.GetCdGoto(a).GetCdName(), "A renamed");
    // Appended but not yet flushed bytes are visible to the other object too.
    const int32_t c = AddSampleCd(writer, "C", BigTree(2, 3));
    EXPECT_EQ(Contents(path, c).size(), 1u + 2 + 6);
    classData late(path);
    EXPECT_EQ(late.GetCdCount(), 3);
    EXPECT_EQ(late.GetCdGoto(c).GetCdName(), "C");
    // Through another spelling of the same file, too.
    classData other(dir.path().string() + "/./k.cd");
    EXPECT_EQ(other.GetCdGoto(c).GetCdName(), "C");
}

TEST(SharedFile, AnotherProcesssWritesAreSeenByTheNextStoreObject) {
    TempDir dir;
    const std::string path = dir.File("k.cd");
    classData keep(path);  // keeps the shared file (and its caches) alive in this process
    ASSERT_EQ(keep.BeginWrite(), WriteAccess::Granted);
    const int32_t a = AddSampleCd(keep, "A", BigTree(2, 2));
    keep.EndWrite();
    const pid_t child = ::fork();
    if (child == 0) {
        {
            // The child's store objects are its own; the parent's cache knows nothing of them.
            classData data(path);
            data.GetCdGoto(a).SetCdName("changed elsewhere", true);
            AddSampleCd(data, "B", {});
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    classData fresh(path);
    EXPECT_EQ(fresh.GetCdCount(), 2);
    EXPECT_EQ(fresh.GetCdGoto(a).GetCdName(), "changed elsewhere");
}

// A worker thread (a search, a compaction) opens the catalogue for itself: it never reads
// through the cache of the user-interface thread's file, whose store objects keep reading
// meanwhile; its write lock keeps the other thread out as another program's would, and what it
// wrote is seen by the other thread's next store object.
TEST(SharedFile, AWorkerThreadHasAFileOfItsOwn) {
    TempDir dir;
    const std::string path = dir.File("k.cd");
    classData keep(path);
    ASSERT_EQ(keep.BeginWrite(), WriteAccess::Granted);
    const int32_t a = AddSampleCd(keep, "A", BigTree(2, 2));
    keep.EndWrite();
    const CatalogueFileOpenResult here = OpenCatalogueFile(path, false);
    EXPECT_EQ(here.file, OpenCatalogueFile(path, false).file);
    std::shared_ptr<CatalogueFile> there;
    WriteAccess workerAccess = WriteAccess::Failed, meanwhile = WriteAccess::Failed;
    std::thread worker([&] {
        there = OpenCatalogueFile(path, false).file;
        classData data(path);
        workerAccess = data.BeginWrite();
        std::thread([&] {
            classData other(path);
            meanwhile = other.BeginWrite(0);
            if (meanwhile == WriteAccess::Granted) other.EndWrite();
        }).join();
        data.GetCdGoto(a).SetCdName("renamed by the worker", true);
        data.EndWrite();
    });
    worker.join();
    ASSERT_NE(there, nullptr);
    EXPECT_NE(there, here.file);
    EXPECT_EQ(workerAccess, WriteAccess::Granted);
    EXPECT_NE(meanwhile, WriteAccess::Granted);
    classData fresh(path);
    EXPECT_EQ(fresh.GetCdGoto(a).GetCdName(), "renamed by the worker");
}

TEST(SharedFile, AProcessKilledAtAnyWriteLeavesTheCommittedCdsIntact) {
    TempDir dir;
    const std::string path = dir.File("k.cd");
    int32_t first, second;
    {
        classData data(path);
        first = AddSampleCd(data, "First", BigTree(4, 20));
        second = AddSampleCd(data, "Second", BigTree(3, 10));
    }
    const std::vector<unsigned char> original = ReadAllBytes(path);
    const auto firstContents = Contents(path, first);
    const auto secondContents = Contents(path, second);

    // Count the writes of the work the child does, then kill it at every tenth one.
    auto work = [&](const std::string& p) {
        classData data(p);
        AddSampleCd(data, "Third", BigTree(30, 40));
        data.GetCdGoto(first).SetCdNotes("notes after the third", true);
        data.GetCdDelete(second);
    };
    int total = 0;
    {
        const CatalogueFileOpener previous = SetCatalogueFileOpener([&](const std::string& p, bool create) {
            auto opened = OpenSystemCatalogueFile(p, create);
            opened.file = std::make_shared<KillingFile>(opened.file, -1, &total);
            return opened;
        });
        work(path);
        SetCatalogueFileOpener(previous);
    }
    ASSERT_GT(total, 1000);

    for (int killAt = 1; killAt <= total; killAt += std::max(1, total / 60)) {
        karvio::testing::WriteAllBytes(path, original);
        const pid_t child = ::fork();
        if (child == 0) {
            SetCatalogueFileOpener([killAt](const std::string& p, bool create) {
                auto opened = OpenSystemCatalogueFile(p, create);
                opened.file = std::make_shared<KillingFile>(opened.file, killAt);
                return opened;
            });
            work(path);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "kill at write " << killAt;

        ScopedFatalErrorsThrow throwing;
        classData data(path);
        ASSERT_EQ(data.GetError(), kErrorNone) << "kill at write " << killAt;
        std::vector<int32_t> listed;
        for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) {
            listed.push_back(cd->GetCdId());
        }
        ASSERT_FALSE(listed.empty());
        EXPECT_EQ(listed.front(), first) << "kill at write " << killAt;
        EXPECT_EQ(Contents(path, first), firstContents) << "kill at write " << killAt;
        for (int32_t id : listed) {
            EXPECT_NO_THROW(Contents(path, id)) << "kill at write " << killAt << ", CD " << id;
            if (id == second) {
                EXPECT_EQ(Contents(path, id), secondContents);
            }
        }
    }
}

TEST(SharedFile, EditsReachTheFileWhenTheyReturnAndScansWhenTheyCommit) {
    TempDir dir;
    const std::string path = dir.File("k.cd");
    classData data(path);  // stays open, as a window's store object does
    const int32_t id = AddSampleCd(data, "Before", BigTree(2, 2));
    auto onDisk = [&](const std::string& text) {
        const auto bytes = ReadAllBytes(path);
        return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
    };
    EXPECT_TRUE(onDisk("file1.dat")) << "a committed CD is in the file";
    data.GetCdGoto(id).SetCdName("After the rename", true);
    EXPECT_TRUE(onDisk("After the rename"));
    classData reader(path);
    EXPECT_EQ(reader.GetCdGoto(id).GetCdName(), "After the rename");
    // An append run in progress may be held in memory; it is in the file once committed.
    CdInfo cd;
    cd.CdName = "Held";
    const int32_t held = AddCdInfo(data, cd);
    DirInfo d;
    d.DirName = "held-directory-name";
    AddDirInfo(data, d);
    data.GetCdCommit(held);
    EXPECT_TRUE(onDisk("held-directory-name"));
}
