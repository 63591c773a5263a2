// Registers the catalogue file type with the desktop: a shared-mime-info package for "*.cd" and
// a desktop entry that opens such files with this program, both in the user's $XDG_DATA_HOME.
// Written at every start; a failure to write is ignored by the caller. User-interface thread.
#pragma once

#include <QString>

namespace karvio {

inline constexpr const char* kCatalogueMimeType = "application/x-karvio-catalogue";
inline constexpr const char* kCatalogueDescription = "Karvio Data File";
inline constexpr const char* kDesktopEntryName = "Karvio.desktop";
inline constexpr const char* kMimePackageName = "karvio.xml";

// `path` as one argument of a desktop entry's Exec line: in double quotes, with the characters
// the format reserves escaped, and "%" doubled.
QString QuoteExecArgument(const QString& path);

// The shared-mime-info package that gives files "*<extension>" the type `mimeType`.
QString MimePackageXml(const QString& extension, const QString& mimeType,
                       const QString& description);

// The desktop entry that opens files of `mimeType` with `executablePath`.
QString DesktopEntryText(const QString& executablePath, const QString& iconPath,
                         const QString& mimeType);

// Where the two files go: $XDG_DATA_HOME (~/.local/share) by default.
QString UserDataHome();

// Writes the MIME package and the desktop entry under `dataHome` and, when `runUpdateTools`,
// starts update-mime-database and update-desktop-database (when installed) without waiting for
// them. True when both files were written.
bool Associate(const QString& executablePath, const QString& extension, const QString& mimeType,
               const QString& description, const QString& dataHome, bool runUpdateTools);

}  // namespace karvio
