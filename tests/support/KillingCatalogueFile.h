// A catalogue file that passes everything on to the real one and, at its Nth write, either kills
// the process (as a crash or a kill -9 would) or refuses the write (as a failing disk would).
// With N = 0 it only counts. Tests install it through the store's file opener.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>

#include "CatalogueFile.h"

namespace karvio::testing {

class KillingCatalogueFile : public CatalogueFile {
public:
    enum class Mode { Kill, Fail };
    KillingCatalogueFile(std::shared_ptr<CatalogueFile> inner, int at, Mode mode, int* count)
        : inner_(std::move(inner)), at_(at), mode_(mode), count_(count) {}

    bool ReadAt(int64_t o, void* d, size_t n) override { return inner_->ReadAt(o, d, n); }
    bool WriteAt(int64_t o, const void* d, size_t n) override {
        const int nth = ++*count_;
        if (nth == at_ && mode_ == Mode::Kill) ::kill(::getpid(), SIGKILL);
        if (nth >= at_ && at_ > 0 && mode_ == Mode::Fail) return false;
        return inner_->WriteAt(o, d, n);
    }
    const unsigned char* View(int64_t o, size_t n) override { return inner_->View(o, n); }
    int64_t Length() override { return inner_->Length(); }
    bool Flush() override { return inner_->Flush(); }
    void BeginBatch() override { inner_->BeginBatch(); }
    bool EndBatch() override { return inner_->EndBatch(); }
    void Refresh() override { inner_->Refresh(); }
    std::string LastError() const override { return inner_->LastError(); }
    std::string Path() const override { return inner_->Path(); }
    bool IsReadOnly() const override { return inner_->IsReadOnly(); }
    LockResult LockForWriting(int waitMs) override { return inner_->LockForWriting(waitMs); }
    bool UnlockWriting() override { return inner_->UnlockWriting(); }
    bool HoldsWriteLock() const override { return inner_->HoldsWriteLock(); }
    bool StillAtPath() const override { return inner_->StillAtPath(); }
    std::pair<uint64_t, uint64_t> DeviceAndInode() const override { return inner_->DeviceAndInode(); }
    void MarkAppendStart() override { inner_->MarkAppendStart(); }
    bool GiveBackAppends() override { return inner_->GiveBackAppends(); }
    void ClearAppendStart() override { inner_->ClearAppendStart(); }

private:
    std::shared_ptr<CatalogueFile> inner_;
    int at_;
    Mode mode_;
    int* count_;
};

// Makes every store object open its file through a KillingCatalogueFile for its lifetime. All
// files of the process share one write count. The wrappers of one path are shared as the real
// files are, so store objects still see each other's writes at once.
class ScopedKillingFiles {
public:
    ScopedKillingFiles(int at, KillingCatalogueFile::Mode mode) {
        previous_ = SetCatalogueFileOpener([this, at, mode](const std::string& path, bool create) {
            CatalogueFileOpenResult opened = OpenSystemCatalogueFile(path, create);
            if (!opened.file) return opened;
            auto& wrapper = wrappers_[opened.file.get()];
            auto held = wrapper.lock();
            if (!held) {
                held = std::make_shared<KillingCatalogueFile>(opened.file, at, mode, &count_);
                wrapper = held;
            }
            opened.file = held;
            return opened;
        });
    }
    ~ScopedKillingFiles() { SetCatalogueFileOpener(std::move(previous_)); }
    ScopedKillingFiles(const ScopedKillingFiles&) = delete;
    ScopedKillingFiles& operator=(const ScopedKillingFiles&) = delete;
    int Writes() const { return count_; }

private:
    CatalogueFileOpener previous_;
    std::map<const CatalogueFile*, std::weak_ptr<CatalogueFile>> wrappers_;
    int count_ = 0;
};

}  // namespace karvio::testing
