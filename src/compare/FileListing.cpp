#include "FileListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "CatalogueText.h"
#include "ClassFile.h"
#include "PathServices.h"
#include "RecordWindow.h"
#include "classData.h"

namespace karvio {

int32_t FileListing::Add(ListingEntry entry, std::string_view name) {
    entry.nameOffset = static_cast<uint32_t>(names_.size());
    entry.nameLength = static_cast<uint32_t>(name.size());
    names_.append(name);
    entries_.push_back(entry);
    return static_cast<int32_t>(entries_.size() - 1);
}

std::string FileListing::RelativePath(size_t i) const {
    std::string path = ParentPath(i);
    if (!path.empty()) path += '/';
    path += Name(i);
    return path;
}

std::string FileListing::ParentPath(size_t i) const {
    // Collected from the entry upward, then put in order.
    std::vector<int32_t> chain;
    for (int32_t p = entries_[i].parent; p >= 0; p = entries_[p].parent) chain.push_back(p);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty()) path += '/';
        path += Name(static_cast<size_t>(*it));
    }
    return path;
}

std::string DecodePath(std::string_view path) {
    std::string decoded;
    decoded.reserve(path.size());
    for (;;) {
        const size_t cut = path.find('/');
        decoded += DecodeCatalogueText(path.substr(0, cut));
        if (cut == std::string_view::npos) break;
        decoded += '/';
        path.remove_prefix(cut + 1);
    }
    return decoded;
}

std::string FileListing::VolumePath(size_t i) const {
    std::string path = "/" + DecodePath(top_);
    if (path.size() > 1) path += '/';
    // Names that are UTF-8 already (nearly all) are copied straight into place, from the entry
    // up; lists of a million paths are made here.
    size_t length = 0;
    for (auto p = static_cast<int32_t>(i); p >= 0; p = entries_[static_cast<size_t>(p)].parent) {
        const std::string_view name = Name(static_cast<size_t>(p));
        if (!IsValidUtf8(name)) return path + DecodePath(RelativePath(i));
        length += name.size() + 1;
    }
    const size_t base = path.size();
    path.resize(base + length - 1);
    size_t end = path.size();
    for (auto p = static_cast<int32_t>(i); p >= 0; p = entries_[static_cast<size_t>(p)].parent) {
        const std::string_view name = Name(static_cast<size_t>(p));
        end -= name.size();
        name.copy(path.data() + end, name.size());
        if (end > base) path[--end] = '/';
    }
    return path;
}

int64_t FileListing::FileBytes() const {
    int64_t total = 0;
    for (const ListingEntry& e : entries_) {
        if (!e.directory) total += e.size;
    }
    return total;
}

int64_t FileListing::FileCount() const {
    return std::count_if(entries_.begin(), entries_.end(), [](const ListingEntry& e) { return !e.directory; });
}

namespace {

int64_t Bytes(double size) {
    const double magnitude = std::fabs(size);
    return std::isfinite(magnitude) && magnitude < 9.2e18 ? static_cast<int64_t>(magnitude) : 0;
}

// A directory's stored full name without its leading separator: the top directory of a folder
// scan is stored as "\Photos" while its children name their path "Photos".
std::string_view Unrooted(std::string_view path) {
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    return path;
}

}  // namespace

void ReadCdListing(classData& data, int32_t cdId, FileListing& out) {
    out.Clear();
    constexpr int kReadDirName = 2113, kReadDirPath = 2112, kReadFileName = 2116;
    RecordWindow window(data.File().get());
    RecordWindow fileWindow(data.File().get());
    FileWalk files(fileWindow);
    std::string buffer, pathBuffer;
    // The directories above the one being read, as (stored full name, entry index); a record's
    // stored path names its parent, which is on this stack because records are depth-first.
    struct Open {
        std::string fullName;
        int32_t index;
    };
    std::vector<Open> stack;
    bool first = true;
    classCd& cd = data.GetCdGoto(cdId);
    // Room for what the CD's record counts, with names of some 24 bytes.
    const size_t expected = static_cast<size_t>(std::max(0, cd.Record().CdNumOfFiles)) +
                            static_cast<size_t>(std::max(0, cd.Record().CdNumOfSubdirs));
    out.Reserve(std::min<size_t>(expected, 1u << 26), 24);
    for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
        const DirRecord& r = dir->Record();
        int32_t index = -1;
        if (first) {
            // The scanned folder itself: its contents hang below index -1.
            first = false;
            const std::string top(Unrooted(JoinCataloguePath(std::string(window.Text(r.DirPath, pathBuffer, kReadDirPath)),
                                                             std::string(window.Text(r.DirName, buffer, kReadDirName)))));
            std::string native = top;
            for (char& c : native) {
                if (c == '\\') c = '/';
            }
            out.SetTop(std::move(native), r.DirId);
            stack.push_back({top, -1});
        } else {
            const std::string path(Unrooted(window.Text(r.DirPath, pathBuffer, kReadDirPath)));
            while (stack.size() > 1 && stack.back().fullName != path) stack.pop_back();
            const std::string_view name = window.Text(r.DirName, buffer, kReadDirName);
            ListingEntry entry;
            entry.id = r.DirId;
            entry.parent = stack.back().index;
            entry.directory = true;
            entry.size = Bytes(r.DirSize);
            entry.date = r.DirDate;
            entry.attributes = r.DirAttr;
            std::string fullName = path.empty() ? std::string(name) : path + '\\' + std::string(name);
            index = out.Add(entry, name);
            stack.push_back({std::move(fullName), index});
        }
        // The files through the window: records and names that lie side by side in the file are
        // read without a call into the file each.
        for (files.Start(r); !files.AtEnd(); files.Next()) {
            const FileRecord& f = files.Record();
            ListingEntry entry;
            entry.id = f.FileId;
            entry.parent = index;
            entry.size = Bytes(f.FileSize);
            entry.date = f.FileDate;
            entry.attributes = f.FileAttr;
            out.Add(entry, window.Text(f.FileName, buffer, kReadFileName));
        }
    }
}

namespace {

// A directory waiting to be listed.
struct Pending {
    std::string path;  // native
    int32_t index;     // its entry; -1 for the folder walked
};

struct Listed {
    std::string name;
    struct stat st;
    bool examined;
};

bool IsIoError(int error) { return error == EIO || error == ENXIO || error == ENODEV || error == ENOMEDIUM; }

}  // namespace

WalkReport WalkFolder(const std::string& path, FileListing& out, const std::atomic<bool>* stop) {
    out.Clear();
    WalkReport report;
    auto problem = [&](const std::string& where, int error) {
        report.problems.push_back(where + ": " + std::strerror(error));
        if (IsIoError(error)) report.ioError = true;
    };
    const std::string top = StripBackslash(path);
    struct stat topStat {};
    if (::stat(top.c_str(), &topStat) != 0 || !S_ISDIR(topStat.st_mode)) {
        problem(top, ::stat(top.c_str(), &topStat) != 0 ? errno : ENOTDIR);
        return report;
    }
    FileDateConverter toDate;
    std::vector<Pending> pending{{top, -1}};
    std::vector<Listed> listed;
    std::vector<Pending> subdirs;
    while (!pending.empty()) {
        if (stop && stop->load()) {
            report.stopped = true;
            break;
        }
        const Pending dir = std::move(pending.back());
        pending.pop_back();
        const int fd = ::open(dir.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
        DIR* handle = fd >= 0 ? ::fdopendir(fd) : nullptr;
        if (!handle) {
            problem(dir.path, errno);
            if (fd >= 0) ::close(fd);
            continue;
        }
        listed.clear();
        errno = 0;
        while (const dirent* d = ::readdir(handle)) {
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
            Listed entry{name, {}, false};
            entry.examined = ::fstatat(fd, name, &entry.st, AT_SYMLINK_NOFOLLOW) == 0;
            if (!entry.examined) {
                // Gone since the listing: simply not there any more.
                if (errno == ENOENT) continue;
                problem(dir.path + '/' + name, errno);
                entry.st.st_mode = d->d_type == DT_DIR ? S_IFDIR : S_IFREG;
            }
            listed.push_back(std::move(entry));
            errno = 0;
        }
        if (errno != 0) problem(dir.path, errno);
        ::closedir(handle);
        std::sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) { return a.name < b.name; });

        subdirs.clear();
        const std::string prefix = dir.path == "/" ? "/" : dir.path + '/';
        for (const Listed& l : listed) {
            ListingEntry entry;
            entry.parent = dir.index;
            entry.directory = S_ISDIR(l.st.st_mode);
            if (l.examined) {
                entry.date = toDate(l.st.st_mtim.tv_sec);
                entry.attributes = AttributesOf(l.st.st_mode, l.name.c_str());
                if (!entry.directory) entry.size = l.st.st_size;
            } else {
                entry.attributes = (entry.directory ? kAttrDirectory : 0) | (l.name[0] == '.' ? kAttrHidden : 0);
            }
            const int32_t index = out.Add(entry, l.name);
            // A mount point below the folder is listed but not entered, as a scan does.
            if (entry.directory && (!l.examined || l.st.st_dev == topStat.st_dev)) {
                subdirs.push_back({prefix + l.name, index});
            }
        }
        // The first subdirectory is listed next: depth-first in name order.
        for (auto it = subdirs.rbegin(); it != subdirs.rend(); ++it) pending.push_back(std::move(*it));
    }
    // Directory sizes are their subtrees' totals; children come after their parents.
    std::vector<ListingEntry>& entries = out.MutableEntries();
    for (size_t i = entries.size(); i-- > 0;) {
        if (entries[i].parent >= 0) entries[static_cast<size_t>(entries[i].parent)].size += entries[i].size;
    }
    return report;
}

}  // namespace karvio
