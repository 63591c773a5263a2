// Finds the notes of the old CD of a rescan for the directories and files the new walk appends.
// Both walks visit a tree in the same order (directories depth-first, names in ascending byte
// order), so one forward-only pass over the old CD's directories and files finds every note of
// what is still there. Reads through its own store object, which the scan engine owns; user-
// interface thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ScanWalk.h"
#include "classData.h"

namespace karvio {

class RescanMatcher : public NoteSource {
public:
    // Reads the old CD `oldCdId` through `oldData`, starting at its first directory.
    RescanMatcher(classData& oldData, int32_t oldCdId);

    std::string DirNotes(const std::string& path, const std::string& name) override;
    std::string FileNotes(std::string_view name) override;
    OldFile LastFile() const override { return lastFile_; }

private:
    classData& old_;
    const int32_t oldCdId_;
    bool dirFound_ = false;
    OldFile lastFile_;
};

// Orders catalogue full names the way the walk visits their directories: component by
// component, each in byte order, so "A\x" comes before "A b" and "A" before both. Negative,
// zero or positive like strcmp.
int CompareCatalogueKeys(std::string_view a, std::string_view b);

}  // namespace karvio
