// The edit service: every rule it keeps, the records it refuses to write through, and the crash
// order of every edit: a kill or a failed write at each write position leaves, once the
// catalogue is opened again, the catalogue as it was before the edit or as it is after it, with
// a clean check.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <sstream>

#include "../support/KillingCatalogueFile.h"
#include "../support/SampleCatalogue.h"
#include "../support/TempDir.h"
#include "CatalogueCheck.h"
#include "CatalogueCopy.h"
#include "CatalogueEdits.h"
#include "CategoryPictures.h"
#include "Messages.h"
#include "ProgramInfo.h"

using namespace karvio;
using namespace karvio::testing;

namespace {

// The sample catalogue with two more categories, so that a removal has neighbours on both sides.
struct Ids {
    int32_t music = 0, jazz = 0, empty = 0, last = 0;
    int32_t alpha = 0, beta = 0, gamma = 0;
    int32_t docs = 0, readme = 0;
};

class EditsTest : public ::testing::Test {
protected:
    void SetUp() override {
        {
            classData data(path_);
            BuildSampleCatalogue(data);
            CatInfo empty;
            empty.CatName = "Empty";
            empty.CatImageId = kDefaultCategoryImage;
            ids_.empty = AddCatInfo(data, empty);
            empty.CatName = "Last";
            ids_.last = AddCatInfo(data, empty);
            ids_.music = data.Header().dataCatFirstRecord;
            ids_.jazz = data.GetCatGoto(ids_.music).GetNextRecord();
            ids_.alpha = data.Header().dataCdFirstRecord;
            ids_.beta = data.GetCdGoto(ids_.alpha).CdGetNextRecord();
            ids_.gamma = data.GetCdGoto(ids_.beta).CdGetNextRecord();
            classDir& root = data.GetCdGoto(ids_.alpha).GetDirFirst();
            ids_.readme = root.GetFileFirst().GetFileId();
            ids_.docs = data.GetCdGoto(ids_.alpha).GetDirNext().GetDirId();
        }
        sample_ = ReadAllBytes(path_);
    }

    HeldRecord Cd(int32_t id) {
        classData data(path_);
        return HeldRecord::Of(ReadCdInfo(data, id));
    }
    HeldRecord Cat(int32_t id) {
        classData data(path_);
        return HeldRecord::Of(ReadCatInfo(data, id));
    }
    HeldRecord Dir(int32_t id) {
        classData data(path_);
        return HeldRecord::Of(ReadDirInfo(data, id));
    }
    HeldRecord File(int32_t id) {
        classData data(path_);
        return HeldRecord::Of(ReadFileInfo(data, id));
    }

    // Everything a user could see of the catalogue, in list order, as one text.
    std::string Dump() {
        classData data(path_);
        std::ostringstream out;
        std::vector<int32_t> cats, cds;
        for (classCat* c = &data.GetCatFirst(); !data.GetCatEof(); c = &data.GetCatNext()) cats.push_back(c->GetCatId());
        for (classCd* c = &data.GetCdFirst(); !data.GetCdEof(); c = &data.GetCdNext()) cds.push_back(c->GetCdId());
        out << data.GetCatCount() << " categories, " << data.GetCdCount() << " CDs\n";
        for (int32_t id : cats) {
            const CatInfo c = ReadCatInfo(data, id);
            out << "cat " << id << " " << c.CatName << " [" << c.CatNotes << "] image " << c.CatImageId << " parent "
                << c.CatParentId << "\n";
        }
        for (int32_t id : cds) {
            const CdInfo c = ReadCdInfo(data, id);
            out << "cd " << c.CdName << " [" << c.CdNotes << "] " << c.CdLabel << " " << c.CdBasepath << " category "
                << c.CdCategory << " files " << c.CdNumOfFiles << "\n";
            classCd& cd = data.GetCdGoto(id);
            for (classDir* d = &cd.GetDirFirst(); !cd.GetDirEof(); d = &cd.GetDirNext()) {
                out << "  dir " << d->GetDirFullName() << " [" << d->GetDirNotes() << "]\n";
                for (ClassFile* f = &d->GetFileFirst(); !d->GetFileEof(); f = &d->GetFileNext()) {
                    out << "    file " << f->GetFileName() << " [" << f->GetFileNotes() << "]\n";
                }
            }
        }
        return out.str();
    }

    void ExpectClean(const std::string& context) {
        const CheckReport report = CheckCatalogue(path_);
        EXPECT_TRUE(report.Clean()) << context << ": " << (report.problems.empty() ? "" : report.problems.front());
        for (const std::string& note : report.notes) {
            EXPECT_EQ(note.find("interrupted"), std::string::npos) << context << ": " << note;
        }
    }

    TempDir dir_;
    std::string path_ = dir_.File("edits.cd");
    std::vector<unsigned char> sample_;
    Ids ids_;
};

// A rescan as the scan engine commits it: a new CD with one directory and file, which takes the
// place of `oldId` in the same commit.
void Rescan(const std::string& path, int32_t oldId) {
    classData data(path);
    ASSERT_EQ(data.BeginWrite(), WriteAccess::Granted);
    CdInfo old = ReadCdInfo(data, oldId);
    CdInfo cd;
    const int32_t id = AddCdInfo(data, cd);
    DirInfo dir;
    dir.DirPath = "\\";
    dir.DirSize = -5;
    const int32_t dirId = AddDirInfo(data, dir);
    data.GetCdGoto(id).GetDirGoto(dirId).GetFileAppendStart();
    FileInfo file;
    file.FileName = "new.txt";
    file.FileSize = 5;
    file.FileNotes = "kept";
    AddFileInfo(data, file);
    data.GetCdGoto(id).GetDirGoto(0).GetFileAppendFinish();
    data.GetCdGoto(id).GetDirGoto(dirId).updateDirSize(-5, 0, 1, 1);
    old.CdId = id;
    old.CdName += " again";
    old.CdTotalSize = 5;
    old.CdNumOfFiles = 1;
    old.CdNumOfSubdirs = 0;
    CommitScannedCd(data, old, oldId);
    data.EndWrite();
}

}  // namespace

TEST_F(EditsTest, EveryRuleIsKeptOnceForEveryCaller) {
    struct Case {
        const char* what;
        std::function<EditResult(CatalogueEdits&)> edit;
        EditStatus expected;
    };
    const Ids& i = ids_;
    auto withParent = [](int32_t parent, int32_t image) {
        CatInfo info;
        info.CatName = "New Category";
        info.CatParentId = parent;
        info.CatImageId = image;
        return info;
    };
    const Case cases[] = {
        {"remove a category holding a sub-category", [&](auto& e) { return e.RemoveCategory(Cat(i.music)); }, EditStatus::HoldsCategories},
        {"remove a category holding only a CD", [&](auto& e) { return e.RemoveCategory(Cat(i.jazz)); }, EditStatus::HoldsCds},
        {"remove an empty category", [&](auto& e) { return e.RemoveCategory(Cat(i.empty)); }, EditStatus::Done},
        {"remove a CD id as a category", [&](auto& e) { return e.RemoveCategory(HeldRecord::Of(RecordKind::Category, i.alpha)); }, EditStatus::Stale},
        {"move a category under itself", [&](auto& e) { return e.MoveCategory(Cat(i.music), i.music); }, EditStatus::MoveIntoItself},
        {"move a category under its sub-category", [&](auto& e) { return e.MoveCategory(Cat(i.music), i.jazz); }, EditStatus::MoveIntoItself},
        {"move a category to the root", [&](auto& e) { return e.MoveCategory(Cat(i.jazz), 0); }, EditStatus::Done},
        {"move a category under a sibling", [&](auto& e) { return e.MoveCategory(Cat(i.last), i.empty); }, EditStatus::Done},
        {"move a category under no category", [&](auto& e) { return e.MoveCategory(Cat(i.jazz), 99999); }, EditStatus::NoSuchCategory},
        {"move a category under a CD", [&](auto& e) { return e.MoveCategory(Cat(i.jazz), i.gamma); }, EditStatus::NoSuchCategory},
        {"file a CD into a category", [&](auto& e) { return e.FileCd(Cd(i.gamma), i.jazz); }, EditStatus::Done},
        {"file a CD at the root", [&](auto& e) { return e.FileCd(Cd(i.alpha), 0); }, EditStatus::Done},
        {"file a CD into no category", [&](auto& e) { return e.FileCd(Cd(i.gamma), 12345); }, EditStatus::NoSuchCategory},
        {"file a CD into a CD", [&](auto& e) { return e.FileCd(Cd(i.gamma), i.beta); }, EditStatus::NoSuchCategory},
        {"edit details into no category", [&](auto& e) { CdInfo d; d.CdCategory = 7; return e.UpdateCdDetails(Cd(i.beta), d); }, EditStatus::NoSuchCategory},
        {"add a category under a category", [&](auto& e) { return e.AddCategory(withParent(i.jazz, 6)); }, EditStatus::Done},
        {"add a category under no category", [&](auto& e) { return e.AddCategory(withParent(i.alpha, 6)); }, EditStatus::NoSuchCategory},
        {"add a category with a picture not shipped", [&](auto& e) { return e.AddCategory(withParent(0, 99)); }, EditStatus::NoSuchPicture},
        {"give a category a picture not shipped", [&](auto& e) { return e.SetCategoryImage(Cat(i.music), 99); }, EditStatus::NoSuchPicture},
        {"keep a category's own unshipped picture", [&](auto& e) { return e.AnnotateCategory(Cat(i.jazz), "n", 3); }, EditStatus::Done},
        {"rename a CD as shown", [&](auto& e) { return e.RenameCd(Cd(i.beta), "B"); }, EditStatus::Done},
        {"rename a CD shown with another name", [&](auto& e) { HeldRecord r = Cd(i.beta); r.name = "Other"; return e.RenameCd(r, "B"); }, EditStatus::Stale},
        {"rename a CD shown with another scan date", [&](auto& e) { HeldRecord r = Cd(i.beta); *r.date += 1; return e.RenameCd(r, "B"); }, EditStatus::Stale},
        {"rename a category id as a CD", [&](auto& e) { return e.RenameCd(HeldRecord::Of(RecordKind::Cd, i.music), "B"); }, EditStatus::Stale},
        {"annotate an id inside a CD record", [&](auto& e) { return e.AnnotateCd(HeldRecord::Of(RecordKind::Cd, i.beta + 4), "n"); }, EditStatus::Stale},
        {"annotate an id past the end", [&](auto& e) { return e.AnnotateCd(HeldRecord::Of(RecordKind::Cd, 1 << 30), "n"); }, EditStatus::Stale},
        {"annotate a file id as a directory", [&](auto& e) { return e.AnnotateDirectory(HeldRecord::Of(RecordKind::Directory, i.readme), "n"); }, EditStatus::Stale},
        {"annotate a directory id as a file", [&](auto& e) { return e.AnnotateFile(HeldRecord::Of(RecordKind::File, i.docs), "n"); }, EditStatus::Stale},
        {"annotate a directory shown under another path", [&](auto& e) { HeldRecord r = Dir(i.docs); r.path = "Elsewhere"; return e.AnnotateDirectory(r, "n"); }, EditStatus::Stale},
        {"annotate a directory as shown", [&](auto& e) { return e.AnnotateDirectory(Dir(i.docs), "n"); }, EditStatus::Done},
        {"annotate a file as shown", [&](auto& e) { return e.AnnotateFile(File(i.readme), "n"); }, EditStatus::Done},
        {"annotate a removed CD", [&](auto& e) { HeldRecord r = Cd(i.beta); e.RemoveCd(r); return e.AnnotateCd(r, "n"); }, EditStatus::Stale},
        {"annotate a directory of a removed CD", [&](auto& e) { HeldRecord r = Dir(i.docs); e.RemoveCd(Cd(i.alpha)); return e.AnnotateDirectory(r, "n"); }, EditStatus::Stale},
        {"rename a removed category", [&](auto& e) { HeldRecord r = Cat(i.empty); e.RemoveCategory(r); return e.RenameCategory(r, "n"); }, EditStatus::Stale},
        {"remove a CD twice", [&](auto& e) { HeldRecord r = Cd(i.gamma); e.RemoveCd(r); return e.RemoveCd(r); }, EditStatus::Stale},
    };
    for (const Case& c : cases) {
        WriteAllBytes(path_, sample_);
        CatalogueEdits edits(path_);
        EXPECT_EQ(static_cast<int>(c.edit(edits).status), static_cast<int>(c.expected)) << c.what;
        ExpectClean(c.what);
    }
    // A refused edit writes nothing at all.
    WriteAllBytes(path_, sample_);
    {
        classData open(path_);  // stamps the time it was opened
    }
    const std::vector<unsigned char> before = ReadAllBytes(path_);
    EXPECT_EQ(CatalogueEdits(path_).RemoveCategory(Cat(ids_.jazz)).status, EditStatus::HoldsCds);
    EXPECT_EQ(ReadAllBytes(path_), before);
}

TEST_F(EditsTest, ACompactionMakesHeldRecordsStale) {
    const HeldRecord beta = Cd(ids_.beta);
    const HeldRecord docs = Dir(ids_.docs);
    const HeldRecord empty = Cat(ids_.empty);
    // The first CD goes and the catalogue is compacted: every record after it moves.
    ASSERT_TRUE(CatalogueEdits(path_).RemoveCd(Cd(ids_.alpha)).Done());
    const std::string previousPath = DataFilePath;
    DataFilePath = path_;
    const MessageSink previous = SetMessageSink([](const std::string&, const MsgButtonSet&) { return vbYes; });
    EXPECT_EQ(CompactDataFiles({}, dir_.File("reports")).outcome, MaintenanceOutcome::Done);
    SetMessageSink(previous);
    DataFilePath = previousPath;
    CatalogueEdits edits(path_);
    EXPECT_EQ(edits.AnnotateCd(beta, "typed").status, EditStatus::Stale);
    EXPECT_EQ(edits.AnnotateDirectory(docs, "typed").status, EditStatus::Stale);
    EXPECT_EQ(edits.RemoveCategory(empty).status, EditStatus::Stale);
    EXPECT_EQ(Dump().find("typed"), std::string::npos);
    ExpectClean("after the compaction");
}

TEST_F(EditsTest, EveryEditKilledOrFailingAtEveryWriteLeavesBeforeOrAfter) {
    struct Edit {
        const char* what;
        std::function<void(CatalogueEdits&)> run;
    };
    const Ids& i = ids_;
    CdInfo details;
    details.CdName = "Beta renamed";
    details.CdNotes = "new notes";
    details.CdLabel = "LBL";
    details.CdBasepath = "/media/b/";
    details.CdCategory = i.jazz;
    CatInfo added;
    added.CatName = "Added";
    added.CatParentId = i.music;
    added.CatImageId = 8;
    const std::vector<Edit> edits = {
        {"category add", [&](auto& e) { e.AddCategory(added); }},
        {"category rename", [&](auto& e) { e.RenameCategory(Cat(i.jazz), "Swing"); }},
        {"category move", [&](auto& e) { e.MoveCategory(Cat(i.jazz), 0); }},
        {"category notes and picture", [&](auto& e) { e.AnnotateCategory(Cat(i.music), "notes", 9); }},
        {"category remove (middle)", [&](auto& e) { e.RemoveCategory(Cat(i.empty)); }},
        {"category remove (last)", [&](auto& e) { e.RemoveCategory(Cat(i.last)); }},
        {"cd rename", [&](auto& e) { e.RenameCd(Cd(i.beta), "Bee"); }},
        {"cd notes", [&](auto& e) { e.AnnotateCd(Cd(i.beta), "noted"); }},
        {"cd category", [&](auto& e) { e.FileCd(Cd(i.beta), i.jazz); }},
        {"cd edit details", [&](auto& e) { e.UpdateCdDetails(Cd(i.beta), details); }},
        {"cd remove (middle)", [&](auto& e) { e.RemoveCd(Cd(i.beta)); }},
        {"cd remove (first)", [&](auto& e) { e.RemoveCd(Cd(i.alpha)); }},
        {"cd remove (last)", [&](auto& e) { e.RemoveCd(Cd(i.gamma)); }},
        {"dir notes", [&](auto& e) { e.AnnotateDirectory(Dir(i.docs), "a longer note than before"); }},
        {"file notes", [&](auto& e) { e.AnnotateFile(File(i.readme), ""); }},
        {"rescan (middle)", [&](auto&) { Rescan(path_, i.beta); }},
        {"rescan (last)", [&](auto&) { Rescan(path_, i.gamma); }},
    };
    int positions = 0, outcomes = 0, lost = 0, unclean = 0;
    for (const Edit& edit : edits) {
        WriteAllBytes(path_, sample_);
        const std::string before = Dump();
        int total = 0;
        {
            ScopedKillingFiles counting(0, KillingCatalogueFile::Mode::Kill);
            CatalogueEdits service(path_);
            edit.run(service);
            total = counting.Writes();
        }
        const std::string after = Dump();
        ASSERT_NE(after, before) << edit.what;
        ASSERT_GT(total, 0) << edit.what;
        for (int at = 1; at <= total; ++at) {
            for (const auto mode : {KillingCatalogueFile::Mode::Kill, KillingCatalogueFile::Mode::Fail}) {
                const bool kill = mode == KillingCatalogueFile::Mode::Kill;
                const std::string context = std::string(edit.what) + (kill ? ", killed at write " : ", failing at write ") +
                                            std::to_string(at) + " of " + std::to_string(total);
                WriteAllBytes(path_, sample_);
                const pid_t child = ::fork();
                if (child == 0) {
                    SetFatalErrorHandler([](const std::string&) { ::_exit(3); });
                    SetFatalErrorShowsMessage(false);
                    ScopedKillingFiles killing(at, mode);
                    CatalogueEdits service(path_);
                    edit.run(service);
                    ::_exit(0);
                }
                int status = 0;
                ::waitpid(child, &status, 0);
                if (kill) {
                    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << context;
                } else {
                    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 3) << context << ": the write error ends it";
                }
                const std::string now = Dump();  // opens the catalogue first, as any program does
                EXPECT_TRUE(now == before || now == after) << context << "\n" << now;
                ExpectClean(context);
                ++positions;
                outcomes += now == after;
                lost += now != before && now != after;
                unclean += !CheckCatalogue(path_).Clean();
            }
        }
    }
    RecordProperty("edit_write_positions", positions);
    std::printf("%d edits, %d write positions x (kill, failed write) = %d runs; %d ended as after, the rest as "
                "before; lost %d, stale %d\n",
                static_cast<int>(edits.size()), positions / 2, positions, outcomes, lost, unclean);
}
