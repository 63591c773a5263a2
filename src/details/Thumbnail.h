// Small pictures of pictures: the preview a camera wrote into the photo where it still shows the
// photo, else decoded at a reduced size where the format allows it (JPEG decodes straight to an
// eighth, a quarter or half its size); turned as the camera recorded, 128 pixels on the long
// side, and kept compressed (JPEG, or PNG where the picture is transparent). Any thread (Qt's
// image readers are reentrant).
#pragma once

#include <string>

namespace karvio {

inline constexpr int kThumbnailSize = 128;

struct ThumbnailResult {
    std::string bytes;  // the compressed picture; empty when none could be made
    std::string note;   // why not
};

// Makes the thumbnail of the picture open at `fd` (read from its start; the descriptor's offset
// moves). Pictures whose decoding would take more than the reader's allocation limit are
// refused, as are damaged ones.
ThumbnailResult MakeThumbnail(int fd, int longSide = kThumbnailSize);

}  // namespace karvio
