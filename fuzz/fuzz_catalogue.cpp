// Opens arbitrary bytes as a catalogue and walks every list, record and text the way the windows
// and the check command do: the opening check, the cursors (also as a salvage opens them), the
// search window's walk, the quick-find index build and its queries, and the CD panel's tree
// model with every node expanded and painted. Any
// crash, hang or unbounded allocation is a finding; the numbered read errors that end a walk
// are the expected outcome for damaged files.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../tests/support/MemoryCatalogueFile.h"
#include <QGuiApplication>

#include "CatalogueCheck.h"
#include "CatalogueSearch.h"
#include "QuickIndex.h"
#include "QuickQuery.h"
#include "CatalogueText.h"
#include "Messages.h"
#include "TransferRecords.h"
#include "classData.h"
#include "views/CdTreeModel.h"

using namespace karvio;

namespace {

void WalkCd(classData& data, int32_t id) {
    ReadCdInfo(data, id);
    classCd& cd = data.GetCdGoto(id);
    cd.Search("a", true, true, true, 2);
    for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
        const std::string full = dir->GetDirFullName();
        DecodeCatalogueText(full);
        dir->GetDirNotes();
        dir->Search("b", true, true, true, 1);
        for (ClassFile* file = &dir->GetFileFirst(); !dir->GetFileEof(); file = &dir->GetFileNext()) {
            DecodeCatalogueText(file->GetFileFullName(full));
            file->GetFileNotes();
            file->yyGetFilePath();
            file->Search("c", false, true, true, 0);
        }
    }
}

// The search window's walk over every CD, matching all fields.
void Search(classData& data) {
    SearchCriteria criteria;
    criteria.text = "a";
    criteria.searchCdNames = true;
    criteria.dateTexts = false;
    SearchCatalogue(data, AllCdIds(data), criteria, [](const SearchHit&) {});
}

// The quick-find index reads the file from the disk itself.
void QuickFind(const uint8_t* bytes, size_t size) {
    static const std::string path = [] {
        char name[] = "/tmp/fuzz-quick-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd >= 0) ::close(fd);
        return std::string(name);
    }();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    }
    QuickIndex index;
    if (!index.Build(path)) return;
    index.Find(ParseQuickQuery(QStringLiteral("a e")), QuickMatchMode::Anywhere);
    for (int32_t i = 0; i < static_cast<int32_t>(index.size()) && i < 64; ++i) index.Hit(i);
}

// The CD panel shows each CD as its tree model gives it: every node's rows, caption and icon,
// and the files of every directory fetched, as expanding them all would.
void ShowInCdPanel(const std::vector<int32_t>& cds) {
    for (const int32_t cd : cds) {
        CdTreeModel model;
        if (!model.Load(std::make_unique<classData>("fuzz.cd", classData::ForReading{}), cd)) continue;
        std::vector<QModelIndex> pending{QModelIndex()};
        for (size_t visited = 0; !pending.empty() && visited < 100000; ++visited) {
            const QModelIndex parent = pending.back();
            pending.pop_back();
            if (model.canFetchMore(parent)) model.fetchMore(parent);
            for (int row = 0; row < model.rowCount(parent); ++row) {
                const QModelIndex child = model.index(row, 0, parent);
                model.data(child, Qt::DisplayRole);
                model.data(child, Qt::DecorationRole);
                if (model.parent(child) != parent) std::abort();
                if (model.hasChildren(child)) pending.push_back(child);
            }
        }
    }
}

void Walk(bool salvage) {
    std::unique_ptr<classData> opened = salvage ? std::make_unique<classData>("fuzz.cd", classData::ForSalvage{})
                                                : std::make_unique<classData>("fuzz.cd");
    classData& data = *opened;
    if (data.GetError() != kErrorNone) return;
    try {
        Search(data);
    } catch (const FatalErrorException&) {
    }
    std::vector<int32_t> cds;
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) {
        cds.push_back(cd->GetCdId());
    }
    for (int32_t id : cds) {
        try {
            WalkCd(data, id);
        } catch (const FatalErrorException&) {
        }
    }
    std::vector<int32_t> cats;
    for (classCat* cat = &data.GetCatFirst(); !data.GetCatEof(); cat = &data.GetCatNext()) {
        cats.push_back(cat->GetCatId());
    }
    for (int32_t id : cats) {
        try {
            ReadCatInfo(data, id);
            data.GetKarvioBasePath(id);
        } catch (const FatalErrorException&) {
        }
    }
    data.DebugData();
    if (!salvage) ShowInCdPanel(cds);
}

}  // namespace

// Before the first input: the model's icons need a graphical application, and the offscreen one
// needs no display. It lives as long as the process.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static const bool quiet = [] {
        SetMessageSink([](const std::string&, const MsgButtonSet& set) { return set.DefaultValue(); });
        return true;
    }();
    (void)quiet;
    auto file = std::make_shared<testing::MemoryCatalogueFile>(
        std::vector<unsigned char>(bytes, bytes + size));
    testing::ScopedMemoryFile scoped(file);
    ScopedFatalErrorsThrow throwing;
    for (const bool salvage : {false, true}) {
        try {
            Walk(salvage);
        } catch (const FatalErrorException&) {
        }
    }
    CheckCatalogue("fuzz.cd");
    QuickFind(bytes, size);
    return 0;
}
