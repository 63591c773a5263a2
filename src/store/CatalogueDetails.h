// The details of a catalogue's records as the rest of the program asks for them, and their
// upkeep. Reads take the details database beside the data file and keep only what still belongs
// to its record (a CD's row counts while the CD's last-scanned date and file count are those it
// recorded); until a database has taken over the older volumes list, identities are read from
// that list. The upkeep runs inside the store's commands, under their write lock: a removed CD's
// details go with it, a compacted or backed-up catalogue's follow its records to their new ids.
// A failure of the details never costs the catalogue anything: it is reported as a note.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CatalogueCheck.h"
#include "CatalogueCopy.h"
#include "DetailsDatabase.h"
#include "TransferRecords.h"
#include "VolumeSidecar.h"

namespace karvio {

class classData;

// The identity recorded for CD `cdId` of the catalogue `data` has open, when there is one and it
// still belongs to that CD.
std::optional<VolumeIdentity> RecordedVolumeOf(classData& data, int32_t cdId);
// Every identity of the catalogue that still belongs to its CD, with a note when the details
// cannot be read (empty otherwise).
VolumeEntries RecordedVolumes(classData& data, std::string* note = nullptr);

// The CD row of `cdId` when it still belongs to that CD.
std::optional<DetailsCd> RecordedCdDetails(DetailsDatabase& db, classData& data, int32_t cdId);

// The details of the file `file` (a record read from the catalogue `data` has open) when they
// still belong to it.
std::optional<FileDetails> RecordedFileDetails(DetailsDatabase& db, classData& data, const FileInfo& file);

// Forgets everything recorded of CD `cdId`. REQUIRES: `data` holds the write lock. True when there
// was nothing to forget; False with `error` set when the database could not be changed.
bool DropCdDetails(classData& data, int32_t cdId, std::string* error);

// Checks the details database of the catalogue at `path`, adding what is wrong to the report's
// problems and what is worth knowing to its notes. Only run on a catalogue whose own check is
// clean: it walks the lists with the store's cursors. Changes nothing.
void CheckCatalogueDetails(const std::string& path, CheckReport& report);

// Carries the details of the data file into a copy of it (compaction, backup): wraps the copy's
// callbacks to collect the new ids of the CDs and of the files that have details, then writes
// the copy's database. Once open, it holds only the ids of files with details.
class DetailsCarrier {
public:
    // Reads which files of the catalogue `source` has open have details. With `writable` (the
    // caller holds the write lock) a database not made yet takes over the older volumes list
    // first.
    DetailsCarrier(classData& source, bool writable);
    // One that only reads which files have details, changing nothing, until Open: a compaction
    // opens the database for writing only once the catalogue is known to be sound, after its copy.
    struct OpenLater {};
    DetailsCarrier(classData& source, OpenLater);
    ~DetailsCarrier();
    // What the constructor without OpenLater does; of the ids collected before, those of the
    // files that have details are kept.
    void Open(classData& source, bool writable);
    DetailsCarrier(const DetailsCarrier&) = delete;
    DetailsCarrier& operator=(const DetailsCarrier&) = delete;

    // `callbacks` with the collection added.
    CopyCallbacks Collecting(const CopyCallbacks& callbacks);
    // The CDs' new ids as the copy gave them (old id -> new id).
    const IdPairs& CdIds() const { return cds_; }
    // Writes the database of the copy now at `toDataFile` (replacing one left there); nothing
    // when the source has no details. False with `error` set when it could not be written.
    bool WriteFor(const std::string& toDataFile, std::string* error);

private:
    bool Detailed(int32_t fileId) const;

    std::unique_ptr<DetailsDatabase> db_;
    std::string dataFile_;
    VolumeEntries legacy_;  // identities of an older volumes list no database has taken over
    std::vector<int32_t> detailed_;  // file ids with details, ascending
    IdPairs cds_, files_;
};

}  // namespace karvio
