// A read-only walk over a whole catalogue file that reports every inconsistency it finds (broken
// links, records of the wrong kind, unreadable texts, counts and space figures that disagree)
// and carries on where it can. It reads the bytes itself, so it never rewrites the header and
// never ends the program, whatever the file holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace karvio {

struct CheckReport {
    std::vector<std::string> problems;  // inconsistencies; any makes the file unclean
    std::vector<std::string> notes;     // figures worth knowing that are not faults
    int64_t fileLength = 0;
    int64_t liveSpace = 0;  // 82 plus the recomputed space of every listed CD and category
    int32_t headerSpaceUsed = 0;
    int32_t cds = 0, categories = 0;
    int64_t directories = 0, files = 0;

    bool Clean() const { return problems.empty(); }
};

// Checks the catalogue at `path`. A file that cannot be opened or is refused gives one problem.
CheckReport CheckCatalogue(const std::string& path);

}  // namespace karvio
