#include "RecordWindow.h"

namespace karvio {

const unsigned char* RecordWindow::MoveTo(int64_t offset, size_t size) {
    generation_ = ~uint64_t{0};
    if (!file_ || offset < 0) return nullptr;
    bytes_ = file_->ViewPiece(offset, size, start_, length_);
    if (!bytes_) return nullptr;
    // Taken after the call: finding the piece may itself have filled a block.
    generation_ = file_->PieceGeneration();
    return bytes_ + (offset - start_);
}

void FileWalk::Start(const DirRecord& dir) {
    CatalogueFile* const file = window_.File();
    walk_.Start(dir.FileFirst, dir.DirId, file ? file->Length() : 0);
    ReadWanted();
}

}  // namespace karvio
