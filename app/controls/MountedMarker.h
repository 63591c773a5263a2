// The marker the catalogue views put on a CD whose volume is mounted right now: its picture with
// a small green dot in the lower right corner, and a tool tip that says where it is mounted; and the identity text of the properties window.
// User-interface thread.
#pragma once

#include <QIcon>
#include <QString>
#include <cstdint>

namespace karvio {

// The picture of CD `cdId` of item kind `kind` (a CD or a scanned folder), marked when its
// volume is mounted now.
QIcon CdItemIcon(int kind, int32_t cdId);

// "Mounted now at <path>" for a CD whose volume is mounted, else an empty text.
QString MountedToolTip(int32_t cdId);

// The recorded volume identity of CD `cdId` for the properties window: label, type, size and
// UUID, the folder on the volume, and where it is mounted now; says so when none is recorded
// or the identities file is damaged.
QString VolumeIdentityText(int32_t cdId);

}  // namespace karvio
