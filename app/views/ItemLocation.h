// Where a catalogued item lies, as the user reads it: the name of its disc and its path on the
// system (with "/", where the disc is mounted when it was scanned), for the status bar and the
// properties dialog. Reads through store objects of its own. User-interface thread.
#pragma once

#include <QString>
class QFontMetrics;
#include <cstdint>
#include <string>

namespace karvio {

struct ItemLocation {
    QString disc;  // the CD's name; empty when the record cannot be read
    QString path;  // native
    bool Empty() const { return disc.isEmpty() && path.isEmpty(); }
};

// The location of catalogue full name `fullName` ("Photos\2004\a.jpg") on CD `cdId`; the CD
// itself (its scanned folder) for an empty name.
ItemLocation LocateInCd(int32_t cdId, const std::string& fullName);
// The location of a record of kind 2 or 3 (a CD or folder), 4 (a directory) or 5 (a file).
ItemLocation LocateRecord(int kind, int32_t id);
// "Path: /media/cdrom/Photos    Disc: Holidays" (empty for an empty location).
QString LocationStatusText(const ItemLocation& location);
// The same, made to fit `width` pixels of `metrics`: the path gives up its middle first
// ("Path: /media/cdrom/Ph…/2004/a.jpg    Disc: Holidays"), so the disc's name stays whole while
// it can.
QString LocationStatusText(const ItemLocation& location, const QFontMetrics& metrics, int width);

}  // namespace karvio
