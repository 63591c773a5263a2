// Opens arbitrary bytes as a catalogue and walks every list, record and text the way the windows
// and the check command do. Any crash, hang or unbounded allocation is a finding; the numbered
// read errors that end a walk are the expected outcome for damaged files.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "../tests/support/MemoryCatalogueFile.h"
#include "CatalogueCheck.h"
#include "CatalogueText.h"
#include "Messages.h"
#include "TransferRecords.h"
#include "classData.h"

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

void Walk() {
    classData data("fuzz.cd");
    if (data.GetError() != kErrorNone) return;
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
}

}  // namespace

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
    try {
        Walk();
    } catch (const FatalErrorException&) {
    }
    CheckCatalogue("fuzz.cd");
    return 0;
}
