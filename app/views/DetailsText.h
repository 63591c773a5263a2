// What the windows show of a file's details (the details database beside the catalogue): the
// texts of media fields and archive figures, and the thumbnail, read only while they still
// belong to the file. User-interface thread.
#pragma once

#include <QImage>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "DetailsDatabase.h"
#include "TransferRecords.h"

namespace karvio {

// "3:07", "1:02:03" for a length in seconds; empty for none.
QString DurationText(double seconds);
// "4000 × 3000" pixels; empty for none.
QString DimensionsText(int32_t width, int32_t height);

// The details of `file` as lines of "Label: value" (camera, taken, artist, album, title,
// length, picture size, codecs, archive members, what could not be read); empty when none.
QString DetailsLines(const FileDetails& details);

struct ShownDetails {
    std::optional<FileDetails> details;
    QImage thumbnail;  // null when there is none
};
// Reads the details and thumbnail of `file` from the catalogue's details database.
ShownDetails ReadShownDetails(const FileInfo& file);

// Which of `files` (records of CD `cdId` read through `data`) are archives whose members were
// listed: their ids, ascending.
std::vector<int32_t> ArchivesAmong(classData& data, int32_t cdId, const std::vector<FileInfo>& files);

// The members of the archive `file` as recorded, when they still belong to it.
std::vector<ArchiveMember> ArchiveMembersOf(const FileInfo& file);

// The rows one folder of an archive shows: its subfolders (named by a member of their own, or
// only by the paths of the members inside them) and its members, by name. `folder` is a member
// path ("" for the archive's top).
struct ArchiveRow {
    std::string name;
    bool isFolder = false;
    double size = 0, date = 0;
};
std::vector<ArchiveRow> ArchiveFolderRows(const std::vector<ArchiveMember>& members, const std::string& folder);

}  // namespace karvio
