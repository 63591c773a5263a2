#include "DiscVerify.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "CatalogueDetails.h"
#include "ContentHash.h"
#include "VolumeLocator.h"
#include "classData.h"

namespace karvio {

namespace {

std::string ProblemPath(const std::string& problem, const std::string& folder) {
    // Walk problems read "<native path>: <reason>"; the path is told below the folder.
    std::string path = problem.substr(0, problem.rfind(": "));
    if (path.compare(0, folder.size(), folder) == 0) path.erase(0, folder.size());
    while (!path.empty() && path.front() == '/') path.erase(0, 1);
    return path;
}

}  // namespace

std::string CurrentFolderOfCd(classData& data, int32_t cdId) {
    auto isFolder = [](const std::string& path) {
        struct stat st {};
        return !path.empty() && path.front() == '/' && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    };
    if (const std::optional<VolumeIdentity> identity = RecordedVolumeOf(data, cdId)) {
        if (const std::optional<VolumeLocation> location = LocateVolume(*identity)) {
            if (isFolder(location->folderPath)) return location->folderPath;
        }
    }
    const std::string base = data.GetCdGoto(cdId).GetCdBasepath();
    if (!isFolder(base)) return {};
    return base.size() > 1 && base.back() == '/' ? base.substr(0, base.size() - 1) : base;
}

VerifyReport VerifyDisc(const FileListing& catalogue, const std::string& folder, const HashLookup& hashes,
                        const std::atomic<bool>* stop, const VerifyProgressCallback& progress) {
    VerifyReport report;
    report.folder = folder;
    FileListing disc;
    const WalkReport walk = WalkFolder(folder, disc, stop);
    report.ioError = walk.ioError;
    report.stopped = walk.stopped;
    for (const std::string& problem : walk.problems) {
        VerifyFinding finding;
        finding.status = VerifyStatus::Unreadable;
        finding.path = ProblemPath(problem, folder);
        finding.detail = problem.substr(std::min(problem.size(), problem.rfind(": ") + 2));
        report.findings.push_back(std::move(finding));
    }
    if (report.stopped) return report;

    const TreeComparison comparison = CompareListings(catalogue, disc);
    // The files to read: catalogued and still there as files.
    std::vector<const ComparedEntry*> toRead;
    VerifyProgress shown;
    for (const ComparedEntry& entry : comparison.entries) {
        VerifyFinding finding;
        finding.path = entry.path;
        finding.directory = entry.directory;
        finding.recordId = entry.first >= 0 ? catalogue[static_cast<size_t>(entry.first)].id : 0;
        switch (entry.difference) {
            case Difference::OnlyFirst: finding.status = VerifyStatus::Missing; break;
            case Difference::OnlySecond: finding.status = VerifyStatus::New; break;
            case Difference::Changed:
                finding.status = VerifyStatus::Changed;
                finding.detail = ChangeNames(entry.changes);
                break;
            case Difference::Same: break;
        }
        if (entry.difference != Difference::Same) report.findings.push_back(std::move(finding));
        if (entry.first >= 0 && entry.second >= 0 && !entry.directory && (entry.changes & kChangedKind) == 0) {
            toRead.push_back(&entry);
            shown.bytesTotal += disc[static_cast<size_t>(entry.second)].size;
        }
    }
    report.filesChecked = static_cast<int64_t>(toRead.size());
    shown.filesTotal = report.filesChecked;

    const std::string prefix = folder == "/" ? "/" : folder + '/';
    for (const ComparedEntry* entry : toRead) {
        if (stop && stop->load()) {
            report.stopped = true;
            break;
        }
        const ListingEntry& recorded = catalogue[static_cast<size_t>(entry->first)];
        const std::string path = prefix + entry->path;
        shown.path = entry->path;
        if (progress) progress(shown);
        const HashResult read = HashFileAt(AT_FDCWD, path.c_str(), stop);
        VerifyFinding finding;
        finding.path = entry->path;
        finding.recordId = recorded.id;
        switch (read.outcome) {
            case HashOutcome::Stopped: report.stopped = true; break;
            case HashOutcome::Vanished: finding.status = VerifyStatus::Vanished; break;
            case HashOutcome::Changed: finding.status = VerifyStatus::ChangedWhileRead; break;
            case HashOutcome::IoError:
            case HashOutcome::Unreadable:
                finding.status = VerifyStatus::Unreadable;
                finding.detail = std::strerror(read.error);
                break;
            case HashOutcome::Done: {
                ++report.filesRead;
                report.bytesRead += read.bytes;
                const std::optional<ContentHash> expected = hashes ? hashes(recorded.id) : std::nullopt;
                if (!expected) break;
                ++report.filesHashed;
                // A file that changed size or date is reported as changed already.
                if (!(*expected == read.hash) && entry->difference == Difference::Same) {
                    finding.status = VerifyStatus::ContentChanged;
                    finding.detail = "catalogued " + expected->Hex() + ", now " + read.hash.Hex();
                    report.findings.push_back(finding);
                }
                break;
            }
        }
        if (read.outcome != HashOutcome::Done && read.outcome != HashOutcome::Stopped) {
            report.findings.push_back(finding);
        }
        if (report.stopped) break;
        ++shown.filesDone;
        shown.bytesDone += disc[static_cast<size_t>(entry->second)].size;
    }
    if (progress) {
        shown.path.clear();
        progress(shown);
    }
    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const VerifyFinding& a, const VerifyFinding& b) { return a.path < b.path; });
    return report;
}

const char* VerifyStatusName(VerifyStatus status) {
    switch (status) {
        case VerifyStatus::Missing: return "missing";
        case VerifyStatus::New: return "new";
        case VerifyStatus::Changed: return "changed";
        case VerifyStatus::ContentChanged: return "content_changed";
        case VerifyStatus::Unreadable: return "unreadable";
        case VerifyStatus::Vanished: return "vanished";
        case VerifyStatus::ChangedWhileRead: break;
    }
    return "changed_while_read";
}

}  // namespace karvio
