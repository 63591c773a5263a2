// Writers of several processes take turns on one catalogue; a catalogue that cannot be written
// is still read; a store object notices when another process replaced or changed the file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "CatalogueCheck.h"
#include "CatalogueCopy.h"
#include "Messages.h"
#include "ProgramInfo.h"
#include "SystemCatalogueFile.h"
#include "TransferRecords.h"

using namespace karvio;
using karvio::testing::AddSampleCd;
using karvio::testing::ReadAllBytes;
using karvio::testing::TempDir;

namespace {

// A child process that holds the write lock of `path` until the test lets it go.
class LockHolder {
public:
    explicit LockHolder(const std::string& path) {
        int ready[2], release[2];
        EXPECT_EQ(::pipe(ready), 0);
        EXPECT_EQ(::pipe(release), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(release[1]);
            classData data(path);
            char c = data.BeginWrite() == WriteAccess::Granted ? 'y' : 'n';
            (void)!::write(ready[1], &c, 1);
            (void)!::read(release[0], &c, 1);
            ::_exit(0);
        }
        char c = 0;
        EXPECT_EQ(::read(ready[0], &c, 1), 1);
        EXPECT_EQ(c, 'y');
        release_ = release[1];
        ::close(ready[0]);
        ::close(ready[1]);
        ::close(release[0]);
    }
    ~LockHolder() { Release(); }
    void Release() {
        if (pid_ <= 0) return;
        ::close(release_);
        ::waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }

private:
    pid_t pid_ = 0;
    int release_ = -1;
};

std::string FatalText(const std::function<void()>& action) {
    try {
        action();
    } catch (const FatalErrorException& e) {
        return e.what();
    }
    return {};
}

}  // namespace

TEST(WriteLock, ASecondWriterWaitsThenIsRefusedAndChangesNothing) {
    TempDir dir;
    const std::string path = dir.File("k.cd");
    { classData data(path); AddSampleCd(data, "A", {}); }
    const int previousWait = SetWriteLockWait(100);
    {
        LockHolder holder(path);
        const auto before = ReadAllBytes(path);
        classData data(path);
        EXPECT_TRUE(data.IsOpen()) << "readers are not blocked";
        EXPECT_EQ(data.GetCdCount(), 1);
        EXPECT_EQ(data.BeginWrite(50), WriteAccess::Busy);
        EXPECT_EQ(classData::WriteAccessText(WriteAccess::Busy), "the catalogue is being changed by another program");
        // A write made without asking first ends in its numbered message with the cause.
        ScopedFatalErrorsThrow throwing;
        const std::string text = FatalText([&] { data.GetCdGoto(data.Header().dataCdFirstRecord).SetCdName("B", true); });
        EXPECT_EQ(text.rfind("File Write Error!! Error 2102", 0), 0u) << text;
        EXPECT_NE(text.find(path + ": the catalogue is being changed by another program"), std::string::npos) << text;
        EXPECT_EQ(ReadAllBytes(path), before) << "neither the open nor the refused writes changed the file";
        holder.Release();
        EXPECT_EQ(data.BeginWrite(), WriteAccess::Granted);
        data.EndWrite();
    }
    SetWriteLockWait(previousWait);
    EXPECT_TRUE(CheckCatalogue(path).Clean());
}

TEST(WriteLock, AStoreObjectNoticesACompactionAndRemovalsElsewhere) {
    TempDir dir;
    const std::string path = dir.File("Karvio.cd");
    DataFilePath = path;
    int32_t b;
    { classData data(path); AddSampleCd(data, "A", {}); b = AddSampleCd(data, "B", {}); }
    const CatalogueIdentity start = ReadCatalogueIdentity(path);
    EXPECT_EQ(CompareCatalogueIdentity(start, ReadCatalogueIdentity(path)), CatalogueChange::None);
    classData view(path);
    EXPECT_EQ(view.Identity(), start);

    // Another process removes a CD: the lists changed, the file is the same.
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(DeleteCdById(b) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(CompareCatalogueIdentity(start, ReadCatalogueIdentity(path)), CatalogueChange::Changed);
    EXPECT_EQ(CompareCatalogueIdentity(start, view.Identity()), CatalogueChange::Changed);

    // A compaction swaps another file in: every id held before is void, and the old object may not
    // write through them; a fresh object reopens and writes to the new file.
    const auto previousSink = SetMessageSink([](const std::string&, const MsgButtonSet&) { return int{vbYes}; });
    EXPECT_EQ(CompactDataFiles({}, dir.path().string()).outcome, MaintenanceOutcome::Done);
    SetMessageSink(previousSink);
    EXPECT_EQ(CompareCatalogueIdentity(start, ReadCatalogueIdentity(path)), CatalogueChange::Replaced);
    EXPECT_EQ(view.BeginWrite(), WriteAccess::Replaced);
    EXPECT_EQ(view.BeginWrite(WriteLockWait(), true), WriteAccess::Granted);
    EXPECT_EQ(view.Identity(), ReadCatalogueIdentity(path));
    EXPECT_EQ(view.GetCdCount(), 1);
    EXPECT_EQ(ReadCdInfo(view, view.Header().dataCdFirstRecord).CdName, "A");
    view.EndWrite();
    DataFilePath.clear();
}

TEST(WriteLock, TheChangeMarkerMovesWithEveryChangeAndWithNothingElse) {
    TempDir dir;
    const std::string path = dir.File("Karvio.cd");
    int32_t cd, cat;
    {
        classData data(path);
        cd = AddSampleCd(data, "A", {});
        CatInfo info;
        info.CatName = "Films";
        cat = AddCatInfo(data, info);
    }
    CatalogueIdentity seen = ReadCatalogueIdentity(path);
    const auto changedSinceSeen = [&] {
        const CatalogueIdentity now = ReadCatalogueIdentity(path);
        const CatalogueChange change = CompareCatalogueIdentity(seen, now);
        seen = now;
        return change;
    };
    // Opening, reading and stamping the last-opened time are not changes.
    { classData look(path); ReadCdInfo(look, cd); }
    EXPECT_EQ(changedSinceSeen(), CatalogueChange::None);

    // Edits that only rewrite a record in place, without a list, count or length moving.
    {
        classData data(path);
        classCd& record = data.GetCdGoto(cd);
        // Written without BeginWrite: the lock is taken by the write and let go with the file.
        record.setCdCategory(cat, true);
    }
    EXPECT_EQ(changedSinceSeen(), CatalogueChange::Changed);
    {
        classData data(path);
        ASSERT_EQ(data.BeginWrite(), WriteAccess::Granted);
        data.GetCatGoto(cat).SetCatParentId(0, true);
        data.EndWrite();
    }
    EXPECT_EQ(changedSinceSeen(), CatalogueChange::Changed);
    // The counter is the header's: another program's view of the file sees it at once.
    EXPECT_EQ(ReadCatalogueIdentity(path).changeCount, seen.changeCount);
    EXPECT_TRUE(CheckCatalogue(path).Clean());
}

TEST(WriteLock, AReadOnlyCatalogueIsReadAndNeverWritten) {
    TempDir dir;
    const std::string path = dir.File("k.cd");
    int32_t id;
    { classData data(path); id = AddSampleCd(data, "On a CD", {{"", "\\", {{"a.txt", 5}}, ""}}); }
    const auto before = ReadAllBytes(path);
    // The file as a read-only medium gives it: only a descriptor for reading.
    const CatalogueFileOpener previous = SetCatalogueFileOpener([](const std::string& p, bool) {
        CatalogueFileOpenResult result;
        const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
        result.file = std::make_shared<SystemCatalogueFile>(fd, std::filesystem::file_size(p), p, true);
        result.existed = result.readOnly = true;
        return result;
    });
    {
        classData data(path);
        ASSERT_TRUE(data.IsOpen());
        EXPECT_TRUE(data.IsReadOnly());
        EXPECT_EQ(ReadCdInfo(data, id).CdName, "On a CD");
        EXPECT_EQ(data.GetCdGoto(id).GetDirFirst().GetFileFirst().GetFileName(), "a.txt");
        EXPECT_EQ(data.BeginWrite(), WriteAccess::ReadOnly);
        ScopedFatalErrorsThrow throwing;
        EXPECT_NE(FatalText([&] { data.GetCdGoto(id).SetCdNotes("x", true); }).find(kCatalogueReadOnlyText),
                  std::string::npos);
    }
    SetCatalogueFileOpener(previous);
    EXPECT_EQ(ReadAllBytes(path), before) << "not even the last-opened time is written";
}

TEST(WriteLock, CompactionsOfCataloguesInOneFolderKeepToTheirOwnWorkFiles) {
    TempDir dir;
    const std::string one = dir.File("one.cd"), two = dir.File("two.cd");
    { classData data(one); AddSampleCd(data, "ONE", {}); }
    { classData data(two); AddSampleCd(data, "TWO", {}); }
    // Left by a killed run of "one": a copy, and a previous file that is still a second name.
    std::filesystem::copy_file(one, dir.File("~Temp_cd.one.cd.AAAAAA"));
    ASSERT_EQ(::link(one.c_str(), dir.File("~Temp_bak.one.cd.BBBBBB").c_str()), 0);
    std::filesystem::copy_file(two, dir.File("~Temp_cd.two.cd.CCCCCC"));

    pid_t children[2];
    const std::string paths[2] = {one, two};
    for (int i = 0; i < 2; ++i) {
        children[i] = ::fork();
        if (children[i] == 0) {
            DataFilePath = paths[i];
            SetMessageSink([](const std::string&, const MsgButtonSet&) { return int{vbYes}; });
            ::_exit(CompactDataFiles({}, dir.path().string()).outcome == MaintenanceOutcome::Done ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (const std::string& p : paths) {
        EXPECT_TRUE(CheckCatalogue(p).Clean()) << p;
    }
    classData first(one), second(two);
    EXPECT_EQ(ReadCdInfo(first, first.Header().dataCdFirstRecord).CdName, "ONE");
    EXPECT_EQ(ReadCdInfo(second, second.Header().dataCdFirstRecord).CdName, "TWO");
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        EXPECT_FALSE(entry.path().filename().string().starts_with("~Temp_")) << entry.path();
    }
}

TEST(WriteLock, DamagedFilesAreNamedWithTheirCause) {
    TempDir dir;
    const std::string path = dir.File("k.cd");
    { classData data(path); AddSampleCd(data, "A", {}); }
    auto bytes = ReadAllBytes(path);
    bytes.resize(40);
    karvio::testing::WriteAllBytes(path, bytes);
    classData data(path);
    EXPECT_EQ(data.GetError(), kErrorDamaged);
    const std::string text = data.OpenFailureText(kErrorDamaged);
    EXPECT_NE(text.find("cut short"), std::string::npos) << text;
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_EQ(ReadAllBytes(path), bytes);
}

TEST(WriteLock, ACompactionKilledAtAnyStepLeavesACompleteCatalogueAndNoWorkFilesAfterTheNext) {
    TempDir dir;
    const std::string path = dir.File("Karvio.cd");
    { classData data(path); AddSampleCd(data, "A", {{"", "\\", {{"a", 1}, {"b", 2}}, ""}}); AddSampleCd(data, "B", {}); }
    // Killed while copying (at the first or the last copied file), before either rename, and
    // between them.
    for (int step = 0; step < 4; ++step) {
        SCOPED_TRACE("killed at step " + std::to_string(step));
        const pid_t child = ::fork();
        if (child == 0) {
            DataFilePath = path;
            SetMessageSink([](const std::string&, const MsgButtonSet&) { return int{vbYes}; });
            int renames = 0;
            SetRenameFunction([&](const std::string& from, const std::string& to) {
                if (++renames == step - 1) ::kill(::getpid(), SIGKILL);
                return ::rename(from.c_str(), to.c_str());
            });
            int copied = 0;
            CopyCallbacks callbacks;
            callbacks.cancelRequested = [&] {
                if (step < 2 && ++copied == (step == 0 ? 1 : 3)) ::kill(::getpid(), SIGKILL);
                return false;
            };
            CompactDataFiles(callbacks, dir.path().string());
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status));
        EXPECT_TRUE(CheckCatalogue(path).Clean());
        classData data(path);
        EXPECT_EQ(data.GetCdCount(), 2);
        EXPECT_EQ(ReadCdInfo(data, data.Header().dataCdFirstRecord).CdName, "A");
    }
    DataFilePath = path;
    const auto previousSink = SetMessageSink([](const std::string&, const MsgButtonSet&) { return int{vbYes}; });
    EXPECT_EQ(CompactDataFiles({}, dir.path().string()).outcome, MaintenanceOutcome::Done);
    SetMessageSink(previousSink);
    DataFilePath.clear();
    EXPECT_TRUE(CheckCatalogue(path).Clean());
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        // The previous file of a run killed after its swap is the only copy of that state: kept.
        if (name.starts_with("~Temp_bak.") && std::filesystem::hard_link_count(entry.path()) == 1) continue;
        EXPECT_FALSE(name.starts_with("~Temp_")) << name;
    }
}
