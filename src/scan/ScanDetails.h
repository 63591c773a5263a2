// The details side of one scan: takes the files the walk appends, and either carries a rescanned
// file's details (and content hash) over from its old record (same name, size and date, read with
// options that cover this scan's) or opens the file and hands it to the pool of readers. Owned by the scan
// engine for one walk; the walk's thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DetailsDatabase.h"
#include "DetailsPool.h"
#include "ScanWalk.h"

namespace karvio {

class ScanDetails : public FileSink {
public:
    // Reads what `options` ask into `db` for the CD `newCdId`. For a rescan, `oldCdId` is the CD
    // being replaced and `oldOptions` what it was scanned with.
    ScanDetails(DetailsDatabase& db, uint32_t options, int32_t newCdId, int32_t oldCdId, uint32_t oldOptions,
                const bool& stopRequested, const DetailsLimits& limits = {});
    ~ScanDetails() override;

    void FileAppended(const FileInfo& file, int dirFd, const char* name, const struct stat* st,
                      const NoteSource::OldFile& old, const ScanWalk& walk) override;

    // Waits for the readers, copies the details carried over and writes the CD's row `cd`, all
    // in one transaction. False with `error` set when the database could not be written.
    bool Finish(const DetailsCd& cd, std::string* error);
    // A stopped scan: abandons what is queued.
    void Stop();

    int64_t FilesRead() const { return pool_.FilesRead(); }
    size_t FilesCarried() const { return carried_.size(); }
    // The files whose contents could not be hashed (went away, changed while read, I/O errors),
    // complete after Finish.
    std::vector<ScanSkip> HashProblems() const;

private:
    // Whether the old record's details answer everything this scan asks of a file of `kind`.
    bool Reusable(DetailsKind kind, const NoteSource::OldFile& old, const FileInfo& file) const;

    DetailsDatabase& db_;
    const uint32_t options_;
    const int32_t newCdId_;
    const uint32_t oldOptions_;
    const bool& stop_;
    DetailsPool pool_;
    std::vector<int32_t> oldDetailed_;  // the old CD's files with details, ascending
    IdPairs carried_;
};

}  // namespace karvio
