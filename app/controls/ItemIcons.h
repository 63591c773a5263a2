// The pictures of catalogue items, looked up by item kind code: 1 catalogue root, 2 CD,
// 3 scanned folder, 4 directory, 5 file, 6 category with the default picture, 7 and above the
// category pictures a user can choose. Every view and dialog shows items through these, so one
// kind looks the same everywhere. User-interface thread.
#pragma once

#include <QIcon>

namespace karvio {

inline constexpr int kIconRoot = 1;
inline constexpr int kIconCd = 2;
inline constexpr int kIconFolder = 3;
inline constexpr int kIconDirectory = 4;
inline constexpr int kIconFile = 5;
inline constexpr int kIconCategory = 6;
inline constexpr int kFirstCategoryPicture = 7;
// Rows inside an archive, which are no catalogue records: a folder and a file as the archive
// names them. Below 1, so no kind test of the catalogue's items takes them for one.
inline constexpr int kIconArchiveFolder = -4;
inline constexpr int kIconArchiveMember = -5;

// The picture of kind `kind` (16 and 32 pixels); the default category picture for an index past
// the last one shipped.
QIcon ItemIcon(int kind);

// The desktop theme's picture for the type of a file named `fileName` (by its name alone), or a
// null icon when the theme has none. Outside a desktop session the platform names no theme; then
// an installed full theme (Adwaita) stands in, so file types still show their pictures.
QIcon FileTypeIcon(const QString& fileName);

// The picture of a file whose members can be listed like a folder's: the desktop theme's
// archive picture.
QIcon ArchiveIcon();

// The highest category picture index shipped (kFirstCategoryPicture - 1 + number of pictures).
int LastCategoryPicture();

}  // namespace karvio
