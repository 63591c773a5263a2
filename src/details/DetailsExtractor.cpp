#include "DetailsExtractor.h"

#include "DetailsReaders.h"

namespace karvio {

namespace {

void AddNote(std::string& notes, const std::string& note) {
    if (note.empty()) return;
    if (!notes.empty()) notes += "; ";
    notes += note;
}

}  // namespace

ExtractedDetails ExtractDetails(int fd, DetailsKind kind, uint32_t options, const DetailsLimits& limits) {
    ExtractedDetails out;
    FileDetails& d = out.details;
    std::string why;
    const DetailsReaders* readers = LoadDetailsReaders(&why);
    if (!readers) {
        d.note = why;
        return out;
    }
    switch (kind) {
        case DetailsKind::Archive: {
            if (!(options & kScanArchives)) break;
            ArchiveListing listing = readers->listArchive(fd, limits.archive);
            d.isArchive = listing.recognised;
            d.memberCount = static_cast<int32_t>(listing.members.size());
            d.membersCapped = listing.capped;
            AddNote(d.note, listing.note);
            out.members = std::move(listing.members);
            break;
        }
        case DetailsKind::Picture: {
            if (options & kScanMedia) {
                MediaResult media = readers->readPicture(fd);
                d.media = std::move(media.fields);
                AddNote(d.note, media.note);
            }
            if (options & kScanThumbnails) {
                ThumbnailResult thumbnail = readers->makeThumbnail(fd, kThumbnailSize);
                out.thumbnail = std::move(thumbnail.bytes);
                d.hasThumbnail = !out.thumbnail.empty();
                AddNote(d.note, thumbnail.note);
            }
            break;
        }
        case DetailsKind::Audio:
        case DetailsKind::Video: {
            if (!(options & kScanMedia)) break;
            MediaResult media =
                kind == DetailsKind::Audio ? readers->readAudio(fd) : readers->readVideo(fd, limits.maxFilmBytesRead);
            d.media = std::move(media.fields);
            AddNote(d.note, media.note);
            break;
        }
        case DetailsKind::None:
            break;
    }
    return out;
}

}  // namespace karvio
