#include "CatalogueDetails.h"

#include <unistd.h>

#include <algorithm>

#include "CatalogueFile.h"
#include "ClassFile.h"
#include "classData.h"

namespace karvio {

namespace {

bool Fits(double lastScanned, int32_t files, int32_t cdId, classCd& cd) {
    return cd.GetCdId() == cdId && cd.GetCdLastScanned() == lastScanned && cd.GetCdNumOfFiles() == files;
}

// The identities as recorded, before they are matched with the CD records: from the database
// once it has taken over the older list, else from that list.
VolumeEntries RecordedEntries(classData& data, std::string* note) {
    std::string dbNote;
    VolumeEntries entries;
    if (std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(data, &dbNote);
        db && db->VolumesMigrated()) {
        for (const DetailsCd& cd : db->Cds()) {
            if (cd.volume) entries.emplace(cd.cdId, VolumeEntry{cd.cdId, cd.lastScanned, cd.files, *cd.volume});
        }
        return entries;
    }
    SidecarContents sidecar = ReadVolumeSidecarFile(VolumeSidecarPath(data.GetOpenPath()));
    if (note) {
        if (!dbNote.empty()) *note = dbNote;
        if (sidecar.state == SidecarState::Damaged) {
            if (!note->empty()) *note += "; ";
            *note += sidecar.note + "; disc identities that could not be read are left out";
        }
    }
    return std::move(sidecar.entries);
}

}  // namespace

std::optional<VolumeIdentity> RecordedVolumeOf(classData& data, int32_t cdId) {
    if (cdId <= 0 || !data.IsOpen()) return std::nullopt;
    const VolumeEntries entries = RecordedEntries(data, nullptr);
    const auto it = entries.find(cdId);
    if (it == entries.end()) return std::nullopt;
    const VolumeEntry& e = it->second;
    if (!Fits(e.lastScanned, e.files, e.cdId, data.GetCdGoto(cdId))) return std::nullopt;
    return e.identity;
}

VolumeEntries RecordedVolumes(classData& data, std::string* note) {
    if (note) note->clear();
    VolumeEntries live;
    if (!data.IsOpen()) return live;
    const VolumeEntries entries = RecordedEntries(data, note);
    if (entries.empty()) return live;
    // Only ids of the CD list are looked at: a stale id may point anywhere in the file.
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) {
        const auto it = entries.find(cd->GetCdId());
        if (it != entries.end() && Fits(it->second.lastScanned, it->second.files, it->second.cdId, *cd)) {
            live.insert(*it);
        }
    }
    return live;
}

std::optional<DetailsCd> RecordedCdDetails(DetailsDatabase& db, classData& data, int32_t cdId) {
    std::optional<DetailsCd> row = db.Cd(cdId);
    if (!row || cdId <= 0 || !Fits(row->lastScanned, row->files, cdId, data.GetCdGoto(cdId))) return std::nullopt;
    return row;
}

std::optional<FileDetails> RecordedFileDetails(DetailsDatabase& db, classData& data, const FileInfo& file) {
    std::optional<FileDetails> details = db.File(file.FileId);
    if (!details || details->cdId != file.FileCdId || !details->Fits(file.FileName, file.FileSize, file.FileDate) ||
        !RecordedCdDetails(db, data, file.FileCdId)) {
        return std::nullopt;
    }
    return details;
}

bool DropCdDetails(classData& data, int32_t cdId, std::string* error) {
    std::string note;
    std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForWriting(data, &note, false);
    if (!db) {
        if (error) *error = note;
        return note.empty();
    }
    if (!db->DropCd(cdId)) {
        if (error) *error = db->Error();
        return false;
    }
    if (error) *error = note;
    return true;
}

void CheckCatalogueDetails(const std::string& path, CheckReport& report) {
    classData data(path, classData::ForReading{});
    if (data.GetError() != kErrorNone || !data.IsOpen()) return;
    std::string note;
    std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(data, &note);
    if (!db) {
        if (!note.empty()) {
            report.problems.push_back(note);
        } else {
            report.notes.push_back("no details database: nothing beyond names, sizes and dates was recorded");
        }
        return;
    }
    for (std::string& problem : db->IntegrityProblems()) {
        report.problems.push_back("details database: " + problem);
    }
    if (!db->VolumesMigrated()) report.notes.push_back("the details database has not taken over the older volumes list");

    std::vector<int32_t> listed;
    for (classCd* cd = &data.GetCdFirst(); !data.GetCdEof(); cd = &data.GetCdNext()) listed.push_back(cd->GetCdId());
    std::sort(listed.begin(), listed.end());
    int64_t staleCds = 0, details = 0, outdated = 0;
    for (const DetailsCd& row : db->Cds()) {
        if (!std::binary_search(listed.begin(), listed.end(), row.cdId) || !RecordedCdDetails(*db, data, row.cdId)) {
            ++staleCds;
            continue;
        }
        // Every row of a CD's files names one of its files, and an archive's member count is what
        // was recorded of it.
        const std::vector<int32_t> rows = db->FileIdsOfCd(row.cdId);
        if (rows.empty()) continue;
        struct Stamp {
            int32_t id;
            uint32_t nameHash;
            double size, date;
            bool operator<(const Stamp& other) const { return id < other.id; }
        };
        std::vector<Stamp> files;
        classCd& cd = data.GetCdGoto(row.cdId);
        for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
            for (ClassFile* f = &dir->GetFileFirst(); !dir->GetFileEof(); f = &dir->GetFileNext()) {
                files.push_back({f->GetFileId(), DetailsNameHash(f->GetFileName()), f->GetFileSize(), f->GetFileDate()});
            }
        }
        std::sort(files.begin(), files.end());
        int64_t strangers = 0;
        for (int32_t id : rows) {
            ++details;
            const auto at = std::lower_bound(files.begin(), files.end(), Stamp{id, 0, 0, 0});
            if (at == files.end() || at->id != id) {
                ++strangers;
                continue;
            }
            const std::optional<FileDetails> file = db->File(id);
            if (file && (file->nameHash != at->nameHash || file->size != at->size || file->date != at->date)) {
                ++outdated;
                continue;
            }
            const size_t members = file && file->isArchive ? db->Members(id).size() : 0;
            if (file && file->isArchive && static_cast<int64_t>(members) != file->memberCount) {
                report.problems.push_back("details database: archive " + std::to_string(id) + " counts " +
                                          std::to_string(file->memberCount) + " members, " +
                                          std::to_string(members) + " are recorded");
            }
            if (file && file->hasThumbnail && db->Thumbnail(id).empty()) {
                report.problems.push_back("details database: file " + std::to_string(id) + " has lost its thumbnail");
            }
        }
        if (strangers > 0) {
            report.problems.push_back("details database: " + std::to_string(strangers) + " rows of CD " +
                                      std::to_string(row.cdId) + " name no file of it");
        }
    }
    if (outdated > 0) {
        report.notes.push_back("the details of " + std::to_string(outdated) +
                               " files no longer fit their file and are not shown");
    }
    if (staleCds > 0) {
        report.notes.push_back("the details database holds " + std::to_string(staleCds) +
                               " CDs that are no longer in the catalogue (dropped by the next compaction)");
    }
    report.notes.push_back("the details database holds details of " + std::to_string(details) + " files, " +
                           std::to_string(db->CountMembers()) + " archive members and " +
                           std::to_string(db->CountThumbnails()) + " thumbnails");
}

DetailsCarrier::DetailsCarrier(classData& source, bool writable) { Open(source, writable); }

DetailsCarrier::DetailsCarrier(classData& source, OpenLater) {
    if (std::unique_ptr<DetailsDatabase> db = DetailsDatabase::OpenForReading(source)) detailed_ = db->FileIds();
}

void DetailsCarrier::Open(classData& source, bool writable) {
    dataFile_ = source.GetOpenPath();
    std::string note;
    db_ = writable ? DetailsDatabase::OpenForWriting(source, &note, false) : DetailsDatabase::OpenForReading(source);
    if (!db_ || !db_->VolumesMigrated()) {
        SidecarContents sidecar = ReadVolumeSidecarFile(VolumeSidecarPath(dataFile_));
        legacy_ = std::move(sidecar.entries);
    }
    detailed_ = db_ ? db_->FileIds() : std::vector<int32_t>{};
    std::erase_if(files_, [this](const auto& ids) { return !Detailed(ids.first); });
}

bool DetailsCarrier::Detailed(int32_t fileId) const {
    return std::binary_search(detailed_.begin(), detailed_.end(), fileId);
}

DetailsCarrier::~DetailsCarrier() = default;

CopyCallbacks DetailsCarrier::Collecting(const CopyCallbacks& callbacks) {
    CopyCallbacks collecting = callbacks;
    collecting.cdCopied = [this, outer = callbacks.cdCopied](int32_t oldId, int32_t newId) {
        cds_.emplace_back(oldId, newId);
        if (outer) outer(oldId, newId);
    };
    if (!detailed_.empty()) {
        collecting.fileCopied = [this, outer = callbacks.fileCopied](int32_t oldId, int32_t newId) {
            if (Detailed(oldId)) files_.emplace_back(oldId, newId);
            if (outer) outer(oldId, newId);
        };
    }
    return collecting;
}

bool DetailsCarrier::WriteFor(const std::string& toDataFile, std::string* error) {
    if (error) error->clear();
    // An older list beside the target belongs to the file the copy replaced.
    ::unlink(VolumeSidecarPath(toDataFile).c_str());
    const std::string target = DetailsDatabase::PathFor(toDataFile);
    if (!db_ && legacy_.empty()) return DetailsDatabase::Remove(target, error);

    const double created = ReadCatalogueIdentity(toDataFile).created;
    IdPairs cds = cds_, files = files_;
    std::sort(cds.begin(), cds.end());
    std::sort(files.begin(), files.end());
    if (db_ && !db_->WriteTranslated(toDataFile, created, cds, files)) {
        if (error) *error = db_->Error();
        return false;
    }
    if (db_ && legacy_.empty()) return true;
    // The identities of an older list no database took over go to the copy's database under the
    // CDs' new ids.
    std::string note;
    std::unique_ptr<DetailsDatabase> out = DetailsDatabase::OpenForWriting(toDataFile, created, &note);
    if (!out) {
        if (error) *error = note;
        return false;
    }
    if (!out->Begin()) {
        if (error) *error = out->Error();
        return false;
    }
    for (const auto& [oldId, newId] : cds) {
        const auto it = legacy_.find(oldId);
        if (it == legacy_.end()) continue;
        DetailsCd cd = out->Cd(newId).value_or(DetailsCd{});
        cd.cdId = newId;
        cd.lastScanned = it->second.lastScanned;
        cd.files = it->second.files;
        cd.volume = it->second.identity;
        if (!out->PutCd(cd)) {
            if (error) *error = out->Error();
            out->Rollback();
            return false;
        }
    }
    if (!out->SetVolumesMigrated() || !out->Commit()) {
        if (error) *error = out->Error();
        return false;
    }
    return true;
}

}  // namespace karvio
