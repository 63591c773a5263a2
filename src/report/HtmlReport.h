// The HTML report of a CD or a directory: one page drawn as a tree of one-row tables with small
// connector images, optionally listing each directory's files with sizes, dates and notes. The
// writer takes the start node of a report tree (from whichever view) and reads sizes, dates,
// notes and file lists from the catalogue through the caller's store object, which it moves.
// User-interface thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "ReportTree.h"
#include "classData.h"

namespace karvio {

// The options of a report; defaults as a first report uses them.
struct ReportOptions {
    bool chkDirSize = true;
    bool chkDirDate = false;
    bool chkDirAttrib = false;  // kept, but puts nothing on the page
    bool chkDirNotes = true;
    bool chkDirFiles = true;    // "Show Files"
    bool chkFileSizes = true;
    bool chkFileDates = false;
    bool chkFileAttrib = false;  // kept, but puts nothing on the page
    bool chkFileNotes = true;
};

// Each option with the name of its setting value (section "Preview") and its default.
struct ReportOptionField {
    const char* settingName;
    bool ReportOptions::*member;
    bool defaultValue;
};
extern const std::array<ReportOptionField, 9> kReportOptionFields;

// The images a page refers to, relative to the page's directory.
extern const std::array<const char*, 6> kReportImages;

// Writes the page for node `start` of `tree` (a CD, folder or directory node) to `pagePath`,
// created or truncated. False, with the reason in `error`, when the page cannot be written or
// the start node is of another kind; false with `error` empty (and no page left) when `stop`
// (may be null, checked at every node) was set.
bool WriteHtmlReport(classData& data, const ReportTree& tree, int start, const ReportOptions& options,
                     const std::string& pagePath, std::string* error = nullptr,
                     const std::atomic<bool>* stop = nullptr);

// Makes sure `pageDir`/images holds every image a page refers to, copying missing ones from the
// program's resources. Returns the images it could not provide.
std::vector<std::string> ProvideReportImages(const std::string& pageDir);

// Catalogue bytes as HTML text: markup characters escaped, non-ASCII characters as numeric
// references (so the page needs no declared encoding), control characters as U+FFFD. With
// `lineBreaks`, CR LF, CR and LF become <BR>.
std::string HtmlText(const std::string& bytes, bool lineBreaks = false);

}  // namespace karvio
