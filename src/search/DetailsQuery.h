// The quick-find filters over what a scan read inside files: artist:, album:, title:, camera:
// (texts, found anywhere in the field, letter case ignored), taken:2019 or taken:2015..2019 (the
// year a picture or film was taken), duration:>3m (seconds, or with s, m, h), width:>3000 and
// height: (pixels), and in:archive or in:FILEID (only members of archives, or of one). A value
// with spaces is quoted: artist:"the band". The rest of the text is the ordinary quick-find query.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "QuickQuery.h"

namespace karvio {

struct DetailsQuery {
    std::optional<QString> artist, album, title, camera;  // folded
    std::optional<QuickRange> takenYear, duration, width, height;
    int32_t inArchive = 0;  // 0 any file; -1 members of any archive; > 0 members of that archive file
    QString error;          // set when a filter could not be read

    // Filters on a file's media fields (as opposed to its name).
    bool HasMediaFilters() const { return artist || album || title || camera || takenYear || duration || width || height; }
    bool IsEmpty() const { return !HasMediaFilters() && inArchive == 0; }
};

// Takes the details filters out of `text` (what remains is the ordinary query).
DetailsQuery ParseDetailsQuery(QString& text);

// Both parts of a quick-find text.
struct FullQuery {
    QuickQuery names;
    DetailsQuery details;
    QString Error() const { return names.error.isEmpty() ? details.error : names.error; }
};
FullQuery ParseFullQuery(const QString& text);

}  // namespace karvio
