// Registers the catalogue file type with the desktop: a shared-mime-info package for "*.cd"
// files (and any file that begins with the catalogue's signature) and a desktop entry that opens
// them with this program. An installed Karvio (its entry and package in the system's data
// directories) is registered already: then the program writes no copies for the user and removes
// the ones it wrote there before. Otherwise it writes them in the user's $XDG_DATA_HOME, only
// when they differ from what is there. A failure to write is ignored by the caller.
// User-interface thread.
#pragma once

#include <QString>
#include <QStringList>

namespace karvio {

inline constexpr const char* kCatalogueMimeType = "application/x-karvio-catalogue";
inline constexpr const char* kCatalogueDescription = "Karvio Data File";
// The four bytes every catalogue begins with.
inline constexpr const char* kCatalogueSignature = "VELK";
// The program's desktop id, by which the desktop knows its entry, its windows and its metainfo.
inline constexpr const char* kDesktopId = "org.karvio.Karvio";
inline constexpr const char* kDesktopEntryName = "org.karvio.Karvio.desktop";
inline constexpr const char* kMimePackageName = "karvio.xml";
// The desktop entry's name before it took the desktop id; a copy of it in the user's folder is
// one this program wrote.
inline constexpr const char* kFormerDesktopEntryName = "Karvio.desktop";

// `path` as one argument of a desktop entry's Exec line: in double quotes, with the characters
// the format reserves escaped, and "%" doubled.
QString QuoteExecArgument(const QString& path);

// The shared-mime-info package that gives files "*<extension>", and files that begin with the
// catalogue's signature, the type `mimeType`.
QString MimePackageXml(const QString& extension, const QString& mimeType,
                       const QString& description);

// The desktop entry that opens files of `mimeType` with `executablePath`, as written for one
// user (marked so that the program knows it as its own).
QString DesktopEntryText(const QString& executablePath, const QString& iconPath,
                         const QString& mimeType);

// Where the user's copies go: $XDG_DATA_HOME (~/.local/share) by default.
QString UserDataHome();

// The system's data directories ($XDG_DATA_DIRS, /usr/local/share:/usr/share by default),
// without the user's.
QStringList SystemDataDirs();

// Whether one of `systemDataDirs` holds the desktop entry and another (or the same) the MIME
// package: an installed Karvio, registered for every user.
bool IsInstalledForAllUsers(const QStringList& systemDataDirs);

// Whether a file in the user's folders is one this program wrote: the marked entry and package
// it writes now, and the exact ones it wrote before it marked them.
bool IsOwnDesktopEntry(const QByteArray& content);
bool IsOwnMimePackage(const QByteArray& content);

// Registers the file type: nothing under `dataHome` when Karvio is installed for all users
// (copies the program wrote there before are removed), else the MIME package and the desktop
// entry under `dataHome`, each written only when it differs. When `runUpdateTools`, starts
// update-mime-database and update-desktop-database (when installed) after a change, without
// waiting for them. True when the registration is in place.
bool Associate(const QString& executablePath, const QString& extension, const QString& mimeType,
               const QString& description, const QString& dataHome, const QStringList& systemDataDirs,
               bool runUpdateTools);

}  // namespace karvio
