// The entry point of libkarvio_readers.so.
#include "DetailsReaders.h"

namespace karvio {

extern "C" __attribute__((visibility("default"))) const DetailsReaders* KarvioDetailsReaders() {
    static const DetailsReaders readers = {ListArchive, ReadPictureDetails, ReadAudioDetails, ReadVideoDetails,
                                           MakeThumbnail};
    return &readers;
}

}  // namespace karvio
