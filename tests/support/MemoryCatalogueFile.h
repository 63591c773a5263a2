// A catalogue file held in memory, for tests and the fuzzer: reads and writes follow the same
// rules as the system file (no holes, no reads past the end), and a test can make the Nth read
// or write fail to check the store's numbered messages.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "CatalogueFile.h"

namespace karvio::testing {

class MemoryCatalogueFile : public CatalogueFile {
public:
    explicit MemoryCatalogueFile(std::vector<unsigned char> bytes = {}) : bytes_(std::move(bytes)) {}

    bool ReadAt(int64_t offset, void* data, size_t size) override {
        if (offset < failEnd_ && offset + static_cast<int64_t>(size) > failBegin_) return false;
        if (offset < 0 || static_cast<uint64_t>(offset) + size > bytes_.size()) return false;
        std::memcpy(data, bytes_.data() + offset, size);
        return true;
    }

    bool WriteAt(int64_t offset, const void* data, size_t size) override {
        if (failWritesAfter_ >= 0 && writes_++ >= failWritesAfter_) return false;
        if (offset < 0 || static_cast<uint64_t>(offset) > bytes_.size()) return false;
        if (static_cast<uint64_t>(offset) + size > static_cast<uint64_t>(kMaxCatalogueLength)) {
            return false;
        }
        if (offset + size > bytes_.size()) bytes_.resize(offset + size);
        std::memcpy(bytes_.data() + offset, data, size);
        return true;
    }

    int64_t Length() override { return static_cast<int64_t>(bytes_.size()); }
    bool Flush() override { return true; }

    // Every read that touches a byte of [begin, end) fails; an empty range fails none.
    void FailReadsOverlapping(int64_t begin, int64_t end) {
        failBegin_ = begin;
        failEnd_ = end;
    }
    // Every write after the next `n` fails; -1 never.
    void FailWritesAfter(int n) {
        failWritesAfter_ = n;
        writes_ = 0;
    }

    std::vector<unsigned char>& Bytes() { return bytes_; }

private:
    std::vector<unsigned char> bytes_;
    int64_t failBegin_ = 0, failEnd_ = 0;
    int failWritesAfter_ = -1;
    int writes_ = 0;
};

// Makes every store object of the test open `file`, whatever path it names; restores the
// system's files when it goes out of scope.
class ScopedMemoryFile {
public:
    explicit ScopedMemoryFile(std::shared_ptr<MemoryCatalogueFile> file, bool existed = true)
        : file_(std::move(file)) {
        previous_ = SetCatalogueFileOpener([this, existed](const std::string&, bool) {
            CatalogueFileOpenResult result;
            result.file = file_;
            result.existed = existed || file_->Length() > 0;
            return result;
        });
    }
    ~ScopedMemoryFile() { SetCatalogueFileOpener(std::move(previous_)); }
    ScopedMemoryFile(const ScopedMemoryFile&) = delete;
    ScopedMemoryFile& operator=(const ScopedMemoryFile&) = delete;

private:
    std::shared_ptr<MemoryCatalogueFile> file_;
    CatalogueFileOpener previous_;
};

}  // namespace karvio::testing
