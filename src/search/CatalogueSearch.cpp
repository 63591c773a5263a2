#include "CatalogueSearch.h"

#include <algorithm>
#include <cstring>

#include "DateText.h"
#include "Messages.h"
#include "Progress.h"
#include "RecordIo.h"
#include "RecordWindow.h"

namespace karvio {

namespace {

// The read-error numbers of the texts, the same the record getters use.
constexpr int kReadCdName = 2202, kReadCdBasepath = 2203, kReadCdNotes = 2204;
constexpr int kReadDirName = 2112, kReadDirPath = 2113, kReadDirNotes = 2114;
constexpr int kReadFileName = 2116, kReadFileNotes = 2118;

// Matches the fields of the records the walk stands on. Texts are matched where the file's
// cache holds them (or read into one reused buffer), and only for the fields a flag asks for, so
// a walk over a million files neither copies nor allocates per record.
class RecordMatcher {
public:
    RecordMatcher(RecordWindow& window, const SearchCriteria& criteria, const std::string& text,
                  const std::string& pathText)
        : window_(window), criteria_(criteria), matcher_(text, criteria.mode), pathMatcher_(pathText, criteria.mode),
          emptyMatches_(matcher_.Matches({})), rootMatches_(matcher_.Matches("\\")),
          rootPathMatches_(pathMatcher_.Matches("\\")) {}

    bool Cd(const CdRecord& r) {
        return (criteria_.searchPathNames && Field(r.CdBasepath, kReadCdBasepath, true)) ||
               (criteria_.searchCdNames && Field(r.CdName, kReadCdName, false)) ||
               (criteria_.searchComments && Field(r.CdNotes, kReadCdNotes, false));
    }

    bool Dir(const DirRecord& r) {
        return (criteria_.searchPathNames && PathField(r.DirPath)) ||
               (criteria_.searchFileNames && Field(r.DirName, kReadDirName, false)) ||
               (criteria_.searchComments && Field(r.DirNotes, kReadDirNotes, false));
    }

    // A file is never matched by path.
    bool File(const FileRecord& r) {
        return (criteria_.searchFileNames && Field(r.FileName, kReadFileName, false)) ||
               (criteria_.searchComments && Field(r.FileNotes, kReadFileNotes, false));
    }

private:
    // `emptyIsRoot`: an empty path reads as "\", as the getters return it.
    bool Field(StringSlot slot, int code, bool emptyIsRoot) {
        // Most notes are empty: decided once for the whole search.
        if (slot.len <= 0) return emptyIsRoot ? rootMatches_ : emptyMatches_;
        // A field too short to hold the needle is not read.
        if (static_cast<size_t>(slot.len) < matcher_.MinFieldBytes()) return false;
        return matcher_.Matches(window_.Text(slot, buffer_, code));
    }

    bool PathField(StringSlot slot) {
        if (slot.len <= 0) return rootPathMatches_;
        if (static_cast<size_t>(slot.len) < pathMatcher_.MinFieldBytes()) return false;
        return pathMatcher_.Matches(window_.Text(slot, buffer_, kReadDirPath));
    }

    RecordWindow& window_;
    const SearchCriteria& criteria_;
    TextMatcher matcher_;
    TextMatcher pathMatcher_;
    bool emptyMatches_, rootMatches_, rootPathMatches_;  // what an empty field matches
    std::string buffer_;
};

// The full name of a directory (its path joined to its name, as JoinCataloguePath joins them)
// into `out`, reusing its room: it is read for every directory that holds a hit.
void DirFullNameInto(CatalogueFile* file, const DirRecord& r, std::string& out, std::string& scratch) {
    ReadTextInto(file, r.DirPath, out, kReadDirPath);
    const std::string_view name = ReadTextView(file, r.DirName, scratch, kReadDirName);
    if (out.empty() || out == "\\") {
        out.assign(name);
    } else {
        if (out.back() != '\\') out += '\\';
        out.append(name);
    }
    if (out == "\\") out.clear();
}

// `text` into `out`, reusing its room; `text` lies elsewhere (assign allows for an overlap, which
// costs more than the copy of a name).
void CopyInto(std::string& out, std::string_view text) {
    out.resize(text.size());
    if (!text.empty()) std::memcpy(out.data(), text.data(), text.size());
}

}  // namespace

bool CheckSearchCriteria(const SearchCriteria& criteria) {
    if (criteria.text.empty()) {
        ShowMessage(KARVIO_TRANSLATE_NOOP("Messages", "Nothing Entered To Search For"), vbOKOnly);
        return false;
    }
    if (!criteria.searchCdNames && !criteria.searchPathNames && !criteria.searchFileNames &&
        !criteria.searchComments) {
        ShowMessage(KARVIO_TRANSLATE_NOOP("Messages", "You have to select something to search for"),
                    vbOKOnly);
        return false;
    }
    return true;
}

std::string SearchTextOf(const std::string& entered) {
    std::string text = entered;
    std::erase(text, '*');
    return text;
}

std::vector<int32_t> AllCdIds(classData& data) {
    std::vector<int32_t> ids;
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) {
        ids.push_back(cd->GetCdId());
    }
    return ids;
}

SearchOutcome SearchCatalogue(classData& data, const std::vector<int32_t>& cdIds,
                              const SearchCriteria& criteria, const SearchHitSink& sink,
                              const std::atomic<bool>* stop) {
    SearchOutcome outcome;
    if (!data.IsOpen()) return outcome;
    const std::string text = SearchTextOf(criteria.text);
    CatalogueFile* const file = data.File().get();
    RecordWindow window(file);
    FileWalk files(window);
    RecordMatcher match(window, criteria, text,
                        criteria.pathText ? SearchTextOf(*criteria.pathText) : text);
    auto stopped = [&] {
        if (stop && stop->load(std::memory_order_relaxed)) outcome.stopped = true;
        return outcome.stopped;
    };
    SearchHit hit;
    std::string dirText;  // reused from directory to directory
    // The CD and the directory whose name and full name the hit's cdName and path hold, so the
    // hits of one directory copy them once; 0 when they hold something else.
    int32_t cdNameOf = 0, pathOf = 0;
    auto emit = [&](SearchHitKind kind) {
        hit.kind = kind;
        if (criteria.dateTexts) hit.dateText = DateToText(hit.date);
        ++outcome.hits;
        if (sink) sink(hit);
    };

    ProgressStart(static_cast<int>(cdIds.size()));
    for (const int32_t cdId : cdIds) {
        ProgressStep();
        if (stopped()) break;
        if (cdId < 1) continue;
        classCd& cd = data.GetCdGoto(cdId);
        // The CD's name is read once, when its first directory or file is a hit.
        std::string cdName;
        bool haveCdName = false;
        auto cdNameOnce = [&]() -> const std::string& {
            if (!haveCdName) cdName = cd.GetCdName(), haveCdName = true;
            return cdName;
        };
        if (match.Cd(cd.Record())) {
            hit.name = cdNameOnce();
            hit.cdName = cd.GetCdLabel();
            hit.path = cd.GetCdBasepath();
            cdNameOf = pathOf = 0;
            hit.date = cd.GetCdLastScanned();
            hit.size = cd.GetCdtotalSize();
            hit.attributes = 0;
            hit.notes = cd.GetCdNotes();
            hit.id = cd.GetCdId();
            hit.cdId = hit.id;
            hit.dirId = 0;
            emit(SearchHitKind::Cd);
        }
        for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
            if (stopped()) break;
            if (match.Dir(dir->Record())) {
                hit.name = dir->GetDirName();
                hit.cdName = cdNameOnce();
                hit.path = dir->GetDirPath();
                cdNameOf = cdId;
                pathOf = 0;
                hit.date = dir->GetDirDate();
                hit.size = dir->GetDirSize();
                hit.attributes = dir->GetDirAttr();
                hit.notes = dir->GetDirNotes();
                hit.id = dir->GetDirId();
                hit.cdId = cdId;
                hit.dirId = hit.id;
                emit(SearchHitKind::Directory);
            }
            // The files are walked from the file's pieces of memory, not through the directory's
            // cursor: most of a search's time is this loop.
            for (files.Start(dir->Record()); !files.AtEnd(); files.Next()) {
                if (stopped()) break;
                const FileRecord& r = files.Record();
                if (match.File(r)) {
                    const int32_t dirId = dir->GetDirId();
                    if (pathOf != dirId) {
                        DirFullNameInto(file, dir->Record(), hit.path, dirText);
                        pathOf = dirId;
                    }
                    if (cdNameOf != cdId) {
                        hit.cdName = cdNameOnce();
                        cdNameOf = cdId;
                    }
                    // Copied into the hit's own texts, whose room is reused from hit to hit.
                    CopyInto(hit.name, window.Text(r.FileName, dirText, kReadFileName));
                    hit.date = r.FileDate;
                    hit.size = r.FileSize;
                    hit.attributes = r.FileAttr;
                    CopyInto(hit.notes, window.Text(r.FileNotes, dirText, kReadFileNotes));
                    hit.id = r.FileId;
                    hit.cdId = cdId;
                    hit.dirId = dirId;
                    emit(SearchHitKind::File);
                }
                YieldIfDue();
            }
            if (outcome.stopped) break;
        }
        if (outcome.stopped) break;
    }
    ProgressEnd();
    return outcome;
}

}  // namespace karvio
