// A catalogue file that passes everything on to the real one and, at its Nth write, either kills
// the process (as a crash or a kill -9 would) or refuses the write (as a failing disk would).
// With N = 0 it only counts. Tests install it through the store's file opener.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "CatalogueFileWrapper.h"

namespace karvio::testing {

class KillingCatalogueFile : public CatalogueFileWrapper {
public:
    enum class Mode { Kill, Fail };
    KillingCatalogueFile(std::shared_ptr<CatalogueFile> inner, int at, Mode mode, int* count)
        : CatalogueFileWrapper(std::move(inner)), at_(at), mode_(mode), count_(count) {}

    // Everything else, the zero-copy reads among it, is forwarded as it is.
    bool WriteAt(int64_t o, const void* d, size_t n) override {
        const int nth = ++*count_;
        if (nth == at_ && mode_ == Mode::Kill) ::kill(::getpid(), SIGKILL);
        if (nth >= at_ && at_ > 0 && mode_ == Mode::Fail) return false;
        return CatalogueFileWrapper::WriteAt(o, d, n);
    }

private:
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
            // A compaction's check opens the catalogue on a thread of its own.
            const std::lock_guard<std::mutex> lock(mutex_);
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
    std::mutex mutex_;
    std::map<const CatalogueFile*, std::weak_ptr<CatalogueFile>> wrappers_;
    int count_ = 0;
};

}  // namespace karvio::testing
