#include "ContentHash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <cerrno>
#include <memory>

namespace karvio {

std::string ContentHash::Hex() const {
    static const char digits[] = "0123456789abcdef";
    std::string text(32, '0');
    for (int i = 0; i < 16; ++i) {
        text[15 - i] = digits[(high >> (4 * i)) & 15];
        text[31 - i] = digits[(low >> (4 * i)) & 15];
    }
    return text;
}

std::optional<ContentHash> ContentHash::FromHex(std::string_view hex) {
    if (hex.size() != 32) return std::nullopt;
    ContentHash hash;
    for (size_t i = 0; i < 32; ++i) {
        const char c = hex[i];
        int v = 0;
        if (c >= '0' && c <= '9') {
            v = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            v = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            v = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        uint64_t& half = i < 16 ? hash.high : hash.low;
        half = (half << 4) | static_cast<uint64_t>(v);
    }
    return hash;
}

bool IsMediumError(int error) { return error == EIO || error == ENXIO || error == ENODEV || error == ENOMEDIUM; }

ContentHash HashBytes(std::string_view bytes) {
    const XXH128_hash_t h = XXH3_128bits(bytes.data(), bytes.size());
    return ContentHash{h.high64, h.low64};
}

namespace {

struct StateDeleter {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

HashResult Failed(HashOutcome outcome, int error = 0) {
    HashResult result;
    result.outcome = outcome;
    result.error = error;
    return result;
}

}  // namespace

HashResult HashFileAt(int dirFd, const char* name, const std::atomic<bool>* stop) {
    Descriptor file;
    file.fd = ::openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK);
    if (file.fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ELOOP) return Failed(HashOutcome::Vanished, error);
        return Failed(IsMediumError(error) ? HashOutcome::IoError : HashOutcome::Unreadable, error);
    }
    struct stat before {};
    if (::fstat(file.fd, &before) != 0) return Failed(HashOutcome::IoError, errno);
    if (!S_ISREG(before.st_mode)) return Failed(HashOutcome::Vanished);
    ::posix_fadvise(file.fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    std::unique_ptr<XXH3_state_t, StateDeleter> state(XXH3_createState());
    XXH3_128bits_reset(state.get());
    // Large reads keep a disc or a network volume streaming; the buffer stays in the cache.
    constexpr size_t kPiece = 1 << 20;
    const auto buffer = std::make_unique<char[]>(kPiece);
    HashResult result;
    for (;;) {
        if (stop && stop->load()) return Failed(HashOutcome::Stopped);
        const ssize_t n = ::read(file.fd, buffer.get(), kPiece);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            return Failed(IsMediumError(error) ? HashOutcome::IoError : HashOutcome::Unreadable, error);
        }
        if (n == 0) break;
        XXH3_128bits_update(state.get(), buffer.get(), static_cast<size_t>(n));
        result.bytes += n;
    }
    struct stat after {};
    if (::fstat(file.fd, &after) != 0) return Failed(HashOutcome::IoError, errno);
    if (after.st_size != before.st_size || after.st_mtim.tv_sec != before.st_mtim.tv_sec ||
        after.st_mtim.tv_nsec != before.st_mtim.tv_nsec || result.bytes != after.st_size) {
        return Failed(HashOutcome::Changed);
    }
    const XXH128_hash_t h = XXH3_128bits_digest(state.get());
    result.hash = ContentHash{h.high64, h.low64};
    return result;
}

}  // namespace karvio
