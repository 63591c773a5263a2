// Opens a catalogued file with the application the desktop associates with its type, asking for
// the right disc while the file is not found. A CD whose volume identity is known is looked for
// wherever that volume is mounted now, then at its stored base path; paths are rebuilt byte for
// byte from the stored names. While the insert-disc question is up it watches the mount table and
// the place the file should be: when the volume is mounted, or the folder is put back, the
// question closes and the file opens. The desktop calls, the file test, the mount table and the
// question are reachable through LaunchServices so the loop can be driven by tests.
// User-interface thread.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "VolumeLocator.h"

namespace karvio {

// Where a catalogued file is looked for: the volume root of the CD's base path followed by the
// file's catalogue full name with "\" turned into "/". The volume root is the base path with the
// scanned folder's own relative path (`scannedFolderFullName`, the full name of the CD's first
// directory record) taken off its end; a base path that does not end with it is taken whole.
// Bytes, as the system names the file.
std::string LaunchPathFor(const std::string& cdBasePath, const std::string& scannedFolderFullName,
                          const std::string& fileFullName);

struct LaunchServices {
    // Whether the catalogued entry is there (a link counts as itself, wherever it points).
    std::function<bool(const std::string& path)> fileExists;
    // Whether some application is registered for the file's type.
    std::function<bool(const std::string& path)> hasAssociation;
    // Asks the desktop to open the file; False when no application could be started. A failure
    // the desktop reports a moment later is said by the opener itself.
    std::function<bool(const std::string& path)> open;
    // The volumes mounted now; unset: none is looked at, only the stored base path.
    std::function<std::vector<MountedVolume>()> mountedVolumes;
    // Asks the insert-disc question (Retry, Cancel) and returns the answer. While it is up it
    // calls `recheck(true)` at every change of the mount table and `recheck(false)` every little
    // while to see whether the file is back; when that returns True the question is answered
    // with Retry. Unset: ShowMessage, and nothing is watched.
    std::function<int(const std::string& question, const std::function<bool(bool mountsChanged)>& recheck)> ask;

    // lstat, QMimeDatabase with `xdg-mime query default`, xdg-open (QDesktopServices without
    // it), the system's mount table, and the message box watched by a MountWatcher and a timer.
    static LaunchServices Desktop();
};

enum class LaunchResult {
    kOpened,
    kCancelled,      // the user gave up at the insert-disc question
    kNoAssociation,  // "Unknown File Type" was shown
    kNoSuchRecord,   // the id names no file of the catalogue
};

// The message shown whenever no application could be started for a file.
inline constexpr const char* kNoAssociationText =
    QT_TRANSLATE_NOOP("Messages", "Unknown File Type") "\r\n" QT_TRANSLATE_NOOP(
        "Messages", "Or No File Association found");

// Whether an application is registered for `mimeType` or one of its parent types, as
// `xdg-mime query default` answers; True when xdg-mime is not installed (the desktop decides).
bool HasDefaultApplication(const std::string& path);

// Starts `program` (xdg-open) with the file's path, its bytes as they are, as its one argument.
// False when it cannot be started. When it ends with a failure status within `watchMs` (no
// application, or one that could not start: "x-terminal-emulator: not found"), says
// kNoAssociationText then; an application that keeps running is left alone.
bool StartOpener(const std::string& program, const std::string& path, int watchMs);

// Asks `question` through ShowMessage with Retry and Cancel; while it is up, every change of the
// mount table calls `recheck(true)` and a timer calls `recheck(false)`; True presses Retry on the
// question's message box.
int AskWatchingMounts(const std::string& question, const std::function<bool(bool mountsChanged)>& recheck);

// The line the insert-disc question gains when another volume than the CD's was mounted while
// it waited: "this is <label>, not <name>".
std::string OtherDiscLine(const VolumeIdentity& inserted, const std::string& cdName);

LaunchResult LaunchFile(int32_t fileId);
LaunchResult LaunchFile(int32_t fileId, const LaunchServices& services);

}  // namespace karvio
