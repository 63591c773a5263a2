// A catalogue file that forwards every call to another one, so that a file that changes a few
// calls (a test's failing or killing file, a counting one) overrides only those and cannot forget
// any other, the zero-copy reads among them. Its pieces are the target's, and its piece
// generation follows the target's after every forwarded call. Not thread-safe, like any file.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "CatalogueFile.h"

namespace karvio {

class CatalogueFileWrapper : public CatalogueFile {
public:
    explicit CatalogueFileWrapper(std::shared_ptr<CatalogueFile> target) : target_(std::move(target)) {}

    CatalogueFile& Target() const { return *target_; }

    bool ReadAt(int64_t offset, void* data, size_t size) override {
        return Synced(target_->ReadAt(offset, data, size));
    }
    bool WriteAt(int64_t offset, const void* data, size_t size) override {
        return Synced(target_->WriteAt(offset, data, size));
    }
    const unsigned char* View(int64_t offset, size_t size) override { return Synced(target_->View(offset, size)); }
    const unsigned char* ViewPiece(int64_t offset, size_t size, int64_t& start, size_t& length) override {
        return Synced(target_->ViewPiece(offset, size, start, length));
    }
    int64_t Length() override { return Synced(target_->Length()); }
    bool Flush() override { return Synced(target_->Flush()); }
    void BeginBatch() override {
        target_->BeginBatch();
        Sync();
    }
    bool EndBatch() override { return Synced(target_->EndBatch()); }
    void Refresh() override {
        target_->Refresh();
        Sync();
    }
    std::string LastError() const override { return target_->LastError(); }
    std::string Path() const override { return target_->Path(); }
    bool IsReadOnly() const override { return target_->IsReadOnly(); }
    LockResult LockForWriting(int waitMs) override { return Synced(target_->LockForWriting(waitMs)); }
    bool UnlockWriting() override { return Synced(target_->UnlockWriting()); }
    bool HoldsWriteLock() const override { return target_->HoldsWriteLock(); }
    void UnannounceWrites() override { target_->UnannounceWrites(); }
    bool StillAtPath() const override { return target_->StillAtPath(); }
    std::pair<uint64_t, uint64_t> DeviceAndInode() const override { return target_->DeviceAndInode(); }
    void MarkAppendStart() override { target_->MarkAppendStart(); }
    bool GiveBackAppends() override { return Synced(target_->GiveBackAppends()); }
    void ClearAppendStart() override { target_->ClearAppendStart(); }

protected:
    // Makes this file's piece generation move whenever the target's has moved.
    void Sync() {
        const uint64_t now = target_->PieceGeneration();
        if (now != seen_) {
            seen_ = now;
            PiecesChanged();
        }
    }
    template <typename T>
    T Synced(T result) {
        Sync();
        return result;
    }

private:
    std::shared_ptr<CatalogueFile> target_;
    uint64_t seen_ = 0;
};

}  // namespace karvio
