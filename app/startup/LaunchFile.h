// Opens a catalogued file with the application the desktop associates with its type, asking for
// the right disc while the file is not found. The desktop calls and the file test are reachable
// through LaunchServices so the loop can be driven by tests. User-interface thread.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

namespace karvio {

// Where a catalogued file is looked for: the volume root of the CD's base path followed by the
// file's catalogue full name with "\" turned into "/". The volume root is the base path with the
// scanned folder's own relative path (`scannedFolderFullName`, the full name of the CD's first
// directory record) taken off its end; a base path that does not end with it is taken whole.
QString LaunchPathFor(const std::string& cdBasePath, const std::string& scannedFolderFullName,
                      const std::string& fileFullName);

struct LaunchServices {
    std::function<bool(const QString& path)> fileExists;
    // Whether some application is registered for the file's type.
    std::function<bool(const QString& path)> hasAssociation;
    // Asks the desktop to open the file; False when it refused.
    std::function<bool(const QString& path)> open;

    // QFileInfo, QMimeDatabase with `xdg-mime query default`, QDesktopServices.
    static LaunchServices Desktop();
};

enum class LaunchResult {
    kOpened,
    kCancelled,      // the user gave up at the insert-disc question
    kNoAssociation,  // "Unknown File Type" was shown
    kNoSuchRecord,   // the id names no file of the catalogue
};

// Whether an application is registered for `mimeType` or one of its parent types, as
// `xdg-mime query default` answers; True when xdg-mime is not installed (the desktop decides).
bool HasDefaultApplication(const QString& path);

LaunchResult LaunchFile(int32_t fileId);
LaunchResult LaunchFile(int32_t fileId, const LaunchServices& services);

}  // namespace karvio
