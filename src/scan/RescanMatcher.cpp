#include "RescanMatcher.h"

#include <algorithm>

#include "ClassFile.h"

namespace karvio {

int CompareCatalogueKeys(std::string_view a, std::string_view b) {
    // The separator sorts below every byte a name can hold.
    auto rank = [](char c) { return c == '\\' ? 0 : static_cast<unsigned char>(c) + 1; };
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ra = rank(a[i]), rb = rank(b[i]);
        if (ra != rb) return ra < rb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

RescanMatcher::RescanMatcher(classData& oldData, int32_t oldCdId) : old_(oldData), oldCdId_(oldCdId) {
    old_.GetCdGoto(oldCdId_).GetDirFirst();
}

std::string RescanMatcher::DirNotes(const std::string& path, const std::string& name) {
    // A merge of two sorted sequences: old directories that sort before the wanted one are gone
    // from the tree and are passed; one that sorts after it means the wanted directory is new.
    // The cursor stays on a match, so the next search starts there.
    dirFound_ = false;
    const std::string wanted = JoinCataloguePath(path, name);
    for (;;) {
        classCd& cd = old_.GetCdGoto(oldCdId_);
        if (cd.GetDirEof()) return {};
        classDir& dir = cd.Dirs();
        const std::string oldPath = dir.GetDirPath();
        const std::string oldName = dir.GetDirName();
        const int order = CompareCatalogueKeys(JoinCataloguePath(oldPath, oldName), wanted);
        if (order == 0 && oldPath == path && oldName == name) {
            dirFound_ = true;
            std::string notes = dir.GetDirNotes();
            dir.GetFileFirst();
            return notes;
        }
        if (order > 0) return {};
        cd.GetDirNext();
    }
}

std::string RescanMatcher::FileNotes(std::string_view name) {
    lastFile_ = OldFile{};
    if (!dirFound_) return {};
    classDir& dir = old_.GetCdGoto(oldCdId_).Dirs();
    for (;;) {
        if (dir.GetFileEof()) return {};
        ClassFile& file = dir.Files();
        const std::string oldName = file.GetFileName();
        const int order = oldName.compare(name);
        if (order == 0) {
            lastFile_ = OldFile{file.GetFileId(), file.GetFileSize(), file.GetFileDate()};
            return file.GetFileNotes();
        }
        if (order > 0) return {};
        dir.GetFileNext();
    }
}

}  // namespace karvio
