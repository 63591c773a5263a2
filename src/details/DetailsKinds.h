// Which files a scan looks inside, told by their names alone (the walk never opens a file to
// decide), and which scan option each kind needs.
#pragma once

#include <cstdint>
#include <string_view>

namespace karvio {

enum class DetailsKind : uint8_t { None, Archive, Picture, Audio, Video };

// The kind a file's name makes it: its extension, letter case ignored ("backup.tar.gz" is an
// archive, "IMG_0001.JPG" a picture).
DetailsKind KindOfName(std::string_view name);

// Whether a scan with `options` (ScanOption bits) reads anything of a file of `kind`.
bool KindWanted(DetailsKind kind, uint32_t options);

}  // namespace karvio
