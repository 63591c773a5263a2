// What the contents list shows of its files' details (the details database beside the catalogue):
// media fields for the media columns and thumbnails for Large Icons. When a directory is listed
// only the ids of its files that have details, and of those that have a thumbnail, are read, from
// the database's indexes; the fields and pictures themselves are read for the rows a view paints
// and kept in caches with a bound, so a catalogue of hundreds of thousands of thumbnails costs a
// screenful. Details count only while they still belong to their file (name, size and date).
// User-interface thread.
#pragma once

#include <QCache>
#include <QIcon>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "DetailsDatabase.h"

namespace karvio {

class classData;

class ListDetails {
public:
    ListDetails();
    ~ListDetails();

    // Opens the details of the files of CD `cdId` with ids from `first` to `last` (the files a
    // list shows); nothing is shown when that CD's details are not recorded.
    void Open(classData& data, int32_t cdId, int32_t first, int32_t last);
    void Close();

    bool AnyThumbnail() const { return !pictured_.empty(); }
    bool HasThumbnail(int32_t fileId) const;
    // The details of a listed file (its id, stored name, size and date) when they belong to it.
    const FileDetails* Details(int32_t fileId, std::string_view name, double size, double date);
    // The file's thumbnail fitted in a square of `side` pixels (at the screen's scale); null
    // when it has none.
    QIcon Thumbnail(int32_t fileId, std::string_view name, double size, double date, int side);

    // How many thumbnails were read from the database since it was opened.
    int64_t ThumbnailsRead() const { return thumbnailsRead_; }

private:
    std::unique_ptr<DetailsDatabase> db_;
    int32_t cdId_ = 0;
    std::vector<int32_t> detailed_, pictured_;  // ascending
    QCache<int32_t, std::optional<FileDetails>> details_;
    QCache<int32_t, QIcon> thumbnails_;  // cost: bytes of the picture
    int thumbnailSide_ = 0;
    int64_t thumbnailsRead_ = 0;
};

}  // namespace karvio
