// A read-only walk over a whole catalogue file that reports every inconsistency it finds (broken
// links, records of the wrong kind, unreadable texts, counts and space figures that disagree)
// and carries on where it can. It reads the bytes itself, so it never rewrites the header and
// never ends the program, whatever the file holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CatalogueFile.h"
#include "Records.h"

namespace karvio {

struct CheckReport {
    std::vector<std::string> problems;  // inconsistencies; any makes the file unclean
    std::vector<std::string> notes;     // figures worth knowing that are not faults
    int64_t fileLength = 0;
    int64_t liveSpace = 0;  // 82 plus the recomputed space of every listed CD and category
    int32_t headerSpaceUsed = 0;
    int32_t cds = 0, categories = 0;
    int64_t directories = 0, files = 0;

    // What a salvage that copies what can be read would leave out: the CDs and categories the
    // header counts beyond the lists' reachable records, the directories and files the reached
    // CDs count beyond those reached, and the texts that lie outside the file (copied empty).
    int64_t lostCds = 0, lostCategories = 0, lostDirectories = 0, lostFiles = 0, lostTexts = 0;

    bool Clean() const { return problems.empty(); }
};

// The check every opening makes, bounded in cost whatever the catalogue's size: the header's
// counts and space, and the two ends of the CD and category lists (at most five records read,
// no walk). Any problem it returns is damage that CheckCatalogue reports as well.
std::vector<std::string> CheckStructure(CatalogueFile& file, const HeaderRecord& header);

// What a salvage of a catalogue with `report` would leave out, in a sentence for the question
// that offers it ("2 of 5 CDs, 130 files of the CDs that remain"); empty when nothing is lost
// that the catalogue counts.
std::string SalvageLossText(const CheckReport& report);

// The first few problems of `report`, one a line, with how many more there are.
std::string ProblemSummary(const CheckReport& report, size_t shown = 5);

// Checks the catalogue at `path`. A file that cannot be opened or is refused gives one problem.
CheckReport CheckCatalogue(const std::string& path);

}  // namespace karvio
