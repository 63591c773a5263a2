// The catalogue file of the system: a POSIX descriptor with an append buffer and a small cache
// of read blocks. Appended bytes reach the system in order and always before any write at an
// earlier offset, so a process killed at any moment leaves a file whose header and links only
// point at bytes that are already there.
#pragma once

#include <sys/types.h>

#include <array>
#include <memory>
#include <vector>

#include "CatalogueFile.h"

namespace karvio {

class SystemCatalogueFile : public CatalogueFile {
public:
    // Takes ownership of the open descriptor `fd`.
    SystemCatalogueFile(int fd, int64_t length);
    ~SystemCatalogueFile() override;

    SystemCatalogueFile(const SystemCatalogueFile&) = delete;
    SystemCatalogueFile& operator=(const SystemCatalogueFile&) = delete;

    bool ReadAt(int64_t offset, void* data, size_t size) override;
    bool WriteAt(int64_t offset, const void* data, size_t size) override;
    int64_t Length() override { return diskLength_ + static_cast<int64_t>(pending_.size()); }
    bool Flush() override;
    void Refresh() override;

private:
    static constexpr size_t kBlockSize = 64 * 1024;
    static constexpr size_t kBlockSlots = 128;  // 8 MiB of cached blocks at most
    static constexpr size_t kFlushThreshold = 1024 * 1024;

    struct Block {
        int64_t index = -1;  // block number, -1 when the slot is empty
        size_t valid = 0;    // bytes of the block that were read
        std::unique_ptr<unsigned char[]> bytes;
    };

    bool ReadFromDisk(int64_t offset, unsigned char* out, size_t size);
    bool WriteToDisk(int64_t offset, const unsigned char* data, size_t size);
    void PatchCache(int64_t offset, const unsigned char* data, size_t size);
    void DropCache();

    int fd_;
    int64_t diskLength_;                  // bytes the system holds
    std::vector<unsigned char> pending_;  // appended bytes from diskLength_ on
    std::array<Block, kBlockSlots> cache_;
};

}  // namespace karvio
