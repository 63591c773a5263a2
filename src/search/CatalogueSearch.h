// The catalogue search: which field each flag tests for a CD, a directory and a file, and the
// walk over a list of CDs (each CD, then each of its directories followed by that directory's
// files) that streams every hit to a callback as one result row. The walk reads through the
// caller's store object, which it moves; user-interface thread, yielding by time.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CatalogueText.h"
#include "classData.h"

namespace karvio {

// What to look for, as the search window's inputs hold it.
struct SearchCriteria {
    std::string text;              // as entered; every "*" is removed before matching
    bool searchCdNames = false;    // chkCDNames: the CD's name
    bool searchPathNames = true;   // chkPathNames: a CD's base path, a directory's path
    bool searchFileNames = true;   // chkFileNames: a directory's or a file's name
    bool searchComments = true;    // chkComments: the notes of all three
    int mode = kMatchAnywhere;     // nSearchCriteria: 0 whole, 1 beginning, 2 anywhere
    // What directory paths are matched against instead of `text`, when set: the text in the
    // stored form of paths (karvio-cli takes "/"-separated paths). CD base paths, which are
    // native paths, are matched against `text`.
    std::optional<std::string> pathText = std::nullopt;
    // Whether each hit's `dateText` is filled in; a caller that writes dates its own way saves
    // the locale's formatting per hit.
    bool dateTexts = true;
};

enum class SearchHitKind { Cd, Directory, File };

// One result row, as AddSearchResult receives it. Texts are catalogue bytes.
struct SearchHit {
    SearchHitKind kind = SearchHitKind::File;
    std::string name;      // the CD's, directory's or file's name
    std::string cdName;    // the CD's name; for a CD hit, its label
    std::string path;      // a CD's base path, a directory's path, a file's directory full name
    double date = 0;       // last scanned, or last modified
    std::string dateText;  // the date as the locale writes it (DateToText)
    double size = 0;       // a directory's is stored negated
    int32_t attributes = 0;
    std::string notes;
    int32_t id = 0;        // record id
    int32_t cdId = 0;      // the CD the record belongs to (the CD's own id for a CD hit)
    int32_t dirId = 0;     // a file's directory, a directory's own id; 0 for a CD hit
    std::string memberPath;  // a member of an archive: its path inside it (the hit's id is the archive's)
};

using SearchHitSink = std::function<void(const SearchHit& hit)>;

struct SearchOutcome {
    int64_t hits = 0;
    bool stopped = false;  // the stop flag ended the walk early
};

// The two checks made before a search: an empty text ("Nothing Entered To Search For") and no
// field chosen ("You have to select something to search for"), each shown with one OK button.
// False when the search must not run.
bool CheckSearchCriteria(const SearchCriteria& criteria);

// The text the fields are matched against: the entered text with every "*" removed.
std::string SearchTextOf(const std::string& entered);

// Searches the CDs `cdIds` in that order. Progress: one step per CD. `stop` (may be null) is
// checked before each CD, each directory and each file; the yield hook runs by time after each
// file. Ids below 1 are skipped; other ids must name CD records of the file (the caller takes
// them from the CD list).
SearchOutcome SearchCatalogue(classData& data, const std::vector<int32_t>& cdIds,
                              const SearchCriteria& criteria, const SearchHitSink& sink,
                              const std::atomic<bool>* stop = nullptr);

// The ids of all CDs in list order.
std::vector<int32_t> AllCdIds(classData& data);

}  // namespace karvio
